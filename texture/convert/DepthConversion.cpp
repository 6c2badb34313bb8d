#include "texture/convert/DepthConversion.h"

#include "texture/convert/PixelExpansion.h"

#include <libimagequant.h>

#include <algorithm>
#include <cstring>
#include <dlfcn.h>
#include <memory>
#include <pthread.h>

// Pixels are little-endian in the record and are packed here as native words.
static_assert(__BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__, "a little-endian machine is assumed");

namespace {

size_t PixelCount(const T3D_TEXTURE& r, int level)
{
    return size_t(LevelWidth(r, level)) * LevelHeight(r, level);
}

uint32_t PixelAt(const uint8_t* level, size_t i)
{
    uint32_t p;
    std::memcpy(&p, level + 4 * i, 4);
    return p;
}

bool AnyTransparent(const T3D_TEXTURE& r)
{
    for (int level = 0; level < r.levelCount; ++level) {
        uint32_t all = 0xFF000000u;
        const uint8_t* pixels = r.levels[level];
        for (size_t i = 0, n = PixelCount(r, level); i < n; ++i)
            all &= PixelAt(pixels, i);
        if ((all & 0xFF000000u) != 0xFF000000u)
            return true;
    }
    return false;
}

// One level's pixels packed into `bytes`-byte pixels (the word's low bytes).
template <size_t bytes>
void PackLevel(const uint8_t* in, uint8_t* out, size_t count, const PixelPacker& pack)
{
    for (size_t i = 0; i < count; ++i) {
        const uint32_t p = pack(PixelAt(in, i));
        std::memcpy(out + bytes * i, &p, bytes);
    }
}

void Pack(const uint8_t* in, uint8_t* out, size_t count, unsigned bytesPerPixel, const PixelPacker& pack)
{
    switch (bytesPerPixel) {
    case 2:
        PackLevel<2>(in, out, count, pack);
        break;
    case 3:
        PackLevel<3>(in, out, count, pack);
        break;
    default:
        PackLevel<4>(in, out, count, pack);
        break;
    }
}

// Why pixels cannot be packed into the masks; false when they can.
bool MaskRefusal(const PixelMasks& masks, unsigned depth, TextureCause& cause)
{
    switch (CheckMasks(masks, depth)) {
    case MaskFault::none:
        return false;
    case MaskFault::pastDepth:
        cause = TextureCause::MasksPastDepth;
        break;
    case MaskFault::notOneRun:
        cause = TextureCause::MaskNotOneRun;
        break;
    case MaskFault::widerThan8:
        cause = TextureCause::MaskWiderThan8;
        break;
    case MaskFault::overlapping:
        cause = TextureCause::MasksOverlap;
        break;
    case MaskFault::noColour:
        cause = TextureCause::MaskMissing;
        break;
    }
    return true;
}

// Colours in order of first appearance, up to 256; a small open-addressed
// table from RGB to index.
class ExactMap {
public:
    // The colour's index, or -1 when it would be the 257th.
    int indexOf(uint32_t rgb)
    {
        unsigned slot = (rgb * 2654435761u) >> (32 - kSlotBits);
        while (slotIndex_[slot] != 0) {
            if (slotColour_[slot] == rgb)
                return slotIndex_[slot] - 1;
            slot = (slot + 1) & (kSlots - 1);
        }
        if (count_ == kPaletteEntries)
            return -1;
        colours_[count_] = rgb;
        slotColour_[slot] = rgb;
        slotIndex_[slot] = uint16_t(count_ + 1);
        return count_++;
    }

