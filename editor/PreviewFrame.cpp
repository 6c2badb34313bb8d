#include "editor/PreviewFrame.h"

#include <QPainter>

PreviewFrame::PreviewFrame(QSize clientSize, QWidget* parent)
    : QFrame(parent)
{
    setFrameStyle(QFrame::Panel | QFrame::Sunken);
    setLineWidth(1);
    setAttribute(Qt::WA_OpaquePaintEvent);
    const int edge = frameWidth();
    resize(clientSize.width() + 2 * edge, clientSize.height() + 2 * edge);
}

void PreviewFrame::setPicture(QImage picture)
{
    picture_ = std::move(picture);
    update();
}

void PreviewFrame::clear()
{
    picture_ = QImage();
    update();
}

void PreviewFrame::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), Qt::black);
    if (!picture_.isNull())
        painter.drawImage(contentsRect().topLeft(), picture_);
    drawFrame(&painter);
}
