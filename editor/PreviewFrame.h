// A preview frame (controls 1017 and 1018): a sunken edge around a drawing
// area that keeps the last picture drawn into it and paints it whenever it is
// exposed, black where there is none. The widget paints every one of its
// pixels, so repainting it never repaints the window beneath.
//
// The frame also shows which level of its texture the picture is, in a small
// caption at its bottom left, and asks for another level when the user turns
// the mouse wheel over it, or presses Page Up / Page Down (one level) or Home
// / End (the largest / the smallest) while it has the focus, which Tab or a
// click gives it; its edge shows the focus. Which record it shows is the
// window's business: the frame only keeps the level number it was given. A
// notice (what a read met) shows across its top until it is taken away.
// Shift+F10 opens its context menu, as the Menu key does.
//
// It asks for zoom and pan too: Ctrl with the wheel zooms about the pointer;
// a drag with the left button, or an arrow key while it has the focus, pans.
// Over the picture it says where the pointer is, and shows the readout it is
// given under its caption's first line.
#pragma once

#include <QFrame>
#include <QImage>
#include <QString>

#include <optional>

class PreviewFrame : public QFrame {
    Q_OBJECT
public:
    // The step End asks for (Home its negative): past any texture's levels.
    static constexpr int kLastLevelStep = 64;

    // clientSize: the drawing area inside the edge.
    PreviewFrame(QSize clientSize, QWidget* parent);

    QSize clientSize() const { return contentsRect().size(); }
    // Shows a picture of clientSize(), drawn from the area's top left, as
    // level `level` of its texture, with a caption (none when empty).
    void setPicture(QImage picture, int level = 0, QString caption = QString());
    // Shows a black area: no picture, no caption, level 0.
    void clear();

    int level() const { return level_; }
    QString caption() const { return caption_; }
    // A line shown under the caption's first line (the texel under the
    // pointer); empty: none.
    void setReadout(QString text);
    QString readout() const { return readout_; }

    // Shows `text` across the top of the frame, over the picture; an empty
    // text takes the notice away. Pictures drawn meanwhile keep it.
    void setNotice(QString text);
    QString notice() const { return notice_; }

signals:
    // +1 asks for the next smaller level (wheel towards the user, Page Down),
    // -1 for the next larger one (wheel away, Page Up); End and Home ask for
    // kLastLevelStep and -kLastLevelStep, a step past every level, which the
    // window keeps within the texture's levels.
    void levelStepRequested(int step);
    // Ctrl and the wheel: `steps` powers of two in (> 0) or out, about a
    // point of the drawing area.
    void zoomRequested(int steps, QPointF at);
    // The picture should move by `delta` pixels.
    void panRequested(QPoint delta);
    // The pointer is over this pixel of the drawing area; (-1, -1): it left.
    void pointerMoved(QPoint pixel);
    void focusTaken();

protected:
    void paintEvent(QPaintEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;

private:
    void drawCaption(QPainter& painter);
    void drawNotice(QPainter& painter);
    // Emits the turn as whole notches: level steps, or zoom steps with Ctrl.
    void useWheelTurn(bool zoom, QPointF at);
    bool arrowKey(QKeyEvent* event);

    QImage picture_;
    int level_ = 0;
    QString caption_;
    QString notice_;
    QString readout_;
    std::optional<QPoint> dragFrom_;  // where the left button last was while it pans
    int wheelTurn_ = 0;               // wheel angle not yet used for a step, in eighths of a degree
};
