#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QRegularExpression>

#include "io/cas_file.h"
#include "io/screen_file.h"

#include "gui_fixture.h"

namespace vorbix {
namespace {

QByteArray ReadFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

std::vector<std::uint8_t> ReadBytes(const QString& path) {
    const QByteArray bytes = ReadFile(path);
    return {bytes.begin(), bytes.end()};
}

class SaveProgram : public GuiTest {
protected:
    void OpenOnPhoto() {
        WritePicture("photo.bmp", 32, 24, MakeColour(200, 100, 50));
        Open();
        ClickFile("photo.bmp");
        Click("Option2_1");
        out_ = QDir(MakeFolder("out"));
    }
    QDir out_;
};

TEST_F(SaveProgram, WritesTheSelectedModeUnderTheChosenNameSuggestedFromThePicture) {
    OpenOnPhoto();
    programAnswer_ = out_.filePath("tvc");
    Click("SaveProgram");
    EXPECT_TRUE(programSuggested_.endsWith("/photo.cas")) << programSuggested_.toStdString();
    EXPECT_TRUE(errors_.isEmpty()) << errors_.join("\n").toStdString();
    EXPECT_EQ(out_.entryList(QDir::Files), QStringList{"tvc.cas"});
    const QString status = Find<QLabel>("Status")->toolTip();
    EXPECT_TRUE(status.contains("tvc.cas")) << status.toStdString();
    EXPECT_TRUE(QRegularExpression(R"(^\d+\.\d s to load from tape \(raw \d+\.\d s\) — saved )").match(status).hasMatch())
        << status.toStdString();

    ASSERT_EQ(session().Mode(), TvcMode::Graphics4);  // the program of the selected mode
    const Status saved = session().Save(SavePathsInFolder(QFile::encodeName(out_.path()).toStdString()));
    ASSERT_TRUE(saved.Ok()) << saved.Failure().text;
    const Result<ScreenFile> screen = ParseTimBytes(ReadBytes(out_.filePath("screen.tim")));
    ASSERT_TRUE(screen.Ok());
    const auto expected = BuildCasProgram(TvcMode::Graphics4, screen.Value().image, screen.Value().registers,
                                          CasPacking::Packed);
    EXPECT_EQ(ReadBytes(out_.filePath("tvc.cas")), expected);
}

TEST_F(SaveProgram, AnswerEndingInWavWritesTheTapeSound) {
    OpenOnPhoto();
    programAnswer_ = out_.filePath("tvc.wav");
    Click("SaveProgram");
    EXPECT_TRUE(errors_.isEmpty()) << errors_.join("\n").toStdString();
    EXPECT_EQ(out_.entryList(QDir::Files), QStringList{"tvc.wav"});
    EXPECT_TRUE(ReadFile(out_.filePath("tvc.wav")).startsWith("RIFF"));
    EXPECT_TRUE(Find<QLabel>("Status")->toolTip().endsWith("tvc.wav")) << Find<QLabel>("Status")->toolTip().toStdString();
}

// Saved deep in folders with long names, as people keep them: the load time still shows whole
// at the window's base size, and so does the file's name; the folders give way in the middle.
TEST_F(SaveProgram, StatusLineShowsTheLoadTimeAndTheFileNameWhateverThePath) {
    OpenOnPhoto();
    const QString deep = MakeFolder("pictures of the summer holiday by the lake/taken with the new camera/converted");
    programAnswer_ = QDir(deep).filePath("the long lake view at dusk.cas");
    Click("SaveProgram");
    auto* status = Find<QLabel>("Status");
    ASSERT_EQ(status->width(), 448);
    const QString shown = status->text();
    EXPECT_TRUE(QRegularExpression(R"(^\d+\.\d s to load from tape \(raw \d+\.\d s\) — saved )").match(shown).hasMatch())
        << shown.toStdString();
    EXPECT_TRUE(shown.contains("…")) << shown.toStdString();
    EXPECT_TRUE(shown.endsWith("dusk.cas")) << shown.toStdString();
    EXPECT_LE(status->fontMetrics().horizontalAdvance(shown), status->width());
    EXPECT_TRUE(status->toolTip().endsWith(programAnswer_)) << status->toolTip().toStdString();

    form_->resize(form_->size() + QSize(2 * 256, 240));  // a larger window gives the path more room
    QApplication::processEvents();
    EXPECT_GT(status->text().size(), shown.size());
}

TEST_F(SaveProgram, CancelledWritesNothingAndSaysNothing) {
    OpenOnPhoto();
    const QString status = Find<QLabel>("Status")->toolTip();
    programAnswer_.clear();
    Click("SaveProgram");
    EXPECT_TRUE(errors_.isEmpty());
    EXPECT_EQ(Find<QLabel>("Status")->toolTip(), status);
    EXPECT_TRUE(out_.isEmpty());
}

TEST_F(SaveProgram, ReportsTheSystemErrorAndAColourTheMachineCannotShow) {
    OpenOnPhoto();
    programAnswer_ = QDir(temp_.path()).filePath("nowhere/tvc.cas");
    Click("SaveProgram");
    ASSERT_EQ(errors_.size(), 1);
    EXPECT_TRUE(errors_.first().startsWith(QString("Error #%1 - ").arg(ENOENT))) << errors_.first().toStdString();
    EXPECT_TRUE(errors_.first().contains("nowhere/tvc.cas")) << errors_.first().toStdString();

    errors_.clear();
    Click("Label2_2");  // takes the start-up grey of the editing swatch
    programAnswer_ = out_.filePath("grey.cas");
    Click("SaveProgram");
    EXPECT_TRUE(out_.exists("grey.cas"));
    ASSERT_EQ(errors_.size(), 1);
    EXPECT_TRUE(errors_.first().contains("(64, 64, 64)")) << errors_.first().toStdString();
}

}  // namespace
}  // namespace vorbix
