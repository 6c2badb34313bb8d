// The folder tree's TGA preview, Extract and Replace.
#include "editor/EditorDialog.h"

#include "foldertree/FolderTree.h"
#include "resources/Strings.h"
#include "texture/TgaTextureReader.h"
#include "texture/TgaTextureWriter.h"

#include <QFile>

void EditorDialog::OnTreeSelectionChanged()
{
    QTreeWidgetItem* item = folderTree_->currentItem();
    if (!item)
        return;
    const QString path = folderTree_->GetItemFullPath(item);
    if (path.endsWith(QLatin1String(kTgaExtension), Qt::CaseSensitive)) {
        replacementLoaded_ = true;
        TgaTextureReader(QFile::encodeName(path).constData(), replacement_, report_);
        DrawTexture(replacement_.record(), kReplacementFrameId);
    } else {
        replacementLoaded_ = false;
        ClearFrame(kReplacementFrameId);
    }
}

void EditorDialog::OnExtract()
{
    const T3D_TEXTURE* texture = sceneTexture(selectedIndex_);
    if (!texture) {
        tellUser(kNothingToExtractText);
        return;
    }
    FileDialogRequest request;
    request.title = kExtractDialogTitle;
    request.filter = kTgaFileFilter;
    request.defaultSuffix = kTgaDefaultSuffix;
    request.startName = textureName(*texture);
    const QString chosen = prompts_.saveFile(request);
    if (chosen.isEmpty())
        return;
    // The writer checks the chain's names before writing and never replaces the scene's own file.
    ImageWriteOptions options;
    options.inputs.add(sceneFile_);
    TgaTextureWriter(QFile::encodeName(chosen).constData(), *texture, report_, options);
}

void EditorDialog::OnReplace()
{
    if (!sceneTexture(selectedIndex_)) {
        tellUser(kNothingToReplaceText);
        return;
    }
    const T3D_TEXTURE& replacement = replacement_.record();
    // A .tga that could not be read leaves the record without pixels.
    if (!replacementLoaded_ || replacement.levelCount == 0 || replacement.width == 0
        || replacement.height == 0) {
        tellUser(kNoReplacementText);
        return;
    }
    if (!scene_.ReplaceT3DTexture(selectedIndex_, &replacement)) {
        tellUser(kReplaceFailedText);
        return;
    }
    sceneModified_ = true;
    RefreshTextureEntry();
    ShowDetails();
}
