#include "ui/growing_client.h"

#include <QResizeEvent>
#include <algorithm>

#include "core/tvc.h"

namespace vorbix {

namespace {

// One step: each preview one pixel more per TVC line, and as much wider as keeps its shape.
constexpr QSize kStep(kPreviewWidth / 2, kPreviewHeight / 2);

}  // namespace

GrowingClient::GrowingClient(QWidget* parent, QSize base) : QWidget(parent), base_(base) {
    setMinimumSize(base);
}

void GrowingClient::TakeBasePlaces(QWidget* left, QWidget* right, const std::vector<QWidget*>& widening) {
    left_ = left->geometry();
    right_ = right->geometry();
    places_.clear();
    for (QWidget* control : findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        places_.push_back({control, control->geometry(), std::ranges::find(widening, control) != widening.end()});
    Lay();
}

void GrowingClient::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    Lay();
}

void GrowingClient::Lay() {
    if (places_.empty()) return;
    const QSize room = size() - base_;
    // Side by side, the two previews take twice their own growth across.
    steps_ = std::max(0, std::min(room.width() / (2 * kStep.width()), room.height() / kStep.height()));
    const int across = steps_ * kStep.width(), down = steps_ * kStep.height();
    const QSize preview = left_.size() + QSize(across, down);
    for (const BasePlace& placed : places_) {
        if (!placed.control) continue;
        const QRect base = placed.place;
        QRect place = base;
        if (base == left_) {
            place = QRect(base.topLeft(), preview);
        } else if (base == right_) {
            place = QRect(base.topLeft() + QPoint(across, 0), preview);
        } else {
            const bool besideRight = base.left() > right_.right();
            const bool below = !besideRight && base.top() > left_.center().y();
            const int shift = besideRight ? 2 * across : base.left() > left_.left() ? across : 0;
            place.translate(shift, below ? down : 0);
            if (placed.widens) place.setWidth(base.width() + across);
        }
        placed.control->setGeometry(place);
    }
}

}  // namespace vorbix
