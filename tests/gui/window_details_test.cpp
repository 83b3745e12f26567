#include <QPushButton>
#include <QScrollBar>

#include "gui_fixture.h"

namespace vorbix {
namespace {

TEST_F(GuiTest, BestColoursWaitsForAPicture) {
    WritePicture("photo.bmp", GradientPicture());
    Open();
    Click("Option2_0");
    auto* best = Find<QPushButton>("BestColours2");
    EXPECT_FALSE(best->isEnabled()) << "no picture to choose colours for";
    const auto swatches = session().Settings().swatches2;
    const long conversions = Conversions();
    form_->BestColours_Click(TvcMode::Graphics2);
    EXPECT_EQ(session().Settings().swatches2, swatches);
    EXPECT_EQ(Conversions(), conversions);

    ClickFile("photo.bmp");
    EXPECT_TRUE(best->isEnabled());
    EXPECT_FALSE(Find<QPushButton>("BestColours4")->isEnabled()) << "in its own mode only";
}

TEST_F(GuiTest, NoControlCoversThePreviewsAtTheBaseSizeOrGrown) {
    Open();
    QWidget* client = Find("Client");
    for (const QSize size : {QSize(1349, 730), QSize(1920, 1040)}) {
        client->resize(size);
        const QRect source = Find("Pic5")->geometry(), result = Find("Pic2")->geometry();
        for (QWidget* control : client->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
            if (control->objectName() == "Pic5" || control->objectName() == "Pic2") continue;
            EXPECT_FALSE(control->geometry().intersects(source) || control->geometry().intersects(result))
                << control->objectName().toStdString() << " at " << size.width();
        }
    }
}

TEST_F(GuiTest, TheFocusedSliderShowsAMark) {
    Open();
    form_->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form_.get()));
    auto* slider = Find<QScrollBar>("HScroll2");
    Find("Text1")->setFocus();
    const QImage unfocused = slider->grab().toImage();
    slider->setFocus();
    ASSERT_TRUE(slider->hasFocus());
    const QImage focused = slider->grab().toImage();
    EXPECT_NE(focused, unfocused);
    const QColor mark = slider->palette().color(QPalette::Highlight);
    const int ratio = static_cast<int>(focused.devicePixelRatio());
    for (const QPoint at : {QPoint(1, slider->height() / 2), QPoint(slider->width() / 2, 1),
                            QPoint(slider->width() - 2, slider->height() / 2)})
        EXPECT_EQ(focused.pixelColor(at * ratio), mark) << at.x() << "," << at.y();
}

}  // namespace
}  // namespace vorbix
