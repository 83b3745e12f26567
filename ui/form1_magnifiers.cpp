#include <QMouseEvent>
#include <cmath>

#include "ui/controls.h"
#include "ui/form1.h"

namespace vorbix {

namespace {

ColourValue ColourOf(const QColor& c) { return MakeColour(c.red(), c.green(), c.blue()); }
QColor QColorOf(ColourValue c) { return QColor(GetRed(c), GetGreen(c), GetBlue(c)); }

// The mix's 2 x 2 cells: top left, top right, bottom left, bottom right.
std::array<ColourValue, 4> CellsOf(const Mix& mix, bool swapped) {
    const ColourValue first = ColourOfEntry(mix.first), second = ColourOfEntry(mix.second);
    return swapped ? std::array<ColourValue, 4>{second, first, first, second}
                   : std::array<ColourValue, 4>{first, second, second, first};
}

}  // namespace

void Form1::BuildInspector() {
    picZ_ = Place(new PictureView(client_, &magnifiedSource_), "PicZ", QRect(608, 520, kMagnifierSize, kMagnifierSize));
    picZ_->setToolTip("The source around the pointer, 24 times");
    picZZ_ = Place(new PictureView(client_, &magnifiedResult_), "PicZZ", QRect(736, 520, kMagnifierSize, kMagnifierSize));
    picZZ_->setToolTip("The result around the pointer, 24 times");
    shape1_ = Place(new Swatch(client_, true), "Shape1", QRect(864, 504, 33, 33));
    shape1_->setToolTip("The source colour under the pointer");
    const QPoint cells[] = {{912, 504}, {928, 504}, {912, 520}, {928, 520}};
    for (int n = 0; n < 4; ++n) {
        mixCells_[n] = Place(new Swatch(client_, true), QString("Shape%1").arg(n + 2), QRect(cells[n], QSize(17, 17)));
        mixCells_[n]->setToolTip("The two-colour mix nearest to the source colour");
    }
    label9_ = Place(new QLabel(client_), "Label9", QRect(912, 544, 33, 17));
    label9_->setToolTip("The number of that mix, or of the nearest palette colour outside \"Pattern TVC\"");
    inspectorText_ = Place(new QLabel(client_), "InspectorText", QRect(864, 582, 176, 34));

    pic2_->setMouseTracking(true);
    pic2_->setToolTip("Point to inspect. Left click: switch the mix off. Right click: switch it on and swap its colours.");
    pic2_->onMouseMove = [this](QMouseEvent* event) { Pic2_MouseMove(event->position()); };
    pic2_->onMousePress = [this](QMouseEvent* event) { Pic2_MouseDown(event->button()); };
}

void Form1::Pic2_MouseMove(QPointF position) {
    pointer_ = position;
    Inspect();
    ShowInspector();
}

void Form1::Inspect() {
    if (!pointer_) return;
    const double x = pointer_->x(), y = pointer_->y();
    const int left = static_cast<int>(std::nearbyint(x - 2));
    const int top = static_cast<int>(std::nearbyint(y - 2));
    const ColourValue outside = ColourOf(palette().color(QPalette::Window));
    const ColourValue white = MakeColour(255, 255, 255), black = MakeColour(0, 0, 0);
    DrawMagnifier(magnifiedSource_, session_.SourceView(), left, top, outside, white, black);
    DrawMagnifier(magnifiedResult_, session_.Preview(), left, top, outside, black, white);
    const int px = static_cast<int>(std::floor(x)), py = static_cast<int>(std::floor(y));
    if (session_.SourceView().Contains(px, py)) {
        inspectedColour_ = session_.SourceView().Pixel(px, py);
        if (session_.Method() == kPatternTvc) {
            inspectedMix_ = session_.MixFor(inspectedColour_);
            inspectedMixCells_ = CellsOf(session_.Mixes()[inspectedMix_], false);
        } else {
            inspectedMix_ = session_.PaletteIndexFor(inspectedColour_);
            inspectedMixCells_.fill(ColourOfEntry(session_.PaletteInUse()[inspectedMix_]));
        }
    }
}

void Form1::Pic2_MouseDown(Qt::MouseButton button) {
    const int number = button == Qt::LeftButton ? 1 : button == Qt::RightButton ? 2 : button == Qt::MiddleButton ? 4 : 0;
    if (number == 0) return;
    if (session_.Method() != kPatternTvc) return SetStatus("Mixes are switched in \"Pattern TVC\"");
    const int k = inspectedMix_;
    // Left switches the mix off; right switches it on and swaps its colours; middle switches it on.
    history_.Run(SettledSession(), EditKind::Mixes, [&] { session_.SwitchMix(k, number != 1, number == 2); });
    ShowState();
    // The readout stays on the clicked mix, though another is now the nearest.
    const Mix& mix = session_.Mixes()[k];
    inspectedMix_ = k;
    inspectedMixCells_ = CellsOf(mix, mix.swapMarked);
    ShowInspector();
    // A click on a picture is not expected to change the mixes: say what it did and how to take it back.
    SetStatus(QString("Mix %1 %2%3 — Ctrl+Z to undo").arg(k).arg(mix.off ? "off" : "on").arg(number == 2 ? ", colours swapped" : ""));
}

void Form1::ShowInspector() {
    picZ_->update();
    picZZ_->update();
    shape1_->SetColour(inspectedColour_);
    for (int n = 0; n < 4; ++n) mixCells_[n]->SetColour(inspectedMixCells_[n]);
    label9_->setText(QString::number(inspectedMix_));
    const QColor colour = QColorOf(inspectedMixCells_[0]);
    const bool mix = session_.Method() == kPatternTvc;
    inspectorText_->setText(mix ? QString("mix %1\n%2 and %3")
                                      .arg(inspectedMix_)
                                      .arg(QColorOf(inspectedMixCells_[0]).name().toUpper())
                                      .arg(QColorOf(inspectedMixCells_[1]).name().toUpper())
                                : QString("palette colour %1\n%2").arg(inspectedMix_).arg(colour.name().toUpper()));
}

}  // namespace vorbix