    int count() const { return count_; }
    uint32_t colour(int i) const { return colours_[i]; }

private:
    static constexpr unsigned kSlotBits = 10, kSlots = 1u << kSlotBits;
    uint16_t slotIndex_[kSlots] = {};  // index + 1; 0 for an empty slot
    uint32_t slotColour_[kSlots] = {};
    uint32_t colours_[kPaletteEntries] = {};
    int count_ = 0;
};

bool ExactColours(const T3D_TEXTURE& in, T3D_TEXTURE& out)
{
    ExactMap map;
    for (int level = 0; level < in.levelCount; ++level) {
        const uint8_t* pixels = in.levels[level];
        uint8_t* indices = out.levels[level];
        uint32_t last = 0xFFFFFFFFu;  // no pixel's RGB
        int lastIndex = 0;
        for (size_t i = 0, n = PixelCount(in, level); i < n; ++i) {
            const uint32_t rgb = PixelAt(pixels, i) & 0xFFFFFF;
            if (rgb != last) {
                if ((lastIndex = map.indexOf(rgb)) < 0)
                    return false;
                last = rgb;
            }
            indices[i] = uint8_t(lastIndex);
        }
    }
    for (int i = 0; i < map.count(); ++i) {
        const uint32_t c = map.colour(i);
        SetPaletteColour(out, i, {uint8_t(c >> 16), uint8_t(c >> 8), uint8_t(c)});
    }
    return true;
}

bool KeepPalette(const T3D_TEXTURE& in, T3D_TEXTURE& out, const KeptPalette* kept)
{
    if (!kept || !kept->palette)
        return false;
    for (int level = 0; level < in.levelCount; ++level) {
        if (!kept->levels[level])
            return false;
    }
    for (int level = 0; level < in.levelCount; ++level)
        std::memcpy(out.levels[level], kept->levels[level], PixelCount(in, level));
    for (int i = 0; i < kPaletteEntries; ++i)
        SetPaletteColour(out, i, kept->palette->colours[i]);
    return true;
}

// One level as libimagequant reads it: RGBA rows with alpha set opaque (the
// 8-bit texture keeps no alpha, so none may sway the palette).
struct LevelRows {
    const uint8_t* pixels;
    unsigned width;
};

void OpaqueRow(liq_color out[], int row, int width, void* user)
{
    const LevelRows& level = *static_cast<const LevelRows*>(user);
    const uint8_t* in = level.pixels + size_t(row) * level.width * 4;
    for (int x = 0; x < width; ++x, in += 4)
        out[x] = {in[2], in[1], in[0], 255};
}

struct LiqFree {
    void operator()(liq_attr* p) const { liq_attr_destroy(p); }
    void operator()(liq_histogram* p) const { liq_histogram_destroy(p); }
    void operator()(liq_image* p) const { liq_image_destroy(p); }
    void operator()(liq_result* p) const { liq_result_destroy(p); }
};
template <typename T>
using LiqPtr = std::unique_ptr<T, LiqFree>;

void* WaitForRelease(void* hold)
{
    pthread_mutex_lock(static_cast<pthread_mutex_t*>(hold));
    pthread_mutex_unlock(static_cast<pthread_mutex_t*>(hold));
    return nullptr;
}

// How many threads, up to `count`, the system starts now, all running at once.
int ThreadsThatStart(int count)
{
    constexpr int kMaxProbed = 64;
    pthread_t threads[kMaxProbed];
    pthread_mutex_t hold = PTHREAD_MUTEX_INITIALIZER;
    pthread_mutex_lock(&hold);
    int started = 0;
    while (started < std::min(count, kMaxProbed) &&
           pthread_create(&threads[started], nullptr, WaitForRelease, &hold) == 0)
        ++started;
    pthread_mutex_unlock(&hold);
    for (int i = 0; i < started; ++i)
        pthread_join(threads[i], nullptr);
    return started;
}

// libimagequant runs parts of its work on OpenMP teams, and libgomp ends the
// process when it cannot start a team's thread (a process limit). So a team is
// held to the threads that can be started now, besides those the runtime
// keeps from this thread's earlier teams. The runtime is the one
// libimagequant brought in, found by name: none, when it was built without.
void HoldOpenMpTeamToThreadsThatStart()
{
    using MaxThreads = int (*)();
    using SetThreads = void (*)(int);
    static const auto maxThreads = reinterpret_cast<MaxThreads>(::dlsym(RTLD_DEFAULT, "omp_get_max_threads"));
    static const auto setThreads = reinterpret_cast<SetThreads>(::dlsym(RTLD_DEFAULT, "omp_set_num_threads"));
    if (!maxThreads || !setThreads)
        return;
    thread_local const int wanted = maxThreads();  // before this sets it
    thread_local int kept = 1;                     // the largest team so far: its threads stay in the runtime's pool
    if (kept < wanted)
        kept += ThreadsThatStart(wanted - kept);
    setThreads(kept);
}

bool Cancelled(const DepthOptions& options)
{
    return options.cancel && options.cancel->load();
}

// libimagequant's progress callback: 0 stops the work.
int GoOnUnlessCancelled(float, void* cancel)
{
    return static_cast<const std::atomic<bool>*>(cancel)->load() ? 0 : 1;
}

// The palette and indices by libimagequant: LIQ_OK, LIQ_OUT_OF_MEMORY, or
// another of its errors (LIQ_ABORTED once cancelled).
liq_error Quantise(const T3D_TEXTURE& in, T3D_TEXTURE& out, const DepthOptions& options)
{
    HoldOpenMpTeamToThreadsThatStart();
    LiqPtr<liq_attr> attr(liq_attr_create());
    if (!attr)
        return LIQ_OUT_OF_MEMORY;
    // The callback's pointer is not const in libimagequant's eyes; it only reads.
    if (options.cancel)
        liq_attr_set_progress_callback(attr.get(), GoOnUnlessCancelled, const_cast<std::atomic<bool>*>(options.cancel));
    LiqPtr<liq_histogram> histogram(liq_histogram_create(attr.get()));
    LevelRows rows[kMaxTextureLevels];
    LiqPtr<liq_image> images[kMaxTextureLevels];
    if (!histogram)
        return LIQ_OUT_OF_MEMORY;
    for (int level = 0; level < in.levelCount; ++level) {
        rows[level] = {in.levels[level], LevelWidth(in, level)};
        images[level].reset(liq_image_create_custom(attr.get(), OpaqueRow, &rows[level], int(LevelWidth(in, level)),
                                                    int(LevelHeight(in, level)), 0));
        if (!images[level])
            return LIQ_OUT_OF_MEMORY;  // the sizes are valid: only memory is wanting
        if (const liq_error error = liq_histogram_add_image(histogram.get(), attr.get(), images[level].get()))
            return error;
    }
    liq_result* raw = nullptr;
    if (const liq_error error = liq_histogram_quantize(histogram.get(), attr.get(), &raw))
        return error;
    LiqPtr<liq_result> result(raw);
    if (options.cancel)
        liq_result_set_progress_callback(result.get(), GoOnUnlessCancelled,
                                         const_cast<std::atomic<bool>*>(options.cancel));
    liq_set_dithering_level(result.get(), options.dither ? 1.0f : 0.0f);
    for (int level = 0; level < in.levelCount; ++level) {
        if (const liq_error error =
                liq_write_remapped_image(result.get(), images[level].get(), out.levels[level], PixelCount(in, level)))
            return error;
    }
    const liq_palette* palette = liq_get_palette(result.get());
    for (unsigned i = 0; i < palette->count && i < unsigned(kPaletteEntries); ++i)
        SetPaletteColour(out, int(i), {palette->entries[i].r, palette->entries[i].g, palette->entries[i].b});
    return LIQ_OK;
}

}  // namespace

