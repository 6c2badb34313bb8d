#include "editor/SceneDocument.h"

#include "resources/Strings.h"
#include "scene/SceneFormat.h"

#include <QFile>
#include <QFileInfo>
#include <QtConcurrent/QtConcurrentRun>

SceneDocument::SceneDocument(QObject* parent) : QObject(parent), scene_(std::make_unique<CVK7QScene>())
{
    connect(&watcher_, &QFutureWatcherBase::finished, this, &SceneDocument::finished);
}

SceneDocument::~SceneDocument()
{
    watcher_.disconnect(this);
    cancelLoad();
    if (work_ == Work::Saving || work_ == Work::Reading)
        watcher_.waitForFinished();
}

std::string SceneDocument::FileFor(const std::string& chosen)
{
    return WithSceneExtension(chosen);
}

bool SceneDocument::load(const std::string& chosen)
{
    if (isBusy())
        return false;
    // The scene library gets the file decided here: "level.1" or a lower-case
    // ".t3d" without its extension would name another file.
    work_ = Work::Loading;
    workFile_ = FileFor(chosen);
    loadCancel_ = std::make_shared<std::atomic<bool>>(false);
    watcher_.setFuture(QtConcurrent::run([file = workFile_, cancel = loadCancel_, gate = gate_] {
        if (gate)
            gate();
        auto outcome = std::make_shared<Outcome>();
        outcome->scene = std::make_unique<CVK7QScene>();
        outcome->scene->SetLoadCancel(cancel.get());
        outcome->ok = outcome->scene->Load(file.c_str(), 0);
        outcome->scene->SetLoadCancel(nullptr);
        outcome->cancelled = !outcome->ok && outcome->scene->LastStatus().fileRead == FileReadStatus::Cancelled;
        if (!outcome->ok)
            outcome->failure = QString::fromStdString(SceneStatusText(outcome->scene->LastStatus()));
        return outcome;
    }));
    return true;
}

bool SceneDocument::save(bool oldFormat)
{
    return saveAs(file_, oldFormat);
}

bool SceneDocument::saveAs(const std::string& target, bool oldFormat)
{
    if (isBusy())
        return false;
    work_ = Work::Saving;
    workFile_ = target;
    workOldFormat_ = oldFormat;
    watcher_.setFuture(QtConcurrent::run([scene = scene_.get(), target, oldFormat, gate = gate_] {
        if (gate)
            gate();
        auto outcome = std::make_shared<Outcome>();
        scene->GenerateC3D();
        outcome->ok = oldFormat ? scene->WriteOld(target.c_str()) : scene->Write(target.c_str());
        if (!outcome->ok)
            outcome->failure = QString::fromStdString(SceneStatusText(scene->LastStatus()));
        outcome->changedOnDisk = scene->LastStatus().cause == SceneCause::ChangedOnDisk;
        return outcome;
    }));
    return true;
}

void SceneDocument::ignoreChangesOnDisk()
{
    if (!isBusy())
        scene_->IgnoreChangesOnDisk();
}

bool SceneDocument::readScene(const std::string& about, std::function<void(const VK7Q_HEADER& scene)> job,
                              std::function<void()> done)
{
    if (isBusy() || !loaded_)
        return false;
    work_ = Work::Reading;
    workFile_ = about;
    readDone_ = std::move(done);
    watcher_.setFuture(QtConcurrent::run([scene = &header(), job = std::move(job), gate = gate_] {
        if (gate)
            gate();
        job(*scene);
        auto outcome = std::make_shared<Outcome>();
        outcome->ok = true;
        return outcome;
    }));
    return true;
}

void SceneDocument::finished()
{
    const std::shared_ptr<Outcome> outcome = watcher_.result();
    const Work done = work_;
    work_ = Work::None;
    failure_ = outcome->failure;
    cancelled_ = outcome->cancelled;
    changedOnDisk_ = outcome->changedOnDisk;
    if (done == Work::Reading) {
        const std::function<void()> then = std::move(readDone_);
        readDone_ = nullptr;
        if (then)
            then();
        return;
    }
    if (done == Work::Loading) {
        if (outcome->ok) {
            scene_ = std::move(outcome->scene);
            loaded_ = true;
            file_ = workFile_;
            oldFormat_ = scene_->GetSceneHeader()->magic == kOldSceneMagic;
            history_.clear();
        }
        emit loaded(outcome->ok);
        return;
    }
    // Another file leaves the loaded one as it was: its replaced textures stay
    // unsaved. The file is there now, so a link or another spelling of the
    // scene's own file counts as it.
    if (outcome->ok && isOwnFile(workFile_)) {
        history_.markSaved();
        oldFormat_ = workOldFormat_;
    }
    emit saved(outcome->ok);
}

void SceneDocument::cancelLoad()
{
    if (work_ == Work::Loading && loadCancel_)
        *loadCancel_ = true;
}

bool SceneDocument::close()
{
    if (isBusy())
        return false;
    scene_->Free();
    history_.clear();
    loaded_ = false;
    return true;
}

QString SceneDocument::fileName() const
{
    return QFileInfo(QFile::decodeName(file_.c_str())).fileName();
}

QString SceneDocument::savedText() const
{
    const QString written = QFileInfo(QFile::decodeName(workFile_.c_str())).fileName();
    if (wroteCopy())
        return QString::fromLatin1(kSavedCopyStatus).arg(written, fileName());
    return QString::fromLatin1(kSavedStatus).arg(written);
}

const T3D_TEXTURE* SceneDocument::texture(unsigned index)
{
    const VK7Q_HEADER* header = scene_->GetSceneHeader();
    if (!header || !header->textures || index >= header->textureCount)
        return nullptr;
    return &header->textures[index];
}

bool SceneDocument::replace(int index, const T3D_TEXTURE& replacement)
{
    return !isBusy() && history_.replace(*scene_, index, replacement);
}

bool SceneDocument::replaceAll(const std::vector<ReplacementHistory::Replacing>& replacements)
{
    return !isBusy() && history_.replaceAll(*scene_, replacements);
}

bool SceneDocument::setTextureInfo(int index, uint32_t flags, const std::string& name)
{
    return !isBusy() && history_.setInfo(*scene_, index, flags, name);
}

int SceneDocument::undo()
{
    return isBusy() ? -1 : history_.undo(*scene_);
}

int SceneDocument::redo()
{
    return isBusy() ? -1 : history_.redo(*scene_);
}

bool SceneDocument::isOwnFile(const std::string& target) const
{
    const QString own = QFileInfo(QFile::decodeName(file_.c_str())).canonicalFilePath();
    return !own.isEmpty() && QFileInfo(QFile::decodeName(target.c_str())).canonicalFilePath() == own;
}
