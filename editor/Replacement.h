// The replacement: the texture file (TGA, PNG or DDS) chosen in the folder tree or
// dropped on the right frame, the files of its chain with their stamps on
// disk, the last good read of them, the options it reads with, and where its
// reading stands. The window shows it and asks it; nothing else keeps any of
// this.
//
// Chosen, a file stays chosen until another pick or forget(), whether or not
// its reads work. A file picked in the tree is read quietly: what the read
// meets goes to notice(), never to a box, so browsing shows no boxes; a
// dropped file's read speaks in boxes. Its files are watched: a change to any
// of them is read again in the background (quietly too), and a failed read
// keeps the last good one.
//
// A read keeps the chain's files as read (ChainFiles: their levels before any
// is made, a palette PNG's own palette and indices) beside what the frame
// shows, and which of its level files are older than its first file (stale,
// texture/chain/StaleLevels.h); when some are, the files down to the first
// stale one are read as well. Replace converts what was read, with the
// generated levels and depth it asks for, so what goes in is what was read,
// byte for byte as a fresh read would give it; only when a file of the chain
// changed since (its stamps or its CRC-32, ChainWatch) is it read again first.
// Each file is opened once a read: the read gives its stamp and the CRC of
// the bytes decoded, and the look before Replace reads a file again for its
// CRC only when its stamp cannot tell (modified within a tick of the read).
//
// Reads and conversions run off the window's thread: each is one step that
// touches nothing but the files and what it was given, then applied on the
// window's thread, where its problems are shown. A later read supersedes one
// still under way: the earlier one is told to stop and its result is
// dropped when it comes.
//
// A conversion is made once for the read it was made of: the window asks for
// the replacement as it will go into the chosen scene texture
// (asItGoesIn()), and Replace asking for the same conversion of the same
// read takes the one made, or waits for the one under way, once the chain's
// files are found as they were read. Its cost per level against the read
// (texture/convert/ConversionCost.h) is worked out with it. A conversion
// the window no longer shows and no Replace waits for is told to stop.
#pragma once

#include "editor/ChainWatch.h"
#include "editor/ProblemLog.h"
#include "editor/ReplaceChoices.h"
#include "texture/TextureRecord.h"
#include "texture/chain/StaleLevels.h"
#include "texture/chain/TextureFileReader.h"
#include "texture/convert/ConversionCost.h"

#include <QObject>
#include <QString>

#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class GatheringReport;

class Replacement : public QObject {
    Q_OBJECT
public:
    enum class State {
        None,     // nothing chosen
        Reading,  // a read of the chain is under way
        Ready,    // the latest read worked
        Failed,   // the latest read failed; texture() holds the last good read, if any
    };

    // How a chain is read: the filter for the levels no file holds, whether a
    // replacement takes the scene texture's format, and whether the frame
    // shows stale levels made anew from the level above.
    struct Options {
        MipFilter filter = MipFilter::point;
        bool keepSceneFormat = false;
        bool rebuildStale = false;
    };

    // What one read of a chain gave.
    struct ChainRead {
        bool ok = false;
        std::shared_ptr<const ChainFiles> files;
        // The files down to the first stale level only; none when no level
        // file read is stale.
        std::shared_ptr<const ChainFiles> filesUpToStale;
        std::vector<LevelFileTime> levelTimes;
        std::vector<int> staleLevels;  // stale levels whose files were read
        QString unreadNote;            // the level files never read (ReportUnreadLevels), a line each
        TextureRecord texture;         // what the frame shows, named after the first file
        ChainWatch::Stamps stamps;     // the files as read (ChainWatch::StampsAfterRead)
        ProblemLog problems;
    };

    // What Replace asks for: the scene texture's format (taken when the
    // chain is a PNG or the options keep the scene texture's), and whether
    // stale levels are made anew.
    struct Conversion {
        DepthOptions format;
        bool rebuildStale = false;
    };
    enum class Converted { Done, Failed, Changed, Cancelled };
    // A conversion made: its outcome, the texture when Done, what it met, and
    // what it costs each level against the read.
    struct Made {
        Converted outcome = Converted::Failed;
        TextureRecord texture;
        ProblemLog problems;
        std::vector<LevelCost> cost;
    };

    // Problems of a read asked for by the user go to `report` (boxes).
    Replacement(GatheringReport& report, QObject* parent);
    // Tells the work under way to stop.
    ~Replacement() override;

    // Problems as lines across a frame: "Warning: ...", "Error: ...".
    static QString NoticeOf(const ProblemLog& log);

    // Reads the chain at `path`. Touches nothing but the files: safe on any
    // thread. It stops, failing without a word, once `cancel` turns true.
    static ChainRead ReadChain(const QString& path, const Options& options, const std::atomic<bool>* cancel = nullptr);

    // Makes the chain at `path` the replacement and starts reading it: quietly
    // when it was picked in the tree, with boxes when it was dropped.
    void pick(const QString& path, bool dropped);
    // Nothing chosen any more; a read under way is dropped.
    void forget();
    // Starts reading the chosen chain again. In the background what the read
    // meets goes to notice(); otherwise to the report.
    void reread(bool background);
    // Reads with these options from now on; a chosen chain is read again,
    // quietly.
    void readWith(const Options& options);
    const Options& options() const { return options_; }

