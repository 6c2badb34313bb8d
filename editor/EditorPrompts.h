// Everything the main window asks of the person in front of it: which file to
// open or save under, a message to read, what to do with unsaved work,
// whether to write over files, where to export textures and whether to
// import what a folder's textures would change. The dialog reaches these only
// through this struct, so tests can answer in place of a person and read
// every message.
#pragma once

#include "editor/TexturePackChoices.h"
#include "texture/TextureReport.h"

#include <QString>
#include <QStringList>

class QWidget;

#include <functional>
#include <string>

struct FileDialogRequest {
    QString title;
    QString filter;         // empty: every file
    QString defaultSuffix;  // added to a name typed without one; empty: none
    QString startName;      // the name the dialog offers first
    bool fileMustExist = false;
    QString folder;  // the folder the dialog opens in; empty: its own choice
    // The filter shown first, one of `filter`'s; empty: the first. Its
    // suffix is the default one.
    QString selectedFilter;
    bool choosesFolder = false;  // a folder is chosen, not a file
    // When set, the title as the filter chosen asks: %1 is its suffix.
    QString titleFormat;
    // Where the filter shown when the dialog closed goes; none: not wanted.
    QString* filterChosen = nullptr;
};

// What a message is about, shown by the box's icon.
enum class MessageKind { Error, Warning, Information };

// The answers to the question about unsaved work.
enum class UnsavedAnswer { Save, Discard, Cancel };

struct EditorPrompts {
    // The chosen path, or an empty string when the user cancels.
    std::function<QString(const FileDialogRequest&)> openFile;
    std::function<QString(const FileDialogRequest&)> saveFile;
    std::function<void(const QString& caption, const QString& text, MessageKind kind)> message;
    // Save the work first, throw it away, or keep it and stay.
    std::function<UnsavedAnswer(const QString& caption, const QString& text)> askUnsaved;
    // A question answered by one of the buttons (their texts, the last one
    // cancelling): the index of the button chosen; the last one's when the
    // question is closed without an answer.
    std::function<int(const QString& caption, const QString& text, const QStringList& buttons, int defaultButton)>
        choose;
    // The folder and kind of files of an export, offered as `choice` holds
    // them; false when the user cancels.
    std::function<bool(ExportChoice& choice)> chooseExport;
    // True when the user chooses "Import" in the summary.
    std::function<bool(const ImportSummary& summary)> confirmImport;
};

// File dialogs and message boxes on the screen, each opening over the main
// window that `window` gives when it opens, with the keyboard focus.
EditorPrompts DesktopPrompts(std::function<QWidget*()> window);

// The captions of the texture code's messages: a problem that stops a read
// or write, and one that does not.
constexpr const char* kErrorCaption = "Error";
constexpr const char* kWarningCaption = "Warning";

const char* CaptionOf(Severity severity);

// Shows what the texture code reports through the prompts' message: its
// sentence under the caption of its severity.
class PromptReport : public TextureReport {
public:
    explicit PromptReport(const EditorPrompts& prompts) : prompts_(prompts) {}
    void report(const TextureProblem& problem) override;

protected:
    void show(const char* caption, const std::string& text);

private:
    const EditorPrompts& prompts_;
};
