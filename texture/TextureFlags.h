// What a replacement does to a texture's flags, and the flags in words. A
// chain's file name spells flags (texture/chain/MipChainNaming.h); a scene
// texture has its own, often chosen by hand. The mipmap bit is never a
// choice: it follows the level count of the texture that goes in.
#pragma once

#include <cstdint>
#include <string>

// The flag bits a file's name spells and a replacement may take from it: the
// boxes of the window but the mipmap bit.
constexpr uint32_t kChosenFlags = 0xFE;

// The flags of a replacement going into a scene texture: every bit of the
// scene texture's but the mipmap bit, which is always the replacement's
// (it follows the level count); with `fromName`, the kChosenFlags of the
// replacement (those its file name spelled) too. Bits above 0xFF, which no
// file name spells, are the scene texture's either way.
uint32_t ReplacedFlags(uint32_t sceneFlags, uint32_t replacementFlags, bool fromName);

// The flags that differ between `from` and `to`, in the words of the window's
// flag boxes: "+ Envmap, - No Z-Buffer". Empty when none does.
std::string FlagChangeText(uint32_t from, uint32_t to);
