#include "ui/form2.h"

#include <QMouseEvent>

#include "ui/controls.h"
#include "ui/pattern_chart.h"

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
    lastHit_ = Place(new QLabel(this), "Label5", QRect(96, kLabelRow, kVisibleWidth - 104, 17));
    lastHit_->setToolTip("The mix hit by the last click, and where the click was");
    ShowState();
}

void Form2::Command6_Click() {
    runEdit([this] { session_.ChartAllOn(); });
    afterEdit_();
}

void Form2::Command7_Click() {
    runEdit([this] { session_.ChartAllOff(); });
    afterEdit_();
}

void Form2::Command9_Click() {
    session_.ChartSetTPattern();
    afterEdit_();
}

void Form2::Pic9_MouseDown(Qt::MouseButton button, QPointF position) {
    const int number = button == Qt::LeftButton ? 1 : button == Qt::RightButton ? 2 : 0;
    if (number == 0) return;
    bool hit = false;
    runEdit([&] { hit = session_.Pic9_MouseDown(number, position.x(), position.y()); });
    if (hit) afterEdit_();
}

void Form2::ShowState() {
    DrawPatternChart(chart_, session_.State());
    pic9_->update();
    mixesOn_->setText(QString::number(session_.MixesOn()));
    if (const auto& hit = session_.LastChartHit())
        lastHit_->setText(QString("mix %1 at %2, %3").arg(hit->mix).arg(hit->x).arg(hit->y));
}

}  // namespace vorbix
