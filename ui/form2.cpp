#include "ui/form2.h"

#include <QMouseEvent>

#include "ui/controls.h"
#include "draw/pattern_chart.h"

namespace vorbix {

namespace {

constexpr int kVisibleWidth = kChartWidth - kChartHiddenColumns;
constexpr int kButtonRow = kChartHeight + 4;
constexpr int kLabelRow = kButtonRow + 34;

}  // namespace

Form2::Form2(QWidget* owner, Session& session, std::function<void()> afterEdit)
    : QWidget(owner, Qt::Window), session_(session), afterEdit_(std::move(afterEdit)),
      chart_(kChartWidth, kChartHeight) {
    setWindowTitle("TVC Pattern");
    UseCompactLook(this);
    setFixedSize(kVisibleWidth, kLabelRow + 25);

    pic9_ = Place(new PictureView(this, &chart_), "Pic9", QRect(-kChartHiddenColumns, 0, kChartWidth, kChartHeight));
    pic9_->setToolTip("Left click: switch a mix off or on. Right click: swap its two colours.");
    pic9_->onMousePress = [this](QMouseEvent* event) { Pic9_MouseDown(event->button(), event->position()); };

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
    afterEdit_();
}

void Form2::Command7_Click() {
    runEdit([this] { session_.SwitchAllMixes(false); });
    afterEdit_();
}

void Form2::Command9_Click() {
    session_.ApplyMixes();
    afterEdit_();
}

void Form2::Pic9_MouseDown(Qt::MouseButton button, QPointF position) {
    if (button != Qt::LeftButton && button != Qt::RightButton) return;
    const std::optional<int> hit = MixAt(position.x(), position.y());
    if (!hit) return;
    const int k = *hit;
    lastHit_ = ChartHit{static_cast<int>(position.x()), static_cast<int>(position.y()), k};
    // Left switches the mix on or off, right swaps its colours.
    runEdit([&] { button == Qt::LeftButton ? session_.ToggleMix(k) : session_.SwapMix(k); });
    afterEdit_();
}

void Form2::ShowState() {
    DrawPatternChart(chart_, session_.Mixes());
    pic9_->update();
    mixesOn_->setText(QString::number(session_.MixesOn()));
    if (lastHit_) lastHitLabel_->setText(QString("mix %1 at %2, %3").arg(lastHit_->mix).arg(lastHit_->x).arg(lastHit_->y));
}

}  // namespace vorbix
