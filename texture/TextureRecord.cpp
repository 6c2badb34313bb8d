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
