// Menu 130 of the main window, in order. A row with command 0 and no text is a
// separator. The scene commands start greyed; they are enabled while a scene
// is loaded.
#pragma once

#include "resources/ResourceIds.h"

struct MenuItemTemplate {
    const char* menu;
    const char* text;  // nullptr: separator
    int command;
    bool greyedAtStart;
};

inline constexpr MenuItemTemplate kMainMenu[] = {
    {"File", "Load", kLoadCommand, false},
    {"File", "Save (new format)", kSaveNewCommand, true},
    {"File", "Save (old format)", kSaveOldCommand, true},
    {"File", "Save as... (new format)", kSaveAsNewCommand, true},
    {"File", "Save as... (old format)", kSaveAsOldCommand, true},
    {"File", "Close", kCloseCommand, true},
    {"File", nullptr, 0, false},
    {"File", "Quit", kQuitCommand, false},
    {"Action", "Extract", kExtractCommand, false},
    {"Action", "Replace", kReplaceCommand, false},
};

// The commands that need a loaded scene.
inline constexpr int kSceneCommands[] = {
    kCloseCommand, kSaveNewCommand, kSaveAsNewCommand, kSaveOldCommand, kSaveAsOldCommand,
};

// Where the window manager offers no system menu of ours, the About entry
// (string 101) sits in a menu of its own.
constexpr const char* kHelpMenuTitle = "Help";
