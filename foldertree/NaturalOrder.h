// The order in which the folder tree lists names: case-insensitive, with
// every run of digits compared as the number it spells, so that crate_A comes
// before crate_A1 and crate_A2, and wall_10 after wall_9. Names that compare
// equal this way (wall_01 and wall_1, Wall and wall) fall back to a plain
// comparison, so the order is total and does not depend on the directory.
#pragma once

#include <QStringView>

// Negative, zero or positive as a sorts before, with or after b, leaving
// out the fallback.
int NaturalCompare(QStringView a, QStringView b);

// A strict total order: NaturalCompare, then the plain comparison.
bool NaturalLess(QStringView a, QStringView b);
