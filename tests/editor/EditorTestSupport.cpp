#include "EditorTestSupport.h"

#include "editor/PreviewFrame.h"
#include "support/EventWait.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QPixmap>
#include <QSettings>
#include <QStandardPaths>
#include <QTest>

#include <gtest/gtest.h>

void PrintTo(const QString& text, std::ostream* out)
{
    *out << '"' << text.toStdString() << '"';
}

namespace {

// The next answer of a queue, or `cancel` (and a failure) when it is empty.
template <typename T>
T Answer(std::deque<T>& answers, const char* asked, T cancel = T())
{
    if (answers.empty()) {
        ADD_FAILURE() << "unexpected " << asked;
        return cancel;
    }
    T answer = std::move(answers.front());
    answers.pop_front();
    return answer;
}

}  // namespace

EditorPrompts ScriptedPrompts::prompts()
{
    EditorPrompts prompts;
    prompts.openFile = [this](const FileDialogRequest& request) {
        openRequests.push_back(request);
        return Answer(openAnswers, "open dialog");
    };
    prompts.saveFile = [this](const FileDialogRequest& request) {
        saveRequests.push_back(request);
        return Answer(saveAnswers, "save dialog");
    };
    prompts.message = [this](const QString& caption, const QString& text, MessageKind kind) {
        messages.push_back({caption, text, kind});
    };
    prompts.askUnsaved = [this](const QString&, const QString&) {
        ++discardQuestions;
        return Answer(discardAnswers, "question about unsaved work", UnsavedReply(UnsavedAnswer::Cancel)).answer;
    };
    prompts.chooseExport = [this](ExportChoice& choice) {
        exportOffers.push_back(choice);
        choice = Answer(exportAnswers, "export dialog");
        return !choice.folder.isEmpty();
    };
    prompts.confirmImport = [this](const ImportSummary& summary) {
        importSummaries.push_back(summary);
        return Answer(importAnswers, "import summary");
    };
    prompts.choose = [this](const QString&, const QString& text, const QStringList& buttons, int defaultButton) {
        questions.push_back({text, buttons, defaultButton});
        return Answer(choiceAnswers, "question", int(buttons.size()) - 1);
    };
    return prompts;
}

QTreeWidgetItem* TestFolderTree::desktopEntry(const QString& text)
{
    QTreeWidgetItem* desktop = topLevelItem(1);
    if (!desktop)
        return nullptr;
    desktop->setExpanded(true);
    for (int i = 0; i < desktop->childCount(); ++i) {
        if (desktop->child(i)->text(0) == text)
            return desktop->child(i);
    }
    return nullptr;
}

OpenedFiles::OpenedFiles()
{
    QDesktopServices::setUrlHandler(QStringLiteral("file"), this, "open");
}

OpenedFiles::~OpenedFiles()
{
    QDesktopServices::unsetUrlHandler(QStringLiteral("file"));
}

void OpenedFiles::open(const QUrl& url)
{
    files.append(url.toLocalFile());
}

FreshSettings::FreshSettings()
{
    QStandardPaths::setTestModeEnabled(true);
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, QString::fromStdString(folder.path().string()));
}

EditorUnderTest::EditorUnderTest(const std::string& desktop) : tree(new TestFolderTree(QString::fromStdString(desktop)))
{
    QCoreApplication::setApplicationName("quorrel");
    dialog = std::make_unique<EditorDialog>(script.prompts(), tree);
    dialog->show();
}

QImage EditorUnderTest::framePicture(int frameId) const
{
    auto* frame = control<PreviewFrame>(frameId);
    if (!frame)
        return QImage();
    return frame->grab(frame->contentsRect()).toImage().convertToFormat(QImage::Format_RGB32);
}

void EditorUnderTest::run(int command) const
{
    action(command)->trigger();
    settle();
}

void Settle(const EditorDialog& dialog)
{
    EXPECT_TRUE(QTest::qWaitFor([&dialog] { return !dialog.isWorking(); }, kEventWaitMilliseconds))
        << "work still under way";
}

WorkerLatch::WorkerLatch() : state_(std::make_shared<State>())
{
}

std::function<void()> WorkerLatch::gate() const
{
    return [state = state_] {
        std::unique_lock lock(state->mutex);
        state->thread = std::this_thread::get_id();
        ++state->arrivals;
        state->changed.notify_all();
        state->changed.wait(lock, [&state] { return state->open; });
    };
}

void WorkerLatch::release()
{
    const std::lock_guard lock(state_->mutex);
    state_->open = true;
    state_->changed.notify_all();
}

bool WorkerLatch::reached()
{
    std::unique_lock lock(state_->mutex);
    return state_->changed.wait_for(lock, std::chrono::milliseconds(kEventWaitMilliseconds),
                                    [this] { return state_->arrivals > 0; });
}

std::thread::id WorkerLatch::thread() const
{
    const std::lock_guard lock(state_->mutex);
    return state_->thread;
}

QString EditorUnderTest::shownText(int command) const
{
    QAction* entry = action(command);
    return entry ? QString(entry->text()).remove('&') : QString();
}
