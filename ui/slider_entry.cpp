#include "ui/slider_entry.h"

#include <QEvent>
#include <QIntValidator>

namespace vorbix {

namespace {

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

void TypeIntoSlider(QLineEdit* text, QScrollBar* slider) {
    text->setValidator(new QIntValidator(slider->minimum(), slider->maximum(), text));
    text->setToolTip(QString("Type %1 to %2 and press Enter").arg(slider->minimum()).arg(slider->maximum()));
    QObject::connect(text, &QLineEdit::returnPressed, slider, [text, slider] {
        slider->setValue(text->text().toInt());
        // A value the slider already holds does not move it; show it as the slider does.
        text->setText(QString::number(slider->value()));
    });
}

void ResetOnDoubleClick(QScrollBar* slider, int value) {
    slider->installEventFilter(new DoubleClickReset(slider, value));
    slider->setToolTip(QString("Double-click: back to %1").arg(value));
}

}  // namespace vorbix
