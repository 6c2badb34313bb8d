// The replacement (read from the folder tree's file or a dropped one), Extract,
// Replace, Undo and Redo, and the options for reading replacements.
#include "editor/EditorDialog.h"

#include "foldertree/FolderTree.h"
#include "resources/Strings.h"
#include "texture/TgaTextureReader.h"
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

} // namespace

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
    if (path.endsWith(QLatin1String(kTgaExtension), Qt::CaseSensitive)) {
        readReplacement(path);
        replacementDropped_ = false;
    } else {
        forgetReplacement();
    }
}

void EditorDialog::readReplacement(const QString& path)
{
    replacementLoaded_ = true;
    replacementFile_ = path;
    if (TgaTextureReader(QFile::encodeName(path).constData(), replacement_, report_))
        NameAfterFile(replacement_.record(), path);
    report_.showWarnings();
    DrawTexture(replacement_.record(), kReplacementFrameId);
}

void EditorDialog::forgetReplacement()
{
    replacementLoaded_ = false;
    replacementDropped_ = false;
    replacementFile_.clear();
    ClearFrame(kReplacementFrameId);
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
    if (replacementLoaded_)
        readReplacement(replacementFile_);
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
    request.filter = kTgaFileFilter;
    request.defaultSuffix = kTgaDefaultSuffix;
    request.startName = textureName(*texture);
    const QString chosen = chooseFile(FileDialogKind::Extract, request);
    if (chosen.isEmpty())
        return;
    // The writer checks the chain's names before writing and never replaces the scene's own file.
    ImageWriteOptions options;
    options.inputs.add(sceneFile_);
    const bool written = TgaTextureWriter(QFile::encodeName(chosen).constData(), *texture, report_, options);
    report_.showWarnings();
    if (written)
        showStatus(QString::fromLatin1(kExtractedStatus).arg(textureName(*texture), QFileInfo(chosen).fileName()));
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
    const T3D_TEXTURE& replacement = replacement_.record();
    // A .tga that could not be read leaves the record without pixels.
    if (!replacementLoaded_ || replacement.levelCount == 0 || replacement.width == 0
        || replacement.height == 0) {
        tellUser(kNoReplacementText);
        return;
    }
    if (!history_.replace(scene_, selectedIndex_, replacement)) {
        tellUser(kReplaceFailedText);
        return;
    }
    showChangedTexture(selectedIndex_);
    updateActions();
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
