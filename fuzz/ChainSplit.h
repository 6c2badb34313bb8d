// Splits one fuzz input into the files of a mip chain: the first four bytes
// give the lengths of the first two files (16 bits each, little-endian, cut
// to what is there), the rest is the third. A file of length 0 is absent.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

struct ChainParts {
    const uint8_t* data[3] = {};
    size_t size[3] = {};
};

ChainParts SplitChainInput(const uint8_t* data, size_t size);

// Writes the parts as wall_A, wall_A1 and wall_A2 with the extension (".tga")
// in the scratch folder (an absent part removes its file) and returns the
// first one's path.
std::string PutChainFiles(const ChainParts& parts, const std::string& extension = ".tga");
