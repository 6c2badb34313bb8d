// EditorDialog's Action and Edit handlers: OnTreeSelectionChanged, OnExtract, OnReplace, OnUndo, OnRedo.
// The replacement (read from the folder tree's file or a dropped one), Extract,
// Replace, Undo and Redo, and the options for reading replacements.
#include "editor/EditorDialog.h"

#include "editor/ChainWatch.h"
#include "editor/PreviewFrame.h"
#include "foldertree/FolderTree.h"
#include "resources/Strings.h"
#include "texture/ImageChainWrite.h"
#include "texture/MipChainNaming.h"
#include "texture/PngTextureWriter.h"
#include "texture/TgaTextureWriter.h"

#include <QAction>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cstring>

namespace {

// A texture is named after its file, without folder or extension, so no
// local path goes into a scene file.
void NameAfterFile(T3D_TEXTURE& record, const QString& path)
{
    const QByteArray name = QFile::encodeName(QFileInfo(path).completeBaseName());
    std::memset(record.name, 0, sizeof record.name);
    std::memcpy(record.name, name.constData(), std::min<size_t>(name.size(), kTextureNameSize - 1));
}

}  // namespace

void EditorDialog::OnTreeSelectionChanged()
{
    QTreeWidgetItem* item = folderTree_->currentItem();
    // The tree losing its selection (its folder collapsed) takes its file
    // away; a dropped file stays until another pick.
    if (!item) {
        if (!replacementDropped_)
            forgetReplacement();
        return;
    }
    const QString path = folderTree_->GetItemFullPath(item);
    if (IsTextureFileName(QFile::encodeName(path).toStdString()))
        pickReplacement(path, false);
    else
        forgetReplacement();
}

void EditorDialog::treeItemPressed(QTreeWidgetItem* item)
{
    // A press on the item already selected changes no selection; it still
    // reads the file again.
    if (item && item == folderTree_->currentItem())
        OnTreeSelectionChanged();
}

bool EditorDialog::readReplacementChain(const QString& path, TextureRecord& into, TextureReport& report,
                                        const std::optional<DepthOptions>& convertTo)
{
    TextureReadOptions options;
    options.filter = mipFilter() == MipFilterChoice::Box ? MipFilter::box : MipFilter::point;
    options.convertTo = convertTo;
    if (!ReadTextureChain(QFile::encodeName(path).toStdString(), into, report, options))
        return false;
    NameAfterFile(into.record(), path);
    return true;
}

void EditorDialog::pickReplacement(const QString& path, bool dropped)
{
    replacementChosen_ = true;
    replacementDropped_ = dropped;
    replacementFile_ = path;
    replacement_.clear();
    replacementFrame_->clear();
    rereadReplacement(false);
}

void EditorDialog::rereadReplacement(bool background)
{
    chainWatch_->watch(replacementFile_);
    NoticeReport notes;
    TextureReport& report = background ? static_cast<TextureReport&>(notes) : report_;
    TextureRecord read;
    replacementRead_ = readReplacementChain(replacementFile_, read, report, std::nullopt);
    if (replacementRead_) {
        replacement_ = std::move(read);
        replacementPng_ = IsPngFile(QFile::encodeName(replacementFile_).toStdString());
    }
    if (!background)
        report_.showWarnings();
    QString notice = notes.text();
    if (!replacementRead_ && HasPicture(replacement_.record()))
        notice.prepend(QString::fromLatin1(kRereadFailedNotice) + (notice.isEmpty() ? "" : "\n"));
    replacementFrame_->setNotice(notice);
    drawLevel(replacement_.record(), kReplacementFrameId, replacementFrame_->level());
}

void EditorDialog::forgetReplacement()
{
    replacementChosen_ = false;
    replacementDropped_ = false;
    replacementRead_ = false;
    replacementFile_.clear();
    chainWatch_->stop();
    replacementFrame_->setNotice(QString());
    ClearFrame(kReplacementFrameId);
}

bool EditorDialog::refuseReplacementFile(const std::vector<std::string>& targets)
{
    if (!replacementChosen_)
        return false;
    InputFiles chain;
    AddChainFiles(chain, QFile::encodeName(replacementFile_).toStdString());
    for (const std::string& target : targets) {
        if (chain.includes(target)) {
            tellUserWhy(kWriteFailedText, target, QString::fromLatin1(kReplacementFileProblem));
            return true;
        }
    }
    return false;
}

