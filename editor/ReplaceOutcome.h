// What Replace does to a scene texture, in words: its size, depth, level
// count and flags before and after, for the replacement frame's tooltip (ahead
// of a Replace) and the status line (after one).
#pragma once

#include "editor/ReplaceChoices.h"
#include "texture/T3DTexture.h"
#include "texturepack/ReplacementRule.h"

#include <QString>

#include <cstdint>

struct TextureShape {
    unsigned width = 0, height = 0, depth = 0, levels = 0;
    uint32_t flags = 0;
};

TextureShape ShapeOf(const T3D_TEXTURE& record);

// The shape a replacement gives a scene texture: its own size and levels; the
// scene texture's depth when it takes the scene texture's format, else its
// own; the flags ReplacedFlags gives (texture/TextureFlags.h).
TextureShape ReplacedShape(const T3D_TEXTURE& scene, const T3D_TEXTURE& replacement, bool sceneFormat, bool nameFlags);

// Whether the flags the replacement's file name spells differ from the scene
// texture's, the mipmap bit left out.
bool FlagsDiffer(const T3D_TEXTURE& scene, const T3D_TEXTURE& replacement);

// "64 x 4, 1 level -> 100 x 60, 5 levels", each side with its depth where
// the depths differ ("64 x 4, 16 bit, 1 level"); with `flags`, then "; " and
// the flags that change ("+ Mipmap levels, - Envmap"), when any do.
QString ShapeChange(const TextureShape& before, const TextureShape& after, bool flags);

// What Replace would do to the scene texture: "Replace stone: 64 x 4, 1 level
// -> 100 x 60, 5 levels; + Mipmap levels". Where Replace will ask about the
// flags, the line says so and both outcomes follow on lines of their own.
QString ReplaceWouldText(const T3D_TEXTURE& scene, const T3D_TEXTURE& replacement, bool sceneFormat, FlagsChoice flags);

// What follows the status line's words when Replace renamed scene texture
// [index] of `scene` after its file: "; crate_A, was marble_Z", and, when
// another texture has that name now, "; texture 0 is named crate_A too".
// Empty when the name stayed.
QString RenameText(const ReplacementOutcome& outcome, const VK7Q_HEADER& scene, int index);
