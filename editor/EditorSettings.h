// What the editor keeps between runs, with QSettings under the application's
// own organisation and name: the recent scenes, the folder each file dialog
// last chose from, the options of the Action and View menus, the format Extract last
// wrote, the folder and kind of files of the last texture export, the main
// window's size and place, and (kept by the tree itself) the folder tree's
// state.
#pragma once

#include "editor/ReplaceChoices.h"
#include "editor/TexturePackChoices.h"
#include "editor/ViewChoices.h"

#include <QByteArray>
#include <QSettings>
#include <QString>
#include <QStringList>

// The file dialogs that remember their folder.
enum class FileDialogKind { LoadScene, SaveScene, Extract };

class EditorSettings {
public:
    EditorSettings();

    // Most recent first, at most kRecentSceneCount.
    QStringList recentScenes() const;
    // Puts the file at the front of the recent scenes (once).
    void addRecentScene(const QString& path);

    // Empty until the dialog has chosen a file.
    QString lastFolder(FileDialogKind dialog) const;
    // Remembers the folder of the file the dialog chose.
    void setLastFolder(FileDialogKind dialog, const QString& chosenFile);

    bool keepSceneFormat() const;
    void setKeepSceneFormat(bool keep);
    MipFilter mipFilter() const;  // Point until Box is chosen
    void setMipFilter(MipFilter filter);
    StaleLevelsChoice staleLevels() const;  // Ask until another is chosen
    void setStaleLevels(StaleLevelsChoice choice);
    FlagsChoice replaceFlags() const;  // Ask until another is chosen
    void setReplaceFlags(FlagsChoice choice);
    bool keepSceneName() const;  // false (the file's name) until chosen
    void setKeepSceneName(bool keep);
    bool dither() const;  // true until turned off
    void setDither(bool dither);
    // The replacement frame shows the replacement as it will go in (true
    // until turned off).
    bool showsAsItGoesIn() const;
    void setShowsAsItGoesIn(bool shows);

    ViewChoices viewChoices() const;  // ViewChoices' own until chosen
    void setViewChoices(const ViewChoices& choices);

    // The folder last exported to or imported from, and the kind of files
    // last exported (TGA until PNG is chosen).
    ExportChoice exportChoice() const;
    void setExportChoice(const ExportChoice& choice);
    void setPackFolder(const QString& folder);

    // For a control that keeps its own state here.
    QSettings& store() { return settings_; }

    // The kind of files Extract last wrote (TGA until then).
    TextureFileKind extractKind() const;
    void setExtractKind(TextureFileKind kind);

    // QWidget::saveGeometry's bytes; empty until the window first ended.
    QByteArray windowGeometry() const;
    void setWindowGeometry(const QByteArray& geometry);

private:
    QSettings settings_;
};
