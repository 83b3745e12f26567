#include <QCoreApplication>
#include <QPushButton>
#include <QScrollBar>

#include "gui_fixture.h"
#include "ui/candidate_strip.h"

namespace vorbix {
namespace {

class Editing : public GuiTest {
protected:
    void SetUp() override {
        GuiTest::SetUp();
        OpenGradientBesideAnother();
    }

    void Type(const QString& box, const QString& text) {
        auto* edit = Find<QLineEdit>(box);
        edit->setFocus();
        edit->selectAll();
        QTest::keyClicks(edit, text);
        QTest::keyClick(edit, Qt::Key_Return);
    }

    void Keys(Qt::KeyboardModifiers modifiers, QWidget* window = nullptr) {
        QTest::keyClick(window ? window : form_.get(), Qt::Key_Z, modifiers);
    }
};

TEST_F(Editing, ATypedValueMovesTheSliderAsADragThereDoes) {
    for (int n = 1; n <= 4; ++n) {
        SCOPED_TRACE(n);
        auto* slider = Find<QScrollBar>(QString("HScroll%1").arg(n));
        const long before = Conversions();
        Type(QString("Text%1").arg(n), "73");
        EXPECT_EQ(slider->value(), 73);
        WaitForSlider();
        EXPECT_EQ(session().SliderValue(static_cast<Slider>(n - 1)), 73);
        EXPECT_EQ(Conversions(), before + 1);
        const Picture typed = session().Preview(), typedSource = session().SourceView();

        slider->setValue(40);
        slider->setValue(73);
        WaitForSlider();
        EXPECT_EQ(session().Preview(), typed);
        EXPECT_EQ(session().SourceView(), typedSource);

        const long after = Conversions();
        Type(QString("Text%1").arg(n), "73");  // where the slider stands: no move
        EXPECT_EQ(Conversions(), after);
        EXPECT_EQ(slider->value(), 73);
    }
}

// A slider's move converts in the background; the newest move shows, moves of two sliders keep
// their order, and an edit or a save made before it shows starts from it.
TEST_F(Editing, SliderMovesConvertInTheBackgroundAndEditsAndSavesStartFromThem) {
    const Session start = session();
    const auto moved = [&](std::initializer_list<std::pair<Slider, int>> moves) {
        Session expected = start;
        for (const auto& [slider, value] : moves) expected.MoveSlider(slider, value);
        return expected.SourceView();
    };
    auto* brightness = Find<QScrollBar>("HScroll1");
    auto* contrast = Find<QScrollBar>("HScroll4");

    for (int value : {60, 65, 80}) brightness->setValue(value);
    EXPECT_TRUE(form_->SliderMoving());
    EXPECT_EQ(Find<QLineEdit>("Text1")->text(), "80");
    WaitForSlider();
    EXPECT_EQ(session().SliderValue(Slider::Brightness), 80);
    EXPECT_EQ(session().SourceView(), moved({{Slider::Brightness, 80}}));

    brightness->setValue(62);
    contrast->setValue(40);
    WaitForSlider();
    EXPECT_EQ(session().SourceView(), moved({{Slider::Brightness, 62}, {Slider::Contrast, 40}}));

    // "All Off" while a move converts: undone, the mixes come back and the move stays.
    const int on = session().Mixes().OnCount();
    contrast->setValue(30);
    form_->ChartWindow()->Command7_Click();
    EXPECT_FALSE(form_->SliderMoving());
    EXPECT_EQ(session().Mixes().OnCount(), 0);
    const Picture thirty = moved({{Slider::Brightness, 62}, {Slider::Contrast, 30}});
    EXPECT_EQ(session().SourceView(), thirty);
    form_->Undo();
    EXPECT_EQ(session().Mixes().OnCount(), on);
    EXPECT_EQ(session().SourceView(), thirty);
    EXPECT_EQ(contrast->value(), 30);

    // "Save" while a move converts writes the move's result.
    contrast->setValue(20);
    form_->Command3_Click();
    EXPECT_EQ(session().SliderValue(Slider::Contrast), 20);
    const std::vector<std::uint8_t> tim = session().ScreenTimFileBytes();
    EXPECT_EQ(Bytes(QDir(temp_.path()).filePath("program/screen.tim")),
              QByteArray(reinterpret_cast<const char*>(tim.data()), static_cast<qsizetype>(tim.size())));
}

TEST_F(Editing, ADoubleClickPutsTheSliderBackTo50AsADragThereDoes) {
    auto* slider = Find<QScrollBar>("HScroll2");
    slider->setValue(20);
    QTest::mouseDClick(slider, Qt::LeftButton, {}, slider->rect().center());
    EXPECT_EQ(slider->value(), 50);
    EXPECT_EQ(Find<QLineEdit>("Text2")->text(), "50");
    const Picture reset = session().Preview();
    slider->setValue(20);
    slider->setValue(50);
    EXPECT_EQ(session().Preview(), reset);
}

TEST_F(Editing, UndoAndRedoKeysStepThroughSwatchMixSetAndCommand2Edits) {
    Click("Option2_1");
    const Session start = session();
    Click("Label1_12");
    Click("Label2_3");
    Click("Command7", form_->ChartWindow());  // "All Off"
    Click("Command6");                        // "Set"
    Click("Command2");
    const Session edited = session();
    ASSERT_NE(edited.Settings().swatches4[3], start.Settings().swatches4[3]);

    for (int step = 0; step < 4; ++step) Keys(Qt::ControlModifier, step % 2 ? form_->ChartWindow() : nullptr);
    EXPECT_EQ(session().TakeSnapshot(true, true), start.TakeSnapshot(true, true));
    EXPECT_EQ(session().Preview(), start.Preview());
    EXPECT_EQ(Find<Swatch>("Label2_3")->Colour(), start.Settings().swatches4[3]);
    EXPECT_TRUE(Find<QLabel>("Status")->toolTip().startsWith("Undone")) << Find<QLabel>("Status")->toolTip().toStdString();
    Keys(Qt::ControlModifier);
    EXPECT_EQ(Find<QLabel>("Status")->toolTip(), "Nothing to undo");

    for (int step = 0; step < 4; ++step) Keys(Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(session().TakeSnapshot(true, true), edited.TakeSnapshot(true, true));
    EXPECT_EQ(session().Preview(), edited.Preview());

    ClickFile("other.bmp");  // a load starts afresh
    Keys(Qt::ControlModifier);
    EXPECT_EQ(Find<QLabel>("Status")->toolTip(), "Nothing to undo");
}

TEST_F(Editing, LikenessFollowsTheConversionAndBestColoursIsOneUndoStepInItsMode) {
    auto* likeness = Find<QLabel>("Likeness");
    EXPECT_TRUE(LikenessShown()) << likeness->text().toStdString();
    EXPECT_FALSE(Find<QPushButton>("BestColours4")->isEnabled()) << "Graphics 16 has no swatches to choose";

    Click("Option2_1");
    QCoreApplication::processEvents();
    const double before = session().Likeness();
    const auto swatches = session().Settings().swatches4;
    EXPECT_TRUE(Find<QPushButton>("BestColours4")->isEnabled());
    EXPECT_FALSE(Find<QPushButton>("BestColours2")->isEnabled());
    Click("BestColours4");
    EXPECT_LT(session().Likeness(), before);
    EXPECT_TRUE(LikenessShown()) << likeness->text().toStdString();
    for (ColourValue c : session().Settings().swatches4)
        EXPECT_EQ(ShownColour(TvcColourByte(EntryFromColour(c))), EntryFromColour(c)) << "a TVC colour";

    Keys(Qt::ControlModifier);
    EXPECT_EQ(session().Settings().swatches4, swatches) << "one undo step puts all four back";
}

TEST_F(Editing, BestColoursOffersItsSetsBesideTheSwatchesAndAClickTakesOneAsOneUndoStep) {
    auto* strip = Find<CandidateStrip>("CandidateStrip");
    EXPECT_FALSE(strip->isVisible()) << "nothing offered yet";
    Click("Option2_0");
    Click("BestColours2");
    QCoreApplication::processEvents();
    const std::vector<SwatchCandidate> offered = strip->Offered();
    ASSERT_GE(offered.size(), 2u);
    EXPECT_TRUE(strip->isVisible());
    const auto swatches = [&] {
        const auto& two = session().Settings().swatches2;
        return std::vector<ColourValue>(two.begin(), two.end());
    };
    EXPECT_EQ(swatches(), offered[0].swatches) << "the best is taken at once";
    for (int i = 0; i < kMaxSwatchCandidates; ++i) {
        SCOPED_TRACE(i);
        const bool shown = i < static_cast<int>(offered.size());
        EXPECT_EQ(Find<QWidget>(QString("CandidateFrame%1").arg(i))->isVisible(), shown);
        if (shown) {
            EXPECT_EQ(Find<QLabel>(QString("CandidateScore%1").arg(i))->text(), QString::number(offered[i].score, 'f', 1));
        }
    }
    EXPECT_EQ(Find<QFrame>("CandidateFrame0")->frameShape(), QFrame::Box) << "the set taken is framed";

    Click("Candidate1");
    EXPECT_EQ(swatches(), offered[1].swatches);
    EXPECT_EQ(Find<QFrame>("CandidateFrame1")->frameShape(), QFrame::Box);
    EXPECT_EQ(Find<QFrame>("CandidateFrame0")->frameShape(), QFrame::NoFrame);
    Keys(Qt::ControlModifier);
    EXPECT_EQ(swatches(), offered[0].swatches) << "one undo step goes back to the set before";
    EXPECT_TRUE(strip->isVisible()) << "the sets still belong to the document";

    Click("Option1_1");  // another method: the sets were found for the one before
    EXPECT_FALSE(strip->isVisible());
    EXPECT_TRUE(strip->Offered().empty());
}

}  // namespace
}  // namespace vorbix
