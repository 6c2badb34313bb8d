#include "editor/ChainWatch.h"

#include "texture/T3DTexture.h"
#include "texture/TextureLimits.h"
#include "texture/chain/MipChainNaming.h"
#include "texture/chain/TextureFileReader.h"
#include "texture/io/FileRead.h"

#include <QFile>
#include <QFileInfo>
#include <QStringList>

#include <algorithm>
#include <sys/stat.h>

namespace {

// A chain file's stamp, with the CRC-32 of its bytes when asked; a file
// larger than any reader takes is refused by its size before a byte is read.
FileStamp ChainFileStamp(const std::string& path, bool withCrc)
{
    FileStamp stamp = StampOf(path);
    stamp.hasCrc = withCrc && stamp.exists && FileCrc32(path, stamp.crc, kMaxWholeFileBytes);
    return stamp;
}

}  // namespace

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
    const bool oneFile = IsOneFileChain(name);
    while (!name.empty() && names.size() < size_t(kMaxTextureLevels)) {
        names.push_back(name);
        std::string next;
        NextMipLevelName(name, next);
        name = oneFile ? std::string() : next;
    }
    return names;
}

ChainWatch::Stamps ChainWatch::StampsOf(const std::vector<std::string>& files, bool crcs)
{
    Stamps stamps;
    for (const std::string& file : files)
        stamps.push_back(ChainFileStamp(file, crcs));
    return stamps;
}

ChainWatch::Stamps ChainWatch::StampsAfterRead(const std::vector<std::string>& files, Stamps before, const Stamps& read,
                                               int64_t readAt)
{
    for (size_t i = 0; i < before.size(); ++i) {
        if (i < read.size()) {
            before[i] = read[i];
        } else if (before[i].exists && ModifiedWithinTickOf(before[i], readAt)) {
            // Not decoded, yet a rewrite in the same tick would read anew.
            const FileStamp now = ChainFileStamp(files[i], true);
            if (now == before[i])
                before[i] = now;
        }
        before[i].hasCrc = before[i].hasCrc && ModifiedWithinTickOf(before[i], readAt);
    }
    return before;
}

ChainWatch::Stamps ChainWatch::StampsLike(const std::vector<std::string>& files, const Stamps& kept)
{
    Stamps stamps;
    for (size_t i = 0; i < files.size(); ++i)
        stamps.push_back(ChainFileStamp(files[i], i < kept.size() && kept[i].hasCrc));
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
