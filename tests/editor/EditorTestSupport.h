// What the editor's tests share: prompts that answer from a script and record
// every question and message, a folder tree over a test folder, and lookups of
// controls and actions by id.
#pragma once

#include "editor/EditorDialog.h"
#include "editor/EditorPrompts.h"
#include "editor/Previews.h"
#include "foldertree/FolderTree.h"
#include "support/TempDir.h"

#include <QAction>
#include <QImage>
#include <QString>
#include <QStringList>
#include <QUrl>

#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

// Readable failure messages.
void PrintTo(const QString& text, std::ostream* out);

struct ShownMessage {
    QString caption;
    QString text;
    MessageKind kind = MessageKind::Information;
};

// A scripted answer to the question about unsaved work: true discards,
// false keeps the work (Cancel), or any answer.
struct UnsavedReply {
    UnsavedReply(bool discard) : answer(discard ? UnsavedAnswer::Discard : UnsavedAnswer::Cancel) {}
    UnsavedReply(UnsavedAnswer given) : answer(given) {}
    UnsavedAnswer answer;
};

struct AskedQuestion {
    QString text;
    QStringList buttons;
    int defaultButton = 0;
};

// Answers file dialogs and questions from queues (an empty answer cancels a
// file dialog; an empty queue fails the test and cancels) and records what
// the dialog asked and said.
class ScriptedPrompts {
public:
    EditorPrompts prompts();

    std::deque<QString> openAnswers;
    std::deque<QString> saveAnswers;
    std::deque<UnsavedReply> discardAnswers;
    std::deque<int> choiceAnswers;           // the index of the button chosen
    std::deque<ExportChoice> exportAnswers;  // an empty folder cancels
    std::deque<bool> importAnswers;

    std::vector<FileDialogRequest> openRequests;
    std::vector<FileDialogRequest> saveRequests;
    std::vector<ShownMessage> messages;
    int discardQuestions = 0;
    std::vector<AskedQuestion> questions;
    std::vector<ExportChoice> exportOffers;  // what the export dialog opened with
    std::vector<ImportSummary> importSummaries;
};

// A folder tree whose desktop is a folder of the test's choosing and which
// sees no volumes.
class TestFolderTree : public FolderTree {
public:
    explicit TestFolderTree(QString desktop) : desktop_(std::move(desktop)) {}

    // Expands the desktop item and returns its child of that text, or null.
    QTreeWidgetItem* desktopEntry(const QString& text);

protected:
    QString DesktopFolder() const override { return desktop_; }
    QStringList DriveRoots() const override { return {}; }

private:
    QString desktop_;
};

// Takes the files the desktop is asked to open (QDesktopServices), in place
// of their programs, while it lives.
class OpenedFiles : public QObject {
    Q_OBJECT
public:
    OpenedFiles();
    ~OpenedFiles() override;
    Q_INVOKABLE void open(const QUrl& url);

    QStringList files;
};

// Points the editor's settings at a fresh folder of its own (QStandardPaths'
// test mode on, so nothing reaches the user's own settings).
struct FreshSettings {
    FreshSettings();
    TempDir folder;
};

// Waits (handling events) until the window has no work under way off its
// thread and no Replace waiting; fails the test when it never comes to rest
// (kEventWaitMilliseconds).
void Settle(const EditorDialog& dialog);

// Holds work off the window's thread where it starts (a collaborator's worker
// gate) until released, and notes the thread it ran on.
class WorkerLatch {
public:
    WorkerLatch();
    // Lets held work go on, so that none is left waiting when a test fails.
    ~WorkerLatch() { release(); }
    // The gate to hand to setWorkerGate.
    std::function<void()> gate() const;
    void release();
    // True once work has reached the gate (waiting for it up to
    // kEventWaitMilliseconds).
    bool reached();
    // The thread the last work ran on.
    std::thread::id thread() const;

private:
    struct State {
        std::mutex mutex;
        std::condition_variable changed;
        bool open = false;
        int arrivals = 0;
        std::thread::id thread;
    };
    std::shared_ptr<State> state_;
};

// A main window over a test folder, with scripted prompts and fresh settings,
// shown offscreen.
struct EditorUnderTest {
    explicit EditorUnderTest(const std::string& desktop);

    FreshSettings settings;
    ScriptedPrompts script;
    TestFolderTree* tree;
    std::unique_ptr<EditorDialog> dialog;

    template <typename T>
    T* control(int id) const
    {
        return dialog->findChild<T*>(QString::number(id));
    }
    QAction* action(int command) const { return dialog->action(command); }
    // Triggers a command and waits until the work it started is over.
    void run(int command) const;
    void settle() const { Settle(*dialog); }
    // The window's two preview frames.
    Previews* previews() const { return dialog->findChild<Previews*>(); }
    // A menu entry's text without its mnemonic marker.
    QString shownText(int command) const;
    // What a preview frame shows now, its edge left out.
    QImage framePicture(int frameId) const;
};
