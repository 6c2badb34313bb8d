#include "cli/TextureCommands.h"

#include "cli/StderrReport.h"
#include "texture/FileWrite.h"
#include "texture/ImageChainWrite.h"
#include "texture/PixelExpansion.h"
#include "texture/TextureRecord.h"
#include "texture/TgaTextureReader.h"

#include <QBuffer>
#include <QImage>

#include <cstdio>
#include <cstring>
#include <ostream>

namespace {

std::string Hex(uint32_t value, int digits)
{
    char text[16];
    std::snprintf(text, sizeof text, "0x%0*X", digits, value);
    return text;
}

// False when the chain is not read or an error was reported on the way;
// warnings alone let the command go on.
bool ReadChain(const std::string& path, TextureRecord& holder, std::ostream& err)
{
    StderrReport report(err);
    return TgaTextureReader(path.c_str(), holder, report) && !report.errorReported();
}

// Writes the bytes as `target`, which may not be one of the files of the
// chain read from `source`.
int WriteOutput(const std::string& target, const QByteArray& bytes, const std::string& source, std::ostream& err)
{
    InputFiles inputs;
    AddChainFiles(inputs, source);
    OutputFile file;
    FileWriteStatus status = file.create(target, inputs);
    if (status == FileWriteStatus::Ok && !file.write(bytes.constData(), size_t(bytes.size())))
        status = FileWriteStatus::WriteFailed;
    if (status == FileWriteStatus::Ok)
        status = file.finish(true);
    if (status == FileWriteStatus::Ok)
        status = file.commit();
    if (status == FileWriteStatus::Ok)
        return kExitOk;
    err << "Can't write PNG file " << target << ": " << FileWriteProblem(status) << '\n';
    return kExitFailed;
}

} // namespace

int RunInfo(const CommandArguments& args, std::ostream& out, std::ostream& err)
{
    TextureRecord holder;
    if (!ReadChain(args.files[0], holder, err))
        return kExitFailed;
    const T3D_TEXTURE& r = holder.record();
    out << "name: " << r.name << '\n'
        << "width: " << r.width << '\n'
        << "height: " << r.height << '\n'
        << "depth: " << r.depth << '\n'
        << "levels: " << r.levelCount << '\n'
        << "flags: " << Hex(r.flags, 2) << '\n'
        << "red mask: " << Hex(r.redMask, 8) << '\n'
        << "green mask: " << Hex(r.greenMask, 8) << '\n'
        << "blue mask: " << Hex(r.blueMask, 8) << '\n'
        << "alpha mask: " << Hex(r.alphaMask, 8) << '\n';
    return kExitOk;
}

int RunExport(const CommandArguments& args, std::ostream&, std::ostream& err)
{
    long level = 0;
    std::string error;
    if (!OptionAsNumber(args, "--level", 0, kMaxTextureLevels - 1, level, error))
        return UsageError(err, error);

    const std::string& source = args.files[0];
    const std::string& target = args.files[1];
    TextureRecord holder;
    if (!ReadChain(source, holder, err))
        return kExitFailed;
    const T3D_TEXTURE& r = holder.record();
    const std::vector<uint32_t> pixels = ExpandLevelToArgb(r, int(level));
    if (pixels.empty()) {
        err << source << " has " << r.levelCount << " mip level(s) of depth " << r.depth
            << ": no level " << level << " to export\n";
        return kExitFailed;
    }

    const int width = int(LevelWidth(r, int(level)));
    const int height = int(LevelHeight(r, int(level)));
    QImage image(width, height, QImage::Format_ARGB32);
    if (image.isNull()) {
        err << "Not enough memory for a " << width << " x " << height << " image\n";
        return kExitFailed;
    }
    for (int y = 0; y < height; ++y)
        std::memcpy(image.scanLine(y), pixels.data() + size_t(y) * width, size_t(width) * 4);
    QBuffer encoded;
    encoded.open(QIODevice::WriteOnly);
    if (!image.save(&encoded, "PNG")) {
        err << "Can't write PNG file " << target << '\n';
        return kExitFailed;
    }
    return WriteOutput(target, encoded.data(), source, err);
}
