#include "ui/swatch.h"

#include <QMouseEvent>
#include <QPainter>

namespace vorbix {

Swatch::Swatch(QWidget* parent, bool bordered) : QWidget(parent), bordered_(bordered) {}

void Swatch::SetColor(ColorValue color) {
    if (color == color_) return;
    color_ = color;
    update();
}

void Swatch::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), QColor(GetRed(color_), GetGreen(color_), GetBlue(color_)));
    if (!isEnabled()) painter.fillRect(rect(), QBrush(palette().color(QPalette::Window), Qt::BDiagPattern));
    if (bordered_) {
        painter.setPen(Qt::black);
        painter.drawRect(rect().adjusted(0, 0, -1, -1));
    }
}

void Swatch::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && onClick) onClick();
}

}  // namespace vorbix
