#include "ui/picture_view.h"

#include <QImage>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

namespace vorbix {

PictureView::PictureView(QWidget* parent, const Picture* picture) : QWidget(parent), picture_(picture) {
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void PictureView::Show(const Picture* picture) {
    picture_ = picture;
    update();
}

void PictureView::paintEvent(QPaintEvent*) {
    if (!picture_ || picture_->Empty()) return;
    const QImage image(picture_->Data(), picture_->Width(), picture_->Height(), picture_->Width() * 3,
                       QImage::Format_BGR888);
    QPainter painter(this);
    painter.drawImage(QRect(0, 0, image.width() * zoom_, image.height() * zoom_), image);
    if (hasFocus() && !marker_.isEmpty()) {
        painter.setPen(QPen(Qt::white, 1, Qt::DotLine));
        painter.drawRect(marker_);
    }
}

void PictureView::SetZoom(int zoom) {
    zoom_ = zoom;
    update();
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

void PictureView::mouseMoveEvent(QMouseEvent* event) {
    if (onMouseMove) onMouseMove(event);
}

void PictureView::mousePressEvent(QMouseEvent* event) {
    if (onMousePress) onMousePress(event);
}

}  // namespace vorbix
