// The texts the main window shows: menu entries beyond menu 130, file dialog
// settings and message texts. Captions of scene messages are the application's
// title; TGA problems arrive with their own caption from the texture code.
#pragma once

// String 101: the About entry.
constexpr const char* kAboutMenuText = "&About quorrel...";

// Load and Save as.
constexpr const char* kSceneDialogTitle = "Choose VK7Q file";
constexpr const char* kSceneFileFilter = "VK7Q files (*.T3D)";
constexpr const char* kSceneDefaultSuffix = "T3D";

// Extract.
// The title names the kind of the filter shown: "Choose tga save name",
// "Choose png save name", "Choose dds save name". The two DDS filters differ
// in what an 8-bit texture becomes: 32-bit colours, or its palette and
// indices.
constexpr const char* kExtractDialogTitle = "Choose %1 save name";
constexpr const char* kTgaFileFilter = "tga pictures files (*.tga)";
constexpr const char* kPngFileFilter = "PNG images (*.png)";
constexpr const char* kDdsFileFilter = "DDS textures (*.dds)";
constexpr const char* kDdsPaletteFileFilter = "DDS with palette (*.dds)";
constexpr const char* kTgaDefaultSuffix = "tga";

// Scene messages. Every button of a question has an access key; a file name
// shown on a button has its '&' doubled.
constexpr const char* kLoadFailedText = "File not loaded";
constexpr const char* kWriteFailedText = "error during writing file";
constexpr const char* kNothingToExtractText = "No scene texture to extract: load a scene first.";
constexpr const char* kNothingToReplaceText = "No scene texture to replace: load a scene first.";
constexpr const char* kSelectTextureText = "Select a texture in the list first.";
constexpr const char* kNoReplacementText =
    "No replacement texture loaded: select a readable .tga, .png or .dds file in the folder tree first.";
// The picked file was deleted: the frame and Replace say so.
constexpr const char* kReplacementGoneText = "%1 is gone: pick another file";
constexpr const char* kReplacementUnreadText =
    "The replacement's files changed and could not be read again. Replace waits until they read.";
// Across the top of the right frame when a read after a change on disk failed.
constexpr const char* kRereadFailedNotice =
    "Changed on disk, could not be read again: showing the last good read. Replace waits for a good read.";
constexpr const char* kReplaceFailedText = "The texture could not be replaced.";
// Across the top of the right frame while its chain is read: "Reading crate_A.png ...".
constexpr const char* kReadingNotice = "Reading %1 ...";
// The status line while a Replace waits for that read.
constexpr const char* kReplaceWaitsStatus = "Replace waits for %1";
// The replacement frame's caption, under the level, when level files that
// the reader reads are older than the chain's first file:
// "crate_A1.png ... crate_A4.png are older than crate_A.png".
constexpr const char* kStaleLevelsNote = "%1 are older than %2";
constexpr const char* kStaleLevelNote = "%1 is older than %2";
// Replace asks about them (Action > Smaller levels > Ask when older). The
// note, then what rebuilding does: from the first stale level down, each
// level made from the one above; newer files below it are not used.
constexpr const char* kStaleLevelsQuestion =
    "%1: those levels may still show the picture from before it was changed.\n\n"
    "Rebuilding makes the level of %2 and every smaller one from the level above, with the %3 filter.";
