// Menu 130 of the main window, in order. Titles and entries mark their
// mnemonic with '&' (one letter, unique within its menu); the texts shown are
// the same without it. The scene commands start greyed; they are enabled
// while a scene is loaded.
#pragma once

#include "resources/ResourceIds.h"

enum class MenuItemKind {
    Command,
    Separator,
    Toggle,        // checkable on its own; its state is remembered
    Choice,        // one of the exclusive checkable entries of its submenu
    RecentScenes,  // the submenu of recently loaded scenes, filled while running
};

struct MenuItemTemplate {
    const char* menu;
    const char* submenu;  // nullptr: an entry of the menu itself
    MenuItemKind kind;
    const char* text;  // nullptr for separators and the recent scenes
    int command;
    bool greyedAtStart;
    const char* shortcut;  // nullptr: none; several are parted by "; "
};

// Ctrl+S is not in the table: it goes to the Save entry of the format the
// loaded scene's file is in.
inline constexpr MenuItemTemplate kMainMenu[] = {
    {"&File", nullptr, MenuItemKind::Command, "&Load", kLoadCommand, false, "Ctrl+O"},
    {"&File", nullptr, MenuItemKind::Command, "&Save (new format)", kSaveNewCommand, true, nullptr},
    {"&File", nullptr, MenuItemKind::Command, "Save (&old format)", kSaveOldCommand, true, nullptr},
    {"&File", nullptr, MenuItemKind::Command, "Save &as... (new format)", kSaveAsNewCommand, true, "Ctrl+Shift+S"},
    {"&File", nullptr, MenuItemKind::Command, "Sa&ve as... (old format)", kSaveAsOldCommand, true, nullptr},
    {"&File", nullptr, MenuItemKind::Command, "&Close", kCloseCommand, true, "Ctrl+W"},
    {"&File", nullptr, MenuItemKind::Separator, nullptr, 0, false, nullptr},
    {"&File", nullptr, MenuItemKind::Command, "&Export all textures...", kExportTexturesCommand, true, nullptr},
    {"&File", nullptr, MenuItemKind::Command, "&Import textures from folder...", kImportTexturesCommand, true, nullptr},
    {"&File", nullptr, MenuItemKind::Separator, nullptr, 0, false, nullptr},
    {"&File", "&Recent scenes", MenuItemKind::RecentScenes, nullptr, 0, false, nullptr},
    {"&File", nullptr, MenuItemKind::Separator, nullptr, 0, false, nullptr},
    {"&File", nullptr, MenuItemKind::Command, "&Quit", kQuitCommand, false, "Ctrl+Q"},
    {"&Edit", nullptr, MenuItemKind::Command, "&Undo", kUndoCommand, true, "Ctrl+Z"},
    {"&Edit", nullptr, MenuItemKind::Command, "&Redo", kRedoCommand, true, "Ctrl+Shift+Z"},
    {"&Edit", nullptr, MenuItemKind::Command, "Re&name", kRenameCommand, true, "F2"},
    {"&View", nullptr, MenuItemKind::Command, "Zoom &in", kZoomInCommand, false, "Ctrl++; Ctrl+="},
    {"&View", nullptr, MenuItemKind::Command, "Zoom &out", kZoomOutCommand, false, "Ctrl+-"},
    {"&View", nullptr, MenuItemKind::Command, "&1:1", kActualSizeCommand, false, "Ctrl+0"},
    {"&View", nullptr, MenuItemKind::Command, "&fit", kFitCommand, false, "Ctrl+9"},
    {"&View", "&Channels", MenuItemKind::Choice, "RGB with &alpha", kRgbAlphaChannelsCommand, false, "Ctrl+1"},
    {"&View", "&Channels", MenuItemKind::Choice, "RGB &without alpha", kRgbChannelsCommand, false, "Ctrl+2"},
    {"&View", "&Channels", MenuItemKind::Choice, "&Red", kRedChannelCommand, false, "Ctrl+3"},
    {"&View", "&Channels", MenuItemKind::Choice, "&Green", kGreenChannelCommand, false, "Ctrl+4"},
    {"&View", "&Channels", MenuItemKind::Choice, "&Blue", kBlueChannelCommand, false, "Ctrl+5"},
    {"&View", "&Channels", MenuItemKind::Choice, "A&lpha", kAlphaChannelCommand, false, "Ctrl+6"},
    {"&View", nullptr, MenuItemKind::Separator, nullptr, 0, false, nullptr},
    {"&View", nullptr, MenuItemKind::Toggle, "&Link the frames", kLinkFramesCommand, false, "Ctrl+L"},
    {"&View", nullptr, MenuItemKind::Toggle, "&Difference", kDifferenceCommand, false, "Ctrl+D"},
    {"&View", nullptr, MenuItemKind::Toggle, "Replacement as it will &go in", kAsItGoesInCommand, false, "Ctrl+G"},
    {"&Action", nullptr, MenuItemKind::Command, "&Extract", kExtractCommand, false, "Ctrl+E"},
    {"&Action", nullptr, MenuItemKind::Command, "&Replace", kReplaceCommand, false, "Ctrl+R"},
    {"&Action", nullptr, MenuItemKind::Separator, nullptr, 0, false, nullptr},
    {"&Action", nullptr, MenuItemKind::Toggle, "&Keep the scene texture's format", kKeepSceneFormatCommand, false,
     nullptr},
    {"&Action", nullptr, MenuItemKind::Toggle, "&Dither 8-bit conversions", kDitherCommand, false, nullptr},
    {"&Action", "&Generated levels", MenuItemKind::Choice, "&Point", kPointLevelsCommand, false, nullptr},
    {"&Action", "&Generated levels", MenuItemKind::Choice, "&Box", kBoxLevelsCommand, false, nullptr},
    {"&Action", "&Smaller levels", MenuItemKind::Choice, "&Ask when older", kAskStaleLevelsCommand, false, nullptr},
    {"&Action", "&Smaller levels", MenuItemKind::Choice, "Always &rebuild from the first file",
     kRebuildStaleLevelsCommand, false, nullptr},
    {"&Action", "&Smaller levels", MenuItemKind::Choice, "Always &use the files", kUseLevelFilesCommand, false,
     nullptr},
    {"&Action", "&Flags on Replace", MenuItemKind::Choice, "&Ask when they differ", kAskFlagsCommand, false, nullptr},
    {"&Action", "&Flags on Replace", MenuItemKind::Choice, "Always &keep the scene texture's", kKeepSceneFlagsCommand,
     false, nullptr},
    {"&Action", "&Flags on Replace", MenuItemKind::Choice, "Always &take the file name's", kTakeNameFlagsCommand, false,
     nullptr},
    {"&Action", "&Names on Replace", MenuItemKind::Choice, "&Take the file's name", kTakeFileNameCommand, false,
     nullptr},
    {"&Action", "&Names on Replace", MenuItemKind::Choice, "&Keep the scene texture's name", kKeepSceneNameCommand,
     false, nullptr},
};

// The commands that need a loaded scene.
inline constexpr int kSceneCommands[] = {
    kCloseCommand,     kSaveNewCommand,        kSaveAsNewCommand,      kSaveOldCommand,
    kSaveAsOldCommand, kExportTexturesCommand, kImportTexturesCommand, kRenameCommand,
};

// Where the window manager offers no system menu of ours, the About entry
// (string 101) sits in a menu of its own.
constexpr const char* kHelpMenuTitle = "&Help";
