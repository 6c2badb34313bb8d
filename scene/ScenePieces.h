// A scene file about to be written, as the list of byte ranges it is made of:
// headers made for this write, held here, and pixels and kept sections,
// referenced where they lie so that writing copies nothing.
#pragma once

#include <cstdint>
#include <deque>
#include <vector>

struct ByteSpan {
    const uint8_t* data;
    uint64_t size;
};

class ScenePieces {
public:
    void addView(const uint8_t* data, uint64_t size);
    // Keeps bytes made for this write and adds them.
    void addOwned(std::vector<uint8_t> bytes);
    // The zeros that follow contents of this size up to the section alignment.
    void addPadding(uint64_t contentSize);

    const std::vector<ByteSpan>& spans() const { return spans_; }
    uint64_t totalSize() const { return totalSize_; }

private:
    std::vector<ByteSpan> spans_;
    std::deque<std::vector<uint8_t>> owned_;  // element addresses stay put as it grows
    uint64_t totalSize_ = 0;
};