constexpr const char* kNewerLevelsNotUsed = " %1, though newer, is not used either.";
constexpr const char* kNewerLevelsNotUsedPlural = " %1, though newer, are not used either.";
constexpr const char* kPointFilterName = "Point";
constexpr const char* kBoxFilterName = "Box";
constexpr const char* kRebuildLevelsButton = "&Rebuild them from %1";
constexpr const char* kUseLevelFilesButton = "&Use the files";
constexpr const char* kCancelButton = "&Cancel";
// Replace asks when the flags a replacement's file name spells differ from
// the scene texture's (Action > Flags on Replace > Ask when they differ); %3
// says how, in the words of the flag boxes: "+ Envmap, - No Z-Buffer".
constexpr const char* kFlagsQuestion = "The name of %1 sets other flags than the scene texture %2 has: %3.";
// When the file's name that Replace would give a texture is another's.
constexpr const char* kSameNameQuestion = "Replace would name %1 %2, the name of texture %3.";
constexpr const char* kRenameAnywayButton = "&Rename";
constexpr const char* kKeepSceneNameButton = "&Keep the scene texture's name";
constexpr const char* kKeepSceneFlagsButton = "&Keep the scene texture's flags";
constexpr const char* kTakeNameFlagsButton = "&Take the flags of the file name (%1)";
// The replacement frame's tooltip, after what the replacement is: what
// Replace would do to the chosen scene texture. %2 is a change of shape,
// "64 x 4, 1 level -> 100 x 60, 5 levels", followed by "; " and the flags
// that change, when any do. Where Replace will ask about the flags, both
// outcomes follow on lines of their own.
constexpr const char* kReplaceWouldText = "Replace %1: %2";
constexpr const char* kReplaceAsksFlagsText = "; Replace asks about the flags";
constexpr const char* kKeepingFlagsText = "keeping the scene texture's: %1";
constexpr const char* kTakingFlagsText = "taking the file name's: %1";
constexpr const char* kNoFlagChangeText = "no flag changes";
// The status line after a Replace: "Replaced stone with crate_A.png: 64 x 4,
// 1 level -> 100 x 60, 5 levels; + Mipmap levels", and when stale levels
// were made anew, "; crate_A1.png and below made from crate_A.png".
constexpr const char* kReplacedStatus = "Replaced %1 with %2: %3";
constexpr const char* kRebuiltStatusPart = "; %1 and below made from %2";
// ... and when the texture took its file's name, "; crate_A, was marble_Z",
// warning when another texture has that name too.
constexpr const char* kRenamedStatusPart = "; %1, was %2";
constexpr const char* kSameNameStatusPart = "; texture %1 is named %2 too";
// ... and, last, what the conversion costs each level:
// "; level 0: 38.2 dB, largest error 12 (green); levels 1-7 exact".
// The replacement frame's tooltip gives the same after what Replace would do,
// a level a line below this heading, so that 13 levels stay readable.
constexpr const char* kConversionCostText = "Cost of the conversion:\n%1";
// The replacement frame's caption when it shows the replacement as it will
// go into the chosen scene texture (View > Replacement as it will go in):
// "As it will go in: 8 bit, dithered". A chain that keeps its own format
// goes in as read.
constexpr const char* kAsItGoesInCaption = "As it will go in: %1 bit%2";
constexpr const char* kDitheredPart = ", dithered";
constexpr const char* kNotDitheredPart = ", not dithered";
// ... where Replace will ask about older level files, what the frame shows
// is its first answer.
constexpr const char* kAsksStaleLevelsCaption = "Older level files shown rebuilt; Replace asks";
// A Replace or a load that the user stopped.
constexpr const char* kReplaceCancelledStatus = "Replace cancelled";
constexpr const char* kLoadCancelledStatus = "Loading %1 cancelled";
// The progress window of a conversion for Replace still running after
// kProgressDelayMilliseconds, and across the replacement frame while the
// replacement as it will go in is made.
constexpr const char* kConvertingProgress = "Converting %1 for %2 ...";
// The progress window that a load or save still running after
// kProgressDelayMilliseconds shows.
constexpr const char* kLoadingProgress = "Loading %1 ...";
constexpr const char* kSavingProgress = "Saving %1 ...";
constexpr int kProgressDelayMilliseconds = 500;
// After kWriteFailedText and the target's name, when Save as names a file the
// chosen replacement is read from.
constexpr const char* kReplacementFileProblem = "it is a file of the replacement texture";
constexpr const char* kUnsavedChangesText = "The scene has replaced textures that are not saved.\nSave them first?";
constexpr const char* kSaveButton = "&Save";
constexpr const char* kDiscardButton = "&Discard";
// What assistive tools hear of a list entry drawn bold.
constexpr const char* kUnsavedEntryDescription = "Replaced, not saved";

// The context menus of the folder tree and the right frame: the file in the
// desktop's own program for its type.
constexpr const char* kOpenInImageEditorText = "Open in image editor";
constexpr const char* kNoImageEditorText = "No program to open the file was found.";
// Asked when Extract would write over files of the picked replacement (its
// first file, or the file names one by one, a line each).
constexpr const char* kExtractOverReplacementFileText = "%1 is a file of the picked replacement.\nExtract over it?";
constexpr const char* kExtractOverReplacementFilesText =
    "These are files of the picked replacement:\n%1\nExtract over them?";
constexpr const char* kExtractButton = "&Extract";

// File > Recent scenes: entry N shows "&N path".
constexpr const char* kRecentSceneFormat = "&%1 %2";

// The window title with a scene loaded: "Quorrel - scene_new.T3D", and " *"
// while it holds replacements not saved to its file.
constexpr const char* kSceneTitleFormat = "%1 - %2";
constexpr const char* kUnsavedTitleMark = " *";

// The status line after a Save or an Extract that worked. A Save as to
// another file than the loaded one wrote a copy: "Saved a copy as
// scene_copy.T3D; Save still writes scene_new.T3D".
constexpr const char* kSavedStatus = "Saved %1";
constexpr const char* kSavedCopyStatus = "Saved a copy as %1; Save still writes %2";
// When Save finds that another program wrote the scene file since it was
// loaded: nothing was written, and the user chooses.
constexpr const char* kSceneChangedOnDiskText = "The scene file changed on disk since it was loaded.";
constexpr const char* kSaveOverItButton = "Save &over it";
constexpr const char* kSaveAsButton = "Save &as...";
constexpr const char* kExtractedStatus = "Extracted %1 to %2";

