// Dialog template 102: the main window's controls at their places, in dialog
// units. The editor turns the units into pixels and builds one widget per row.
#pragma once

#include "resources/ResourceIds.h"

enum class ControlKind {
    TextureList,  // notifying list box; entries go in at explicit positions
    Frame,        // black frame with a static edge: a preview
    DetailsList,  // list box without selection
    Label,
    FlagBox,  // disabled check box
    FolderTree,
    StatusLine,  // up to three wrapped lines that say what the last command did
};

struct ControlTemplate {
    int id;
    ControlKind kind;
    const char* text;
    int x, y, width, height;  // dialog units
};

constexpr const char* kMainDialogCaption = "Quorrel";
constexpr int kMainDialogWidth = 483;  // dialog units
constexpr int kMainDialogHeight = 372;
constexpr int kDetailsLineHeight = 8;  // dialog units: one line of list 1006 per label
// Dialog units of the texture list's rectangle that the field finding
// textures takes at its top; a line for their count follows.
constexpr int kTextureFilterHeight = 12;

inline constexpr ControlTemplate kMainDialogControls[] = {
    {kTextureListId, ControlKind::TextureList, "", 6, 7, 93, 333},
    {kSceneFrameId, ControlKind::Frame, "", 103, 7, 181, 230},
    {kDetailsListId, ControlKind::DetailsList, "", 150, 243, 95, 35},
    {kNoControlId, ControlKind::Label, "Width", 106, 243, 20, 8},
    {kNoControlId, ControlKind::Label, "Height", 106, 251, 22, 8},
    {kNoControlId, ControlKind::Label, "Bit Depth", 106, 261, 30, 8},
    {kNoControlId, ControlKind::Label, "Mipmap level", 106, 269, 42, 8},
    {kMipmapLevelsBoxId, ControlKind::FlagBox, "Mipmap levels", 109, 294, 61, 10},
    {kAlphaLevelBoxId, ControlKind::FlagBox, "Alpha level", 109, 305, 51, 10},
    {kDetailSecondPassBoxId, ControlKind::FlagBox, "Detail second pass", 109, 316, 76, 10},
    {kForce32BitBoxId, ControlKind::FlagBox, "Force 32 bit", 109, 327, 53, 10},
    {kEnvmapBoxId, ControlKind::FlagBox, "Envmap", 187, 294, 42, 10},
    {kClampedUBoxId, ControlKind::FlagBox, "Clamped for U", 187, 305, 61, 10},
    {kClampedVBoxId, ControlKind::FlagBox, "Clamped for V", 187, 316, 60, 10},
    {kNoZBufferBoxId, ControlKind::FlagBox, "No Z-Buffer", 187, 326, 53, 10},
    {kFolderTreeId, ControlKind::FolderTree, "Tree3", 295, 243, 181, 97},
    {kReplacementFrameId, ControlKind::Frame, "", 295, 7, 181, 230},
    {kStatusLineId, ControlKind::StatusLine, "", 6, 344, 470, 24},
};
