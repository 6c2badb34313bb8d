#include "texture_bench_support.h"

#include "texture/chain/TgaTextureWriter.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <malloc.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

class BenchFolder {
public:
    explicit BenchFolder(const std::string& base)
    {
        std::string pattern = base + "/quorrel-bench-XXXXXX";
        if (char* made = mkdtemp(pattern.data()))
            path_ = made;
    }
    ~BenchFolder()
    {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    const std::string& path() const { return path_; }

private:
    std::string path_;
};

}  // namespace

std::string BenchFile(const std::string& name)
{
    static BenchFolder folder("/tmp");
    return folder.path() + "/" + name;
}

std::string BenchOutputFile(const std::string& name)
{
    std::error_code error;
    static BenchFolder folder(std::filesystem::is_directory("/dev/shm", error) ? "/dev/shm" : "/tmp");
    return folder.path() + "/" + name;
}

void MakeBenchRecord(TextureRecord& holder, unsigned side, int depth, bool green565)
{
    holder.clear();
    T3D_TEXTURE& r = holder.record();
    r.width = r.height = uint16_t(side);
    r.depth = uint16_t(depth);
    r.levelCount = 1;
    if (depth == 16) {
        r.redMask = green565 ? 0xF800 : kMask555Red;
        r.greenMask = green565 ? kMask565Green : kMask555Green;
        r.blueMask = kMask555Blue;
    }
    uint8_t* pixels = holder.allocateLevel(0, LevelByteCount(r, 0));
    uint32_t state = 12345;
    for (uint64_t i = 0; i < LevelByteCount(r, 0); ++i) {
        state = state * 1664525u + 1013904223u;
        pixels[i] = uint8_t(state >> 24);
    }
}

std::string BenchTgaFile(const std::string& name, unsigned side, int depth)
{
    const std::string path = BenchFile(name);
    if (::access(path.c_str(), F_OK) != 0) {
        TextureRecord holder;
        MakeBenchRecord(holder, side, depth);
        SilentReport report;
        if (!TgaTextureWriter(path.c_str(), holder.record(), report))
            std::fprintf(stderr, "can't write the benchmark file %s\n", path.c_str());
    }
    return path;
}

namespace {

// glibc raises its mmap threshold after the first large free, after which a
// large buffer may come back already mapped; fixed, every large buffer (the
// limit's and the reader's levels alike) is fresh pages, as in a program
// that reads a file once.
const int kFixedMmapThreshold = mallopt(M_MMAP_THRESHOLD, 128 * 1024);

}  // namespace

size_t ReadIntoFreshBuffer(const std::string& path, bool pageAligned)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return 0;
    struct stat info {};
    ::fstat(fd, &info);
    constexpr size_t kPage = 4096;
    const size_t size = size_t(info.st_size);
    auto* buffer = static_cast<char*>(pageAligned ? std::aligned_alloc(kPage, (size + kPage - 1) / kPage * kPage)
                                                  : std::malloc(size));
    size_t done = 0;
    while (buffer && done < size) {
        const ssize_t n = ::read(fd, buffer + done, size - done);
        if (n <= 0)
            break;
        done += size_t(n);
    }
    ::close(fd);
    std::free(buffer);
    return done;
}

std::string FileBytes(const std::string& path)
{
    std::string bytes(ReadIntoFreshBuffer(path), '\0');
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    const bool read = fd >= 0 && ::read(fd, bytes.data(), bytes.size()) == ssize_t(bytes.size());
    if (fd >= 0)
        ::close(fd);
    return read ? bytes : std::string();
}

bool WriteWhole(const std::string& path, const std::string& bytes)
{
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    const bool written = fd >= 0 && ::write(fd, bytes.data(), bytes.size()) == ssize_t(bytes.size());
    if (fd >= 0)
        ::close(fd);
    return written;
}

void MakePhotoRecord(TextureRecord& holder, unsigned side)
{
    holder.clear();
    T3D_TEXTURE& r = holder.record();
    r.width = r.height = uint16_t(side);
    r.depth = 32;
    r.levelCount = 1;
    SetStandardMasks(r, 32);
    uint8_t* p = holder.allocateLevel(0, LevelByteCount(r, 0));
    uint32_t state = 2024;
    for (unsigned y = 0; y < side; ++y) {
        for (unsigned x = 0; x < side; ++x, p += 4) {
            state = state * 1664525u + 1013904223u;
            const int grain = int(state >> 29) - 4;
            const double u = x * 6.283 / side, v = y * 6.283 / side;
            p[0] = uint8_t(std::clamp(int(128 + 90 * std::sin(3 * u + v)) + grain, 0, 255));
            p[1] = uint8_t(std::clamp(int(128 + 90 * std::cos(2 * v - u)) + grain, 0, 255));
            p[2] = uint8_t(std::clamp(int(x * 255 / side + grain), 0, 255));
            p[3] = uint8_t(std::clamp(int(200 + 55 * std::sin(u * v)), 0, 255));
        }
    }
}
