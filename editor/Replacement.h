// The replacement: the texture file (TGA or PNG) chosen in the folder tree or
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
// Reads run off the window's thread: each is one step from a path and options
// to a record and the problems it met (ReadChain, which touches nothing but
// the files), then applied on the window's thread, where its problems are
// shown. A later read supersedes one still under way: the earlier one's
// result is dropped when it comes.
#pragma once

#include "editor/EditorSettings.h"
#include "editor/ProblemLog.h"
#include "texture/TextureRecord.h"
#include "texture/chain/TextureFileReader.h"

#include <QObject>
#include <QString>

#include <functional>
#include <memory>
#include <optional>
#include <string>

class ChainWatch;
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

    // How a chain is read: the filter for the levels no file holds, and
    // whether a replacement takes the scene texture's format.
    struct Options {
        MipFilterChoice filter = MipFilterChoice::Point;
        bool keepSceneFormat = false;
    };

    // What one read of a chain gave.
    struct ChainRead {
        bool ok = false;
        TextureRecord texture;  // named after its first file
        bool png = false;       // the chain was read as PNG
        ProblemLog problems;
    };

    // Problems of a read asked for by the user go to `report` (boxes).
    Replacement(GatheringReport& report, QObject* parent);

    // Reads the chain at `path`, converted to `convertTo` when given. Touches
    // nothing but the files: safe on any thread.
    static ChainRead ReadChain(const QString& path, const Options& options,
                               const std::optional<DepthOptions>& convertTo);

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

    // The replacement as it goes into a scene texture of `format`: the read as
    // it is, unless it came from a PNG or the scene texture's format is kept;
    // then the chain is read again off the window's thread, converted (what
    // that read meets goes to the report). `done` gets the record on the
    // window's thread, or nullptr when that read failed; it is not called when
    // this object goes first.
    void convert(const DepthOptions& format, std::function<void(const T3D_TEXTURE*)> done);

    State state() const { return state_; }
    bool isChosen() const { return state_ != State::None; }
    // A read or a conversion is under way.
    bool isBusy() const { return state_ == State::Reading || converting_; }
    // It came from a drop, not from the tree.
    bool isDropped() const { return dropped_; }
    // The chosen file, level 0 of its chain, and its name without folder.
    const QString& file() const { return file_; }
    QString fileName() const;
    // Some read of the chosen chain worked: texture() holds the last good one.
    bool hasGoodRead() const { return goodRead_; }
    const T3D_TEXTURE& texture() const { return texture_.record(); }
    // What to show across the frame: that a read is under way; or what the
    // latest background read met, one line a problem, after a line saying
    // that the last good read is shown when it failed.
    const QString& notice() const { return notice_; }
    // Tells `to` the errors the latest read met: why it failed.
    void tellWhyUnread(TextureReport& to) const;

    // True when a file of the chain is not as it was when the latest read
    // began.
    bool changedOnDisk() const;
    // Whether `path` is one of the chain's files, as itself or through a link.
    bool isOneOfItsFiles(const std::string& path) const;

    // Runs first in every read off the window's thread, on its thread: tests
    // hold the work there, or note the thread.
    void setWorkerGate(std::function<void()> gate) { gate_ = std::move(gate); }

signals:
    // A pick, a read begun or ended, a conversion ended, or forget(): the
    // window shows it anew.
    void changed();

private:
    // Runs ReadChain off the window's thread; `then` gets its result on the
    // window's thread unless this object went first.
    void startRead(const std::optional<DepthOptions>& convertTo, std::function<void(ChainRead&)> then);
    void apply(ChainRead& read, bool background);

    GatheringReport& report_;
    ChainWatch* watch_;
    Options options_;
    State state_ = State::None;
    bool converting_ = false;
    bool dropped_ = false;
    QString file_;
    TextureRecord texture_;  // the last good read; empty when none worked yet
    bool goodRead_ = false;
    bool png_ = false;  // texture_ was read from a PNG
    QString notice_;
    unsigned readCount_ = 0;  // reads begun; a result of another than the last is dropped
    std::function<void()> gate_;
    ProblemLog lastProblems_;  // what the latest read met
};
