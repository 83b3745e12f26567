#include <QSignalBlocker>
#include <memory>
#include <utility>

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
    // A drag is one move; moves of other sliders in between keep their order, as each starts the
    // view afresh from the loaded picture.
    if (!sliderMoves_.empty() && sliderMoves_.back().slider == slider)
        sliderMoves_.back().value = value;
    else
        sliderMoves_.push_back({slider, value});
    sliderTexts_[slider]->setText(QString::number(value));
    // A copy converts on a thread of its own, so that a dragged slider never holds the window up.
    sliderRequest_.Ask([this, moved = std::make_shared<Session>(session_), moves = sliderMoves_, slider,
                        value]() -> NewestRequest::Answer {
        for (const SliderMove& move : moves) moved->MoveSlider(static_cast<Slider>(move.slider), move.value);
        return [this, moved, slider, value] {
            sliderMoves_.clear();
            session_ = std::move(*moved);
            ShowState();
            ShowConversion(QString("%1 %2").arg(kSliderCaptions[slider]).arg(value));
        };
    });
}

Session& Form1::SettledSession() {
    if (sliderMoves_.empty()) return session_;
    sliderRequest_.Forget();
    for (const SliderMove& move : std::exchange(sliderMoves_, {}))
        session_.MoveSlider(static_cast<Slider>(move.slider), move.value);
    return session_;
}

void Form1::ShowSliders() {
    for (int n = 0; n < kSliderCount; ++n) {
        int value = session_.SliderValue(static_cast<Slider>(n));
        for (const SliderMove& move : sliderMoves_)
            if (move.slider == n) value = move.value;
        const QSignalBlocker block(sliders_[n]);
        sliders_[n]->setValue(value);
        sliderTexts_[n]->setText(QString::number(value));
    }
}

}  // namespace vorbix
