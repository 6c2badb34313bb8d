#include "editor/ChainWatch.h"

#include "texture/T3DTexture.h"
#include "texture/chain/MipChainNaming.h"

#include <QFile>
#include <QFileInfo>
#include <QStringList>

#include <sys/stat.h>

bool ChainWatch::FileStamp::operator==(const FileStamp& other) const
{
    return exists == other.exists && device == other.device && inode == other.inode && size == other.size &&
           seconds == other.seconds && nanoseconds == other.nanoseconds;
}

ChainWatch::ChainWatch(QObject* parent) : QObject(parent)
{
    settle_.setSingleShot(true);
    settle_.setInterval(kSettleMilliseconds);
    connect(&settle_, &QTimer::timeout, this, &ChainWatch::settled);
    connect(&watcher_, &QFileSystemWatcher::fileChanged, &settle_, qOverload<>(&QTimer::start));
    connect(&watcher_, &QFileSystemWatcher::directoryChanged, &settle_, qOverload<>(&QTimer::start));
}

void ChainWatch::watch(const QString& first)
{
    files_.clear();
    std::string name = QFile::encodeName(first).toStdString();
    while (!name.empty() && files_.size() < size_t(kMaxTextureLevels)) {
        files_.push_back(name);
        std::string next;
        NextMipLevelName(name, next);
        name = next;
    }
    stamps_ = stamps();
    settle_.stop();
    rearm();
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
    return stamps() != stamps_;
}

ChainWatch::FileStamp ChainWatch::StampOf(const std::string& path)
{
    FileStamp stamp;
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0)
        return stamp;
    stamp.exists = true;
    stamp.device = info.st_dev;
    stamp.inode = info.st_ino;
    stamp.size = uint64_t(info.st_size);
    stamp.seconds = info.st_mtim.tv_sec;
    stamp.nanoseconds = info.st_mtim.tv_nsec;
    return stamp;
}

std::vector<ChainWatch::FileStamp> ChainWatch::stamps() const
{
    std::vector<FileStamp> now;
    for (const std::string& file : files_)
        now.push_back(StampOf(file));
    return now;
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
