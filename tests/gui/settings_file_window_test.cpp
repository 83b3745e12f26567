#include <QAction>
#include <QTimer>

#include "gui_fixture.h"

namespace vorbix {
namespace {

QImage Photo() {
    QImage image(64, 48, QImage::Format_RGB888);
    for (int y = 0; y < 48; ++y)
        for (int x = 0; x < 64; ++x) image.setPixelColor(x, y, QColor(x * 4, (x + y) * 2, 255 - y * 5));
    return image;
}

// Black but for a gradient in its top left corner: "Refine" soon finds nothing more that helps.
QImage GradientCorner() {
    QImage image(64, 48, QImage::Format_RGB888);
    image.fill(Qt::black);
    for (int y = 0; y < 12; ++y)
        for (int x = 0; x < 16; ++x) image.setPixelColor(x, y, QColor(x * 4, y * 5, x * y));
    return image;
}

class SettingsFile : public GuiTest {
protected:
    // A conversion with every kind of input: mode, method, a swatch, slider moves and "Set",
    // a switched-off mix and a swapped one.
    void Convert() {
        WritePicture("photo.bmp", Photo());
        Open();
        ClickFile("photo.bmp");
        Click("Option2_1");
        Click("Label1_10");
        Click("Label2_3");
        Find<QScrollBar>("HScroll1")->setValue(62);
        Click("Command6");
        Find<QScrollBar>("HScroll4")->setValue(40);
        Click("Option1_17");
        QTest::mouseClick(Find("Pic9", form_->ChartWindow()), Qt::LeftButton, {}, QPoint(485, 15));
        QTest::mouseClick(Find("Pic9", form_->ChartWindow()), Qt::RightButton, {}, QPoint(505, 15));
        Click("Option1_4");  // "Treshold+Noise": the replay draws the same random numbers
    }
    QString SaveSettings() {
        settingsSaveAnswer_ = QDir(pictures_).filePath("photo.vorbix.json");
        form_->findChild<QAction*>("SaveSettings")->trigger();
        // A refined result's replay check runs in the background.
        EXPECT_TRUE(QTest::qWaitFor([this] { return !form_->Busy(); }, 60000));
        return settingsSaveAnswer_;
    }
    QByteArray SavedTim() {
        Click("Command3");
        return Bytes(QDir(temp_.path()).filePath("program/screen.tim"));
    }
};

TEST_F(SettingsFile, TheWindowWritesItTheCommandLineReplaysItToTheSameBytes) {
    Convert();
    const QString settings = SaveSettings();
    EXPECT_TRUE(errors_.isEmpty()) << errors_.join("\n").toStdString();
    EXPECT_TRUE(StatusLine().contains("it replays to the same screen.tim")) << StatusLine().toStdString();
    const QByteArray tim = SavedTim();
    ASSERT_EQ(tim.size(), 16400);

    const QString out = MakeFolder("replayed");
    const CliRun run = Cli({"--settings", settings, "--out-dir", out});
    EXPECT_EQ(run.status, 0) << run.err.toStdString();
    EXPECT_TRUE(run.out.contains("identical")) << run.out.toStdString();
    EXPECT_EQ(Bytes(QDir(out).filePath("screen.tim")), tim);
}

TEST_F(SettingsFile, ATamperedFileOrAnotherPictureIsReportedWithWhatDiffers) {
    Convert();
    const QString settings = SaveSettings();
    QByteArray text = Bytes(settings);
    ASSERT_TRUE(text.contains("\"Treshold+Noise\""));
    text.replace("\"Treshold+Noise\"", "\"Floyd\"");
    const QString tampered = WriteBytes("tampered.json", text);
    const CliRun changed = Cli({"--settings", tampered, "--out-dir", MakeFolder("tampered")});
    EXPECT_EQ(changed.status, 1);
    EXPECT_TRUE(changed.err.contains("screen.tim: SHA-256")) << changed.err.toStdString();

    WritePicture("other.bmp", 64, 48, MakeColour(200, 30, 30));
    const CliRun other = Cli({"--settings", settings, QDir(pictures_).filePath("other.bmp"), "--out-dir", MakeFolder("other")});
    EXPECT_EQ(other.status, 1);
    EXPECT_TRUE(other.err.contains("picture: SHA-256")) << other.err.toStdString();

    const CliRun broken = Cli({"--settings", WriteBytes("broken.json", "{\"format\": \"vorbix-settings\""), "--out-dir", MakeFolder("b")});
    EXPECT_EQ(broken.status, 1);
    EXPECT_TRUE(broken.err.contains("broken.json: not a settings file")) << broken.err.toStdString();
}

TEST_F(SettingsFile, LoadSettingsBringsBackTheResultAndItsControls) {
    Convert();
    const QString settings = SaveSettings();
    const QByteArray tim = SavedTim();
    const Session converted = session();
    form_->close();
    form_.reset();

    Open(MakeFolder("elsewhere"));
    settingsLoadAnswer_ = settings;
    form_->findChild<QAction*>("LoadSettings")->trigger();
    QTRY_VERIFY_WITH_TIMEOUT(!form_->Busy(), 60000);
    EXPECT_TRUE(errors_.isEmpty()) << errors_.join("\n").toStdString();
    EXPECT_EQ(form_->ListFolder(), pictures_);
    EXPECT_EQ(form_->windowTitle(), "Vorbix 1.02 - photo.bmp");
    EXPECT_TRUE(Find<QRadioButton>("Option1_4")->isChecked());
    EXPECT_EQ(Find<QScrollBar>("HScroll4")->value(), 40);
    EXPECT_EQ(session().Mixes(), converted.Mixes());
    EXPECT_EQ(session().Preview(), converted.Preview());
    EXPECT_EQ(SavedTim(), tim);

    settingsLoadAnswer_ = WriteBytes("newer.json", "{\"format\": \"vorbix-settings\", \"version\": 9}");
    form_->findChild<QAction*>("LoadSettings")->trigger();
    ASSERT_EQ(errors_.size(), 1);
    EXPECT_TRUE(errors_[0].contains("newer Vorbix")) << errors_[0].toStdString();
    EXPECT_EQ(session().Preview(), converted.Preview());
}

// As many steps as a file may hold take a while to replay: the window answers meanwhile, shows the
// progress, and "Cancel" leaves the picture and its settings as they were.
TEST_F(SettingsFile, AFileOfManyStepsReplaysInTheBackgroundAndCancelLeavesAllAsItWas) {
    Convert();
    Result<ResultSettings> read = ReadSettingsFile(SaveSettings().toStdString());
    ASSERT_TRUE(read);
    ResultSettings many = read.Value();
    many.sourceSteps.clear();
    for (std::size_t n = 0; n < ResultSettings::kMaxSourceSteps; ++n)
        many.sourceSteps.push_back({SourceStep::Kind::Slider, Slider::Brightness, 30 + static_cast<int>(n % 40)});
    settingsLoadAnswer_ = WriteBytes("many.json", QByteArray::fromStdString(SettingsJson(many)));
    Click("Option1_2");
    const Picture shown = session().Preview();
    const long conversions = Conversions();
    const int brightness = Find<QScrollBar>("HScroll1")->value();

    form_->findChild<QAction*>("LoadSettings")->trigger();
    bool answered = false;
    QTimer::singleShot(0, [&answered] { answered = true; });
    ASSERT_TRUE(form_->Busy());
    QTRY_VERIFY(answered);
    EXPECT_TRUE(form_->Busy());
    EXPECT_TRUE(Find<QProgressBar>("RefineProgress")->isVisible());
    EXPECT_EQ(Find<QPushButton>("Refine")->text(), "Cancel");
    Click("Refine");
    QTRY_VERIFY_WITH_TIMEOUT(!form_->Busy(), 60000);
    EXPECT_TRUE(StatusLine().contains("cancelled; the picture and its settings are as they were"))
        << StatusLine().toStdString();
    EXPECT_TRUE(errors_.isEmpty()) << errors_.join("\n").toStdString();
    EXPECT_EQ(session().Preview(), shown);
    EXPECT_EQ(Conversions(), conversions);
    EXPECT_EQ(Find<QScrollBar>("HScroll1")->value(), brightness);
    EXPECT_TRUE(Find<QRadioButton>("Option1_2")->isChecked());
}

// A refined result is saved with its refinement, and both replays refine it again to the same bytes.
TEST_F(SettingsFile, ARefinedResultReplaysRefinedOnTheCommandLineAndInTheWindow) {
    WritePicture("photo.bmp", GradientCorner());
    Open();
    ClickFile("photo.bmp");
    Click("Option1_3");  // "Treshold"
    Click("Refine");
    QTRY_VERIFY_WITH_TIMEOUT(!form_->Busy(), 60000);
    ASSERT_TRUE(session().Refined());
    // Saved again while a second refinement runs: the file is written, the refinement goes on.
    Click("Refine");
    ASSERT_TRUE(form_->Busy());
    SaveSettings();
    EXPECT_EQ(session().Refinements().size(), 2u);
    form_->Undo();

    const QString settings = SaveSettings();
    EXPECT_TRUE(errors_.isEmpty()) << errors_.join("\n").toStdString();
    EXPECT_TRUE(StatusLine().contains("it replays to the same screen.tim")) << StatusLine().toStdString();
    EXPECT_TRUE(Bytes(settings).contains("\"refine\"")) << Bytes(settings).toStdString();
    const QByteArray tim = SavedTim();

    const QString out = MakeFolder("replayed");
    const CliRun run = Cli({"--settings", settings, "--out-dir", out});
    EXPECT_EQ(run.status, 0) << run.err.toStdString();
    EXPECT_TRUE(run.out.contains("identical")) << run.out.toStdString();
    EXPECT_EQ(Bytes(QDir(out).filePath("screen.tim")), tim);

    Click("Option1_2");
    ASSERT_FALSE(session().Refined());
    const Picture unrefined = session().Preview();
    settingsLoadAnswer_ = settings;
    form_->findChild<QAction*>("LoadSettings")->trigger();
    // The refinement runs in the background: the window answers, and "Cancel" leaves all as it was.
    ASSERT_TRUE(form_->Busy());
    EXPECT_EQ(Find<QPushButton>("Refine")->text(), "Cancel");
    Click("Refine");
    QTRY_VERIFY_WITH_TIMEOUT(!form_->Busy(), 60000);
    EXPECT_TRUE(StatusLine().contains("cancelled; the picture and its settings are as they were"))
        << StatusLine().toStdString();
    EXPECT_FALSE(session().Refined());
    EXPECT_EQ(session().Preview(), unrefined);

    form_->findChild<QAction*>("LoadSettings")->trigger();
    QTRY_VERIFY_WITH_TIMEOUT(!form_->Busy(), 60000);
    EXPECT_TRUE(errors_.isEmpty()) << errors_.join("\n").toStdString();
    EXPECT_TRUE(session().Refined());
    EXPECT_TRUE(StatusLine().contains("the same screen.tim")) << StatusLine().toStdString();
    EXPECT_EQ(SavedTim(), tim);
}

}  // namespace
}  // namespace vorbix
