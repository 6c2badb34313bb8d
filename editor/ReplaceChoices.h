// The Action menu's choices for Replace and import as the window keeps them:
// the ones the replacement rule takes (texturepack/ReplacementRule.h), or Ask,
// which the window answers by asking and then passes on.
#pragma once

#include "texture/chain/StaleLevels.h"
#include "texture/convert/MipGeneration.h"

#include <optional>

// What Replace does with level files older than the chain's first file; no
// value: ask.
using StaleLevelsChoice = std::optional<StaleLevelChoice>;

// Whose flags a replacement takes where its file name's differ from the
// scene texture's.
enum class FlagsChoice { Ask, KeepScene, TakeName };
