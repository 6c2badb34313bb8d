// The View menu's choices, remembered between runs: which channels the
// preview frames show (the colours with alpha over the checkerboard, the
// frames' first look; the colours alone; or one channel as grey), whether the
// two frames move together, and whether the right frame shows the difference.
#pragma once

enum class Channels { RgbAlpha, Rgb, Red, Green, Blue, Alpha };

struct ViewChoices {
    Channels channels = Channels::RgbAlpha;
    bool linked = true;
    bool difference = false;
};
