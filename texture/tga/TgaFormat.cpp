#include "texture/tga/TgaFormat.h"

bool ReadTgaHeader(ByteCursor& in, TgaHeader& header)
{
    TgaHeader h;
    if (!in.readU8(h.idLength) || !in.readU8(h.colourMapType) || !in.readU8(h.imageType) ||
        !in.readU16(h.colourMapFirst) || !in.readU16(h.colourMapLength) || !in.readU8(h.colourMapEntryBits) ||
        !in.readU16(h.xOrigin) || !in.readU16(h.yOrigin) || !in.readU16(h.width) || !in.readU16(h.height) ||
        !in.readU8(h.pixelDepth) || !in.readU8(h.descriptor))
        return false;
    header = h;
    return true;
}

void WriteTgaHeader(const TgaHeader& header, uint8_t* out)
{
    out[0] = header.idLength;
    out[1] = header.colourMapType;
    out[2] = header.imageType;
    PutU16(out + 3, header.colourMapFirst);
    PutU16(out + 5, header.colourMapLength);
    out[7] = header.colourMapEntryBits;
    PutU16(out + 8, header.xOrigin);
    PutU16(out + 10, header.yOrigin);
    PutU16(out + 12, header.width);
    PutU16(out + 14, header.height);
    out[16] = header.pixelDepth;
    out[17] = header.descriptor;
}

bool IsRunLengthEncoded(uint8_t imageType)
{
    return imageType == kTgaRunLengthColourMapped || imageType == kTgaRunLengthTrueColour ||
           imageType == kTgaRunLengthGrey;
}

bool IsColourMapped(uint8_t imageType)
{
    return imageType == kTgaColourMapped || imageType == kTgaRunLengthColourMapped;
}
