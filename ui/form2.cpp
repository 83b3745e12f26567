#include "ui/form2.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <algorithm>

#include "ui/controls.h"
#include "dither/pattern.h"
#include "draw/pattern_chart.h"

namespace vorbix {

namespace {

constexpr int kVisibleWidth = kChartWidth - kChartHiddenColumns;
constexpr int kButtonRow = kChartHeight + 4;
constexpr int kLabelRow = kButtonRow + 34;

}  // namespace

Form2::Form2(QWidget* owner, Session& session, std::function<void(const QString& action)> afterEdit)
    // A tool window of the main window: above it always, never above other programs.
    : QWidget(owner, Qt::Tool), session_(session), afterEdit_(std::move(afterEdit)),
      chart_(kChartWidth, kChartHeight) {
    setWindowTitle("TVC Pattern");
    UseCompactLook(this);
    setFixedSize(kVisibleWidth, kLabelRow + 25);

    pic9_ = Place(new PictureView(this, &chart_), "Pic9", QRect(-kChartHiddenColumns, 0, kChartWidth, kChartHeight));
    pic9_->setToolTip("Left click or Space: switch a mix off or on. Right click, the menu key or Shift+F10: swap "
                      "its two colours. Arrow keys: choose a mix.");
    pic9_->setFocusPolicy(Qt::StrongFocus);
    pic9_->onMousePress = [this](QMouseEvent* event) { Pic9_MouseDown(event->button(), event->position()); };
    pic9_->onKeyPress = [this](QKeyEvent* event) { Pic9_KeyDown(event); };

    AddButton(this, "Command6", QRect(8, kButtonRow, 96, 25), "All On", "Switch every mix on and clear the swap marks",
              [this] { Command6_Click(); });
    AddButton(this, "Command7", QRect(108, kButtonRow, 96, 25), "All Off",
              "Switch every mix off and clear the swap marks", [this] { Command7_Click(); });
    AddButton(this, "Command9", QRect(208, kButtonRow, 96, 25), "SetT Pattern",
              "Redraw the chart from the switches, count the mixes that are on and convert",
              [this] { Command9_Click(); });
    Place(new QLabel("used :", this), "Label6", QRect(8, kLabelRow, 36, 17));
    mixesOn_ = Place(new QLabel(this), "Label7", QRect(50, kLabelRow, 40, 17));
    lastHitLabel_ = Place(new QLabel(this), "Label5", QRect(96, kLabelRow, kVisibleWidth - 104, 17));
    lastHitLabel_->setToolTip("The mix hit by the last click, and where the click was");
    ShowState();
}

void Form2::Command6_Click() {
    runEdit([this] { session_.SwitchAllMixes(true); });
    afterEdit_("All On");
}

void Form2::Command7_Click() {
    runEdit([this] { session_.SwitchAllMixes(false); });
    afterEdit_("All Off");
}

void Form2::Command9_Click() {
    runEdit([this] { session_.ApplyMixes(); });
    afterEdit_("SetT Pattern");
}

void Form2::Pic9_MouseDown(Qt::MouseButton button, QPointF position) {
    if (button != Qt::LeftButton && button != Qt::RightButton) return;
    const std::optional<int> hit = MixAt(position.x(), position.y());
    if (!hit) return;
    const int k = *hit;
    lastHit_ = ChartHit{static_cast<int>(position.x()), static_cast<int>(position.y()), k};
    keyboardMix_ = k;
    // Left switches the mix on or off, right swaps its colours.
    runEdit([&] { button == Qt::LeftButton ? session_.ToggleMix(k) : session_.SwapMix(k); });
    const Mix& mix = session_.Mixes()[k];
    afterEdit_(button == Qt::LeftButton ? QString("Mix %1 %2").arg(k).arg(mix.off ? "off" : "on")
                                        : QString("Mix %1 colours swapped").arg(k));
}

void Form2::Pic9_KeyDown(QKeyEvent* event) {
    const MixPair at = MixOfIndex(keyboardMix_);
    // Mix (j, i) exists for j <= i <= 14.
    int j = at.j, i = at.i;
    switch (event->key()) {
        case Qt::Key_Left: i = std::max(i - 1, j); break;
        case Qt::Key_Right: i = std::min(i + 1, 14); break;
        case Qt::Key_Up: j = std::max(j - 1, 0); break;
        case Qt::Key_Down: j = std::min(j + 1, i); break;
        case Qt::Key_Space:
        case Qt::Key_Menu:
        case Qt::Key_F10: {
            if (event->key() == Qt::Key_F10 && !(event->modifiers() & Qt::ShiftModifier)) return event->ignore();
            const ChartPlace place = ChartPlaceOf(keyboardMix_);
            const QPointF centre(place.boxLeft + place.boxExtent / 2.0, place.boxTop + place.boxExtent / 2.0);
            Pic9_MouseDown(event->key() == Qt::Key_Space ? Qt::LeftButton : Qt::RightButton, centre);
            return;
        }
        default: return event->ignore();
    }
    keyboardMix_ = MixIndex(j, i);
    ShowKeyboardMix();
}

void Form2::ShowKeyboardMix() {
    const ChartPlace place = ChartPlaceOf(keyboardMix_);
    pic9_->SetMarker(QRect(place.boxLeft - 2, place.boxTop - 2, place.boxExtent + 5, place.boxExtent + 5));
}

void Form2::ShowState() {
    DrawPatternChart(chart_, session_.Mixes());
    ShowKeyboardMix();
    pic9_->update();
    mixesOn_->setText(QString::number(session_.Mixes().OnCount()));
    if (lastHit_) lastHitLabel_->setText(QString("mix %1 at %2, %3").arg(lastHit_->mix).arg(lastHit_->x).arg(lastHit_->y));
}

}  // namespace vorbix
