#include <QApplication>
#include <QDropEvent>
#include <QWheelEvent>
#include <QFileInfo>
#include <QMenuBar>
#include <QMimeData>
#include <QRegularExpression>
#include <cerrno>
#include <map>
#include <set>

#include "core/palette.h"
#include "dither/pattern.h"
#include "gui_fixture.h"

namespace vorbix {
namespace {

QString CaptionOf(QWidget* widget) {
    if (auto* label = qobject_cast<QLabel*>(widget)) return label->text();
    if (auto* button = qobject_cast<QAbstractButton*>(widget)) return button->text();
    if (auto* frame = qobject_cast<QGroupBox*>(widget)) return frame->title();
    if (auto* text = qobject_cast<QLineEdit*>(widget)) return text->text();
    return {};
}

std::set<ColourValue> ColoursOf(const Picture& picture) {
    std::set<ColourValue> colours;
    for (int y = 0; y < picture.Height(); ++y)
        for (int x = 0; x < picture.Width(); ++x) colours.insert(picture.Pixel(x, y));
    return colours;
}

QImage FourColours() {
    QImage image(4, 4, QImage::Format_RGB888);
    const QColor colours[] = {Qt::red, Qt::green, Qt::blue, Qt::yellow};
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x) image.setPixelColor(x, y, colours[(x + y) % 4]);
    return image;
}

constexpr ColourValue kBrown = MakeColour(200, 100, 50);

TEST_F(GuiTest, StartsWithEveryControlAtItsPlaceAndInItsStartState) {
    WritePicture("flat.bmp", 8, 6, kBrown);
    WritePicture("UPPER.JPG", 8, 6, kBrown, "JPG");
    WritePicture("Middle.Bmp", 8, 6, kBrown);
    WritePicture("shown.png", 8, 6, kBrown, "PNG");
    WriteBytes("skip.txt", "not a picture");
    Open();

    struct Control {
        const char* name;
        QRect place;  // inside its frame where it has one
        const char* caption;
        bool shown;
    };
    const Control controls[] = {
        {"Pic5", {8, 8, 512, 480}, "", true},
        {"Pic2", {528, 8, 512, 480}, "", true},
        {"PicZ", {608, 520, 120, 120}, "", true},
        {"PicZZ", {736, 520, 120, 120}, "", true},
        {"Shape1", {864, 504, 33, 33}, "", true},
        {"Shape2", {912, 504, 17, 17}, "", true},
        {"Shape5", {928, 520, 17, 17}, "", true},
        {"Label9", {912, 544, 33, 17}, "0", true},
        {"File2", {8, 496, 137, 201}, "", true},
        {"Command5", {8, 704, 137, 25}, "refresh", true},
        {"Label5", {168, 496, 65, 17}, "Colors Used:", true},
        {"Label6", {240, 496, 73, 17}, "0", true},
        {"Label8", {528, 496, 65, 17}, "Colors Used:", true},
        {"Label7", {600, 496, 73, 17}, "0", true},
        {"Frame6", {160, 520, 281, 41}, "Brightness", true},
        {"Frame7", {160, 560, 281, 41}, "Gamma", true},
        {"Frame8", {160, 600, 281, 41}, "Color", true},
        {"Frame9", {160, 640, 281, 41}, "Contrast", true},
        {"HScroll1", {8, 16, 209, 17}, "", true},
        {"HScroll4", {8, 16, 209, 17}, "", true},
        {"Text1", {232, 16, 33, 19}, "50", true},
        {"Text2", {232, 16, 33, 19}, "50", true},
        {"Text3", {232, 16, 33, 19}, "50", true},
        {"Text4", {232, 16, 33, 19}, "50", true},
        {"Command6", {448, 528, 73, 33}, "Set", true},
        {"Command1", {224, 688, 65, 33}, "Command1", true},
        {"Command2", {296, 688, 65, 33}, "Command2", true},
        {"Check3", {680, 496, 73, 17}, "Resize ", true},
        {"Command3", {528, 528, 73, 33}, "Save", true},
        {"Command7", {528, 568, 73, 33}, "Save As", true},
        {"Label13", {528, 608, 73, 17}, "bmp, bin, tim", true},
        {"Label10", {504, 704, 41, 17}, "0", true},
        {"Label11", {544, 704, 33, 17}, "msec", true},
        {"Frame3", {1048, 8, 145, 289}, "Color Palette", true},
        {"Label1_0", {8, 16, 57, 17}, "", true},
        {"Label1_15", {8, 256, 57, 17}, "", true},
        {"Frame4", {80, 32, 57, 81}, "", true},
        {"Label2_3", {0, 56, 57, 17}, "", true},
        {"Frame5", {80, 152, 57, 49}, "", true},
        {"Label3_1", {0, 24, 57, 17}, "", true},
        {"Label4", {80, 256, 57, 17}, "", true},
        {"Frame2", {1048, 304, 145, 81}, "TVC MODE", true},
        {"Option2_0", {8, 24, 129, 17}, "Graphics 2", true},
        {"Option2_2", {8, 56, 129, 17}, "Graphics 16", true},
        {"Frame1", {1048, 392, 145, 337}, "DITHER MODE", true},
        {"Option1_1", {16, 24, 121, 17}, "Atkinson", true},
        {"Option1_16", {16, 264, 121, 17}, "Sierra2 Row", true},
        {"Option1_17", {16, 288, 121, 17}, "Pattern TVC", true},
        {"LinearLightFrame", {1200, 392, 145, 144}, "LINEAR LIGHT", true},
        {"Option1_18", {16, 24, 121, 17}, "Floyd Linear", true},
        {"Option1_23", {16, 104, 121, 17}, "Knoll Pattern", true},
        {"Option1_24", {16, 120, 121, 17}, "Knoll OKLab", true},
        {"Check2", {16, 304, 113, 17}, "Auto Palette", true},
    };
    for (const Control& control : controls) {
        QWidget* widget = Find(control.name);
        ASSERT_NE(widget, nullptr);
        EXPECT_EQ(widget->geometry(), control.place) << control.name;
        EXPECT_EQ(CaptionOf(widget), control.caption) << control.name;
        EXPECT_EQ(widget->isVisible(), control.shown) << control.name;
    }

    EXPECT_EQ(form_->windowTitle(), "Vorbix 1.02");
    EXPECT_EQ(Find("Client")->size(), QSize(1349, 730));
    EXPECT_EQ(Find("Client")->mapTo(form_.get(), QPoint(0, 0)).y(), form_->menuBar()->height());
    EXPECT_TRUE(Find<QRadioButton>("Option2_2")->isChecked());
    EXPECT_TRUE(Find<QRadioButton>("Option1_17")->isChecked());
    EXPECT_TRUE(Find<QCheckBox>("Check3")->isChecked());
    EXPECT_FALSE(Find<QCheckBox>("Check2")->isChecked());
    for (int n = 1; n <= 4; ++n) EXPECT_EQ(Find<QScrollBar>(QString("HScroll%1").arg(n))->value(), 50);
    const Palette palette16 = TvcColours();
    for (int i = 0; i < 16; ++i)
        EXPECT_EQ(Find<Swatch>(QString("Label1_%1").arg(i))->Colour(), ColourOfEntry(palette16[i])) << i;
    for (int i = 0; i < 4; ++i) EXPECT_EQ(Find<Swatch>(QString("Label2_%1").arg(i))->Colour(), kDefaultSwatches4[i]) << i;
    for (int i = 0; i < 2; ++i) EXPECT_EQ(Find<Swatch>(QString("Label3_%1").arg(i))->Colour(), kDefaultSwatches2[i]) << i;
    EXPECT_EQ(Find<Swatch>("Label4")->Colour(), MakeColour(64, 64, 64));
    EXPECT_FALSE(Find("Frame4")->isEnabled());
    EXPECT_FALSE(Find("Frame5")->isEnabled());
    EXPECT_EQ(ListedFiles(), (QStringList{"flat.bmp", "Middle.Bmp", "shown.png", "UPPER.JPG"}));
    EXPECT_EQ(session().PaletteInUse(), palette16);
    EXPECT_EQ(Conversions(), 0);

    Form2* chart = form_->ChartWindow();
    EXPECT_TRUE(chart->isVisible());
    EXPECT_EQ(chart->windowTitle(), "TVC Pattern");
    EXPECT_EQ(Find<QLabel>("Label7", chart)->text(), "120");  // every mix is on
    form_->close();
    EXPECT_FALSE(chart->isVisible());
}

// Each machine pixel of the Graphics 4 result (2 x 2 preview pixels) is one block of the given
// size on screen; the view shows the enlarged picture from the given point on.
void ExpectMachinePixelBlocks(QWidget* view, const Picture& preview, int block, QPoint shownFrom = {}) {
    const QImage shown = view->grab().toImage();
    int wrong = 0;
    for (int y = 0; y < shown.height(); ++y)
        for (int x = 0; x < shown.width(); ++x) {
            const int px = 2 * ((shownFrom.x() + x) / block), py = 2 * ((shownFrom.y() + y) / block);
            if (!preview.Contains(px, py)) continue;
            wrong += shown.pixelColor(x, y) != QColorOf(preview.Pixel(px, py));
        }
    EXPECT_EQ(wrong, 0) << view->objectName().toStdString() << " in blocks of " << block;
}

TEST_F(GuiTest, LargerWindowGrowsThePreviewsInWholePixelStepsAndTheBaseSizeKeepsEveryPlace) {
    WritePicture("photo.bmp", GradientPicture());
    Open();
    ClickFile("photo.bmp");
    Click("Option2_1");  // Graphics 4: a machine pixel is 2 x 2 preview pixels
    QWidget* client = Find("Client");
    // Every named control, inside frames too; Qt's own parts go unnamed or named qt_.
    const auto controls = [&] {
        QList<QWidget*> named = client->findChildren<QWidget*>(QRegularExpression("^(?!qt_).+"));
        EXPECT_GT(named.size(), 100);
        return named;
    };
    std::map<QString, QRect> basePlaces;
    for (QWidget* control : controls()) basePlaces[control->objectName()] = control->geometry();
    const QSize base = form_->size();

    const auto resized = [&](QSize size) {
        form_->resize(size);
        QApplication::processEvents();
    };
    resized(base + QSize(2 * 256 - 1, 400));  // short of a step across
    EXPECT_EQ(Find("Pic2")->geometry(), QRect(528, 8, 512, 480));

    resized(base + QSize(2 * 256 + 40, 240 + 30));  // one step and some
    const struct {
        const char* name;
        QRect place;
    } grown[] = {
        {"Pic5", {8, 8, 768, 720}},             // three screen pixels per TVC line
        {"Pic2", {784, 8, 768, 720}},
        {"Frame3", {1560, 8, 145, 289}},        // the column right of the previews
        {"Frame1", {1560, 392, 145, 337}},
        {"File2", {8, 736, 393, 201}},           // wider, so that long names show
        {"Command5", {8, 944, 393, 25}},
        {"Frame6", {416, 760, 281, 41}},         // kept to the left preview's right edge
        {"Command6", {704, 768, 73, 33}},
        {"Label10", {760, 944, 41, 17}},
        {"Command3", {784, 768, 73, 33}},        // kept to the right preview's left edge, together
        {"PicZ", {864, 760, 120, 120}},
        {"Shape1", {1120, 744, 33, 33}},
        {"CompareMethods", {1208, 744, 88, 33}},
        {"Status", {848, 944, 704, 17}},         // as much wider as the previews
    };
    for (const auto& control : grown) EXPECT_EQ(Find(control.name)->geometry(), control.place) << control.name;
    ExpectMachinePixelBlocks(Find("Pic2"), session().Preview(), 3);

    resized(base);
    EXPECT_EQ(client->size(), QSize(1349, 730));
    for (QWidget* control : controls())
        EXPECT_EQ(control->geometry(), basePlaces[control->objectName()]) << control->objectName().toStdString();
    ExpectMachinePixelBlocks(Find("Pic2"), session().Preview(), 2);
}

TEST_F(GuiTest, CtrlWheelZoomsBothPreviewsInWholeStepsAndDraggingPansThemWithoutAClick) {
    WritePicture("photo.bmp", GradientPicture());
    Open();
    ClickFile("photo.bmp");
    Click("Option2_1");
    auto* pic2 = Find<PictureView>("Pic2");
    auto* pic5 = Find<PictureView>("Pic5");
    const auto wheel = [&](QPoint at, int notches, Qt::KeyboardModifiers modifiers) {
        QWheelEvent event(at, pic2->mapToGlobal(at), QPoint(), QPoint(0, 120 * notches), Qt::NoButton, modifiers,
                          Qt::NoScrollPhase, false);
        QApplication::sendEvent(pic2, &event);
    };
    const QPoint pointer(100, 50);
    const QPointF pointed = pic2->PicturePoint(pointer);
    wheel(pointer, 1, Qt::NoModifier);  // a wheel alone does not zoom
    EXPECT_EQ(pic2->Zoom(), 1);
    wheel(pointer, 1, Qt::ControlModifier);
    EXPECT_EQ(pic2->Zoom(), 2);
    EXPECT_EQ(pic5->Zoom(), 2);
    EXPECT_EQ(pic2->PicturePoint(pointer), pointed);  // the picture stays put under the pointer
    ExpectMachinePixelBlocks(pic2, session().Preview(), 4, pointer);  // at twice the size, from twice the pointer

    const long conversions = Conversions();
    const QPointF grabbed = pic2->PicturePoint(QPoint(300, 300));
    QTest::mousePress(pic2, Qt::LeftButton, {}, QPoint(300, 300));
    QTest::mouseMove(pic2, QPoint(250, 260));
    QTest::mouseRelease(pic2, Qt::LeftButton, {}, QPoint(250, 260));
    EXPECT_EQ(pic2->PicturePoint(QPoint(250, 260)), grabbed);
    EXPECT_EQ(pic5->PicturePoint(QPoint(250, 260)), grabbed);
    EXPECT_EQ(Conversions(), conversions);  // a drag is not a click on a mix

    QTest::mouseMove(pic2, QPoint(11, 7));  // the inspector reads the pixel shown there
    const QPointF inspected = pic2->PicturePoint(QPoint(11, 7));
    EXPECT_EQ(Find<Swatch>("Shape1")->Colour(), session().SourceView().Pixel(int(inspected.x()), int(inspected.y())));
    QTest::mouseClick(pic2, Qt::LeftButton, {}, QPoint(11, 7));
    EXPECT_EQ(Conversions(), conversions + 1);

    wheel(pointer, -5, Qt::ControlModifier);
    EXPECT_EQ(pic2->Zoom(), 1);
    EXPECT_EQ(pic2->PicturePoint(QPoint(0, 0)), QPointF(0, 0));
}

TEST_F(GuiTest, FileClickLoadsWithThreeConversionsAndKeyboardSelectionLoadsToo) {
    WritePicture("a-four.bmp", FourColours());
    WritePicture("b-flat.bmp", 8, 6, kBrown);
    Open();

    ClickFile("a-four.bmp");
    EXPECT_EQ(Conversions(), 3);
    EXPECT_EQ(Find<QLabel>("Label6")->text(), "4");
    EXPECT_EQ(form_->windowTitle(), "Vorbix 1.02 - a-four.bmp");
    EXPECT_EQ(session().Loaded().Width(), 4);
    EXPECT_EQ(Find<QLabel>("Label7")->text(), QString::number(session().ResultColours()));
    EXPECT_FALSE(Find<QCheckBox>("Check2")->isChecked());

    QTest::keyClick(Find("File2"), Qt::Key_Down);
    EXPECT_EQ(Conversions(), 6);
    EXPECT_EQ(Find<QLabel>("Label6")->text(), "1");
    EXPECT_EQ(form_->windowTitle(), "Vorbix 1.02 - b-flat.bmp");
    EXPECT_TRUE(errors_.isEmpty());
}

TEST_F(GuiTest, ListFocusAloneLoadsNothing) {
    WritePicture("flat.bmp", 8, 6, kBrown);
    Open();
    Find("File2")->setFocus(Qt::TabFocusReason);
    QApplication::processEvents();
    EXPECT_EQ(Conversions(), 0);
}

TEST_F(GuiTest, ModeClickConvertsInTheNewModeAndOpensOnlyItsSwatchFrame) {
    WritePicture("four.bmp", FourColours());
    Open();
    ClickFile("four.bmp");
    Click("Option1_3");  // "Treshold"
    const long before = Conversions();

    Click("Option2_1");
    EXPECT_EQ(Conversions(), before + 1);
    EXPECT_EQ(session().Mode(), TvcMode::Graphics4);
    EXPECT_TRUE(Find("Frame4")->isEnabled());
    EXPECT_FALSE(Find("Frame5")->isEnabled());
    std::set<ColourValue> swatches;
    for (int i = 0; i < 4; ++i) swatches.insert(session().Settings().swatches4[i]);
    for (ColourValue c : ColoursOf(session().Preview())) EXPECT_TRUE(swatches.count(c)) << std::hex << c;

    Click("Option2_0");
    EXPECT_FALSE(Find("Frame4")->isEnabled());
    EXPECT_TRUE(Find("Frame5")->isEnabled());
    EXPECT_EQ(ColoursOf(session().Preview()).size(), 2u);

    Click("Option2_2");
    EXPECT_EQ(Conversions(), before + 3);
    EXPECT_FALSE(Find("Frame4")->isEnabled());
    EXPECT_FALSE(Find("Frame5")->isEnabled());
}

TEST_F(GuiTest, MethodClickConvertsEvenWithoutPicture) {
    Open();
    Click("Option1_2");
    EXPECT_EQ(session().Method(), 2);
    EXPECT_EQ(Conversions(), 1);
    Click("Option1_2");  // already chosen: no change, no conversion
    EXPECT_EQ(Conversions(), 1);
}

// The buttons of both method frames make one choice.
TEST_F(GuiTest, MethodButtonsOfBothFramesAreOneChoice) {
    Open();
    Click("Option1_20");
    EXPECT_EQ(session().Method(), 20);
    EXPECT_EQ(Conversions(), 1);
    EXPECT_FALSE(Find<QRadioButton>("Option1_17")->isChecked());
    Click("Option1_5");
    EXPECT_EQ(session().Method(), 5);
    EXPECT_FALSE(Find<QRadioButton>("Option1_20")->isChecked());
    EXPECT_EQ(Conversions(), 2);
}

TEST_F(GuiTest, TwoClickSwatchEditReconvertsWithTheNewColour) {
    const ColourValue green = ColourOfEntry(TvcColours()[12]);
    WritePicture("green.bmp", 16, 16, green);
    Open();
    ClickFile("green.bmp");
    Click("Option1_3");
    Click("Option2_1");
    ASSERT_EQ(ColoursOf(session().Preview()), std::set<ColourValue>{MakeColour(0, 0, 0)});

    const long before = Conversions();
    Click("Label1_12");
    EXPECT_EQ(Find<Swatch>("Label4")->Colour(), green);
    EXPECT_EQ(Conversions(), before);
    Click("Label2_3");
    EXPECT_EQ(Find<Swatch>("Label2_3")->Colour(), green);
    EXPECT_EQ(Conversions(), before + 1);
    EXPECT_EQ(ColoursOf(session().Preview()), std::set<ColourValue>{green});

    Click("Label3_0");  // its frame is unavailable in Graphics 4
    EXPECT_EQ(Find<Swatch>("Label3_0")->Colour(), MakeColour(0, 0, 0));
    EXPECT_EQ(Conversions(), before + 1);
}

TEST_F(GuiTest, SlidersShowTheirValueAndThePreviewFollowsWhileDragging) {
    WritePicture("brown.bmp", 16, 16, kBrown);
    Open();
    ClickFile("brown.bmp");
    for (int n = 1; n <= 4; ++n) {
        const long before = Conversions();
        QTest::keyClick(Find(QString("HScroll%1").arg(n)), Qt::Key_Right);
        EXPECT_EQ(Find<QLineEdit>(QString("Text%1").arg(n))->text(), "51") << n;
        WaitForSlider();
        EXPECT_EQ(session().SliderValue(static_cast<Slider>(n - 1)), 51) << n;
        EXPECT_EQ(Conversions(), before + 1) << n;
    }

    auto* brightness = Find<QScrollBar>("HScroll1");
    const long before = Conversions();
    const QPoint thumb = brightness->rect().center();
    QTest::mousePress(brightness, Qt::LeftButton, {}, thumb);
    QTest::mouseMove(brightness, thumb + QPoint(30, 0));
    const int dragged = brightness->value();
    EXPECT_GT(dragged, 51);
    EXPECT_EQ(Find<QLineEdit>("Text1")->text(), QString::number(dragged));
    WaitForSlider();
    EXPECT_GT(Conversions(), before);
    QTest::mouseRelease(brightness, Qt::LeftButton, {}, thumb + QPoint(30, 0));
    EXPECT_NE(session().SourceView().Pixel(0, 0), kBrown);
}

TEST_F(GuiTest, InspectorShowsTheMixThePatternMethodPicks) {
    WritePicture("brown.bmp", 16, 16, kBrown);
    Open();
    ClickFile("brown.bmp");
    auto* pic2 = Find("Pic2");

    QTest::mouseMove(pic2, QPoint(100, 50));
    const int mix = Find<QLabel>("Label9")->text().toInt();
    EXPECT_EQ(mix,
              NearestMix(session().PaletteInUse(), session().Mixes(), GetRed(kBrown), GetGreen(kBrown), GetBlue(kBrown)));
    EXPECT_EQ(Find<Swatch>("Shape1")->Colour(), kBrown);
    // The result is the mix's checkerboard: a work-surface pixel is 4 x 2 preview pixels.
    const Picture& result = session().Preview();
    EXPECT_EQ(Find<Swatch>("Shape2")->Colour(), result.Pixel(0, 0));
    EXPECT_EQ(Find<Swatch>("Shape3")->Colour(), result.Pixel(4, 0));
    EXPECT_EQ(Find<Swatch>("Shape4")->Colour(), result.Pixel(0, 2));
    EXPECT_EQ(Find<Swatch>("Shape5")->Colour(), result.Pixel(4, 2));
    EXPECT_EQ(form_->MagnifiedSource().Pixel(60, 60), kBrown);
    EXPECT_EQ(form_->MagnifiedResult().Pixel(50, 50), result.Pixel(100, 50));

    QTest::mouseClick(pic2, Qt::LeftButton, {}, QPoint(100, 50));
    EXPECT_TRUE(session().Mixes()[mix].off);
    const MixPair pair = MixOfIndex(mix);
    EXPECT_EQ(form_->ChartWindow()->Chart().Pixel(20 * pair.i + 480, 20 * pair.j + 11), MakeColour(255, 255, 255));
    QTest::mouseMove(pic2, QPoint(101, 50));
    EXPECT_NE(Find<QLabel>("Label9")->text().toInt(), mix);
}

// Left switches the pointed mix off, middle switches it on, right switches it on and swaps its
// colours without a swap mark.
TEST_F(GuiTest, InspectorClicksSwitchThePointedMixAndTheReadoutStaysOffThePicture) {
    WritePicture("brown.bmp", 16, 16, kBrown);
    Open();
    ClickFile("brown.bmp");
    auto* pic2 = Find("Pic2");
    const QPoint at(100, 50);
    QTest::mouseMove(pic2, at);
    const int mix = form_->InspectedMix();
    const Mix start = session().Mixes()[mix];
    ASSERT_NE(start.first, start.second);  // else a swap would not show
    const auto mixNow = [&] { return session().Mixes()[mix]; };

    QTest::mouseClick(pic2, Qt::LeftButton, {}, at);
    QTest::mouseClick(pic2, Qt::LeftButton, {}, at);
    EXPECT_TRUE(mixNow().off) << "a second left click leaves it off";
    QTest::mouseClick(pic2, Qt::MiddleButton, {}, at);
    EXPECT_FALSE(mixNow().off);
    EXPECT_EQ(mixNow().first, start.first);

    QTest::mouseClick(pic2, Qt::LeftButton, {}, at);
    QTest::mouseClick(pic2, Qt::RightButton, {}, at);
    EXPECT_FALSE(mixNow().off);
    EXPECT_EQ(mixNow().first, start.second);
    EXPECT_EQ(mixNow().second, start.first);
    EXPECT_FALSE(mixNow().swapMarked);
    EXPECT_EQ(Find<Swatch>("Shape2")->Colour(), ColourOfEntry(start.second));
    EXPECT_EQ(Find<Swatch>("Shape3")->Colour(), ColourOfEntry(start.first));
    EXPECT_EQ(Find<Swatch>("Shape2")->Colour(), session().Preview().Pixel(0, 0));
    QTest::mouseClick(pic2, Qt::RightButton, {}, at);
    EXPECT_EQ(mixNow().first, start.first) << "two swaps restore the order";

    // A drag that leaves the picture keeps reporting moves; the readout stays.
    form_->Pic2_MouseMove(QPointF(-30, 900));
    EXPECT_EQ(Find<QLabel>("Label9")->text(), QString::number(mix));
    EXPECT_EQ(Find<Swatch>("Shape1")->Colour(), kBrown);
    EXPECT_EQ(QColorOf(form_->MagnifiedSource().Pixel(60, 60)), form_->palette().color(QPalette::Window));
}

TEST_F(GuiTest, MagnifierShowsTheWindowColourBeyondThePictureEdge) {
    WritePicture("brown.bmp", 16, 16, kBrown);
    Open();
    ClickFile("brown.bmp");
    QTest::mouseMove(Find("Pic2"), QPoint(1, 1));  // (0, 0) would mean the centre
    const QColor window = form_->palette().color(QPalette::Window);
    EXPECT_EQ(QColorOf(form_->MagnifiedSource().Pixel(0, 0)), window);
    EXPECT_EQ(QColorOf(form_->MagnifiedResult().Pixel(119, 0)), window);
    EXPECT_EQ(form_->MagnifiedSource().Pixel(60, 60), kBrown);
}

TEST_F(GuiTest, SaveWritesTheThreeFilesAndShowsTheirFolder) {
    WritePicture("brown.bmp", 16, 16, kBrown);
    Open();
    ClickFile("brown.bmp");
    const QDir program(QDir(temp_.path()).filePath("program"));

    Click("Command3");
    EXPECT_EQ(QFileInfo(program.filePath("out24.bmp")).size(), 737334);
    EXPECT_EQ(QFileInfo(program.filePath("screen.bin")).size(), 16384);
    EXPECT_EQ(QFileInfo(program.filePath("screen.tim")).size(), 16400);
    EXPECT_EQ(form_->ListFolder(), program.absolutePath());
    EXPECT_EQ(ListedFiles(), QStringList{"out24.bmp"});
    EXPECT_TRUE(Find<QLabel>("Status")->toolTip().contains(program.absolutePath()));
    EXPECT_TRUE(errors_.isEmpty());
}

TEST_F(GuiTest, WithoutResizeTheWindowShowsAndSavesWhatTheCommandLineMakes) {
    // A picture that fills the preview, then a small one with "Resize" off: nothing of the first
    // may stay in the source view, the preview or out24.bmp.
    WritePicture("big.bmp", 900, 700, kBrown);
    const QString small = WritePicture("small.bmp", 100, 80, MakeColour(0, 0, 255));
    Open();
    Click("Option2_1");
    ClickFile("big.bmp");
    Click("Check3");
    ClickFile("small.bmp");
    EXPECT_EQ(session().SourceView().Pixel(300, 300), MakeColour(64, 64, 64));
    EXPECT_EQ(session().Preview().Pixel(300, 300), MakeColour(64, 64, 64));
    Click("Command3");

    const QString out = MakeFolder("cli");
    const CliRun run = Cli({"--no-resize", "--mode", "4", small, "--out-dir", out});
    ASSERT_EQ(run.status, 0) << run.err.toStdString();
    const QDir program(QDir(temp_.path()).filePath("program"));
    for (const char* name : {"out24.bmp", "screen.tim"})
        EXPECT_TRUE(Bytes(program.filePath(name)) == Bytes(QDir(out).filePath(name))) << name;
}

TEST_F(GuiTest, KeepShapeLoadsTheShownPictureAgainInTheChosenShape) {
    WritePicture("wide.bmp", 160, 30, kBrown);
    Open();
    ClickFile("wide.bmp");
    EXPECT_EQ(session().SourceView().Pixel(256, 0), kBrown);
    Find<QComboBox>("KeepShape")->setCurrentIndex(static_cast<int>(KeepShape::Fit));
    EXPECT_EQ(session().Settings().keepShape, KeepShape::Fit);
    EXPECT_EQ(Conversions(), 6);
    EXPECT_EQ(session().SourceView().Pixel(256, 0), MakeColour(0, 0, 0));
    EXPECT_EQ(session().SourceView().Pixel(256, 240), kBrown);
    EXPECT_TRUE(errors_.isEmpty());
}

TEST_F(GuiTest, SaveFallsBackToTheListFolderWhereTheProgramFolderCannotBeWritten) {
    WritePicture("brown.bmp", 16, 16, kBrown);
    Open();
    ClickFile("brown.bmp");
    form_->SetProgramFolder(QDir(temp_.path()).filePath("missing"));

    Click("Command3");
    const QDir pictures(pictures_);
    for (const char* name : {"out24.bmp", "screen.bin", "screen.tim"}) EXPECT_TRUE(pictures.exists(name)) << name;
    EXPECT_TRUE(Find<QLabel>("Status")->toolTip().contains(pictures.absolutePath()));
    EXPECT_TRUE(errors_.isEmpty());

    folderAnswer_ = QDir(temp_.path()).filePath("gone");  // neither folder can be written now
    Click("Folder");
    Click("Command3");
    ASSERT_EQ(errors_.size(), 1);
    EXPECT_TRUE(errors_.first().startsWith(QString("Error #%1 - ").arg(ENOENT))) << errors_.first().toStdString();
    EXPECT_TRUE(errors_.first().contains("gone/out24.bmp")) << errors_.first().toStdString();
}

TEST_F(GuiTest, CancelledSaveAsWritesNothingAndSaysNothing) {
    WritePicture("brown.bmp", 16, 16, kBrown);
    Open();
    ClickFile("brown.bmp");
    const QStringList listed = ListedFiles();
    saveAsAnswer_.clear();

    Click("Command7");
    EXPECT_TRUE(errors_.isEmpty());
    EXPECT_EQ(ListedFiles(), listed);
    EXPECT_EQ(QDir(pictures_).entryList(QDir::Files), QStringList{"brown.bmp"});
    EXPECT_TRUE(QDir(QDir(temp_.path()).filePath("program")).isEmpty());
}

TEST_F(GuiTest, SaveAsWritesBesideTheChosenNameOrReportsTheSystemError) {
    WritePicture("brown.bmp", 16, 16, kBrown);
    Open();
    ClickFile("brown.bmp");
    const QDir out(MakeFolder("out"));

    saveAsAnswer_ = out.filePath("photo.BMP");
    Click("Command7");
    EXPECT_TRUE(errors_.isEmpty());
    EXPECT_EQ(out.entryList(QDir::Files), (QStringList{"photo.BMP", "screen.bin", "screen.tim"}));
    EXPECT_EQ(form_->ListFolder(), out.absolutePath());

    saveAsAnswer_ = QDir(temp_.path()).filePath("nowhere/photo");
    Click("Command7");
    ASSERT_EQ(errors_.size(), 1);
    EXPECT_TRUE(errors_.first().startsWith(QString("Error #%1 - ").arg(ENOENT))) << errors_.first().toStdString();
    EXPECT_TRUE(errors_.first().contains("nowhere/photo.bmp")) << errors_.first().toStdString();
    EXPECT_EQ(form_->ListFolder(), out.absolutePath());
}

TEST_F(GuiTest, UnreadablePictureIsReportedAndChangesNothing) {
    WritePicture("a-brown.bmp", 16, 16, kBrown);
    WriteBytes("b-broken.jpg", QByteArray("\xFF\xD8\xFF\xE0 not really a JPEG"));
    WriteBytes("c-empty.bmp", QByteArray());
    Open();
    ClickFile("a-brown.bmp");
    QTest::keyClick(Find("HScroll1"), Qt::Key_Right);
    const Picture pic1 = session().Loaded(), pic5 = session().SourceView(), pic2 = session().Preview();
    const long conversions = Conversions();
    const QString title = form_->windowTitle();

    for (const QString name : {"b-broken.jpg", "c-empty.bmp"}) {
        errors_.clear();
        ClickFile(name);
        ASSERT_EQ(errors_.size(), 1) << name.toStdString();
        EXPECT_TRUE(errors_.first().contains(name)) << errors_.first().toStdString();
        EXPECT_EQ(session().Loaded(), pic1);
        EXPECT_EQ(session().SourceView(), pic5);
        EXPECT_EQ(session().Preview(), pic2);
        EXPECT_EQ(Conversions(), conversions);
        EXPECT_EQ(form_->windowTitle(), title);
        EXPECT_EQ(Find<QScrollBar>("HScroll1")->value(), 51);
        EXPECT_EQ(Find<QLineEdit>("Text1")->text(), "51");
    }
}

TEST_F(GuiTest, DroppedPictureLoadsAsIfChosenInTheList) {
    const QString path = WritePicture("four.bmp", FourColours());
    Open();
    DropFile(path);
    EXPECT_TRUE(errors_.isEmpty()) << errors_.join("\n").toStdString();
    EXPECT_EQ(Conversions(), 3);
    EXPECT_EQ(form_->windowTitle(), "Vorbix 1.02 - four.bmp");
}

TEST_F(GuiTest, FileListFollowsTheChosenFolderAndRefresh) {
    Open();
    EXPECT_TRUE(ListedFiles().isEmpty());
    WritePicture("late.bmp", 4, 4, kBrown);
    Click("Command5");
    EXPECT_EQ(ListedFiles(), QStringList{"late.bmp"});

    const QString other = MakeFolder("other");
    QImage(2, 2, QImage::Format_RGB888).save(QDir(other).filePath("there.jpg"), "JPG");
    folderAnswer_ = other;
    Click("Folder");
    EXPECT_EQ(ListedFiles(), QStringList{"there.jpg"});
    ClickFile("there.jpg");
    EXPECT_EQ(form_->windowTitle(), "Vorbix 1.02 - there.jpg");
}

}  // namespace
}  // namespace vorbix
