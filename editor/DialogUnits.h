// Dialog units to pixels for the main window's template. The template's font
// makes a horizontal unit 1.5 pixels and a vertical unit 1.6 pixels; each
// value is converted on its own and rounded half up, so a 181 x 230 unit
// frame is 272 x 368 pixels.
#pragma once

#include <QRect>

constexpr int DialogUnitsToPixelsX(int units)
{
    return (units * 3 + 1) / 2;
}
constexpr int DialogUnitsToPixelsY(int units)
{
    return (units * 16 + 5) / 10;
}

inline QRect DialogUnitsToPixels(int x, int y, int width, int height)
{
    return QRect(DialogUnitsToPixelsX(x), DialogUnitsToPixelsY(y), DialogUnitsToPixelsX(width),
                 DialogUnitsToPixelsY(height));
}
