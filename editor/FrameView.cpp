#include "editor/FrameView.h"

#include "editor/FitRect.h"

#include <algorithm>
#include <cmath>

namespace {

// A zoomed axis: texels of 2^step pixels from `start`.
AxisMap ZoomedAxis(int start, int texels, int step)
{
    AxisMap axis;
    axis.start = start;
    if (step >= 0) {
        axis.den = int64_t(1) << step;
        axis.pixels = int(texels * axis.den);
    } else {
        axis.num = int64_t(1) << -step;
        axis.pixels = int((texels + axis.num - 1) / axis.num);
    }
    return axis;
}

// The origin on one axis: centred when the picture is no larger than the
// frame, else within [frame - pixels, 0].
int KeptStart(int start, int pixels, int frame)
{
    if (pixels <= frame)
        return (frame - pixels) / 2;
    return std::clamp(start, frame - pixels, 0);
}

}  // namespace

AxisMap FrameView::columns(QSize frame, QSize level) const
{
    if (!fit_)
        return ZoomedAxis(origin_.x(), level.width(), zoomStep_);
    FitRect place(0, 0, frame.width(), frame.height());
    place.Fit(unsigned(level.width()), unsigned(level.height()));
    return {place.x, place.width, level.width(), std::max<int64_t>(place.width, 1)};
}

AxisMap FrameView::rows(QSize frame, QSize level) const
{
    if (!fit_)
        return ZoomedAxis(origin_.y(), level.height(), zoomStep_);
    FitRect place(0, 0, frame.width(), frame.height());
    place.Fit(unsigned(level.width()), unsigned(level.height()));
    return {place.y, place.height, level.height(), std::max<int64_t>(place.height, 1)};
}

std::optional<QPoint> FrameView::texelAt(QPoint pixel, QSize frame, QSize level) const
{
    const int x = columns(frame, level).texel(pixel.x());
    const int y = rows(frame, level).texel(pixel.y());
    if (x < 0 || y < 0)
        return std::nullopt;
    return QPoint(x, y);
}

void FrameView::zoomTo(int step, QPointF at, QSize frame, QSize level)
{
    const double u = columns(frame, level).texelAt(at.x());
    const double v = rows(frame, level).texelAt(at.y());
    fit_ = false;
    zoomStep_ = std::clamp(step, kMinZoomStep, kMaxZoomStep);
    const double scale = std::ldexp(1.0, zoomStep_);
    origin_ = QPoint(int(std::lround(at.x() - u * scale)), int(std::lround(at.y() - v * scale)));
    keepWithin(frame, level);
}

void FrameView::zoomBy(int steps, QPointF at, QSize frame, QSize level)
{
    if (steps == 0)
        return;
    int from = zoomStep_;
    if (fit_) {
        // The first step from "fit" goes to the next power of two past its scale.
        const AxisMap x = columns(frame, level);
        const double scale = double(x.den) / double(x.num);
        const double exponent = std::log2(std::max(scale, 1e-9));
        from = steps > 0 ? int(std::floor(exponent)) : int(std::ceil(exponent));
    }
    zoomTo(from + steps, at, frame, level);
}

void FrameView::pan(QPoint delta, QSize frame, QSize level)
{
    if (fit_)
        return;
    origin_ += delta;
    keepWithin(frame, level);
}

void FrameView::keepWithin(QSize frame, QSize level)
{
    if (fit_)
        return;
    const AxisMap x = ZoomedAxis(origin_.x(), level.width(), zoomStep_);
    const AxisMap y = ZoomedAxis(origin_.y(), level.height(), zoomStep_);
    origin_ = QPoint(KeptStart(x.start, x.pixels, frame.width()), KeptStart(y.start, y.pixels, frame.height()));
}

FrameView FrameView::linkedTo(QSize frame, QSize level, QSize otherFrame, QSize otherLevel) const
{
    FrameView linked = *this;
    if (fit_ || level.isEmpty() || otherLevel.isEmpty())
        return linked;
    const double u = columns(frame, level).texelAt(frame.width() / 2.0) / level.width() * otherLevel.width();
    const double v = rows(frame, level).texelAt(frame.height() / 2.0) / level.height() * otherLevel.height();
    const double scale = std::ldexp(1.0, zoomStep_);
    linked.origin_ = QPoint(int(std::lround(otherFrame.width() / 2.0 - u * scale)),
                            int(std::lround(otherFrame.height() / 2.0 - v * scale)));
    linked.keepWithin(otherFrame, otherLevel);
    return linked;
}

QString ZoomText(int step)
{
    return QString::number(std::ldexp(100.0, step)) + QStringLiteral(" %");
}
