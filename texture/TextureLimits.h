// The sizes every format's reader refuses beyond, in one place: a claim past
// them comes from a damaged header and would only exhaust memory.
#pragma once

#include <cstdint>

// The largest level a reader makes: far above any texture a scene holds
// (16384 x 16384 at 32 bits).
constexpr uint64_t kMaxLevelBytes = uint64_t(1) << 30;

// The largest file a reader takes whole into memory (a PNG, a run-length
// TGA), refused unread beyond: the largest level's bytes stored with the most
// framing either format adds (under one byte in 64: a raw packet's byte per 128
// pixels, deflate's stored blocks and chunks), and a megabyte for the rest.
constexpr uint64_t kMaxWholeFileBytes = kMaxLevelBytes + kMaxLevelBytes / 64 + (uint64_t(1) << 20);
