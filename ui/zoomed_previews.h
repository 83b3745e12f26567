#pragma once

#include <QWidget>

#include "core/picture.h"
#include "ui/picture_view.h"

namespace vorbix {

// "Previews at 2×": the source view and the result side by side, each pixel a 2 × 2 block, for
// large screens; it scrolls where the screen is smaller. It shows pictures that live in the
// document and follows them when told to.
class ZoomedPreviews : public QWidget {
public:
    static constexpr int kZoom = 2;

    explicit ZoomedPreviews(QWidget* owner);
    void Show(const Picture* source, const Picture* result);

protected:
    void keyPressEvent(QKeyEvent* event) override;  // Escape and Ctrl+W close it

private:
    PictureView* source_;
    PictureView* result_;
};

}  // namespace vorbix
