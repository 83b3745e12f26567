#pragma once

#include <QWidget>
#include <functional>

#include "core/picture.h"

namespace vorbix {

// A square of one colour: a palette swatch, or a shape of the inspector (with a border).
// While unavailable it is hatched, and clicks do not reach it. A swatch that can be clicked takes
// the keyboard focus: Space or Enter clicks it, the arrow keys go to its neighbours.
class Swatch : public QWidget {
public:
    Swatch(QWidget* parent, bool bordered);

    void SetColour(ColourValue colour);
    ColourValue Colour() const { return colour_; }

    // Makes the swatch clickable, by mouse and keyboard.
    void SetOnClick(std::function<void()> click);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    std::function<void()> onClick_;
    ColourValue colour_ = 0;
    bool bordered_;
};

}  // namespace vorbix
