#include <QCoreApplication>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollBar>

#include "gui_fixture.h"

namespace vorbix {
namespace {

constexpr int kFloyd = 2;
constexpr int kWaitMs = 60000;

class Refining : public GuiTest {
protected:
    void SetUp() override {
        GuiTest::SetUp();
        WritePicture("photo.bmp", GradientPicture());
        Open();
        ClickFile("photo.bmp");
        Click(QString("Option1_%1").arg(kFloyd));
    }

    bool Running() const { return form_->Busy(); }
};

// The search runs beside the window: the button turns into "Cancel" with the progress beside it,
// and the refinement comes back as the result, one undo step.
TEST_F(Refining, RunsBesideTheWindowAndIsOneUndoStep) {
    const Picture converted = session().Surface(TvcMode::Graphics16);
    const double before = session().Likeness();
    Click("Refine");
    EXPECT_TRUE(Running());
    EXPECT_EQ(Find<QPushButton>("Refine")->text(), "Cancel");
    EXPECT_TRUE(Find<QProgressBar>("RefineProgress")->isVisible());
    QTRY_VERIFY_WITH_TIMEOUT(!Running(), kWaitMs);
    EXPECT_EQ(Find<QPushButton>("Refine")->text(), "Refine");
    EXPECT_FALSE(Find<QProgressBar>("RefineProgress")->isVisible());
    EXPECT_TRUE(StatusLine().startsWith("Refined in")) << StatusLine().toStdString();
    EXPECT_TRUE(session().Refined());
    EXPECT_LT(session().Likeness(), before);
    auto* likeness = Find<QLabel>("Likeness");
    EXPECT_TRUE(LikenessShown()) << likeness->text().toStdString();

    QTest::keyClick(form_.get(), Qt::Key_Z, Qt::ControlModifier);
    EXPECT_FALSE(session().Refined());
    EXPECT_EQ(session().Surface(TvcMode::Graphics16), converted);
}

// "Cancel", or a conversion while it runs, stops it and leaves the result as the conversion made it.
TEST_F(Refining, CancelOrAConversionMeanwhileStopsIt) {
    for (const bool byConversion : {false, true}) {
        const long conversions = Conversions();
        Click("Refine");
        ASSERT_TRUE(Running());
        if (byConversion)
            Find<QScrollBar>("HScroll1")->setValue(60);
        else
            Click("Refine");
        QTRY_VERIFY_WITH_TIMEOUT(!Running(), kWaitMs);
        EXPECT_FALSE(session().Refined());
        EXPECT_EQ(Conversions(), conversions + (byConversion ? 1 : 0));
        EXPECT_TRUE(StatusLine().startsWith("Refine cancelled")) << StatusLine().toStdString();
    }
}

}  // namespace
}  // namespace vorbix
