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

    // Drawn enlarged by a whole number, each pixel a block (never smoothed); 1 at first.
    void SetZoom(int zoom);

    // A dotted frame drawn over the picture while the view has the keyboard focus.
    void SetMarker(const QRect& marker);

    std::function<void(QMouseEvent*)> onMouseMove;
    std::function<void(QMouseEvent*)> onMousePress;
    std::function<void(QKeyEvent*)> onKeyPress;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    const Picture* picture_;
    QRect marker_;
    int zoom_ = 1;
};

}  // namespace vorbix
