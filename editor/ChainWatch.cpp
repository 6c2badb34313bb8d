#include "editor/ChainWatch.h"

#include "scene/Checksum.h"
#include "texture/T3DTexture.h"
#include "texture/chain/MipChainNaming.h"
#include "texture/io/FileRead.h"

#include <QFile>
#include <QFileInfo>
#include <QStringList>

#include <algorithm>
#include <sys/stat.h>

namespace {

constexpr size_t kCrcChunk = size_t(1) << 20;

// The CRC-32 of the file's bytes, read in chunks; false when it cannot be
// read whole.
bool FileCrc(const std::string& path, uint32_t& crc)
{
    InputFile file;
    if (file.open(path) != FileReadStatus::Ok)
        return false;
    std::vector<uint8_t> chunk(size_t(std::min<uint64_t>(file.size(), kCrcChunk)));
    crc = 0;
    for (uint64_t offset = 0; offset < file.size(); offset += chunk.size()) {
        const size_t n = size_t(std::min<uint64_t>(chunk.size(), file.size() - offset));
        if (file.readAt(offset, chunk.data(), n) != FileReadStatus::Ok)
            return false;
        crc = Crc32(chunk.data(), n, crc);
    }
    return true;
}

ChainWatch::FileStamp StampOf(const std::string& path, bool withCrc)
{
    ChainWatch::FileStamp stamp;
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0)
        return stamp;
    stamp.exists = true;
    stamp.device = info.st_dev;
    stamp.inode = info.st_ino;
    stamp.size = uint64_t(info.st_size);
    stamp.modifiedSeconds = info.st_mtim.tv_sec;
    stamp.modifiedNanoseconds = info.st_mtim.tv_nsec;
    stamp.changedSeconds = info.st_ctim.tv_sec;
    stamp.changedNanoseconds = info.st_ctim.tv_nsec;
    stamp.hasCrc = withCrc && FileCrc(path, stamp.crc);
    return stamp;
}

}  // namespace

bool ChainWatch::FileStamp::operator==(const FileStamp& other) const
{
    return exists == other.exists && device == other.device && inode == other.inode && size == other.size &&
           modifiedSeconds == other.modifiedSeconds && modifiedNanoseconds == other.modifiedNanoseconds &&
           changedSeconds == other.changedSeconds && changedNanoseconds == other.changedNanoseconds &&
           (!hasCrc || !other.hasCrc || crc == other.crc);
}

ChainWatch::ChainWatch(QObject* parent) : QObject(parent)
{
    settle_.setSingleShot(true);
    settle_.setInterval(kSettleMilliseconds);
    connect(&settle_, &QTimer::timeout, this, &ChainWatch::settled);
    connect(&watcher_, &QFileSystemWatcher::fileChanged, &settle_, qOverload<>(&QTimer::start));
    connect(&watcher_, &QFileSystemWatcher::directoryChanged, &settle_, qOverload<>(&QTimer::start));
}

std::vector<std::string> ChainWatch::ChainNames(const QString& first)
{
    std::vector<std::string> names;
    std::string name = QFile::encodeName(first).toStdString();
    while (!name.empty() && names.size() < size_t(kMaxTextureLevels)) {
        names.push_back(name);
        std::string next;
        NextMipLevelName(name, next);
        name = next;
    }
    return names;
}

ChainWatch::Stamps ChainWatch::StampsOf(const std::vector<std::string>& files, bool crcs)
{
    Stamps stamps;
    for (const std::string& file : files)
        stamps.push_back(StampOf(file, crcs));
    return stamps;
}

void ChainWatch::watch(const QString& first)
{
    files_ = ChainNames(first);
    stamps_ = StampsOf(files_, false);
    settle_.stop();
    rearm();
}

void ChainWatch::takeStamps(Stamps stamps)
{
    if (stamps.size() == files_.size())
        stamps_ = std::move(stamps);
}

void ChainWatch::stop()
{
    files_.clear();
    stamps_.clear();
    settle_.stop();
    rearm();
}

bool ChainWatch::changed() const
{
    return StampsOf(files_, false) != stamps_;
}

void ChainWatch::rearm()
{
    // A file replaced by a rename, or removed, is no longer watched: every
    // settling watches what is there anew.
    const QStringList watched = watcher_.files() + watcher_.directories();
    if (!watched.isEmpty())
        watcher_.removePaths(watched);
    if (files_.empty())
        return;
    QStringList paths = {QFileInfo(QFile::decodeName(files_.front().c_str())).absolutePath()};
    for (const std::string& file : files_) {
        if (QFileInfo::exists(QFile::decodeName(file.c_str())))
            paths.append(QFile::decodeName(file.c_str()));
    }
    watcher_.addPaths(paths);
}

void ChainWatch::settled()
{
    rearm();
    if (changed())
        emit chainChanged();
}