PixelMasks MasksFor(const DepthOptions& options)
{
    if (options.masks && options.depth != 8)
        return *options.masks;
    T3D_TEXTURE usual{};
    SetStandardMasks(usual, options.depth);
    if (options.depth == 16 && options.green565) {
        usual.redMask = kMask565Red;
        usual.greenMask = kMask565Green;
    }
    return MasksOf(usual);
}

bool ConvertRgbaChain(TextureRecord& holder, const DepthOptions& options, const std::string& name,
                      TextureReport& report, const KeptPalette* kept)
{
    const T3D_TEXTURE& in = holder.record();
    const unsigned bytesPerPixel = BytesPerPixel(options.depth);
    if (bytesPerPixel == 0) {
        Report(report, Severity::Error, TextureCause::CannotConvertToDepth, name, {"", options.depth});
        return false;
    }
    const PixelMasks masks = MasksFor(options);
    if (options.depth != 8) {
        TextureCause refusal;
        if (MaskRefusal(masks, options.depth, refusal)) {
            Report(report, Severity::Error, refusal, name, {"", options.depth});
            return false;
        }
        if (options.depth == 32 && masks == MasksOf(in))
            return true;  // the chain's own layout
    }
    TextureRecord converted;
    T3D_TEXTURE& out = converted.record();
    std::memcpy(&out, &in, sizeof out);
    std::memset(out.levels, 0, sizeof out.levels);
    std::memset(out.palette, 0, sizeof out.palette);
    out.depth = uint16_t(options.depth);
    SetMasks(out, masks);
    for (int level = 0; level < in.levelCount; ++level) {
        if (!converted.allocateLevel(level, LevelByteCount(out, level))) {
            Report(report, Severity::Error, TextureCause::NoMemoryToConvert, name);
            return false;
        }
    }

    if (options.depth != 8) {
        const PixelPacker pack(masks);
        for (int level = 0; level < in.levelCount; ++level)
            Pack(in.levels[level], out.levels[level], PixelCount(in, level), bytesPerPixel, pack);
    } else if (!KeepPalette(in, out, kept) && !ExactColours(in, out)) {
        if (const liq_error error = Quantise(in, out, options)) {
            if (!Cancelled(options))
                Report(report, Severity::Error,
                       error == LIQ_OUT_OF_MEMORY ? TextureCause::NoMemoryToConvert : TextureCause::CannotQuantise,
                       name);
            return false;
        }
    }
    if (masks.alpha == 0 && AnyTransparent(in))
        Report(report, Severity::Warning, TextureCause::AlphaDropped, name);
    holder = std::move(converted);
    return true;
}

