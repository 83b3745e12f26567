#pragma once

#include <QWidget>
#include <functional>

#include "core/picture.h"

namespace vorbix {

// A square of one colour: a palette swatch, or a shape of the inspector (with a border).
// While unavailable it is hatched, and clicks do not reach it.
class Swatch : public QWidget {
public:
    Swatch(QWidget* parent, bool bordered);

    void SetColor(ColorValue color);
    ColorValue Color() const { return color_; }

    std::function<void()> onClick;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    ColorValue color_ = 0;
    bool bordered_;
};

}  // namespace vorbix
