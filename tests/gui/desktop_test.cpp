#include <QAction>
#include <QMessageBox>
#include <QScreen>
#include <QSettings>

#include "dither/pattern.h"
#include "draw/pattern_chart.h"
#include "gui_fixture.h"
#include "ui/method_sheet_window.h"
#include "ui/chart_place.h"

namespace vorbix {
namespace {

class Desktop : public GuiTest {
protected:
    void OpenOnGradient() {
        WritePicture("gradient.bmp", GradientPicture());
        WritePicture("flat.bmp", 8, 8, MakeColour(10, 200, 30));
        Open();
        ClickFile("gradient.bmp");
    }
    void Key(QWidget* to, Qt::Key key, Qt::KeyboardModifiers modifiers = {}) { QTest::keyClick(to, key, modifiers); }
    QString Highlighted() const {
        const auto selected = form_->findChild<QListWidget*>("File2")->selectedItems();
        return selected.isEmpty() ? QString() : selected.first()->text();
    }
};

TEST_F(Desktop, AClosedChartWindowComesBackFromTheMenuAndItsKeyAndTheMainWindowStillEndsAll) {
    Open();
    Form2* chart = form_->ChartWindow();
    chart->close();
    EXPECT_FALSE(chart->isVisible());
    Key(form_.get(), Qt::Key_T, Qt::ControlModifier);
    EXPECT_TRUE(chart->isVisible());
    chart->close();
    form_->findChild<QAction*>("PatternChart")->trigger();
    ASSERT_TRUE(chart->isVisible());
    Click("Command7", chart);  // "All Off" works in the window brought back
    EXPECT_EQ(session().Mixes().OnCount(), 0);

    Click("CompareMethods");
    form_->close();
    EXPECT_FALSE(chart->isVisible());
    EXPECT_FALSE(form_->SheetWindow()->isVisible());
}

// The program's keys work from each of its windows; the chart window stays above the main one
// as its tool window; the 2× window fits the screen and its keys close it.
TEST_F(Desktop, ShortcutsWorkFromEveryWindowAndTheSmallWindowsBelongToTheMainOne) {
    OpenOnGradient();
    Form2* chart = form_->ChartWindow();
    EXPECT_EQ(chart->windowType(), Qt::Tool);
    EXPECT_EQ(chart->parentWidget(), form_.get());

    auto keyIn = [&](QWidget* window, Qt::Key key, Qt::KeyboardModifiers modifiers = {}) {
        window->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(window));
        Key(window, key, modifiers);
    };
    keyIn(chart, Qt::Key_2, Qt::ControlModifier);
    QWidget* zoomed = form_->findChild<QWidget*>("ZoomedResult")->window();
    ASSERT_TRUE(zoomed->isVisible());
    const QRect room = zoomed->screen()->availableGeometry();
    EXPECT_LE(zoomed->frameGeometry().width(), room.width());
    EXPECT_LE(zoomed->frameGeometry().height(), room.height());
    keyIn(zoomed, Qt::Key_1, Qt::ControlModifier);
    EXPECT_FALSE(zoomed->isVisible());
    for (const auto& [key, modifiers] : {std::pair{Qt::Key_Escape, Qt::KeyboardModifiers{}}, std::pair{Qt::Key_W, Qt::KeyboardModifiers{Qt::ControlModifier}}}) {
        keyIn(form_.get(), Qt::Key_2, Qt::ControlModifier);
        ASSERT_TRUE(zoomed->isVisible());
        keyIn(zoomed, key, modifiers);
        EXPECT_FALSE(zoomed->isVisible()) << key;
    }

