#include <iostream>
#include <sstream>

#include "io/screen_file.h"
#include "gui_fixture.h"

namespace vorbix {
namespace {

// Graphics 4 with the default registers: the first byte shows white, blue, red, black.
QByteArray FourColourTim() {
    ScreenImage image{};
    image[0] = 0xA6;
    Palette registers;
    for (ColourValue c : kDefaultSwatches4) registers.push_back(EntryFromColour(c));
    const auto bytes = ScreenTimBytes(TvcMode::Graphics4, image, registers);
    return QByteArray(reinterpret_cast<const char*>(bytes.data()), static_cast<int>(bytes.size()));
}

class ScreenFileTest : public GuiTest {
protected:
    QColor Shown(int x, int y) { return Find("Pic2")->grab().toImage().pixelColor(x, y); }

    void ExpectTheTimShown() {
        EXPECT_EQ(Shown(0, 0).name(), "#ffffff");
        EXPECT_EQ(Shown(3, 1).name(), "#0000ff");
        EXPECT_EQ(Shown(4, 0).name(), "#ff0000");
        EXPECT_EQ(Shown(6, 1).name(), "#000000");
        EXPECT_EQ(Shown(300, 200).name(), "#000000");
        EXPECT_TRUE(StatusLine().startsWith("Graphics 4 as the TVC shows it")) << StatusLine().toStdString();
    }
};

TEST_F(ScreenFileTest, WhileATimIsShownEverythingThatReadsTheResultReadsItUntilTheNextConversion) {
    const QByteArray tim = FourColourTim();
    screenFileAnswer_ = WriteBytes("screen.tim", tim);
    WritePicture("green.bmp", 8, 8, MakeColour(0, 255, 0));
    Open();
    ClickFile("green.bmp");
    const Session before = session();

    Click("OpenScreenFile");
    ExpectTheTimShown();
    EXPECT_EQ(Conversions(), before.ConversionCount());
    EXPECT_EQ(Find<QLabel>("Label7")->text(), "4");  // white, blue, red, black
    EXPECT_TRUE(Find<QLabel>("Likeness")->text().isEmpty());
    form_->Pic2_MouseMove(QPointF(4, 0));
    EXPECT_EQ(form_->MagnifiedResult().Pixel(60, 60), MakeColour(255, 0, 0));

    Click("Command3");
    const QDir program(QDir(temp_.path()).filePath("program"));
    QFile saved(program.filePath("screen.tim"));
    ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
    EXPECT_EQ(saved.readAll(), tim);
    QFile bare(program.filePath("screen.bin"));
    ASSERT_TRUE(bare.open(QIODevice::ReadOnly));
    EXPECT_EQ(bare.readAll(), tim.mid(16));
    EXPECT_EQ(QImage(program.filePath("out24.bmp")).pixelColor(4, 0), QColor(Qt::red));

    Click("Command1");
    EXPECT_EQ(session().Preview(), before.Preview());
    EXPECT_EQ(Shown(300, 200), QColorOf(session().Preview().Pixel(300, 200)));
    EXPECT_EQ(Find<QLabel>("Label7")->text(), QString::number(before.ResultColours()));
}

TEST_F(ScreenFileTest, DroppedTimOpensTheSameWay) {
    const QString path = WriteBytes("screen.tim", FourColourTim());
    Open();
    DropFile(path);
    ExpectTheTimShown();
    EXPECT_EQ(Conversions(), 0);
}

TEST_F(ScreenFileTest, ABrokenTimIsReportedAndTheCancelledDialogDoesNothing) {
    const QString path = WriteBytes("short.tim", QByteArray(100, 'T'));
    Open();
    const QColor before = Shown(10, 10);
    Click("OpenScreenFile");  // cancelled
    EXPECT_TRUE(errors_.isEmpty());
    screenFileAnswer_ = path;
    Click("OpenScreenFile");
    ASSERT_EQ(errors_.size(), 1);
    EXPECT_TRUE(errors_[0].contains("short.tim")) << errors_[0].toStdString();
    EXPECT_EQ(Shown(10, 10), before);
}

TEST_F(ScreenFileTest, SaveSaysWhereTheMachineShowsOtherColours) {
    WritePicture("grey.bmp", 16, 16, MakeColour(70, 70, 70));
    Open();
    ClickFile("grey.bmp");
    Click("Option2_1");
    Click("Command3");
    EXPECT_TRUE(StatusLine().startsWith("Saved out24.bmp")) << StatusLine().toStdString();

    Click("Label2_1");  // the start-up grey
    std::ostringstream captured;
    std::streambuf* stderrBuffer = std::cerr.rdbuf(captured.rdbuf());
    Click("Command3");
    std::cerr.rdbuf(stderrBuffer);
    const Picture& surface = session().Surface(TvcMode::Graphics4);
    int grey = 0;
    for (int y = 0; y < surface.Height(); ++y)
        for (int x = 0; x < surface.Width(); ++x) grey += surface.Pixel(x, y) == MakeColour(64, 64, 64);
    const QString named = QString("(64, 64, 64) as (145, 145, 145) on %1 pixels").arg(grey);
    EXPECT_GT(grey, 0);
    EXPECT_TRUE(StatusLine().startsWith("Saved, but ")) << StatusLine().toStdString();
    EXPECT_TRUE(StatusLine().contains(named)) << StatusLine().toStdString();
    EXPECT_NE(captured.str().find(named.toStdString()), std::string::npos) << captured.str();
    EXPECT_EQ(QFileInfo(QDir(temp_.path()).filePath("program/screen.tim")).size(), 16400);
}

}  // namespace
}  // namespace vorbix
