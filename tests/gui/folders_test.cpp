#include <QFile>
#include <QPushButton>
#include <cerrno>
#include <cstdio>

#include "gui_fixture.h"

namespace vorbix {
namespace {

// "Save" shows where the files went without making that a folder of pictures among the recent
// ones, and the way back goes once the user opens another folder.
TEST_F(GuiTest, ASaveShowsItsFolderWithoutMakingItRecentAndOpeningAnotherDropsTheWayBack) {
    WritePicture("photo.bmp", GradientPicture());
    Open();
    ClickFile("photo.bmp");
    const QString program = QDir(QDir(temp_.path()).filePath("program")).absolutePath();
    Click("Command3");
    EXPECT_EQ(form_->ListFolder(), program);
    EXPECT_FALSE(form_->RecentFolders().contains(program));
    EXPECT_EQ(form_->RecentFolders().first(), pictures_);
    auto* back = Find<QPushButton>("BackToFolder");
    EXPECT_TRUE(back->isVisible());

    folderAnswer_ = MakeFolder("elsewhere");
    Click("Folder");
    EXPECT_EQ(form_->ListFolder(), folderAnswer_);
    EXPECT_FALSE(back->isVisible());
    EXPECT_EQ(form_->RecentFolders().first(), folderAnswer_);
}

// Where neither the program's folder nor the list's can be written (their parent is a file, which
// stops even a user whom permissions do not bind), "Save" asks once where to save and keeps the
// answer, in this run and the next; "Save As" starts in the folder last saved to.
TEST_F(GuiTest, SaveAsksOnceWhereToSaveWhenItsUsualPlaceCannotBeWrittenAndKeepsTheAnswer) {
    WritePicture("photo.bmp", GradientPicture());
    const QString blocker = QDir(temp_.path()).filePath("blocker");
    {
        QFile file(blocker);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    }
    const QString unwritable = QDir(blocker).filePath("program");
    const QString out = QDir(MakeFolder("out")).absolutePath();
    const auto openUnwritable = [&] {
        Open();
        ClickFile("photo.bmp");
        form_->SetProgramFolder(unwritable);
        folderAnswer_ = QDir(blocker).filePath("pictures");
        Click("Folder");
    };
    openUnwritable();

    saveFolderAnswer_ = "";  // cancelled: nothing written, and the reason is told
    Click("Command3");
    ASSERT_EQ(saveFolderAsked_.size(), 1);
    EXPECT_TRUE(saveFolderAsked_[0].contains(QDir(blocker).filePath("pictures/out24.bmp"))) << saveFolderAsked_[0].toStdString();
    ASSERT_EQ(errors_.size(), 1);
    EXPECT_EQ(errors_[0], QString("Error #%1 - cannot write %2: Not a directory")
                              .arg(ENOTDIR)
                              .arg(QDir(blocker).filePath("pictures/out24.bmp")));

    saveFolderAnswer_ = out;
    Click("Command3");
    EXPECT_EQ(saveFolderAsked_.size(), 2);
    for (const char* name : {"out24.bmp", "screen.bin", "screen.tim"}) EXPECT_TRUE(QDir(out).exists(name)) << name;
    EXPECT_EQ(errors_.size(), 1);
    EXPECT_EQ(form_->ListFolder(), out);
    EXPECT_TRUE(Find("Command3")->toolTip().contains("into " + QDir::toNativeSeparators(out))) << Find("Command3")->toolTip().toStdString();

    // Saved there again without a question; "Save As" starts there.
    const auto savesThereUnasked = [&] {
        ASSERT_TRUE(QFile::remove(QDir(out).filePath("out24.bmp")));
        Click("Command3");
        EXPECT_EQ(saveFolderAsked_.size(), 2);
        EXPECT_TRUE(QDir(out).exists("out24.bmp"));
        Click("Command7");
        EXPECT_EQ(saveAsStart_, out);
    };
    savesThereUnasked();
    form_->close();
    openUnwritable();
    savesThereUnasked();  // the answer is kept for the next run
    EXPECT_EQ(errors_.size(), 1);
}

TEST(FileList, ShowsJpegPngAndBmpNamesInAnyCaseWhateverTheirBytes) {
    const struct {
        QByteArray name;
        bool shown;
    } cases[] = {
        {"photo.jpg", true},     {"photo.JPG", true},      {"photo.jpeg", true}, {"photo.Jpeg", true},
        {"photo.png", true},     {"photo.PNG", true},      {"photo.bmp", true},  {"photo.Bmp", true},
        {"ph\xe9to.jpg", true}, {"photo.gif", false},     {"photo.jpg.txt", false}, {"jpg", false},
        {"photojpg", false},     {".hidden.png", false},   {"photo.tim", false}, {"", false},
    };
    for (const auto& c : cases) EXPECT_EQ(IsPictureFileName(c.name), c.shown) << c.name.toHex().toStdString();
}

// A name that is not valid UTF-8 is listed, with a mark where its bytes have no text, and a click
// on it says why it cannot be opened rather than failing on a name that does not exist.
TEST_F(GuiTest, ANameThatIsNotUtf8IsListedAndAClickSaysWhyItCannotBeOpened) {
    const QByteArray raw = QFile::encodeName(pictures_) + "/ph\xe9to.bmp";
    const QString plain = WritePicture("plain.bmp", 4, 4, MakeColour(0, 0, 255));
    ASSERT_EQ(std::rename(QFile::encodeName(plain).constData(), raw.constData()), 0);
    WritePicture("photo.PNG", GradientPicture(), "PNG");
    WritePicture("photo.jpeg", GradientPicture(), "JPG");
    Open();
    const QString shown = QFile::decodeName("ph\xe9to.bmp");
    EXPECT_EQ(ListedFiles(), (QStringList{"photo.jpeg", "photo.PNG", shown}));

    ClickFile("photo.PNG");
    EXPECT_EQ(session().ConversionCount(), 3);
    ClickFile(shown);
    ASSERT_EQ(errors_.size(), 1);
    EXPECT_EQ(errors_[0], QDir(pictures_).filePath(shown) +
                              " cannot be opened: its name is not valid UTF-8 text. Rename the file to open it.");
    EXPECT_EQ(form_->windowTitle(), "Vorbix 1.02 - photo.PNG") << "the picture shown stays";
    ClickFile("photo.jpeg");
    EXPECT_EQ(errors_.size(), 1);
}

}  // namespace
}  // namespace vorbix
