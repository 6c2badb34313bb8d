// A preview frame (controls 1017 and 1018): a sunken edge around a drawing
// area that keeps the last picture drawn into it and paints it whenever it is
// exposed, black where there is none. The widget paints every one of its
// pixels, so repainting it never repaints the window beneath.
#pragma once

#include <QFrame>
#include <QImage>

class PreviewFrame : public QFrame {
    Q_OBJECT
public:
    // clientSize: the drawing area inside the edge.
    PreviewFrame(QSize clientSize, QWidget* parent);

    QSize clientSize() const { return contentsRect().size(); }
    // Shows a picture of clientSize(); it is drawn from the area's top left.
    void setPicture(QImage picture);
    // Shows a black area.
    void clear();

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QImage picture_;
};
