#include <QCheckBox>
#include <QScrollBar>

#include "dither/methods.h"
#include "pipeline/best_colours.h"
#include "pipeline/method_sheet.h"
#include "gui_fixture.h"
#include "ui/method_sheet_window.h"

namespace vorbix {
namespace {

QImage Photo() {
    QImage image(64, 48, QImage::Format_RGB888);
    for (int y = 0; y < 48; ++y)
        for (int x = 0; x < 64; ++x) image.setPixelColor(x, y, QColor(x * 4, y * 5, (x * y) % 256));
    return image;
}

class SheetTest : public GuiTest {
protected:
    // A loaded picture in Graphics 4, an edited swatch, and the noisy method, which moves the
    // random sequence on.
    void OpenWorked() {
        WritePicture("photo.bmp", Photo());
        Open();
        ClickFile("photo.bmp");
        Click("Option2_1");
        Click("Label1_12");
        Click("Label2_2");
        Click("Option1_4");
    }

    MethodSheetWindow* OpenSheet() {
        Click("CompareMethods");
        MethodSheetWindow* sheet = form_->SheetWindow();
        EXPECT_TRUE(sheet && sheet->isVisible());
        if (sheet) WaitForRefresh(sheet);
        return sheet;
    }

    // Until the sheet has been asked again and has worked out every tile: 24 best-colour searches
    // take minutes under the sanitizers.
    void WaitForRefresh(MethodSheetWindow* sheet) {
        EXPECT_TRUE(QTest::qWaitFor([&] { return !sheet->RefreshPending() && !sheet->Working(); }, 1200000));
    }

    QPoint TileCentre(MethodSheetWindow* sheet, int method) {
        const TileBox box = sheet->Layout().PictureBox(method - 1);
        return {box.left + box.width / 2, box.top + box.height / 2};
    }

