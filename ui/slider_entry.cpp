#include "ui/slider_entry.h"

#include <QEvent>
#include <QIntValidator>
#include <QKeyEvent>
#include <QPainter>

namespace vorbix {

namespace {

// Refuses a keystroke that would leave a number outside the range, so "150" cannot be typed;
// an empty box is allowed while typing.
class RangeValidator : public QIntValidator {
public:
    using QIntValidator::QIntValidator;
    State validate(QString& input, int& position) const override {
        const State state = QIntValidator::validate(input, position);
        return state == Intermediate && !input.isEmpty() ? Invalid : state;
    }
};

// Enter and leaving the box move the slider to a whole number typed there; Escape, or leaving an
// empty box, takes nothing. Either way the box ends showing the slider's value. The box's own
// undo keys are left to the window, where they undo edits.
class SliderBox : public QObject {
public:
    SliderBox(QLineEdit* text, QScrollBar* slider) : QObject(text), text_(text), slider_(slider) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched != text_) return false;
        if (event->type() == QEvent::ShortcutOverride) {
            const auto* key = static_cast<QKeyEvent*>(event);
            return key->matches(QKeySequence::Undo) || key->matches(QKeySequence::Redo);
        }
        if (event->type() == QEvent::FocusOut) Apply();
        if (event->type() != QEvent::KeyPress) return false;
        switch (static_cast<QKeyEvent*>(event)->key()) {
            case Qt::Key_Return:
            case Qt::Key_Enter: Apply(); return true;
            case Qt::Key_Escape: Revert(); return true;
            default: return false;
        }
    }

private:
    void Apply() {
        bool number = false;
        const int value = text_->text().toInt(&number);
        if (number && value >= slider_->minimum() && value <= slider_->maximum()) slider_->setValue(value);
        Revert();
    }
    void Revert() { text_->setText(QString::number(slider_->value())); }

    QLineEdit* text_;
    QScrollBar* slider_;
};

class DoubleClickReset : public QObject {
public:
    DoubleClickReset(QScrollBar* slider, int value) : QObject(slider), slider_(slider), value_(value) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched != slider_ || event->type() != QEvent::MouseButtonDblClick) return false;
        slider_->setValue(value_);
        return true;
    }

private:
    QScrollBar* slider_;
    int value_;
};

}  // namespace

void FocusMarkedSlider::paintEvent(QPaintEvent* event) {
    QScrollBar::paintEvent(event);
    if (!hasFocus()) return;
    QPainter painter(this);
    painter.setPen(QPen(palette().color(QPalette::Highlight), 2));
    painter.drawRect(QRectF(rect()).adjusted(1, 1, -1, -1));
}

void TypeIntoSlider(QLineEdit* text, QScrollBar* slider) {
    text->setValidator(new RangeValidator(slider->minimum(), slider->maximum(), text));
    text->setToolTip(QString("Type %1 to %2 and press Enter (Escape takes it back)").arg(slider->minimum()).arg(slider->maximum()));
    text->installEventFilter(new SliderBox(text, slider));
}

void ResetOnDoubleClick(QScrollBar* slider, int value) {
    slider->installEventFilter(new DoubleClickReset(slider, value));
    slider->setToolTip(QString("Double-click: back to %1. Arrow keys and Page Up/Down move it.").arg(value));
}

}  // namespace vorbix
