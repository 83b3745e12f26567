#include "ui/picture_view.h"

#include <QApplication>
#include <QImage>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <algorithm>

namespace vorbix {

namespace {

// Beyond eight times a preview shows a few dozen machine pixels: the magnifiers are for closer.
constexpr int kMostZoom = 8;
constexpr int kWheelStep = 120;  // one notch of a wheel

}  // namespace

PictureView::PictureView(QWidget* parent, const Picture* picture) : QWidget(parent), picture_(picture) {
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void PictureView::Show(const Picture* picture) {
    picture_ = picture;
    update();
}

QSize PictureView::DrawnSize() const {
    if (zoomable_) return size() * zoom_;
    return picture_ ? QSize(picture_->Width(), picture_->Height()) * zoom_ : QSize();
}

QPointF PictureView::PicturePoint(QPointF viewPoint) const {
    const QSize drawn = DrawnSize();
    if (!picture_ || picture_->Empty() || drawn.isEmpty()) return viewPoint;
    const QPointF point = viewPoint + pan_;
    return {point.x() * picture_->Width() / drawn.width(), point.y() * picture_->Height() / drawn.height()};
}

void PictureView::paintEvent(QPaintEvent* event) {
    if (!picture_ || picture_->Empty()) return;
    const QRect whole(0, 0, picture_->Width(), picture_->Height());
    // At its own size only the part asked for is drawn: a large sheet in a scroll area shows little of itself.
    const bool ownSize = DrawnSize() == whole.size() && pan_.isNull();
    const QRect part = ownSize ? event->rect().intersected(whole) : whole;
    QPainter painter(this);
    if (!part.isEmpty()) {
        const QImage image(picture_->Row(part.top()) + part.left() * 3, part.width(), part.height(),
                           picture_->Width() * 3, QImage::Format_BGR888);
        painter.drawImage(ownSize ? part : QRect(-pan_, DrawnSize()), image);
    }
    if (hasFocus() && !marker_.isEmpty()) {
        painter.setPen(QPen(Qt::white, 1, Qt::DotLine));
        painter.drawRect(marker_);
    }
}

void PictureView::SetZoom(int zoom) {
    zoom_ = zoom;
    update();
}

void PictureView::MakeZoomable() {
    zoomable_ = true;
    update();
}

void PictureView::PanTo(QPoint offset) {
    const QSize room = DrawnSize() - size();
    pan_ = QPoint(std::clamp(offset.x(), 0, std::max(room.width(), 0)), std::clamp(offset.y(), 0, std::max(room.height(), 0)));
    update();
}

void PictureView::ZoomAt(int zoom, QPointF viewPoint) {
    zoom = std::clamp(zoom, 1, kMostZoom);
    if (zoom == zoom_) return;
    // The picture's point under the pointer stays under it.
    const QPointF drawnPoint = (viewPoint + pan_) * zoom / zoom_;
    zoom_ = zoom;
    PanTo((drawnPoint - viewPoint).toPoint());
    if (onViewChange) onViewChange();
}

void PictureView::Follow(const PictureView& other) {
    zoom_ = other.zoom_;
    PanTo(other.pan_);
}

void PictureView::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    const QSize before = event->oldSize();
    if (!zoomable_ || before.isEmpty()) return;
    // The same part of the picture stays in view as the view grows.
    PanTo(QPoint(pan_.x() * width() / before.width(), pan_.y() * height() / before.height()));
}

void PictureView::wheelEvent(QWheelEvent* event) {
    if (!zoomable_ || !(event->modifiers() & Qt::ControlModifier)) return event->ignore();
    event->accept();
    wheelSteps_ += event->angleDelta().y();
    const int steps = wheelSteps_ / kWheelStep;
    wheelSteps_ -= steps * kWheelStep;
    if (steps != 0) ZoomAt(zoom_ + steps, event->position());
}

void PictureView::SetMarker(const QRect& marker) {
    marker_ = marker;
    update();
}

void PictureView::focusInEvent(QFocusEvent* event) {
    QWidget::focusInEvent(event);
    update();
}

void PictureView::focusOutEvent(QFocusEvent* event) {
    QWidget::focusOutEvent(event);
    update();
}

void PictureView::keyPressEvent(QKeyEvent* event) {
    if (onKeyPress)
        onKeyPress(event);
    else
        QWidget::keyPressEvent(event);
}

void PictureView::Forward(const std::function<void(QMouseEvent*)>& handler, QMouseEvent* event) const {
    if (!handler) return;
    QMouseEvent mapped(event->type(), PicturePoint(event->position()), event->scenePosition(), event->globalPosition(),
                       event->button(), event->buttons(), event->modifiers());
    handler(&mapped);
}

void PictureView::mouseMoveEvent(QMouseEvent* event) {
    if (pressedAt_) {
        const QPoint moved = event->position().toPoint() - *pressedAt_;
        if (!dragged_ && moved.manhattanLength() >= QApplication::startDragDistance()) {
            dragged_ = true;
            setCursor(Qt::ClosedHandCursor);
        }
        if (dragged_) {
            PanTo(panAtPress_ - moved);
            if (onViewChange) onViewChange();
        }
    }
    Forward(onMouseMove, event);
}

void PictureView::mousePressEvent(QMouseEvent* event) {
    if (!zoomable_) return Forward(onMousePress, event);
    pressedAt_ = event->position().toPoint();
    panAtPress_ = pan_;
    dragged_ = false;
}

void PictureView::mouseReleaseEvent(QMouseEvent* event) {
    if (!pressedAt_) return;
    if (!dragged_) Forward(onMousePress, event);
    pressedAt_.reset();
    dragged_ = false;
    unsetCursor();
}

}  // namespace vorbix
