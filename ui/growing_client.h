#pragma once

#include <QPointer>
#include <QRect>
#include <QWidget>
#include <vector>

namespace vorbix {

// The main window's client area. At its base size every control stays at the place it was given.
// Made larger, the two previews along the top grow in whole steps, each step one screen pixel more
// per TVC line (and per Graphics 4 pixel across), and the controls beside and below them move
// with them: below the left preview they keep to its right edge, below the right preview to its
// left edge, so that the magnifiers and the readouts beside them stay together, and the column
// right of the previews moves right. Controls named as
// widening grow as wide as the previews grow. Room short of a whole step stays empty at the right
// and the bottom.
class GrowingClient : public QWidget {
public:
    GrowingClient(QWidget* parent, QSize base);

    // Takes every control's place as its base place; left and right are the previews.
    void TakeBasePlaces(QWidget* left, QWidget* right, const std::vector<QWidget*>& widening);
    // Screen pixels per TVC line in the previews: 2 at the base size.
    int LineHeight() const { return kBaseLineHeight + steps_; }

    QSize sizeHint() const override { return base_; }

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    static constexpr int kBaseLineHeight = 2;
    struct BasePlace {
        QPointer<QWidget> control;
        QRect place;
        bool widens;
    };
    void Lay();

    QSize base_;
    QRect left_;   // the previews' base places
    QRect right_;
    std::vector<BasePlace> places_;
    int steps_ = 0;
};

}  // namespace vorbix
