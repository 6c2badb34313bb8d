#include "scene/Checksum.h"

#include <algorithm>
#include <libdeflate.h>
#include <pthread.h>
#include <thread>
#include <zlib.h>

namespace {

// Below this many bytes per part a helper thread costs more than it saves.
constexpr uint64_t kMinParallelPart = uint64_t(8) << 20;
constexpr unsigned kMaxParts = 8;

struct Part {
    const uint8_t* data;
    uint64_t size;
    uint32_t crc;
};

uint32_t SerialCrc32(const uint8_t* data, uint64_t size, uint32_t crc)
{
    // libdeflate_crc32 takes a size_t; feed larger ranges in pieces on narrow
    // machines.
    constexpr uint64_t kPiece = uint64_t(1) << 30;
    while (size > 0) {
        const uint64_t n = size < kPiece ? size : kPiece;
        crc = libdeflate_crc32(crc, data, size_t(n));
        data += n;
        size -= n;
    }
    return crc;
}

void* CrcOfPart(void* argument)
{
    Part* part = static_cast<Part*>(argument);
    part->crc = SerialCrc32(part->data, part->size, 0);
    return nullptr;
}

// Asking for the core count reads a file under /sys: done once, and only for
// a range large enough to be split.
unsigned CoreCount()
{
    static const unsigned cores = std::max(1u, std::thread::hardware_concurrency());
    return cores;
}

unsigned PartCount(uint64_t size)
{
    const uint64_t parts = size / kMinParallelPart;
    if (parts < 2)
        return 1;
    return unsigned(std::min<uint64_t>({parts, CoreCount(), kMaxParts}));
}

}  // namespace

uint32_t Crc32(const uint8_t* data, uint64_t size, uint32_t crc)
{
    // Large ranges are split across the cores, one part per helper thread
    // plus this one, and the parts' CRCs combined. A part whose thread cannot
    // be started is done here. pthread rather than std::thread: its failure to
    // start is a return value, so a thread the system refuses costs no
    // exception (our code throws none) and the part is simply done here.
    const unsigned count = PartCount(size);
    if (count == 1)
        return SerialCrc32(data, size, crc);
    Part parts[kMaxParts];
    pthread_t helpers[kMaxParts];
    bool started[kMaxParts] = {};
    const uint64_t partSize = size / count;
    for (unsigned i = 0; i < count; ++i) {
        const uint64_t begin = i * partSize;
        parts[i] = {data + begin, i + 1 == count ? size - begin : partSize, 0};
        if (i > 0)
            started[i] = pthread_create(&helpers[i], nullptr, CrcOfPart, &parts[i]) == 0;
    }
    CrcOfPart(&parts[0]);
    uint32_t result = CombineCrc32(crc, parts[0].crc, parts[0].size);
    for (unsigned i = 1; i < count; ++i) {
        if (started[i])
            pthread_join(helpers[i], nullptr);
        else
            CrcOfPart(&parts[i]);
        result = CombineCrc32(result, parts[i].crc, parts[i].size);
    }
    return result;
}

uint32_t CombineCrc32(uint32_t crcA, uint32_t crcB, uint64_t sizeB)
{
    return uint32_t(crc32_combine(crcA, crcB, z_off_t(sizeB)));
}
