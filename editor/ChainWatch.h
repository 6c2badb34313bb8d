// Watches the files of one texture's mip chain on disk: every name the chain
// rule gives from its first file, whether the file is there or not (a level
// file may appear or go), and the folder they lie in. Another program writes a
// file in bursts, so changes are gathered: chainChanged() comes once nothing
// has moved for kSettleMilliseconds, and only when a file of the chain is not
// as it was when the watch began.
//
// A file's stamps are those of texture/io/FileStamp.h. A rewrite of the same
// size within one tick of the file system's clock leaves them all as they
// were, so a read also takes each file's CRC-32 (its bytes read again, not
// decoded): what a read stands for is compared with them, off the window's
// thread, before it goes into a scene.
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
    // as a texture has levels.
    static std::vector<std::string> ChainNames(const QString& first);
    // How the files stand now; with `crcs`, each one there read for its
    // CRC-32. Touches nothing but the files: safe on any thread.
    static Stamps StampsOf(const std::vector<std::string>& files, bool crcs);

    // Notes how the chain at `first` stands now and watches it from here on,
    // dropping the chain watched before. Call it before reading the chain, so
    // that a change during the read counts.
    void watch(const QString& first);
    // The stamps a read took of the watched chain before it began (with their
    // CRCs): what the watch compares with from now on.
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
