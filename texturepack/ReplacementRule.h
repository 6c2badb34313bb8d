// What a chain becomes when it replaces a scene texture: the one rule that
// quorrel-cli's replace, import and watch and the window's Replace all
// follow, each with its choices already decided (the window asks first, then
// passes the answers on).
//
// The rule: a PNG or DDS chain always takes the scene texture's format
// (depth, masks, palette; a DDS file already in it goes in as it is), a TGA
// chain only when asked; the levels no file holds are
// made with the chosen filter, and stale level files are used, used with a
// warning, or made anew as chosen (texturepack/ChainRead.h). The texture
// takes its chain's first file's name (without folder and extension) or
// keeps its own; a name that changed is said. Its flags are the scene
// texture's, every bit, but the mipmap bit, which follows the level count;
// with flagsFromName, the bits its file's name spells (0x02-0x80) are taken
// too (texture/TextureFlags.h).
#pragma once

#include "scene/CVK7QScene.h"
#include "texture/T3DTexture.h"
#include "texture/TextureRecord.h"
#include "texture/TextureReport.h"
#include "texture/convert/ConversionCost.h"
#include "texturepack/ChainRead.h"

#include <atomic>
#include <string>
#include <vector>

struct ReplaceChoices {
    bool keepFormat = false;  // a TGA chain takes the scene texture's format too
    bool flagsFromName = false;
    bool nameFromFile = true;  // false: the texture keeps its name
    StaleLevelChoice levels = StaleLevelChoice::warn;
    MipFilter filter = MipFilter::point;
    bool dither = true;  // an 8-bit conversion dithers
};

// What the rule made of the chain, in facts and words.
struct ReplacementOutcome {
    // How the flags the file's name spells differ from the scene texture's,
    // in the flag boxes' words ("+ Envmap"); empty when they agree.
    std::string nameFlags;
    // What changes besides the pixels: "64 x 64 -> 128 x 128, 5 -> 8 levels,
    // flags 0x03 -> 0x0B (+ Force 32 bit)"; "new pixels" when nothing else.
    std::string changes;
    // The scene texture's name when the texture took another from its file;
    // empty when the name stayed.
    std::string renamedFrom;
};

// The name a texture takes from its chain's first file: the file's name
// without folder and extension, as long as a texture's name may be.
std::string TextureNameOfFile(const std::string& first);

// Another texture of `scene` than [index] named `name` (texture [index]'s own
// name when none is given): its index, or -1 when there is none. Two textures
// of one name can't be picked by it.
int OtherTextureNamed(const VK7Q_HEADER& scene, int index, const std::string* name = nullptr);

// Whether the chain at `first` goes in in the scene texture's format.
bool TakesSceneFormat(const std::string& first, const ReplaceChoices& choices);

// The reader's options for the chain at `first` going into `scene`.
TextureReadOptions ReplacementReadOptions(const T3D_TEXTURE& scene, const std::string& first,
                                          const ReplaceChoices& choices);

// Gives `replacement`, the chain at `first` as read for `scene`, its name and
// flags; what it changes, in words.
ReplacementOutcome ApplyReplacementRule(const T3D_TEXTURE& scene, T3D_TEXTURE& replacement, const std::string& first,
                                        const ReplaceChoices& choices);

// How ReadReplacement reads, besides the choices: what ReadChainLevels gives
// and takes (`levels`, `rebuildFrom`), and a flag that stops the read.
struct ReplacementRead {
    ChainLevels* levels = nullptr;
    int rebuildFrom = 0;
    const std::atomic<bool>* cancel = nullptr;
    const std::vector<int>* painted = nullptr;  // ReadChainLevels' `painted`
};

// Reads the chain at `first` for `scene` (ReadChainLevels) and applies the
// rule. False when the read failed or reported an error.
bool ReadReplacement(const std::string& first, const T3D_TEXTURE& scene, const ReplaceChoices& choices,
                     TextureRecord& holder, TextureReport& report, ReplacementOutcome& outcome,
                     const ReplacementRead& read = {});

// What going into `scene` costs the chain at `first`: `converted`, as
// ReadReplacement gave it, against the chain read again as its files are
// (the same levels, made the same way, nothing converted), level by level
// (texture/convert/ConversionCost.h). A chain that keeps its own format is
// not read again: it goes in as read. Empty when the second read fails.
std::vector<LevelCost> ReplacementCost(const std::string& first, const T3D_TEXTURE& scene, const T3D_TEXTURE& converted,
                                       const ReplaceChoices& choices, const ReplacementRead& read = {});
