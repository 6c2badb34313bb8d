#include "editor/GrowingLayout.h"

#include "editor/DialogUnits.h"

#include <cstdint>

namespace {

bool KeepsItsSize(ControlKind kind)
{
    return kind == ControlKind::Label || kind == ControlKind::FlagBox || kind == ControlKind::DetailsList ||
           kind == ControlKind::StatusLine;
}

// Rounded half up; exact when `now` equals `start`.
int Scaled(int value, int start, int now)
{
    return int((int64_t(value) * now + start / 2) / start);
}

QRect ScaledPlace(QRect place, QSize start, QSize now)
{
    const int left = Scaled(place.left(), start.width(), now.width());
    const int top = Scaled(place.top(), start.height(), now.height());
    const int right = Scaled(place.left() + place.width(), start.width(), now.width());
    const int bottom = Scaled(place.top() + place.height(), start.height(), now.height());
    return QRect(left, top, right - left, bottom - top);
}

// The preview frame whose columns hold the control's left edge and whose
// bottom lies above it.
const ControlTemplate* FrameAbove(const ControlTemplate& control)
{
    for (const ControlTemplate& frame : kMainDialogControls) {
        if (frame.kind == ControlKind::Frame && control.x >= frame.x && control.x < frame.x + frame.width &&
            control.y >= frame.y + frame.height)
            return &frame;
    }
    return nullptr;
}

}  // namespace

QSize TemplateClientSize()
{
    return QSize(DialogUnitsToPixelsX(kMainDialogWidth), DialogUnitsToPixelsY(kMainDialogHeight));
}

QRect TemplatePlace(const ControlTemplate& control)
{
    return DialogUnitsToPixels(control.x, control.y, control.width, control.height);
}

QRect GrownPlace(const ControlTemplate& control, QSize clientSize)
{
    const QRect place = TemplatePlace(control);
    const ControlTemplate* frame = KeepsItsSize(control.kind) ? FrameAbove(control) : nullptr;
    if (!frame)
        return ScaledPlace(place, TemplateClientSize(), clientSize);
    const QRect frameStart = TemplatePlace(*frame);
    const QRect frameNow = GrownPlace(*frame, clientSize);
    const int fromLeft = place.left() - frameStart.left();
    const int belowBottom = place.top() - (frameStart.top() + frameStart.height());
    return QRect(QPoint(frameNow.left() + fromLeft, frameNow.top() + frameNow.height() + belowBottom), place.size());
}
