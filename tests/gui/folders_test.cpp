#include <QPushButton>

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

}  // namespace
}  // namespace vorbix
