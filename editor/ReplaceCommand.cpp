#include "editor/ReplaceCommand.h"

#include "editor/GatheringReport.h"
#include "editor/ReplaceOutcome.h"
#include "editor/Replacement.h"
#include "editor/SceneDocument.h"
#include "editor/SceneTextureList.h"
#include "resources/Strings.h"
#include "texture/TextureFlags.h"
#include "texture/chain/TextureFileReader.h"
#include "texturepack/ReplacementRule.h"

#include <QCoreApplication>
#include <QFile>
#include <QProgressDialog>
#include <QTimer>

ReplaceCommand::ReplaceCommand(SceneDocument& document, Replacement& replacement, const EditorPrompts& prompts,
                               GatheringReport& report, QWidget* window)
    : QObject(window), document_(document), replacement_(replacement), prompts_(prompts), report_(report),
      window_(window)
{
}

void ReplaceCommand::start(int index, const Choices& choices)
{
    if (progress_)
        delete progress_;
    pending_ = Pending();
    pending_->index = index;
    pending_->serial = ++serial_;
    pending_->choices = choices;
    resume();
}

void ReplaceCommand::resume()
{
    if (!pending_ || pending_->converting || pending_->asking || document_.isBusy() || !readyToConvert())
        return;
    const T3D_TEXTURE* target = document_.texture(unsigned(pending_->index));
    if (!target) {
        end();  // Undo and Redo wait, Load and Close drop it: not reached
        return;
    }
    if (decideStaleLevels() && decideFlags(*target) && decideName(*target))
        convert(*target);
}

// Whether the replacement stands read and unchanged; otherwise it is read
// again, waited for, or the Replace ends saying why.
bool ReplaceCommand::readyToConvert()
{
    // Stale pixels never go into the scene: a file of the chain that changed
    // since the last read is read again first.
    if (replacement_.isChosen() && !replacement_.isBusy() && replacement_.changedOnDisk()) {
        pending_->readAgain = true;
        replacement_.reread(false);
    }
    if (replacement_.isBusy()) {
        const QString text = QString::fromLatin1(kReplaceWaitsStatus).arg(replacement_.fileName());
        emit waiting(text);
        if (progress_)  // a conversion found a file changed: the chain is read again
            progress_->setLabelText(text);
        return false;
    }
    if (!replacement_.isChosen()) {
        end();
        tellUser(kNoReplacementText);
        return false;
    }
    // A file that never read: why, as the read said it (a read just now has
    // said it already).
    if (!replacement_.hasGoodRead()) {
        if (!pending_->readAgain)
            replacement_.tellWhyUnread(report_);
        end();
        return false;
    }
    if (replacement_.state() != Replacement::State::Ready) {
        end();
        const QString gone = replacement_.goneText();
        prompts_.message(QCoreApplication::applicationName(),
                         gone.isEmpty() ? QString::fromLatin1(kReplacementUnreadText) : gone, MessageKind::Information);
        return false;
    }
    return true;
}

bool ReplaceCommand::decideStaleLevels()
{
    const std::vector<int>& stale = replacement_.staleLevels();
    if (pending_->rebuildStale || stale.empty())
        return true;
    const StaleLevelsChoice choice = pending_->choices.staleLevels;
    if (choice != StaleLevelsChoice()) {
        pending_->rebuildStale = choice == StaleLevelChoice::rebuild;
        return true;
    }
    const bool box = pending_->choices.filter == MipFilter::box;
    QString text = QString::fromLatin1(kStaleLevelsQuestion)
                       .arg(replacement_.staleNote(), replacement_.levelFiles({stale.front()}),
                            QString::fromLatin1(box ? kBoxFilterName : kPointFilterName));
    const std::vector<int> newer = replacement_.newerLevelsBelowStale();
    if (!newer.empty())
        text += QString::fromLatin1(newer.size() == 1 ? kNewerLevelsNotUsed : kNewerLevelsNotUsedPlural)
                    .arg(replacement_.levelFiles(newer));
    askWhich(text, QString::fromLatin1(kRebuildLevelsButton).arg(QString(replacement_.fileName()).replace('&', "&&")),
             QString::fromLatin1(kUseLevelFilesButton), &Pending::rebuildStale, true);
    return false;
}

bool ReplaceCommand::decideFlags(const T3D_TEXTURE& target)
{
    if (pending_->takeNameFlags || !FlagsDiffer(target, replacement_.texture()))
        return true;
    const FlagsChoice choice = pending_->choices.flags;
    if (choice != FlagsChoice::Ask) {
        pending_->takeNameFlags = choice == FlagsChoice::TakeName;
        return true;
    }
    const QString change = QString::fromStdString(
        FlagChangeText(target.flags & kChosenFlags, replacement_.texture().flags & kChosenFlags));
    const QString text =
        QString::fromLatin1(kFlagsQuestion).arg(replacement_.fileName(), SceneTextureList::TextureName(target), change);
    askWhich(text, QString::fromLatin1(kKeepSceneFlagsButton), QString::fromLatin1(kTakeNameFlagsButton).arg(change),
             &Pending::takeNameFlags, false);
    return false;
}

