// File > "Export all textures..." and "Import textures from folder...": every
// texture of the scene written into a folder as quorrel-cli's extract-all
// writes it (its chains and the manifest, textures.tsv), and the chains of a
// folder that changed put back into the scene as one step, which Undo takes
// back whole.
//
// Each command asks through the window's prompts, then runs its long part
// off the window's thread over the scene the document lends it
// (SceneDocument::readScene): writing the files, or finding the chains that
// changed and reading them in their textures' formats. The window shows the
// work's progress while it runs; when ended() comes it calls finish(), which
// says what the export wrote (the status line) and what it could not write
// (boxes), or shows the import's summary, where only "Import" changes the
// scene. Nothing of a work is shown or applied until finish().
#pragma once

#include "editor/EditorPrompts.h"
#include "editor/EditorSettings.h"
#include "texture/TextureRecord.h"
#include "texturepack/ChainPlan.h"
#include "texturepack/FolderExport.h"
#include "texturepack/TexturePack.h"

#include <QObject>
#include <QString>

#include <memory>
#include <string>
#include <utility>
#include <vector>

class SceneDocument;

class TexturePackCommands : public QObject {
    Q_OBJECT
public:
    TexturePackCommands(SceneDocument& document, const EditorPrompts& prompts, EditorSettings& settings,
                        QObject* parent);

    // Asks for the folder and the kind of files and, when files of the names
    // it writes are there already, whether to write over them; then starts
    // writing. False when nothing started (no scene, cancelled, the folder
    // cannot be made, other work runs).
    bool startExport();
    // Asks for the folder, then starts finding and reading its changed
    // chains, the levels no file holds made with `filter`, level files older
    // than their chain's first file made anew or used as `staleLevels` says
    // (Ask: used, with a warning in the texture's row), as quorrel-cli's
    // --levels does: levels the manifest proves stale are made anew unless
    // the files are to be used; 8-bit conversions dithered when `dither`.
    // False when nothing started.
    bool startImport(MipFilter filter, StaleLevelsChoice staleLevels, bool dither);
    // The progress window's text for the work under way, %1 its folder.
    const char* progressText() const;

    // What finish() came to: the status line's text (empty: none) and the
    // textures that changed.
    struct Finished {
        QString status;
        std::vector<int> changed;
    };
    // Shows and applies what the work that ended gave, as the header says.
    Finished finish();

signals:
    // The work off the window's thread ended: the window calls finish().
    void ended();

private:
    struct ExportWork;
    struct ImportWork;

    // The folder as the user named it, made when missing; empty, having said
    // why, when it is not a folder and cannot be made one.
    std::string folderToWrite(const QString& folder);
    // True when no file of `plan` is in the folder yet, or the user agrees to
    // write over them.
    bool mayWriteOver(const std::vector<PlannedChain>& plan, const std::string& dir, const QString& folder);
    Finished finishExport(const ExportWork& work);
    Finished finishImport(ImportWork& work);
    void tellUser(const QString& caption, const QString& text, MessageKind kind);

    SceneDocument& document_;
    const EditorPrompts& prompts_;
    EditorSettings& settings_;
    // The work under way or ended and not yet finished; one at a time.
    std::shared_ptr<ExportWork> export_;
    std::shared_ptr<ImportWork> import_;
};
