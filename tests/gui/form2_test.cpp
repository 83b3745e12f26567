#include <algorithm>

#include "dither/pattern.h"
#include "gui_fixture.h"
#include "draw/pattern_chart.h"

namespace vorbix {
namespace {

constexpr ColourValue kWhite = MakeColour(255, 255, 255);

class ChartTest : public GuiTest {
protected:
    void ClickChart(QPoint at, Qt::MouseButton button = Qt::LeftButton) {
        QTest::mouseClick(Find("Pic9"), button, {}, at);
    }
    void ClickButton(const QString& name) { Click(name, form_->ChartWindow()); }
    QString Caption(const QString& label) const { return Find<QLabel>(label, form_->ChartWindow())->text(); }
    const Picture& Chart() const { return form_->ChartWindow()->Chart(); }
    const Mix& MixNumbered(int k) const { return session().Mixes()[k]; }
};

TEST_F(ChartTest, LeftClicksSwitchTheHitMixOffAndOnAgain) {
    Open();
    const struct {
        QPoint at;
        int mix;
    } hits[] = {{{485, 15}, 0}, {{505, 35}, 15}};
    for (const auto& hit : hits) {
        const MixPair pair = MixOfIndex(hit.mix);
        const int boxX = 20 * pair.i + 480, boxY = 20 * pair.j + 11;
        const ColourValue mixColour = ColourOfEntry(MixColour(hit.mix));
        const long before = Conversions();

        ClickChart(hit.at);
        EXPECT_TRUE(MixNumbered(hit.mix).off) << hit.mix;
        EXPECT_EQ(Caption("Label5"),
                  QString("mix %1 at %2, %3").arg(hit.mix).arg(hit.at.x()).arg(hit.at.y()));
        EXPECT_EQ(Chart().Pixel(boxX, boxY), kWhite);
        EXPECT_EQ(Chart().Pixel(boxX + 1, boxY + 1), kChartBackground);
        EXPECT_EQ(Chart().Pixel(boxX + 6, boxY + 6), mixColour);
        EXPECT_EQ(Conversions(), before + 1);

        ClickChart(hit.at);
        EXPECT_FALSE(MixNumbered(hit.mix).off);
        EXPECT_EQ(Chart().Pixel(boxX, boxY), mixColour);
        EXPECT_EQ(Conversions(), before + 2);
    }
}

TEST_F(ChartTest, ClicksBesideTheBoxesDoNothing) {
    Open();
    for (const QPoint at : {QPoint(475, 15), QPoint(485, 5), QPoint(485, 35), QPoint(495, 15)}) {
        ClickChart(at);
        EXPECT_EQ(Conversions(), 0) << at.x() << "," << at.y();
        EXPECT_TRUE(Caption("Label5").isEmpty());
    }
}

TEST_F(ChartTest, RightClicksSwapTheColoursUnderAVisibleMark) {
    Open();
    const Mix start = MixNumbered(1);
    const ColourValue mixColour = ColourOfEntry(MixColour(1));

    ClickChart({505, 15}, Qt::RightButton);
    EXPECT_EQ(MixNumbered(1).first, start.second);
    EXPECT_EQ(MixNumbered(1).second, start.first);
    EXPECT_TRUE(MixNumbered(1).swapMarked);
    EXPECT_NE(Chart().Pixel(502, 13), mixColour);
    EXPECT_EQ(Chart().Pixel(504, 15), mixColour);

    ClickChart({505, 15}, Qt::RightButton);
    EXPECT_EQ(MixNumbered(1).first, start.first);
    EXPECT_FALSE(MixNumbered(1).swapMarked);
    EXPECT_EQ(Chart().Pixel(502, 13), mixColour);

    ClickChart({505, 15}, Qt::RightButton);
    ClickButton("Command6");  // "All On" clears the mark, the colours stay swapped
    EXPECT_FALSE(MixNumbered(1).swapMarked);
    EXPECT_EQ(MixNumbered(1).first, start.second);
    EXPECT_EQ(Chart().Pixel(502, 13), mixColour);
}

TEST_F(ChartTest, AllOffGivesABlackResultAndAllOnCountsEveryMix) {
    WritePicture("brown.bmp", 16, 16, MakeColour(200, 100, 50));
    Open();
    ClickFile("brown.bmp");

    ClickButton("Command7");
    EXPECT_EQ(Caption("Label7"), "0");
    const Picture& result = session().Preview();
    EXPECT_EQ(result, Picture(result.Width(), result.Height(), MakeColour(0, 0, 0)));
    for (int k = 0; k < kMixCount; ++k) {
        const MixPair pair = MixOfIndex(k);
        EXPECT_EQ(Chart().Pixel(20 * pair.i + 480, 20 * pair.j + 11), kWhite) << k;
    }

    ClickButton("Command6");
    EXPECT_EQ(Caption("Label7"), "120");
    EXPECT_NE(session().Preview().Pixel(0, 0), MakeColour(0, 0, 0));
}

}  // namespace
}  // namespace vorbix
