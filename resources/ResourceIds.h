// Identifiers of the main window's controls and commands. Commands travel as
// each menu action's data; controls carry their id as their object name.
#pragma once

// Dialog template of the main window.
constexpr int kMainDialogId = 102;

// Controls of the main window.
constexpr int kNoControlId = -1;  // labels
constexpr int kTextureListId = 1000;
constexpr int kDetailsListId = 1006;
constexpr int kMipmapLevelsBoxId = 1007;  // first of the eight flag boxes, 0x01
constexpr int kAlphaLevelBoxId = 1008;
constexpr int kDetailSecondPassBoxId = 1009;
constexpr int kForce32BitBoxId = 1010;
constexpr int kEnvmapBoxId = 1011;
constexpr int kClampedUBoxId = 1012;
constexpr int kClampedVBoxId = 1013;
constexpr int kNoZBufferBoxId = 1014;  // last flag box, 0x80
constexpr int kSceneFrameId = 1017;
constexpr int kReplacementFrameId = 1018;
constexpr int kFolderTreeId = 1025;
constexpr int kStatusLineId = 1026;  // says what the last command did, until the next
// Above the texture list, in its template rectangle: the field that finds
// textures by name and the count of those shown.
constexpr int kTextureFilterId = 1027;
constexpr int kTextureCountId = 1028;

constexpr int kFlagBoxCount = 8;

// Commands of menu 130 (and the About entry).
constexpr int kLoadCommand = 57601;
constexpr int kCloseCommand = 57602;
constexpr int kSaveNewCommand = 57603;
constexpr int kSaveAsNewCommand = 32777;
constexpr int kSaveOldCommand = 32778;
constexpr int kSaveAsOldCommand = 32779;
constexpr int kQuitCommand = 2;  // ends the dialog as Cancel does
constexpr int kExtractCommand = 1002;
constexpr int kReplaceCommand = 1003;
constexpr int kAboutCommand = 16;

// Commands added to menu 130, in the same numbering: the framework's own ids
// for the recent-file entries, Undo and Redo, the next free ones of the
// application's range for its options.
constexpr int kFirstRecentSceneCommand = 57616;  // entry N of File > Recent scenes is this + N
constexpr int kRecentSceneCount = 8;
constexpr int kUndoCommand = 57643;
constexpr int kRedoCommand = 57644;
constexpr int kKeepSceneFormatCommand = 32780;
constexpr int kPointLevelsCommand = 32781;
constexpr int kBoxLevelsCommand = 32782;
constexpr int kAskStaleLevelsCommand = 32783;
constexpr int kRebuildStaleLevelsCommand = 32784;
constexpr int kUseLevelFilesCommand = 32785;
constexpr int kAskFlagsCommand = 32786;
constexpr int kKeepSceneFlagsCommand = 32787;
constexpr int kTakeNameFlagsCommand = 32788;
constexpr int kExportTexturesCommand = 32789;
constexpr int kImportTexturesCommand = 32790;
constexpr int kRenameCommand = 32791;
constexpr int kTakeFileNameCommand = 32792;
constexpr int kKeepSceneNameCommand = 32793;

// The View menu: zoom, channels and the two frames together.
constexpr int kZoomInCommand = 32800;
constexpr int kZoomOutCommand = 32801;
constexpr int kActualSizeCommand = 32802;
constexpr int kFitCommand = 32803;
constexpr int kRgbAlphaChannelsCommand = 32804;
constexpr int kRgbChannelsCommand = 32805;
constexpr int kRedChannelCommand = 32806;
constexpr int kGreenChannelCommand = 32807;
constexpr int kBlueChannelCommand = 32808;
constexpr int kAlphaChannelCommand = 32809;
constexpr int kLinkFramesCommand = 32810;
constexpr int kDifferenceCommand = 32811;
constexpr int kAsItGoesInCommand = 32820;  // View: the replacement as it will go in
constexpr int kDitherCommand = 32821;      // Action: 8-bit conversions dither
