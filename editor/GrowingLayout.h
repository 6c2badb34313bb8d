// Where the main window's controls go in a client area at least as large as
// the template's. Every control's template rectangle scales with the area: its
// edges are multiplied by W / W0 across and H / H0 down and rounded. Labels,
// check boxes, the details list and the status line keep their size instead,
// and their offset from the bottom-left corner of the preview frame they sit
// under. At the template's own size every control keeps its template place.
#pragma once

#include "resources/DialogTemplate.h"

#include <QRect>
#include <QSize>

// The template's client area in pixels: the window's size at start and its
// smallest.
QSize TemplateClientSize();
// A control's template rectangle in pixels (for a frame, its drawing area).
QRect TemplatePlace(const ControlTemplate& control);
// The control's rectangle in a client area of the given size.
QRect GrownPlace(const ControlTemplate& control, QSize clientSize);
