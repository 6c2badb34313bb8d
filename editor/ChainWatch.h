// Watches the files of one texture's mip chain on disk: every name the chain
// rule gives from its first file, whether the file is there or not (a level
// file may appear or go), and the folder they lie in. Another program writes a
// file in bursts, so changes are gathered: chainChanged() comes once nothing
// has moved for kSettleMilliseconds, and only when a file of the chain is not
// as it was when the watch began.
//
// A file's stamps are those of texture/io/FileStamp.h; a read gives each file
// it decoded its stamp with the CRC-32 of the bytes decoded. A rewrite of the
// same size within one tick of the file system's clock leaves the stamps as
// they were, so where a file was modified within a tick of its read its stamp
// keeps that CRC, and the look before what was read goes into a scene (off the
// window's thread) reads that file again for its CRC; every other file is
// told by its stamp alone.
#pragma once

#include <QFileSystemWatcher>
#include <QObject>
#include <QString>
#include <QTimer>

#include "texture/io/FileStamp.h"

#include <cstdint>
#include <string>
#include <vector>

class ChainWatch : public QObject {
    Q_OBJECT
public:
    static constexpr int kSettleMilliseconds = 300;

    using Stamps = std::vector<FileStamp>;

    explicit ChainWatch(QObject* parent = nullptr);

    // The names of the chain that starts at `first`, level 0 first, as many
    // as a texture has levels; a one-file chain's (DDS) alone.
    static std::vector<std::string> ChainNames(const QString& first);
    // How the files stand now; with `crcs`, each one there read for its
    // CRC-32. Touches nothing but the files: safe on any thread.
    static Stamps StampsOf(const std::vector<std::string>& files, bool crcs);
    // The stamps of the chain's files once a read of them ended at `readAt`:
    // `before`, taken of every name before the read, with each file the read
    // decoded stamped as it was read (`read`, level 0 first). A stamp keeps a
    // CRC only where the file was modified within a tick of the read.
    static Stamps StampsAfterRead(const std::vector<std::string>& files, Stamps before, const Stamps& read,
                                  int64_t readAt);
    // How the files stand now beside `kept`: a file read again for its CRC
    // only where its kept stamp has one.
    static Stamps StampsLike(const std::vector<std::string>& files, const Stamps& kept);

    // Notes how the chain at `first` stands now and watches it from here on,
    // dropping the chain watched before. Call it before reading the chain, so
    // that a change during the read counts.
    void watch(const QString& first);
    // The stamps a read gave of the watched chain (StampsAfterRead): what the
    // watch compares with from now on.
    void takeStamps(Stamps stamps);
    void stop();
    // The chain's names (empty when nothing is watched) and their stamps.
    const std::vector<std::string>& files() const { return files_; }
    const Stamps& stamps() const { return stamps_; }
    // True when a file of the watched chain is not as its stamps say (CRCs
    // not read again).
    bool changed() const;
    // The gathering timer: each change noticed starts it again.
    QTimer& settleTimer() { return settle_; }

signals:
    void chainChanged();

private:
    // Watches the folder and the chain's files that are there now.
    void rearm();
    void settled();

    QFileSystemWatcher watcher_;
    QTimer settle_;
    std::vector<std::string> files_;  // the chain's names, level 0 first
    Stamps stamps_;
};