// File > Export all textures... and Import textures from folder...: the
// export's dialog, the folder dialog both use, and the progress window.
constexpr const char* kExportDialogTitle = "Export all textures";
constexpr const char* kExportFolderLabel = "&Folder:";
constexpr const char* kExportBrowseText = "&Browse...";
constexpr const char* kExportKindLabel = "Files:";
constexpr const char* kExportTgaChoice = "&TGA";
constexpr const char* kExportPngChoice = "&PNG";
constexpr const char* kExportDdsChoice = "&DDS";
constexpr const char* kExportDdsPaletteChoice = "DDS with pa&lette";
constexpr const char* kExportButtonText = "&Export";
constexpr const char* kPackFolderDialogTitle = "Choose a folder of textures";
constexpr const char* kExportingProgress = "Exporting textures to %1 ...";
constexpr const char* kImportReadingProgress = "Reading the textures in %1 ...";
// Asked before an export writes over files in its folder: the folder, then
// the files' names, a line each (at most eight, then how many more).
constexpr const char* kExportOverwriteText = "%1 already holds files that the export writes:\n%2\nWrite over them?";
constexpr const char* kMoreFilesText = "and %1 more";
constexpr const char* kWriteOverButton = "&Write over them";
// After kWriteFailedText and the folder's name.
constexpr const char* kFolderNotMadeProblem = "it is not a folder and can't be made one";
// A box captioned "Error" when not everything was exported: this line, then
// what went wrong, a line each.
constexpr const char* kExportIncompleteText = "Not everything was exported to %1:";
constexpr const char* kNotReadBackText = "%1 could not be read back for textures.tsv";
constexpr const char* kNotWrittenText = "%1 could not be written: %2";
constexpr const char* kNotFlushedText = "The files in %1 could not be flushed to disk";
// The status line after an export: "Exported 4 textures to pack: 13 PNG
// files and textures.tsv".
constexpr const char* kExportedStatus = "Exported %1 to %2: %3";
constexpr const char* kOneTexture = "1 texture";
constexpr const char* kSomeTextures = "%1 textures";
constexpr const char* kSomeOfTextures = "%1 of %2 textures";
constexpr const char* kTgaFiles = "%1 TGA files";
constexpr const char* kPngFiles = "%1 PNG files";
constexpr const char* kDdsFiles = "%1 DDS files";
constexpr const char* kAndManifest = " and %1";
// The summary an import shows before it changes anything, its columns and
// the words of its rows.
constexpr const char* kImportSummaryTitle = "Import textures from %1";
constexpr const char* kImportHeadingFormat = "Would change: %1. Unchanged: %2. Cannot be imported: %3.";
constexpr const char* kImportTextureColumn = "Texture";
constexpr const char* kImportBeforeColumn = "Before";
constexpr const char* kImportAfterColumn = "After";
constexpr const char* kImportRemarkColumn = "Notes";
constexpr const char* kImportButtonText = "Import";
constexpr const char* kTextureShapeFormat = "%1 x %2, %3 bit, %4";
constexpr const char* kOneLevel = "1 level";
constexpr const char* kSomeLevels = "%1 levels";
constexpr const char* kNotImportedText = "not imported";
constexpr const char* kKeptAsItIsText = "kept as it is";
constexpr const char* kMissingRemark = "%1 is not in the folder";
// When the folder or its manifest cannot be read: this line, then the file
// and why.
constexpr const char* kImportFailedText = "Textures not imported";
constexpr const char* kImportNotAppliedText = "The textures could not be put into the scene.";
// The status line after an import: "Imported 2 textures from pack".
constexpr const char* kImportedStatus = "Imported %1 from %2";
// A flag ticked or unticked in the window: "crate_A: + Envmap".
constexpr const char* kFlagEditStatus = "%1: %2";
// Rename: done, or refused for a name another texture has or one that does
// not fit the record's name field.
constexpr const char* kRenamedStatus = "Renamed %1 to %2";
constexpr const char* kNameTakenStatus = "Not renamed: texture %1 is named %2";
constexpr const char* kNameSizeStatus = "Not renamed: a name takes 1 to 255 bytes";

// The field that finds textures in the list, and how many show.
constexpr const char* kTextureFilterPlaceholder = "Find a texture";
constexpr const char* kTextureCountFormat = "%1 of %2";

// Details lines.
constexpr const char* kDetailFormat = "%d";
// The flag bits beyond the boxes, when a texture has any: "Other flags 0x80000000".
constexpr const char* kOtherFlagsDetailFormat = "Other flags 0x%08X";

// About box.
constexpr const char* kAboutCaption = "About quorrel";
constexpr const char* kAboutProductText = "quorrel Version";
constexpr const char* kAboutLicenceText = "Licensed under the GNU GPL, version 3 or later.";
