#pragma once

#include <QLineEdit>
#include <QScrollBar>

namespace vorbix {

// The text box beside a slider takes a whole number 0 to 100; Enter or leaving the box moves the
// slider there, exactly as dragging it would, and the box always ends showing the slider's value.
void TypeIntoSlider(QLineEdit* text, QScrollBar* slider);

// A horizontal slider that shows when it has the keyboard focus: the style draws no mark of
// its own on a scroll bar.
class FocusMarkedSlider : public QScrollBar {
public:
    explicit FocusMarkedSlider(QWidget* parent) : QScrollBar(Qt::Horizontal, parent) {}

protected:
    void paintEvent(QPaintEvent* event) override;
};

// A double-click on the slider moves it to the value, exactly as dragging it there would.
void ResetOnDoubleClick(QScrollBar* slider, int value);

}  // namespace vorbix
