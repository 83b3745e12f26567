#include <QMouseEvent>

#include "ui/controls.h"
#include "ui/form1.h"

namespace vorbix {

void Form1::BuildInspector() {
    picZ_ = Place(new PictureView(this, &session_.PicZ()), "PicZ", QRect(608, 520, kMagnifierSize, kMagnifierSize));
    picZ_->setToolTip("The source around the pointer, 24 times");
    picZZ_ = Place(new PictureView(this, &session_.PicZZ()), "PicZZ", QRect(736, 520, kMagnifierSize, kMagnifierSize));
    picZZ_->setToolTip("The result around the pointer, 24 times");
    shape1_ = Place(new Swatch(this, true), "Shape1", QRect(864, 504, 33, 33));
    shape1_->setToolTip("The source colour under the pointer");
    const QPoint cells[] = {{912, 504}, {928, 504}, {912, 520}, {928, 520}};
    for (int n = 0; n < 4; ++n) {
        mixCells_[n] = Place(new Swatch(this, true), QString("Shape%1").arg(n + 2), QRect(cells[n], QSize(17, 17)));
        mixCells_[n]->setToolTip("The two-colour mix nearest to the source colour");
    }
    label9_ = Place(new QLabel(this), "Label9", QRect(912, 544, 33, 17));
    label9_->setToolTip("The number of that mix");

    pic2_->setMouseTracking(true);
    pic2_->setToolTip("Point to inspect. Left click: switch the mix off. Right click: switch it on and swap its colours.");
    pic2_->onMouseMove = [this](QMouseEvent* event) { Pic2_MouseMove(event->position()); };
    pic2_->onMousePress = [this](QMouseEvent* event) { Pic2_MouseDown(event->button()); };
}

void Form1::Pic2_MouseMove(QPointF position) {
    session_.Pic2_MouseMove(position.x(), position.y());
    ShowInspector();
}

void Form1::Pic2_MouseDown(Qt::MouseButton button) {
    const int number = button == Qt::LeftButton ? 1 : button == Qt::RightButton ? 2 : button == Qt::MiddleButton ? 4 : 0;
    if (number == 0) return;
    const int mix = session_.InspectedMix();
    history_.Run(session_, EditKind::Mixes, [&] { session_.Pic2_MouseDown(number); });
    ShowState();
    const bool off = session_.State().patternFlags[mix][0] == 1;
    ShowConversion(QString("Mix %1 %2%3").arg(mix).arg(off ? "off" : "on").arg(number == 2 ? ", colours swapped" : ""));
}

void Form1::ShowInspector() {
    picZ_->update();
    picZZ_->update();
    shape1_->SetColor(session_.InspectedColor());
    for (int n = 0; n < 4; ++n) mixCells_[n]->SetColor(session_.InspectedMixCells()[n]);
    label9_->setText(QString::number(session_.InspectedMix()));
}

}  // namespace vorbix
