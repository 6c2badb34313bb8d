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

#include <deque>
#include <memory>
#include <string>
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

// Answers file dialogs from queues (an empty answer cancels; an empty queue
// fails the test) and records what the dialog asked and said.
class ScriptedPrompts {
public:
    EditorPrompts prompts();

    std::deque<QString> openAnswers;
    std::deque<QString> saveAnswers;
    std::deque<UnsavedReply> discardAnswers;

    std::vector<FileDialogRequest> openRequests;
    std::vector<FileDialogRequest> saveRequests;
    std::vector<ShownMessage> messages;
    int discardQuestions = 0;
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
    // The window's two preview frames.
    Previews* previews() const { return dialog->findChild<Previews*>(); }
    // A menu entry's text without its mnemonic marker.
    QString shownText(int command) const;
    // What a preview frame shows now, its edge left out.
    QImage framePicture(int frameId) const;
};
