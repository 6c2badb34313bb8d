// Watches the files of one texture's mip chain on disk: every name the chain
// rule gives from its first file, whether the file is there or not (a level
// file may appear or go), and the folder they lie in. Another program writes a
// file in bursts, so changes are gathered: chainChanged() comes once nothing
// has moved for kSettleMilliseconds, and only when a file of the chain is not
// as it was when the watch began (there or not, its size, its modification
// time, its inode).
#pragma once

#include <QFileSystemWatcher>
#include <QObject>
#include <QString>
#include <QTimer>

#include <cstdint>
#include <string>
#include <vector>

class ChainWatch : public QObject {
    Q_OBJECT
public:
    static constexpr int kSettleMilliseconds = 300;

    explicit ChainWatch(QObject* parent = nullptr);

    // Notes how the chain at `first` stands now and watches it from here on,
    // dropping the chain watched before. Call it before reading the chain, so
    // that a change during the read counts.
    void watch(const QString& first);
    void stop();
    // True when a file of the watched chain is not as watch() found it.
    bool changed() const;
    // The gathering timer: each change noticed starts it again.
    QTimer& settleTimer() { return settle_; }

signals:
    void chainChanged();

private:
    struct FileStamp {
        bool exists = false;
        uint64_t device = 0, inode = 0, size = 0;
        int64_t seconds = 0, nanoseconds = 0;
        bool operator==(const FileStamp& other) const;
    };
    static FileStamp StampOf(const std::string& path);
    std::vector<FileStamp> stamps() const;
    // Watches the folder and the chain's files that are there now.
    void rearm();
    void settled();

    QFileSystemWatcher watcher_;
    QTimer settle_;
    std::vector<std::string> files_;  // the chain's names, level 0 first
    std::vector<FileStamp> stamps_;
};
