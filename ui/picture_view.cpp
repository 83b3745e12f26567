#include "ui/picture_view.h"

#include <QImage>
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
    if (picture_->Empty()) return;
    const QImage image(picture_->Data(), picture_->Width(), picture_->Height(), picture_->Width() * 3,
                       QImage::Format_BGR888);
    QPainter(this).drawImage(0, 0, image);
}

void PictureView::mouseMoveEvent(QMouseEvent* event) {
    if (onMouseMove) onMouseMove(event);
}

void PictureView::mousePressEvent(QMouseEvent* event) {
    if (onMousePress) onMousePress(event);
}

}  // namespace vorbix