bool ExpandToRgbaChain(TextureRecord& holder)
{
    const T3D_TEXTURE& in = holder.record();
    TextureRecord rgba;
    T3D_TEXTURE& out = rgba.record();
    std::memcpy(&out, &in, sizeof out);
    std::memset(out.levels, 0, sizeof out.levels);
    std::memset(out.palette, 0, sizeof out.palette);
    out.depth = 32;
    SetStandardMasks(out, 32);
    const PixelExpander expander(in);
    for (int level = 0; level < in.levelCount; ++level) {
        uint8_t* pixels = rgba.allocateLevel(level, LevelByteCount(out, level));
        if (!pixels)
            return false;
        expander.expand(in.levels[level], reinterpret_cast<uint32_t*>(pixels), PixelCount(in, level));
    }
    holder = std::move(rgba);
    return true;
}

void Store555As565(T3D_TEXTURE& record)
{
    if (record.depth != 16 || record.greenMask != kMask555Green)
        return;
    for (int level = 0; level < record.levelCount; ++level) {
        uint8_t* pixel = record.levels[level];
        for (uint64_t i = 0; i < LevelByteCount(record, level) / 2; ++i, pixel += 2) {
            const uint16_t p = Pixel555To565(uint16_t(pixel[0] | pixel[1] << 8));
            pixel[0] = uint8_t(p);
            pixel[1] = uint8_t(p >> 8);
        }
    }
    record.redMask = kMask565Red;
    record.greenMask = kMask565Green;
    record.blueMask = kMask555Blue;
}