// Taking its file's name, the texture would have another texture's name:
// asked before it goes in.
bool ReplaceCommand::decideName(const T3D_TEXTURE& target)
{
    if (pending_->keepName || pending_->choices.keepSceneName)
        return true;
    const std::string name = TextureNameOfFile(QFile::encodeName(replacement_.file()).toStdString());
    const int other = OtherTextureNamed(document_.header(), pending_->index, &name);
    if (name == target.name || other < 0)
        return true;
    const QString text = QString::fromLatin1(kSameNameQuestion)
                             .arg(SceneTextureList::TextureName(target), QString::fromStdString(name))
                             .arg(other);
    askWhich(text, QString::fromLatin1(kRenameAnywayButton), QString::fromLatin1(kKeepSceneNameButton),
             &Pending::keepName, false);
    return false;
}

void ReplaceCommand::askWhich(const QString& text, const QString& first, const QString& second,
                              std::optional<bool> Pending::*decision, bool firstMeans)
{
    const int answer = ask(text, {first, second, QString::fromLatin1(kCancelButton)});
    if (answer == 0 || answer == 1) {
        (*pending_).*decision = (answer == 0) == firstMeans;
        resume();  // the window ran while the question was open
    } else if (answer > 1) {
        cancel();
    }
}

int ReplaceCommand::ask(const QString& text, const QStringList& buttons)
{
    const unsigned serial = pending_->serial;
    pending_->asking = true;
    const int answer = prompts_.choose(QCoreApplication::applicationName(), text, buttons, 0);
    if (!pending_ || pending_->serial != serial)
        return -1;
    pending_->asking = false;
    return answer;
}

void ReplaceCommand::convert(const T3D_TEXTURE& target)
{
    pending_->converting = true;
    const unsigned serial = pending_->serial;
    replacement_.convert({FormatOf(target, pending_->choices.dither), pending_->rebuildStale.value_or(false)},
                         [this, serial](const Replacement::Made& made) {
                             if (!pending_ || pending_->serial != serial)
                                 return;  // ended meanwhile: Load, Close or Cancel
                             if (made.outcome == Replacement::Converted::Changed) {
                                 // A file changed since the read: the chain is read again first.
                                 pending_->converting = false;
                                 pending_->readAgain = true;
                                 resume();
                                 return;
                             }
                             finish(serial, made.outcome == Replacement::Converted::Done ? &made : nullptr);
                         });
    showProgress(target);
}

// A conversion that takes its time shows so, and can be stopped.
void ReplaceCommand::showProgress(const T3D_TEXTURE& target)
{
    if (progress_)
        progress_->deleteLater();
    progress_ = new QProgressDialog(
        QString::fromLatin1(kConvertingProgress).arg(replacement_.fileName(), SceneTextureList::TextureName(target)),
        QString::fromLatin1(kCancelButton), 0, 0, window_);
    progress_->setWindowTitle(QCoreApplication::applicationName());
    progress_->setWindowModality(Qt::NonModal);
    progress_->setMinimumDuration(kProgressDelayMilliseconds);
    connect(progress_, &QProgressDialog::canceled, this, &ReplaceCommand::cancel);
    QTimer::singleShot(kProgressDelayMilliseconds, progress_, &QWidget::show);
}

void ReplaceCommand::finish(unsigned serial, const Replacement::Made* made)
{
    const T3D_TEXTURE* record = made ? &made->texture.record() : nullptr;
    if (!pending_ || pending_->serial != serial)
        return;  // Load or Close dropped it
    if (record && document_.isBusy()) {
        // A save began meanwhile: the scene waits, and the Replace with it.
        pending_->converting = false;
        return;
    }
    const Pending done = *pending_;
    end();
    const T3D_TEXTURE* target = document_.texture(unsigned(done.index));
    if (!record || !target)
        return;  // the read said why
    const TextureShape before = ShapeOf(*target);
    const QString name = SceneTextureList::TextureName(*target);
    T3D_TEXTURE goesIn = *record;
    ReplaceChoices choices;
    choices.flagsFromName = done.takeNameFlags.value_or(false);
    choices.nameFromFile = !done.choices.keepSceneName && !done.keepName.value_or(false);
    const ReplacementOutcome outcome =
        ApplyReplacementRule(*target, goesIn, QFile::encodeName(replacement_.file()).toStdString(), choices);
    if (!document_.replace(done.index, goesIn)) {
        tellUser(kReplaceFailedText, MessageKind::Error);
        return;
    }
    QString said = QString::fromLatin1(kReplacedStatus)
                       .arg(name, replacement_.fileName(), ShapeChange(before, ShapeOf(goesIn), true));
    if (done.rebuildStale.value_or(false) && !replacement_.staleLevels().empty())
        said += QString::fromLatin1(kRebuiltStatusPart)
                    .arg(replacement_.levelFiles({replacement_.staleLevels().front()}), replacement_.fileName());
    said += RenameText(outcome, document_.header(), done.index);
    if (!made->cost.empty())
        said += QStringLiteral("; ") + QString::fromStdString(ConversionCostText(made->cost));
    emit replaced(done.index, said);
}

void ReplaceCommand::end()
{
    pending_.reset();
    // Its own signal may be what ends the Replace: the window goes later.
    if (progress_)
        progress_->deleteLater();
    progress_ = nullptr;
    emit ended();
}

void ReplaceCommand::cancel()
{
    if (!pending_)
        return;
    if (pending_->converting)
        replacement_.cancelConversion();
    end();
    emit said(QString::fromLatin1(kReplaceCancelledStatus));
}

void ReplaceCommand::drop()
{
    if (pending_)
        end();
}

void ReplaceCommand::tellUser(const char* text, MessageKind kind)
{
    prompts_.message(QCoreApplication::applicationName(), QString::fromLatin1(text), kind);
}
