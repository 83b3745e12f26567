#include <QScrollBar>
#include <functional>

#include "draw/magnifier.h"
#include "gui_fixture.h"

namespace vorbix {
namespace {

class Readouts : public GuiTest {
protected:
    void SetUp() override {
        GuiTest::SetUp();
        OpenGradientBesideAnother();
    }

    // The readouts as a pointer resting at the place would show them now.
    void ExpectReadoutsAt(QPoint at) {
        const ColourValue window = MakeColour(form_->palette().color(QPalette::Window).red(),
                                              form_->palette().color(QPalette::Window).green(),
                                              form_->palette().color(QPalette::Window).blue());
        const ColourValue white = MakeColour(255, 255, 255), black = MakeColour(0, 0, 0);
        Picture source(kMagnifierSize, kMagnifierSize), result(kMagnifierSize, kMagnifierSize);
        DrawMagnifier(source, session().SourceView(), at.x() - 2, at.y() - 2, window, white, black);
        DrawMagnifier(result, session().Preview(), at.x() - 2, at.y() - 2, window, black, white);
        EXPECT_TRUE(form_->MagnifiedSource() == source) << "the source magnifier";
        EXPECT_TRUE(form_->MagnifiedResult() == result) << "the result magnifier";
        const ColourValue colour = session().SourceView().Pixel(at.x(), at.y());
        EXPECT_EQ(Find<Swatch>("Shape1")->Colour(), colour);
        const int index = session().Method() == kPatternTvc ? session().MixFor(colour) : session().PaletteIndexFor(colour);
        EXPECT_EQ(Find<QLabel>("Label9")->text(), QString::number(index));
    }
};

// The magnifiers, the source colour and the mix or palette colour beside them follow every
// change of the picture at once, with the pointer resting where it was.
TEST_F(Readouts, ReadoutsFollowEveryConversionAtTheLastPointerPlace) {
    Click("Option2_0");
    Click("Option1_2");  // "Floyd": the palette colour readout
    const QPoint at(100, 50);
    QTest::mouseMove(Find("Pic2"), at);
    ExpectReadoutsAt(at);

    const struct {
        const char* name;
        std::function<void()> change;
    } changes[] = {
        {"best colours", [&] { Click("BestColours2"); }},
        {"slider", [&] {
             Find<QScrollBar>("HScroll1")->setValue(85);
             WaitForSlider();
         }},
        {"swatch", [&] {
             Click("Label1_2");
             Click("Label3_0");
         }},
        {"undo", [&] { form_->Undo(); }},
        {"method", [&] { Click("Option1_17"); }},
        {"mode", [&] { Click("Option2_2"); }},
        {"chart", [&] { Click("Command7", form_->ChartWindow()); }},  // "All Off"
        {"picture", [&] { ClickFile("other.bmp"); }},
    };
    for (const auto& change : changes) {
        SCOPED_TRACE(change.name);
        const Picture before = session().Preview();
        const Picture sourceBefore = session().SourceView();
        change.change();
        ASSERT_TRUE(session().Preview() != before || session().SourceView() != sourceBefore) << "a change to see";
        ExpectReadoutsAt(at);
    }
}

// A click on the preview switches the pointed mix; the status line says so and how to take it
// back, and the readout keeps that mix, so that a second left click changes nothing.
TEST_F(Readouts, AClickThatSwitchesAMixSaysSoAndHowToTakeItBack) {
    const QPoint at(400, 300);
    auto* pic2 = Find("Pic2");
    QTest::mouseMove(pic2, at);
    const int mix = form_->InspectedMix();
    ASSERT_NE(mix, 0) << "a mix other than the readout's first";

    QTest::mouseClick(pic2, Qt::LeftButton, {}, at);
    EXPECT_TRUE(session().Mixes()[mix].off);
    EXPECT_TRUE(StatusLine().startsWith(QString("Mix %1 off — Ctrl+Z to undo").arg(mix))) << StatusLine().toStdString();
    EXPECT_EQ(form_->InspectedMix(), mix);
    QTest::mouseClick(pic2, Qt::RightButton, {}, at);
    EXPECT_FALSE(session().Mixes()[mix].off);
    EXPECT_TRUE(StatusLine().startsWith(QString("Mix %1 on, colours swapped — Ctrl+Z to undo").arg(mix)))
        << StatusLine().toStdString();
    form_->Undo();
    EXPECT_TRUE(session().Mixes()[mix].off);
}

}  // namespace
}  // namespace vorbix
