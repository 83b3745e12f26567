#pragma once

#include <QWidget>
#include <functional>

#include "core/picture.h"

namespace vorbix {

// Shows a picture that lives elsewhere (in the session), wrapped for painting without a copy.
class PictureView : public QWidget {
public:
    PictureView(QWidget* parent, const Picture* picture);
    // Shows another picture from now on.
    void Show(const Picture* picture);

    std::function<void(QMouseEvent*)> onMouseMove;
    std::function<void(QMouseEvent*)> onMousePress;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    const Picture* picture_;
};

}  // namespace vorbix
