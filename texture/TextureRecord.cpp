#include "texture/TextureRecord.h"

#include "texture/io/ByteBlock.h"

#include <cstdlib>
#include <cstring>
#include <utility>

TextureRecord::TextureRecord()
{
    ClearTextureRecord(record_);
}

TextureRecord::~TextureRecord()
{
    freeLevels();
}

TextureRecord::TextureRecord(TextureRecord&& other) noexcept : record_(other.record_)
{
    ClearTextureRecord(other.record_);
}

TextureRecord& TextureRecord::operator=(TextureRecord&& other) noexcept
{
    if (this != &other) {
        freeLevels();
        record_ = other.record_;
        ClearTextureRecord(other.record_);
    }
    return *this;
}

void TextureRecord::clear()
{
    freeLevels();
    ClearTextureRecord(record_);
}

uint8_t* TextureRecord::allocateLevel(int level, uint64_t bytes)
{
    std::free(record_.levels[level]);
    record_.levels[level] = nullptr;
    if (bytes > SIZE_MAX)
        return nullptr;
    // A level of no pixels still gets a distinct buffer.
    record_.levels[level] = AllocateBytes(size_t(bytes));
    return record_.levels[level];
}

void TextureRecord::freeLevels()
{
    for (uint8_t*& level : record_.levels) {
        std::free(level);
        level = nullptr;
    }
}

bool CopyTexture(const T3D_TEXTURE& source, TextureRecord& copy)
{
    copy.clear();
    T3D_TEXTURE& record = copy.record();
    std::memcpy(&record, &source, sizeof record);
    std::memset(record.levels, 0, sizeof record.levels);
    for (int level = 0; level < source.levelCount && level < kMaxTextureLevels; ++level) {
        const uint64_t bytes = LevelByteCount(source, level);
        uint8_t* pixels = copy.allocateLevel(level, bytes);
        if (!pixels || !source.levels[level]) {
            copy.clear();
            return false;
        }
        std::memcpy(pixels, source.levels[level], size_t(bytes));
    }
    return true;
}
