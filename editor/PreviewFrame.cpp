#include "editor/PreviewFrame.h"

#include <QContextMenuEvent>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QPainter>
#include <QWheelEvent>

namespace {

constexpr int kWheelNotch = 120;  // eighths of a degree: one step of a usual wheel
constexpr int kCaptionMargin = 3;
constexpr int kCaptionPadding = 2;
const QColor kCaptionGround(0, 0, 0, 160);
const QColor kNoticeGround(96, 0, 0, 220);
constexpr int kFocusEdgeWidth = 2;  // pixels: the frame's edge and one inside it

}  // namespace

PreviewFrame::PreviewFrame(QSize clientSize, QWidget* parent) : QFrame(parent)
{
    setFrameStyle(QFrame::Panel | QFrame::Sunken);
    setLineWidth(1);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::StrongFocus);
    const int edge = frameWidth();
    resize(clientSize.width() + 2 * edge, clientSize.height() + 2 * edge);
}

void PreviewFrame::setPicture(QImage picture, int level, QString caption)
{
    picture_ = std::move(picture);
    level_ = level;
    caption_ = std::move(caption);
    update();
}

void PreviewFrame::setNotice(QString text)
{
    notice_ = std::move(text);
    update();
}

void PreviewFrame::clear()
{
    setPicture(QImage());
}

void PreviewFrame::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), Qt::black);
    if (!picture_.isNull())
        painter.drawImage(contentsRect().topLeft(), picture_);
    drawCaption(painter);
    drawNotice(painter);
    drawFrame(&painter);
    // A frame that took the focus says so with its edge, where Page Up and
    // Page Down will act.
    if (hasFocus()) {
        QPen pen(palette().color(QPalette::Highlight), kFocusEdgeWidth);
        pen.setJoinStyle(Qt::MiterJoin);
        painter.setPen(pen);
        painter.setBrush(Qt::NoBrush);
        const int inset = kFocusEdgeWidth / 2;
        painter.drawRect(rect().adjusted(inset, inset, -inset - 1, -inset - 1));
    }
}

void PreviewFrame::drawCaption(QPainter& painter)
{
    if (caption_.isEmpty())
        return;
    // A caption of several lines, or wider than the frame, is wrapped to it.
    const QRect area = contentsRect().adjusted(kCaptionMargin, kCaptionMargin, -kCaptionMargin, -kCaptionMargin);
    const int flags = Qt::AlignLeft | Qt::AlignBottom | Qt::TextWordWrap;
    const QRect text = painter.boundingRect(
        area.adjusted(kCaptionPadding, kCaptionPadding, -kCaptionPadding, -kCaptionPadding), flags, caption_);
    QRect box(0, 0, text.width() + 2 * kCaptionPadding, text.height() + 2 * kCaptionPadding);
    box.moveBottomLeft(area.bottomLeft());
    painter.fillRect(box.intersected(area), kCaptionGround);
    painter.setPen(Qt::white);
    painter.drawText(box.adjusted(kCaptionPadding, kCaptionPadding, -kCaptionPadding, -kCaptionPadding), flags,
                     caption_);
}

void PreviewFrame::drawNotice(QPainter& painter)
{
    if (notice_.isEmpty())
        return;
    const QRect area = contentsRect().adjusted(kCaptionMargin, kCaptionMargin, -kCaptionMargin, -kCaptionMargin);
    const int flags = Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap;
    const QRect text =
        painter.boundingRect(area.adjusted(kCaptionPadding, kCaptionPadding, -kCaptionPadding, 0), flags, notice_);
    QRect box(area.topLeft(), QSize(area.width(), text.height() + 2 * kCaptionPadding));
    painter.fillRect(box.intersected(area), kNoticeGround);
    painter.setPen(Qt::white);
    painter.drawText(box.adjusted(kCaptionPadding, kCaptionPadding, -kCaptionPadding, -kCaptionPadding), flags,
                     notice_);
}

void PreviewFrame::wheelEvent(QWheelEvent* event)
{
    wheelTurn_ += event->angleDelta().y();
    event->accept();
    while (wheelTurn_ >= kWheelNotch) {
        wheelTurn_ -= kWheelNotch;
        emit levelStepRequested(-1);
    }
    while (wheelTurn_ <= -kWheelNotch) {
        wheelTurn_ += kWheelNotch;
        emit levelStepRequested(+1);
    }
}

void PreviewFrame::keyPressEvent(QKeyEvent* event)
{
    switch (event->key()) {
    case Qt::Key_PageUp:
        emit levelStepRequested(-1);
        break;
    case Qt::Key_PageDown:
        emit levelStepRequested(+1);
        break;
    case Qt::Key_Home:
        emit levelStepRequested(-kLastLevelStep);
        break;
    case Qt::Key_End:
        emit levelStepRequested(+kLastLevelStep);
        break;
    case Qt::Key_F10:
        if (event->modifiers() != Qt::ShiftModifier) {
            QFrame::keyPressEvent(event);
            return;
        }
        {
            const QPoint centre = rect().center();
            QContextMenuEvent menu(QContextMenuEvent::Keyboard, centre, mapToGlobal(centre));
            QCoreApplication::sendEvent(this, &menu);
        }
        break;
    default:
        QFrame::keyPressEvent(event);
        return;
    }
    event->accept();
}