bool EditorDialog::keepSceneFormat() const
{
    return action(kKeepSceneFormatCommand)->isChecked();
}

MipFilterChoice EditorDialog::mipFilter() const
{
    return action(kBoxLevelsCommand)->isChecked() ? MipFilterChoice::Box : MipFilterChoice::Point;
}

void EditorDialog::replacementOptionsChanged()
{
    settings_.setKeepSceneFormat(keepSceneFormat());
    settings_.setMipFilter(mipFilter());
    if (replacementChosen_)
        rereadReplacement(false);
}

void EditorDialog::OnExtract()
{
    if (!sceneLoaded_) {
        tellUser(kNothingToExtractText);
        return;
    }
    const T3D_TEXTURE* texture = textureSelected_ ? sceneTexture(selectedIndex_) : nullptr;
    if (!texture) {
        tellUser(kSelectTextureText);
        return;
    }
    FileDialogRequest request;
    request.title = kExtractDialogTitle;
    request.filter = QString::fromLatin1(kTgaFileFilter) + QStringLiteral(";;") + QString::fromLatin1(kPngFileFilter);
    request.defaultSuffix = kTgaDefaultSuffix;
    request.startName = textureName(*texture);
    const QString chosen = chooseFile(FileDialogKind::Extract, request);
    if (chosen.isEmpty())
        return;
    // The writer checks the chain's names before writing and never replaces
    // the scene's own file; the replacement's files are refused here.
    const QByteArray path = QFile::encodeName(chosen);
    const int levels = std::min<int>(texture->levelCount, kMaxTextureLevels);
    std::vector<std::string> levelFiles;
    PlanChainNames(path.toStdString(), LevelsWithPixels(texture->width, texture->height, levels), levelFiles);
    if (refuseReplacementFile(levelFiles))
        return;
    ImageWriteOptions options;
    options.inputs.add(sceneFile_);
    const bool written = chosen.endsWith(QLatin1String(kPngExtension), Qt::CaseInsensitive)
                             ? PngTextureWriter(path.constData(), *texture, report_, options)
                             : TgaTextureWriter(path.constData(), *texture, report_, options);
    report_.showWarnings();
    if (written) {
        showStatus(QString::fromLatin1(kExtractedStatus).arg(textureName(*texture), QFileInfo(chosen).fileName()));
        folderTree_->selectPath(chosen);  // the right frame shows what was written, ready to paint
    }
}

void EditorDialog::OnReplace()
{
    if (!sceneLoaded_) {
        tellUser(kNothingToReplaceText);
        return;
    }
    if (!textureSelected_ || !sceneTexture(selectedIndex_)) {
        tellUser(kSelectTextureText);
        return;
    }
    // Stale pixels never go into the scene: a file of the chain that changed
    // since the last read is read again first.
    if (replacementChosen_ && chainWatch_->changed())
        rereadReplacement(false);
    if (!replacementChosen_ || !HasPicture(replacement_.record())) {
        tellUser(kNoReplacementText);
        return;
    }
    if (!replacementRead_) {
        tellUser(kReplacementUnreadText);
        return;
    }
    TextureRecord converted;
    const T3D_TEXTURE* replacement = replacementFor(*sceneTexture(selectedIndex_), converted);
    if (!replacement)
        return;  // the read said why
    if (!history_.replace(scene_, selectedIndex_, *replacement)) {
        tellUser(kReplaceFailedText);
        return;
    }
    showChangedTexture(selectedIndex_);
    updateActions();
}

const T3D_TEXTURE* EditorDialog::replacementFor(const T3D_TEXTURE& target, TextureRecord& converted)
{
    if (!replacementPng_ && !keepSceneFormat())
        return &replacement_.record();
    const bool read = readReplacementChain(replacementFile_, converted, report_, FormatOf(target));
    report_.showWarnings();
    return read ? &converted.record() : nullptr;
}

void EditorDialog::OnUndo()
{
    const int index = history_.undo(scene_);
    if (index >= 0)
        showChangedTexture(index);
    updateActions();
}

void EditorDialog::OnRedo()
{
    const int index = history_.redo(scene_);
    if (index >= 0)
        showChangedTexture(index);
    updateActions();
}
