#include <QSignalBlocker>

#include "ui/controls.h"
#include "ui/form1.h"
#include "ui/slider_entry.h"

namespace vorbix {

namespace {

const char* const kSliderCaptions[kSliderCount] = {"Brightness", "Gamma", "Color", "Contrast"};

}  // namespace

void Form1::BuildSliders() {
    for (int n = 0; n < kSliderCount; ++n) {
        auto* frame = Place(new QGroupBox(kSliderCaptions[n], client_), QString("Frame%1").arg(6 + n),
                            QRect(160, 520 + 40 * n, 281, 41));
        auto* slider = Place(new FocusMarkedSlider(frame), QString("HScroll%1").arg(n + 1), QRect(8, 16, 209, 17));
        slider->setRange(0, 100);
        slider->setPageStep(10);
        slider->setFocusPolicy(Qt::StrongFocus);
        slider->setInvertedControls(false);  // the right arrow key raises the value, as on a slider
        // Tracking is on, so the preview follows while the thumb is dragged.
        connect(slider, &QScrollBar::valueChanged, this, [this, n](int value) { HScroll_Change(n, value); });
        auto* text = Place(new QLineEdit(frame), QString("Text%1").arg(n + 1), QRect(232, 16, 33, 19));
        TypeIntoSlider(text, slider);
        ResetOnDoubleClick(slider, kSliderMiddle);
        sliders_[n] = slider;
        sliderTexts_[n] = text;
    }
}

void Form1::HScroll_Change(int slider, int value) {
    session_.MoveSlider(static_cast<Slider>(slider), value);
    ShowState();
    ShowConversion(QString("%1 %2").arg(kSliderCaptions[slider]).arg(value));
}

void Form1::ShowSliders() {
    for (int n = 0; n < kSliderCount; ++n) {
        const int value = session_.SliderValue(static_cast<Slider>(n));
        const QSignalBlocker block(sliders_[n]);
        sliders_[n]->setValue(value);
        sliderTexts_[n]->setText(QString::number(value));
    }
}

}  // namespace vorbix
