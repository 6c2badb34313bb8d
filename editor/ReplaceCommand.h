// Replace, from the command to the texture in the scene: waiting for the
// replacement's read, reading it again when a file of its chain changed since,
// the questions about stale level files and differing flags (each decided once
// for that Replace, by the Action menu's choices or by asking; the window runs
// while a question is open, so everything is looked at again after it), the
// conversion off the window's thread with its progress window and Cancel, and
// the texture put into the scene by the replacement rule
// (texturepack/ReplacementRule.h).
//
// The window starts it with the scene texture and the Action menu's choices
// and hears back through signals; it calls resume() whenever the replacement,
// a save or an import ended, since the Replace may wait for them. A Replace
// started again takes the place of one under way; Load and Close drop it.
#pragma once

#include "editor/EditorPrompts.h"
#include "editor/ReplaceChoices.h"
#include "editor/Replacement.h"

#include <QObject>
#include <QPointer>
#include <QString>

#include <optional>

class GatheringReport;
class QProgressDialog;
class QWidget;
class SceneDocument;
struct T3D_TEXTURE;

class ReplaceCommand : public QObject {
    Q_OBJECT
public:
    // The Action menu's choices for Replace.
    struct Choices {
        StaleLevelsChoice staleLevels = StaleLevelsChoice();
        FlagsChoice flags = FlagsChoice::Ask;
        MipFilter filter = MipFilter::point;
        bool keepSceneName = false;  // else the texture takes its file's name
        bool dither = true;          // an 8-bit conversion dithers
    };

    ReplaceCommand(SceneDocument& document, Replacement& replacement, const EditorPrompts& prompts,
                   GatheringReport& report, QWidget* window);

    // Replaces scene texture [index] with the replacement as `choices` say.
    void start(int index, const Choices& choices);
    // The next step of the Replace under way, when it can be taken now.
    void resume();
    // The user stopped it: said on the status line.
    void cancel();
    // Ends it without a word (Load, Close).
    void drop();
    bool isActive() const { return pending_.has_value(); }

signals:
    // What to show on the status line while the Replace waits for a read.
    void waiting(const QString& text);
    // Scene texture [index] now holds the replacement; `said` tells how.
    void replaced(int index, const QString& said);
    // A line for the status line: the Replace was cancelled.
    void said(const QString& text);
    // No Replace under way any more.
    void ended();

private:
    struct Pending {
        int index = 0;
        unsigned serial = 0;
        Choices choices;
        bool converting = false;
        bool readAgain = false;             // it read the chain again, and that read said what it met
        bool asking = false;                // a question about it is open
        std::optional<bool> rebuildStale;   // decided: stale levels made anew
        std::optional<bool> takeNameFlags;  // decided: the file name's flags taken
        std::optional<bool> keepName;       // decided: the scene texture keeps its name
    };

    bool readyToConvert();
    bool decideStaleLevels();
    bool decideFlags(const T3D_TEXTURE& target);
    bool decideName(const T3D_TEXTURE& target);
    // Asks a question of two answers and Cancel: the decision is `firstMeans`
    // when the first is chosen, the other value for the second; then the
    // Replace goes on, or ends on Cancel.
    void askWhich(const QString& text, const QString& first, const QString& second,
                  std::optional<bool> Pending::*decision, bool firstMeans);
    // The button chosen, or -1 when the Replace went meanwhile.
    int ask(const QString& text, const QStringList& buttons);
    void convert(const T3D_TEXTURE& target);
    void showProgress(const T3D_TEXTURE& target);
    // `made`: the conversion, or nullptr when it did not work.
    void finish(unsigned serial, const Replacement::Made* made);
    void end();
    void tellUser(const char* text, MessageKind kind = MessageKind::Information);

    SceneDocument& document_;
    Replacement& replacement_;
    const EditorPrompts& prompts_;
    GatheringReport& report_;
    QWidget* window_;
    std::optional<Pending> pending_;
    unsigned serial_ = 0;
    QPointer<QProgressDialog> progress_;  // a conversion's
};
