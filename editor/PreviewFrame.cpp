#include "editor/PreviewFrame.h"

#include <QContextMenuEvent>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>

#include <cstdlib>

namespace {

constexpr int kWheelNotch = 120;  // eighths of a degree: one step of a usual wheel
constexpr int kCaptionMargin = 3;
constexpr int kCaptionPadding = 2;
const QColor kCaptionGround(0, 0, 0, 160);
const QColor kNoticeGround(96, 0, 0, 220);
constexpr int kFocusEdgeWidth = 2;  // pixels: the frame's edge and one inside it
constexpr int kArrowPan = 32;       // pixels an arrow key moves the picture

}  // namespace

PreviewFrame::PreviewFrame(QSize clientSize, QWidget* parent) : QFrame(parent)
{
    setFrameStyle(QFrame::Panel | QFrame::Sunken);
    setLineWidth(1);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::StrongFocus);
    setMouseTracking(true);
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

void PreviewFrame::setReadout(QString text)
{
    if (text == readout_)
        return;
    readout_ = std::move(text);
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
    QString shown = caption_;
    if (!readout_.isEmpty()) {
        const int firstLineEnd = shown.indexOf('\n');
        shown.insert(firstLineEnd < 0 ? shown.size() : firstLineEnd, '\n' + readout_);
    }
    // A caption of several lines, or wider than the frame, is wrapped to it.
    const QRect area = contentsRect().adjusted(kCaptionMargin, kCaptionMargin, -kCaptionMargin, -kCaptionMargin);
    const int flags = Qt::AlignLeft | Qt::AlignBottom | Qt::TextWordWrap;
    const QRect text = painter.boundingRect(
        area.adjusted(kCaptionPadding, kCaptionPadding, -kCaptionPadding, -kCaptionPadding), flags, shown);
    QRect box(0, 0, text.width() + 2 * kCaptionPadding, text.height() + 2 * kCaptionPadding);
    box.moveBottomLeft(area.bottomLeft());
    painter.fillRect(box.intersected(area), kCaptionGround);
    painter.setPen(Qt::white);
    painter.drawText(box.adjusted(kCaptionPadding, kCaptionPadding, -kCaptionPadding, -kCaptionPadding), flags, shown);
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
    useWheelTurn(event->modifiers() & Qt::ControlModifier, event->position() - contentsRect().topLeft());
}

void PreviewFrame::useWheelTurn(bool zoom, QPointF at)
{
    // Away from the user: a larger level, or zoom in.
    const int notches = wheelTurn_ / kWheelNotch;
    wheelTurn_ -= notches * kWheelNotch;
    if (zoom && notches != 0)
        emit zoomRequested(notches, at);
    for (int i = 0; !zoom && i < std::abs(notches); ++i)
        emit levelStepRequested(notches > 0 ? -1 : +1);
}

void PreviewFrame::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        dragFrom_ = event->position().toPoint();
    QFrame::mousePressEvent(event);
}

void PreviewFrame::mouseMoveEvent(QMouseEvent* event)
{
    const QPoint at = event->position().toPoint();
    if (dragFrom_ && (event->buttons() & Qt::LeftButton)) {
        const QPoint delta = at - *dragFrom_;
        dragFrom_ = at;
        emit panRequested(delta);
    }
    emit pointerMoved(at - contentsRect().topLeft());
}

void PreviewFrame::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        dragFrom_.reset();
    QFrame::mouseReleaseEvent(event);
}

void PreviewFrame::leaveEvent(QEvent* event)
{
    emit pointerMoved(QPoint(-1, -1));
    QFrame::leaveEvent(event);
}

void PreviewFrame::focusInEvent(QFocusEvent* event)
{
    emit focusTaken();
    QFrame::focusInEvent(event);
}

bool PreviewFrame::arrowKey(QKeyEvent* event)
{
    // An arrow shows more of the texture on its side: the picture moves the other way.
    switch (event->key()) {
    case Qt::Key_Left:
        emit panRequested(QPoint(kArrowPan, 0));
        return true;
    case Qt::Key_Right:
        emit panRequested(QPoint(-kArrowPan, 0));
        return true;
    case Qt::Key_Up:
        emit panRequested(QPoint(0, kArrowPan));
        return true;
    case Qt::Key_Down:
        emit panRequested(QPoint(0, -kArrowPan));
        return true;
    default:
        return false;
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
        if (!arrowKey(event)) {
            QFrame::keyPressEvent(event);
            return;
        }
    }
    event->accept();
}
