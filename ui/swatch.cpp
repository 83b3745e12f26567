#include "ui/swatch.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

namespace vorbix {

Swatch::Swatch(QWidget* parent, bool bordered) : QWidget(parent), bordered_(bordered) {}

void Swatch::SetColour(ColourValue colour) {
    if (colour == colour_) return;
    colour_ = colour;
    update();
}

void Swatch::SetOnClick(std::function<void()> click) {
    onClick_ = std::move(click);
    setFocusPolicy(Qt::StrongFocus);
}

void Swatch::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), QColor(GetRed(colour_), GetGreen(colour_), GetBlue(colour_)));
    if (!isEnabled()) painter.fillRect(rect(), QBrush(palette().color(QPalette::Window), Qt::BDiagPattern));
    if (bordered_) {
        painter.setPen(Qt::black);
        painter.drawRect(rect().adjusted(0, 0, -1, -1));
    }
    if (hasFocus()) {
        // Seen on any colour: a dark line with a light one inside it.
        painter.setPen(Qt::black);
        painter.drawRect(rect().adjusted(0, 0, -1, -1));
        painter.setPen(QPen(Qt::white, 1, Qt::DotLine));
        painter.drawRect(rect().adjusted(1, 1, -2, -2));
    }
}

void Swatch::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && onClick_) onClick_();
}

void Swatch::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
        case Qt::Key_Space:
        case Qt::Key_Return:
        case Qt::Key_Enter:
            if (onClick_) onClick_();
            return;
        case Qt::Key_Up:
        case Qt::Key_Left: focusNextPrevChild(false); return;
        case Qt::Key_Down:
        case Qt::Key_Right: focusNextPrevChild(true); return;
        default: QWidget::keyPressEvent(event);
    }
}

void Swatch::focusInEvent(QFocusEvent* event) {
    QWidget::focusInEvent(event);
    update();
}

void Swatch::focusOutEvent(QFocusEvent* event) {
    QWidget::focusOutEvent(event);
    update();
}

}  // namespace vorbix
