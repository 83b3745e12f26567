#pragma once

#include <QWidget>
#include <functional>
#include <optional>

#include "core/picture.h"

namespace vorbix {

// Shows a picture that lives elsewhere (in the session), wrapped for painting without a copy.
// Pointer positions reach the handlers in the picture's own pixels.
class PictureView : public QWidget {
public:
    PictureView(QWidget* parent, const Picture* picture);
    // Shows another picture from now on.
    void Show(const Picture* picture);

    // Drawn enlarged by a whole number, each pixel a block (never smoothed); 1 at first.
    void SetZoom(int zoom);

    // From now on the picture fills the view, whatever its size, and the user zooms it with
    // Ctrl+wheel in whole steps of the view's size and pans it by dragging. A click is then a
    // press and release without a drag, reported at the release.
    void MakeZoomable();
    int Zoom() const { return zoom_; }
    // The picture's pixel at a point of the view.
    QPointF PicturePoint(QPointF viewPoint) const;
    // Takes the other view's zoom and the part of the picture it shows.
    void Follow(const PictureView& other);
    // The user zoomed or panned this view.
    std::function<void()> onViewChange;

    // A dotted frame drawn over the picture while the view has the keyboard focus.
    void SetMarker(const QRect& marker);

    std::function<void(QMouseEvent*)> onMouseMove;
    std::function<void(QMouseEvent*)> onMousePress;
    std::function<void(QKeyEvent*)> onKeyPress;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    // The size the whole picture is drawn at.
    QSize DrawnSize() const;
    // Shows the part of the picture from this point of the drawn picture on, kept inside it.
    void PanTo(QPoint offset);
    void ZoomAt(int zoom, QPointF viewPoint);
    // The event with its position in the picture's pixels.
    void Forward(const std::function<void(QMouseEvent*)>& handler, QMouseEvent* event) const;

    const Picture* picture_;
    QRect marker_;
    int zoom_ = 1;
    bool zoomable_ = false;
    QPoint pan_;  // the view's top left in the drawn picture
    int wheelSteps_ = 0;  // in eighths of a degree, as wheels report them
    std::optional<QPoint> pressedAt_;  // a button is down here; a click or a drag follows
    QPoint panAtPress_;
    bool dragged_ = false;
};

}  // namespace vorbix
