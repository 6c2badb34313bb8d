// The main window's menu bar, built from the menu template
// (resources/MenuTemplate.h): every command's action by its id, the Recent
// scenes submenu, the Action menu's options for Replace and import and the
// View menu's choices (the replacement frame's among them), read from and kept
// in the settings.
#pragma once

#include "editor/ReplaceChoices.h"
#include "editor/ViewChoices.h"

class EditorSettings;

#include <QObject>
#include <QString>
#include <QStringList>

#include <functional>
#include <map>
#include <vector>

class QAction;
class QMenu;
class QMenuBar;

class MainMenu : public QObject {
    Q_OBJECT
public:
    // Fills `bar` from the template, the options as `settings` last kept them.
    MainMenu(QMenuBar* bar, const EditorSettings& settings, QObject* parent);

    // The action that carries a command id; nullptr when there is none.
    QAction* action(int command) const;
    QMenu* recentScenes() const { return recentScenes_; }
    // Lists the scenes as Recent scenes' entries; `open` loads one.
    void fillRecentScenes(const QStringList& scenes, const std::function<void(const QString&)>& open);

    // The Action menu's options, and the commands that change them.
    bool keepSceneFormat() const;
    MipFilter mipFilter() const;
    StaleLevelsChoice staleLevelsChoice() const;
    FlagsChoice flagsChoice() const;
    bool keepSceneName() const;
    bool dither() const;
    // View: the replacement frame shows the replacement as it will go in.
    bool showsAsItGoesIn() const;
    static std::vector<int> OptionCommands();
    // The View menu's choices, and its commands (zoom, channels, the frames).
    ViewChoices viewChoices() const;
    static std::vector<int> ViewCommands();
    // Ticks the channels the frame that commands act on shows.
    void showChannels(Channels channels);
    // The command that chooses these channels.
    static int ChannelsCommand(Channels channels);

    // Keeps the options and the View menu's choices as they stand now for the next run.
    void rememberOptions(EditorSettings& settings) const;

private:
    void restoreOptions(const EditorSettings& settings);

    QMenu* recentScenes_ = nullptr;
    std::map<int, QAction*> actions_;
};