    // The replacement as it goes into a scene texture: the last good read
    // made into a texture off the window's thread as `conversion` asks (what
    // that meets goes to the report), once the chain's files are found as
    // they were read; the one made or under way for the window when it is
    // the same. `done` gets what was made (its outcome; the record when
    // Done), on the window's thread; it is not called when this object goes
    // first. Changed: the chain is being read again (state Reading).
    void convert(const Conversion& conversion, std::function<void(const Made&)> done);
    // Stops the conversion Replace waits for (unless the window shows it
    // too): its `done` gets Cancelled.
    void cancelConversion();
    // The last good read as `conversion` makes it, for the window to show;
    // nullptr while it is being made (begun now when it is not), and
    // changed() once it is. Another conversion only the window asked for
    // is told to stop.
    const Made* asItGoesIn(const Conversion& conversion);
    // The window shows none: a conversion only it asked for is told to stop.
    void stopShowingConversion();
    // Whether `conversion` would give the last good read as it is (a chain
    // that keeps its own format, its levels made as the read made them):
    // the window then shows the read and starts no conversion.
    bool goesInAsRead(const Conversion& conversion) const;
    // Whether Replace converts to the scene texture's format.
    bool takesSceneFormat() const { return takesTextureFormat_ || options_.keepSceneFormat; }

    State state() const { return state_; }
    bool isChosen() const { return state_ != State::None; }
    // A read, or a conversion that Replace waits for, is under way.
    bool isBusy() const;
    // Any conversion is under way, the window's included.
    bool isConverting() const { return !conversions_.empty(); }
    // It came from a drop, not from the tree.
    bool isDropped() const { return dropped_; }
    // The chosen file, level 0 of its chain, and its name without folder.
    const QString& file() const { return file_; }
    QString fileName() const;
    // The chosen file is no longer on the disk: what the frame and Replace
    // say of it ("crate_A.png is gone: pick another file"); empty while it is
    // there.
    QString goneText() const;
    // Some read of the chosen chain worked: texture() holds the last good one.
    bool hasGoodRead() const { return goodRead_; }
    const T3D_TEXTURE& texture() const { return texture_->record(); }
    // What to show across the frame: that a read is under way; or what the
    // latest background read met, one line a problem, after a line saying
    // that the last good read is shown when it failed.
    const QString& notice() const { return notice_; }
    // Tells `to` the errors the latest read met: why it failed.
    void tellWhyUnread(TextureReport& to) const;

    // The stale levels of the last good read whose files the reader reads,
    // in order; and the level files below the first of them that are not
    // stale, which rebuilding does not use either.
    const std::vector<int>& staleLevels() const { return staleLevels_; }
    std::vector<int> newerLevelsBelowStale() const;
    // The names of those levels' files: "crate_A1.png ... crate_A4.png".
    QString levelFiles(const std::vector<int>& levels) const;
    // "crate_A1.png ... crate_A4.png are older than crate_A.png"; empty when
    // no level file read is stale.
    QString staleNote() const;
    // The frame's caption: staleNote(), then the level files that are never
    // read though newer than the first, or past a gap, a line each.
    QString levelNotes() const;

    // True when a file of the chain is not as the latest read found it (its
    // stamps; the CRCs are compared by convert()).
    bool changedOnDisk() const;
    // Whether `path` is one of the chain's files, as itself or through a link.
    bool isOneOfItsFiles(const std::string& path) const;

    // Runs first in every read and conversion off the window's thread, on its
    // thread: tests hold the work there, or note the thread.
    void setWorkerGate(std::function<void()> gate) { gate_ = std::move(gate); }

signals:
    // A pick, a read begun or ended, a conversion ended, or forget(): the
    // window shows it anew.
    void changed();

private:
    // Forgets every read of the chain and what it met.
    void clearRead();
    using CancelFlag = std::shared_ptr<std::atomic<bool>>;
    // Runs ReadChain off the window's thread; `then` gets its result on the
    // window's thread unless this object went first.
    void startRead(std::function<void(ChainRead&)> then);
    void apply(ChainRead& read, bool background);
    static void Cancel(const CancelFlag& flag);
    struct Job;
    // The conversion as it is asked for of the last good read: the format
    // only where the chain takes it, rebuilding only where a level is stale.
    Conversion keyOf(const Conversion& conversion) const;
    bool isMade(const Conversion& key) const;
    std::shared_ptr<Job> jobFor(const Conversion& key);
    // Runs the job off the window's thread: the files looked at, then the
    // conversion made, unless the one made is taken.
    void start(const std::shared_ptr<Job>& job);
    void finish(Job& job, const std::shared_ptr<Made>& made);

    GatheringReport& report_;
    ChainWatch* watch_;
    Options options_;
    State state_ = State::None;
    bool dropped_ = false;
    QString file_;
    // The last good read: what the frame shows, the files as read, their
    // level files' times and which are stale; empty when none worked yet.
    std::shared_ptr<const TextureRecord> texture_;
    std::shared_ptr<const ChainFiles> files_;
    std::shared_ptr<const ChainFiles> filesUpToStale_;
    std::vector<LevelFileTime> levelTimes_;
    std::vector<int> staleLevels_;
    QString unreadNote_;
    bool goodRead_ = false;
    bool takesTextureFormat_ = false;  // texture_ was read from a PNG or DDS chain
    QString notice_;
    unsigned readCount_ = 0;                         // reads begun; a result of another than the last is dropped
    unsigned goodReads_ = 0;                         // good reads applied: what a conversion was made of
    CancelFlag readCancel_;                          // the latest read's
    std::vector<std::shared_ptr<Job>> conversions_;  // under way
    // The last conversion made of the last good read, and what it asked for.
    std::shared_ptr<const Made> made_;
    Conversion madeKey_;
    std::function<void()> gate_;
    ProblemLog lastProblems_;  // what the latest read met
};
