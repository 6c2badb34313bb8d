#include "texturepack/FolderExport.h"

#include "texture/chain/ImageChainWrite.h"
#include "texture/chain/MipChainNaming.h"
#include "texture/chain/TextureFileWriter.h"
#include "texture/io/FileRead.h"
#include "texturepack/Manifest.h"

#include <atomic>
#include <filesystem>
#include <pthread.h>
#include <sys/stat.h>

namespace {

// Keeps what a writer reports.
class KeptProblems : public TextureReport {
public:
    explicit KeptProblems(std::vector<TextureProblem>& kept) : kept_(kept) {}
    void report(const TextureProblem& problem) override { kept_.push_back(problem); }

private:
    std::vector<TextureProblem>& kept_;
};

// Writes the planned chains on a few threads: each file costs the file system
// a wait (creating, and above all replacing, a directory entry), and the
// waits overlap. The outcomes come back in the plan's order. Threads the
// system refuses (a process limit) leave the work to the others, this one at
// least: pthread rather than std::thread, whose refusal is an exception.
std::vector<ExportedChain> WriteChains(const VK7Q_HEADER& header, const std::vector<PlannedChain>& plan,
                                       const TextureFileFormat& format, const ImageWriteOptions& options)
{
    constexpr unsigned kWriterThreads = 4;  // enough to keep the disk busy; the work is waiting, not computing
    std::vector<ExportedChain> outcomes(plan.size());
    std::atomic<size_t> next{0};
    auto work = [&] {
        for (size_t i = next++; i < plan.size(); i = next++) {
            KeptProblems report(outcomes[i].problems);
            const T3D_TEXTURE& record = header.textures[plan[i].index];
            outcomes[i].written = WriteTextureFiles(plan[i].files[0], record, format, report, options);
        }
    };
    using Work = decltype(work);
    const auto runWork = [](void* w) -> void* {
        (*static_cast<Work*>(w))();
        return nullptr;
    };
    pthread_t threads[kWriterThreads - 1];
    unsigned started = 0;
    while (started < kWriterThreads - 1 && pthread_create(&threads[started], nullptr, runWork, &work) == 0)
        ++started;
    work();
    for (unsigned t = 0; t < started; ++t)
        pthread_join(threads[t], nullptr);
    return outcomes;
}

// The manifest's row for a chain written, with the CRC-32s of its files as
// they are now on disk. False, with `unreadable` set, when a file cannot be
// read back.
bool ManifestRowFor(const T3D_TEXTURE& record, const PlannedChain& chain, ManifestRow& row, std::string& unreadable)
{
    row = {chain.index,       record.name,   NameInFolder(chain.files[0]),
           record.width,      record.height, record.depth,
           record.levelCount, record.flags,  {}};
    for (const std::string& file : chain.files) {
        uint32_t crc = 0;
        if (!FileCrc32(file, crc)) {
            unreadable = file;
            return false;
        }
        row.crcs.push_back(crc);
    }
    return true;
}

}  // namespace

int FolderExport::writtenChains() const
{
    int written = 0;
    for (const ExportedChain& chain : chains)
        written += chain.written;
    return written;
}

bool FolderExport::ok() const
{
    for (const ExportedChain& chain : chains)
        if (!chain.written || !chain.unreadable.empty())
            return false;
    return manifest == FileWriteStatus::Ok && flushed;
}

std::string ManifestPath(const std::string& dir)
{
    return (std::filesystem::path(dir) / kManifestName).string();
}

std::vector<std::string> ExistingFiles(const std::vector<PlannedChain>& plan, const std::string& dir)
{
    std::vector<std::string> files = {ManifestPath(dir)};
    for (const PlannedChain& chain : plan)
        files.insert(files.end(), chain.files.begin(), chain.files.end());
    std::vector<std::string> existing;
    for (const std::string& file : files) {
        struct stat info;
        if (::lstat(file.c_str(), &info) == 0)
            existing.push_back(file);
    }
    return existing;
}

FolderExport ExportTextures(const VK7Q_HEADER& scene, const std::vector<PlannedChain>& plan,
                            const std::string& sceneFile, const std::string& dir, const TextureFileFormat& format)
{
    // One folder, many files: it is cleared of stale temporaries once, and
    // flushed to disk once at the end rather than file by file.
    RemoveStaleTemporaries(dir);
    ImageWriteOptions options;
    options.inputs.add(sceneFile);
    options.flushEachFile = false;
    options.clearStaleTemporaries = false;
    options.streams = StreamTargets::replaced;  // the names are made here, from the scene's texture names
    FolderExport result;
    result.chains = WriteChains(scene, plan, format, options);
    std::vector<ManifestRow> rows;
    for (size_t i = 0; i < plan.size(); ++i) {
        ExportedChain& chain = result.chains[i];
        if (!chain.written)
            continue;
        rows.emplace_back();
        if (!ManifestRowFor(scene.textures[plan[i].index], plan[i], rows.back(), chain.unreadable))
            rows.pop_back();
    }
    result.manifest = WriteManifest(ManifestPath(dir), rows, options.inputs);
    result.flushed = FlushFileSystemOf(dir);
    return result;
}
