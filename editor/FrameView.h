// How a preview frame lays a level's texels over its pixels. "fit", the
// default, places the level in the FitRect rectangle exactly as the frames
// always drew it; zoomed, each texel is a square of 2^step pixels (a step
// below 0 shows every 2^-step-th texel) with the level's top-left corner at
// `origin`, in the frame's pixels. A level narrower or shorter than the frame
// is centred on that axis; a larger one keeps the frame covered, so panning
// stops at its edges. Sampling is nearest texel throughout: a texel is a sharp
// square at any zoom.
#pragma once

#include <QPoint>
#include <QPointF>
#include <QSize>
#include <QString>

#include <cstdint>
#include <optional>

constexpr int kMinZoomStep = -5;  // 3.125 %: a 4096-texel side in 128 pixels
constexpr int kMaxZoomStep = 6;   // 6400 %
constexpr int kGridZoomStep = 3;  // from 800 % a grid marks each texel

// One axis of the mapping: frame pixel d in [start, start + pixels) shows
// texel (d - start) * num / den; the others show none.
struct AxisMap {
    int start = 0;
    int pixels = 0;
    int64_t num = 1;
    int64_t den = 1;

    int texel(int d) const { return d < start || d - start >= pixels ? -1 : int((d - start) * num / den); }
    // The texel's coordinate, in texels, at a point of the frame (a real
    // number: where inside the texel it lies).
    double texelAt(double d) const { return (d - start) * double(num) / double(den); }
};

class FrameView {
public:
    bool isFit() const { return fit_; }
    int zoomStep() const { return zoomStep_; }
    QPoint origin() const { return origin_; }
    // Whether the picture carries the texel grid.
    bool showsGrid() const { return !fit_ && zoomStep_ >= kGridZoomStep; }

    AxisMap columns(QSize frame, QSize level) const;
    AxisMap rows(QSize frame, QSize level) const;
    // The texel under a pixel of the frame; nothing where the level is not.
    std::optional<QPoint> texelAt(QPoint pixel, QSize frame, QSize level) const;

    // Back to "fit".
    void fit() { fit_ = true; }
    // Zooms to 2^step (kept within the steps there are) keeping the texel
    // under `at` where it is.
    void zoomTo(int step, QPointF at, QSize frame, QSize level);
    // `steps` powers of two in (> 0) or out (< 0) from the zoom shown, "fit"
    // included, about `at`.
    void zoomBy(int steps, QPointF at, QSize frame, QSize level);
    // Moves the picture by `delta` frame pixels, as far as the level's edges
    // allow; nothing at "fit".
    void pan(QPoint delta, QSize frame, QSize level);
    // Keeps the origin within what the level allows (after the level or the
    // frame changed).
    void keepWithin(QSize frame, QSize level);
    // This view as a linked frame takes it for its own level: the same zoom,
    // with the point under this frame's centre, as a fraction of the level's
    // sides, under the other frame's centre; kept within the other level.
    FrameView linkedTo(QSize frame, QSize level, QSize otherFrame, QSize otherLevel) const;

private:
    bool fit_ = true;
    int zoomStep_ = 0;
    QPoint origin_;
};

// The zoom as the caption says it: "400 %", "12.5 %".
QString ZoomText(int step);