    QStringList Shown() const {
        QStringList texts;
        for (const char* name : {"Label6", "Label7", "Label10", "Status"}) texts << form_->findChild<QLabel*>(name)->text();
        return texts;
    }
};

TEST_F(SheetTest, OpensOnCopiesAndLeavesTheMainWindowAsItWas) {
    OpenWorked();
    const Session before = session();
    const QStringList shown = Shown();

    MethodSheetWindow* sheet = OpenSheet();
    ASSERT_FALSE(sheet->Sheet().Empty());
    EXPECT_EQ(sheet->Sheet().Width(), sheet->Layout().Width());
    EXPECT_EQ(session().Loaded(), before.Loaded());
    EXPECT_EQ(session().SourceView(), before.SourceView());
    EXPECT_EQ(session().Preview(), before.Preview());
    EXPECT_EQ(session().Surface(TvcMode::Graphics4), before.Surface(TvcMode::Graphics4));
    EXPECT_TRUE(session().TakeSnapshot(false, false) == before.TakeSnapshot(false, false));  // palette, mixes
    EXPECT_TRUE(session().Settings() == before.Settings());
    EXPECT_EQ(session().Method(), 4);
    EXPECT_EQ(Conversions(), before.ConversionCount());
    EXPECT_EQ(Shown(), shown);

    // The random sequence stood still: the next noisy conversion is the one the copy makes.
    Session next = before;
    next.Reconvert();
    Click("Command1");
    ASSERT_NE(next.Preview(), before.Preview());
    EXPECT_EQ(session().Preview(), next.Preview());
}

TEST_F(SheetTest, ClickOnATileChoosesItsMethodAsItsOptionButtonWould) {
    OpenWorked();
    Session expected = session();
    expected.ChooseMethod(9);
    MethodSheetWindow* sheet = OpenSheet();
    QWidget* view = Find("SheetView", sheet);
    QTest::mouseClick(view, Qt::LeftButton, {}, TileCentre(sheet, 9));
    EXPECT_EQ(session().Method(), 9);
    EXPECT_TRUE(Find<QRadioButton>("Option1_9")->isChecked());
    EXPECT_EQ(Conversions(), expected.ConversionCount());
    EXPECT_EQ(session().Preview(), expected.Preview());

    // The chosen method again: as a click on a selected option button, nothing happens.
    QTest::mouseClick(view, Qt::LeftButton, {}, TileCentre(sheet, 9));
    EXPECT_EQ(Conversions(), expected.ConversionCount());
}

TEST_F(SheetTest, EachWithItsBestColoursShowsTheSetsAndAClickChoosesMethodAndColoursAsOneUndoStep) {
    OpenWorked();
    const auto swatches = session().Settings().swatches4;
    MethodSheetWindow* sheet = OpenSheet();
    auto* each = Find<QCheckBox>("EachWithBestColours", sheet);
    ASSERT_TRUE(each->isEnabled());
    each->setChecked(true);
    WaitForRefresh(sheet);

    // The tile of Floyd, converted on a copy with its own best set, is what the click gives.
    Session expected = session();
    expected.ChooseMethod(2);
    const std::vector<ColourValue> best = BestSwatches(expected, TvcMode::Graphics4);
    expected.ChooseSwatches(TvcMode::Graphics4, best);
    QTest::mouseClick(Find("SheetView", sheet), Qt::LeftButton, {}, TileCentre(sheet, 2));
    EXPECT_EQ(session().Method(), 2);
    EXPECT_EQ(std::vector<ColourValue>(session().Settings().swatches4.begin(), session().Settings().swatches4.end()), best);
    EXPECT_EQ(session().Preview(), expected.Preview());

    QTest::keyClick(form_.get(), Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(session().Settings().swatches4, swatches) << "the colours come back in one step";
}

TEST_F(SheetTest, WorksInTheBackgroundTheNewestRequestWinsAndUnchangedTilesAreKept) {
    OpenWorked();
    MethodSheetWindow* sheet = OpenSheet();
    Find<QCheckBox>("EachWithBestColours", sheet)->setChecked(true);
    EXPECT_TRUE(sheet->Working()) << "the best colours are searched for while the window answers";
    EXPECT_TRUE(Find("SheetCancel", sheet)->isVisible());

    // An edit meanwhile: the older request's tiles never show.
    const long before = Conversions();
    Find<QScrollBar>("HScroll1")->setValue(70);
    WaitForSlider();
    EXPECT_GT(Conversions(), before);
    sheet->Refresh();
    WaitForRefresh(sheet);
    EXPECT_FALSE(Find("SheetCancel", sheet)->isVisible());
    // A few tiles checked, plain, noisy, perceptual and the last: each search costs minutes under
    // the sanitizers.
    ASSERT_EQ(sheet->Tiles().size(), static_cast<std::size_t>(kAllMethodCount));
    for (int method : {1, 4, 18, kAllMethodCount}) {
        const MethodTile expected = ConvertWithMethod(session(), method, true);
        EXPECT_EQ(sheet->Tiles()[method - 1].preview, expected.preview) << method;
        EXPECT_EQ(sheet->Tiles()[method - 1].swatches, expected.swatches) << method;
    }

    // Another method chosen in the main window changes no tile's inputs: nothing is worked out again.
    Click("Option1_3");
    sheet->Refresh();
    EXPECT_FALSE(sheet->Working());

    // Cancelled, the sheet says how far it got and keeps those tiles.
    Find<QScrollBar>("HScroll1")->setValue(60);
    WaitForSlider();
    sheet->Refresh();
    ASSERT_TRUE(sheet->Working());
    Click("SheetCancel", sheet);
    EXPECT_FALSE(sheet->Working());
    EXPECT_TRUE(Find<QLabel>("SheetCaption", sheet)->text().contains("Stopped with"));
}

TEST_F(SheetTest, FollowsEveryConversionWhileOpenAndClosesWithTheMainWindow) {
    OpenWorked();
    MethodSheetWindow* sheet = OpenSheet();
    const Picture first = sheet->Sheet();

    Find<QScrollBar>("HScroll1")->setValue(80);
    WaitForSlider();
    EXPECT_TRUE(sheet->RefreshPending());
    WaitForRefresh(sheet);
    EXPECT_NE(sheet->Sheet(), first);

    // The framed tile follows the method chosen in the main window.
    Click("Option1_3");
    WaitForRefresh(sheet);
    const Picture& now = sheet->Sheet();
    for (int method : {3, 4}) {
        const TileBox tile = sheet->Layout().TileAt(method - 1);
        EXPECT_EQ(now.Pixel(tile.left, tile.top) != now.Pixel(0, 0), method == 3) << method;
    }
    // Drawn a tile at a time as tiles and marks change, the sheet is the one drawn whole.
    EXPECT_EQ(now, ComposeSheet(sheet->Tiles(), sheet->Layout(), 3));

    sheet->hide();
    Click("Option1_5");
    EXPECT_FALSE(sheet->RefreshPending());

    OpenSheet();
    form_->close();
    EXPECT_FALSE(sheet->isVisible());
}

}  // namespace
}  // namespace vorbix