    keyIn(chart, Qt::Key_M, Qt::ControlModifier);
    ASSERT_NE(form_->SheetWindow(), nullptr);
    EXPECT_TRUE(form_->SheetWindow()->isVisible());
    keyIn(form_->SheetWindow(), Qt::Key_Q, Qt::ControlModifier);
    EXPECT_FALSE(form_->isVisible());
}

// View ▸ Previews at 2×: both previews, each pixel a 2 × 2 block, following every conversion;
// 1× hides them again, and closing the main window closes them.
TEST_F(Desktop, PreviewsAt2xShowEachPixelAsABlockAndFollowTheConversion) {
    OpenOnGradient();
    Key(form_.get(), Qt::Key_2, Qt::ControlModifier);
    auto* zoomed = form_->findChild<QWidget*>("ZoomedResult");
    ASSERT_NE(zoomed, nullptr);
    ASSERT_TRUE(zoomed->window()->isVisible());
    auto expectBlocks = [&](const char* view, const Picture& picture) {
        const QImage shown = form_->findChild<QWidget*>(view)->grab().toImage();
        ASSERT_EQ(shown.size(), QSize(2 * picture.Width(), 2 * picture.Height())) << view;
        for (const QPoint at : {QPoint(0, 0), QPoint(200, 100), QPoint(511, 479)})
            for (const QPoint in : {QPoint(0, 0), QPoint(1, 1)}) {
                const ColourValue c = picture.Pixel(at.x(), at.y());
                EXPECT_EQ(shown.pixelColor(2 * at + in), QColor(GetRed(c), GetGreen(c), GetBlue(c))) << view;
            }
    };
    expectBlocks("ZoomedSource", session().SourceView());
    expectBlocks("ZoomedResult", session().Preview());
    Click("Option2_1");  // another conversion
    expectBlocks("ZoomedResult", session().Preview());

    form_->findChild<QAction*>("PreviewsAt1")->trigger();
    EXPECT_FALSE(zoomed->window()->isVisible());
    form_->findChild<QAction*>("PreviewsAt2")->trigger();
    form_->close();
    EXPECT_FALSE(zoomed->window()->isVisible());
}

TEST_F(Desktop, TheChartGoesBesideTheMainWindowWhereThereIsRoomElseOverTheSourceViewOnly) {
    const QSize chart(312, 405);
    const QRect sourceView(8, 50, 512, 480);
    const struct {
        QRect screen;
        QRect mainFrame;
        QPoint expected;
    } cases[] = {
        {{0, 0, 2560, 1440}, {0, 0, 1197, 780}, {1205, 0}},     // right
        {{0, 0, 1920, 1080}, {700, 0, 1197, 780}, {380, 0}},    // left
        {{0, 0, 1280, 1300}, {0, 0, 1197, 780}, {0, 788}},      // below
        {{0, 0, 1366, 768}, {0, 0, 1197, 780}, {8, 125}},       // none: over the source view's lower part
    };
    for (const auto& c : cases) {
        const QPoint place = ChartPlace(c.screen, c.mainFrame, sourceView, chart);
        EXPECT_EQ(place, c.expected) << c.screen.width() << "x" << c.screen.height();
        EXPECT_TRUE(c.screen.contains(QRect(place, chart)));
        // The palette, mode and method frames (from x = 1048 in the main window) stay in sight.
        EXPECT_FALSE(QRect(place, chart).intersects(QRect(c.mainFrame.left() + 1048, c.mainFrame.top(), 145, 780)));
    }
}

TEST_F(Desktop, SettingsAreRememberedBetweenRuns) {
    const QString other = MakeFolder("other");
    Open(other);
    Click("Option2_1");
    Click("Option1_2");
    Click("Label1_10");
    Click("Label2_3");
    form_->ChartWindow()->move(40, 60);
    form_->close();
    form_.reset();

    Open(QString());
    EXPECT_EQ(form_->ListFolder(), QDir(other).absolutePath());
    EXPECT_TRUE(form_->RecentFolders().contains(QDir(other).absolutePath()));
    EXPECT_TRUE(Find<QRadioButton>("Option2_1")->isChecked());
    EXPECT_TRUE(Find<QRadioButton>("Option1_2")->isChecked());
    EXPECT_EQ(Find<Swatch>("Label2_3")->Colour(), ColourOfEntry(TvcColours()[10]));
    EXPECT_EQ(form_->ChartWindow()->pos(), QPoint(40, 60));
    EXPECT_EQ(Conversions(), 0);  // remembered, not converted
}

TEST_F(Desktop, ASliderBoxAlwaysEndsShowingItsSlider) {
    OpenOnGradient();
    auto* box = Find<QLineEdit>("Text1");
    auto* slider = Find<QScrollBar>("HScroll1");
    auto* other = Find<QLineEdit>("Text2");
    const struct {
        const char* typed;
        Qt::Key ending;  // Qt::Key_Tab: the box loses the focus
        int slider;
        const char* shown;
    } cases[] = {
        {"60", Qt::Key_Return, 60, "60"},
        {"150", Qt::Key_Return, 15, "15"},  // the 0 is refused as it is typed
        {"", Qt::Key_Return, 15, "15"},
        {"35", Qt::Key_Tab, 35, "35"},
        {"", Qt::Key_Tab, 35, "35"},
        {"77", Qt::Key_Escape, 35, "35"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.typed);
        box->setFocus();
        box->selectAll();
        QTest::keyClicks(box, c.typed);
        if (c.ending == Qt::Key_Tab)
            other->setFocus();
        else
            Key(box, c.ending);
        EXPECT_EQ(slider->value(), c.slider);
        WaitForSlider();
        EXPECT_EQ(session().SliderValue(Slider::Brightness), c.slider);
        EXPECT_EQ(box->text(), c.shown);
    }
}

TEST_F(Desktop, UndoAndRedoWorkWhileANumberBoxHasTheFocus) {
    OpenOnGradient();
    const int on = session().Mixes().OnCount();
    Click("Command7", form_->ChartWindow());  // "All Off"
    auto* box = Find<QLineEdit>("Text3");
    box->setFocus();
    Key(box, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(session().Mixes().OnCount(), on);
    Key(box, Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(session().Mixes().OnCount(), 0);
    EXPECT_EQ(box->text(), "50");
}

TEST_F(Desktop, TabVisitsEveryControlInTheOrderItIsSeen) {
    Open();
    QStringList expected;
    for (const QString& name : Form1::TabOrder()) {
        QWidget* control = Find(name);
        const auto* radio = qobject_cast<QRadioButton*>(control);
        // Tab enters a group of option buttons at its first (the arrow keys go on inside it);
        // unavailable swatches are skipped.
        const bool firstOfGroup = name == "Option2_0" || name == "Option1_1";
        if (control->isVisible() && control->isEnabled() && (!radio || firstOfGroup)) expected << name;
    }
    EXPECT_TRUE(expected.contains("HScroll1") && expected.contains("Label1_0") && expected.contains("Folder"));
    Find("File2")->setFocus();
    QStringList visited{"File2"};
    for (int n = 1; n < expected.size(); ++n) {
        Key(QApplication::focusWidget(), Qt::Key_Tab);
        visited << QApplication::focusWidget()->objectName();
    }
    EXPECT_EQ(visited.join(" ").toStdString(), expected.join(" ").toStdString());
}

TEST_F(Desktop, SlidersSwatchesAndChartMixesWorkFromTheKeyboard) {
    OpenOnGradient();
    auto* slider = Find<QScrollBar>("HScroll2");
    slider->setFocus();
    Key(slider, Qt::Key_Right);
    WaitForSlider();
    EXPECT_EQ(session().SliderValue(Slider::Gamma), 51);
    Key(slider, Qt::Key_PageUp);
    WaitForSlider();
    EXPECT_EQ(session().SliderValue(Slider::Gamma), 61);

    Click("Option2_1");
    auto* pick = Find<Swatch>("Label1_12");
    pick->setFocus();
    Key(pick, Qt::Key_Space);
    EXPECT_EQ(session().PickedColour(), ColourOfEntry(TvcColours()[12]));
    auto* swatch = Find<Swatch>("Label2_2");
    swatch->setFocus();
    Key(swatch, Qt::Key_Return);
    EXPECT_EQ(session().Settings().swatches4[2], ColourOfEntry(TvcColours()[12]));
    Key(swatch, Qt::Key_Down);
    EXPECT_EQ(QApplication::focusWidget()->objectName(), "Label2_3");

    Form2* chart = form_->ChartWindow();
    QWidget* pic9 = Find("Pic9", chart);
    pic9->setFocus();
    Key(pic9, Qt::Key_Right);  // mix (0, 1)
    Key(pic9, Qt::Key_Down);   // mix (1, 1)
    EXPECT_EQ(chart->KeyboardMix(), MixIndex(1, 1));
    const Mix before = session().Mixes()[MixIndex(1, 1)];
    Key(pic9, Qt::Key_Space);
    EXPECT_NE(session().Mixes()[MixIndex(1, 1)].off, before.off);
    Key(pic9, Qt::Key_F10, Qt::ShiftModifier);
    EXPECT_EQ(session().Mixes()[MixIndex(1, 1)].first, before.second);
    EXPECT_TRUE(session().Mixes()[MixIndex(1, 1)].swapMarked);
    Key(pic9, Qt::Key_Left);  // (1, 0) does not exist: it stays
    EXPECT_EQ(chart->KeyboardMix(), MixIndex(1, 1));
}

TEST_F(Desktop, EveryClickOnAFileLoadsItAndTheHighlightFollowsThePictureShown) {
    OpenOnGradient();
    WriteBytes("broken.jpg", "not a picture");
    const QString elsewhere = MakeFolder("elsewhere");
    QImage(4, 4, QImage::Format_RGB888).save(QDir(elsewhere).filePath("there.bmp"));
    Click("Command5");
    const long before = Conversions();
    Click("Label1_3");  // a click elsewhere does not change what the list highlights
    ClickFile("gradient.bmp");
    EXPECT_EQ(Conversions(), before + 3);

    ClickFile("broken.jpg");
    EXPECT_EQ(errors_.size(), 1);
    EXPECT_EQ(Highlighted(), "gradient.bmp");

    DropFile(QDir(elsewhere).filePath("there.bmp"));
    EXPECT_EQ(form_->ListFolder(), QDir(elsewhere).absolutePath());
    EXPECT_EQ(Highlighted(), "there.bmp");
}

TEST_F(Desktop, ADroppedFolderOpensInTheListAndMessagesDoNotWait) {
    Open();
    const QString folder = MakeFolder("dropped");
    DropFile(folder);
    EXPECT_EQ(form_->ListFolder(), QDir(folder).absolutePath());
    EXPECT_TRUE(errors_.isEmpty());

    StandardDialogs().error(form_.get(), "a message");  // returns at once
    auto* box = form_->findChild<QMessageBox*>("Message");
    ASSERT_NE(box, nullptr);
    EXPECT_TRUE(box->isVisible());
    box->close();
}

TEST_F(Desktop, ReadoutsDescribeTheStateTheyShow) {
    OpenOnGradient();
    Click("Command7", form_->ChartWindow());  // "All Off"
    EXPECT_TRUE(StatusLine().startsWith(QString("All Off: %1 colours").arg(session().ResultColours()))) << StatusLine().toStdString();
    Click("Command6", form_->ChartWindow());  // "All On"
    QTest::mouseClick(Find("Pic9", form_->ChartWindow()), Qt::LeftButton, {}, QPoint(485, 15));  // mix 0 off
    EXPECT_EQ(Find<QLabel>("Label7", form_->ChartWindow())->text(), "119");
    form_->Undo();
    form_->Redo();
    EXPECT_EQ(Find<QLabel>("Label7", form_->ChartWindow())->text(), "119");
    EXPECT_EQ(Find<QLabel>("Label7")->text(), QString::number(session().ResultColours()));
}

TEST_F(Desktop, OutsidePatternTvcTheInspectorShowsTheNearestPaletteColour) {
    OpenOnGradient();
    Click("Option1_2");  // "Floyd"
    form_->Pic2_MouseMove(QPointF(400, 300));
    const ColourValue source = session().SourceView().Pixel(400, 300);
    const int index = session().PaletteIndexFor(source);
    const ColourValue nearest = ColourOfEntry(session().PaletteInUse()[index]);
    EXPECT_EQ(Find<QLabel>("Label9")->text(), QString::number(index));
    EXPECT_EQ(Find<QLabel>("InspectorText")->text(),
              QString("palette colour %1\n%2").arg(index).arg(QColorOf(nearest).name().toUpper()));
    for (int n = 2; n <= 5; ++n) EXPECT_EQ(Find<Swatch>(QString("Shape%1").arg(n))->Colour(), nearest);
    const MixTable mixes = session().Mixes();
    form_->Pic2_MouseDown(Qt::LeftButton);  // no mix to switch
    EXPECT_EQ(session().Mixes(), mixes);
}

TEST_F(Desktop, SaveSaysWhereTheFilesWentAndTheWayBackIsOneClick) {
    OpenOnGradient();
    const QString program = QDir(temp_.path()).filePath("program");
    EXPECT_TRUE(Find("Command3")->toolTip().contains("program's folder, " + QDir::toNativeSeparators(program)));
    Click("Command3");
    EXPECT_EQ(form_->ListFolder(), QDir(program).absolutePath());
    EXPECT_TRUE(StatusLine().contains("in " + QDir(program).absolutePath())) << StatusLine().toStdString();
    auto* back = Find<QPushButton>("BackToFolder");
    EXPECT_TRUE(back->isVisible());
    EXPECT_EQ(back->text(), "back to " + QDir::toNativeSeparators(pictures_));
    EXPECT_TRUE(form_->RecentFolders().contains(pictures_));
    Click("BackToFolder");
    EXPECT_EQ(form_->ListFolder(), pictures_);
    EXPECT_FALSE(back->isVisible());

    form_->SetProgramFolder(QDir(temp_.path()).filePath("missing"));
    EXPECT_TRUE(Find("Command3")->toolTip().contains("into " + QDir::toNativeSeparators(pictures_) + ": the program's folder"))
        << Find("Command3")->toolTip().toStdString();
}

TEST_F(Desktop, TheMenusCarryTheUsualShortcuts) {
    Open();
    const struct {
        const char* action;
        QKeySequence keys;
    } entries[] = {
        {"OpenFolder", QKeySequence("Ctrl+O")}, {"Save", QKeySequence("Ctrl+S")}, {"SaveAs", QKeySequence("Ctrl+Shift+S")},
        {"Quit", QKeySequence("Ctrl+Q")},       {"Undo", QKeySequence("Ctrl+Z")}, {"Redo", QKeySequence("Ctrl+Shift+Z")},
        {"CopyPicture", QKeySequence("Ctrl+C")}, {"PatternChart", QKeySequence("Ctrl+T")},
    };
    for (const auto& entry : entries) {
        auto* action = form_->findChild<QAction*>(entry.action);
        ASSERT_NE(action, nullptr) << entry.action;
        EXPECT_EQ(action->shortcut(), entry.keys) << entry.action;
    }
    for (const char* name : {"OpenScreen", "SaveProgramMenu", "SaveSettings", "LoadSettings", "CompareMethodsMenu",
                             "About", "Shortcuts"})
        EXPECT_NE(form_->findChild<QAction*>(name), nullptr) << name;
}

}  // namespace
}  // namespace vorbix
