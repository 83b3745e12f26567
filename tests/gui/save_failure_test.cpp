#include <sys/stat.h>

#include <QFile>
#include <cerrno>

#include "gui_fixture.h"

namespace vorbix {
namespace {

QByteArray Contents(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// A Save As that stops at a file it cannot replace: the earlier files stay as they were,
// and the message names the file and the system's reason.
TEST_F(GuiTest, FailedSaveAsKeepsTheEarlierFilesAndNamesTheOneItCouldNotWrite) {
    WritePicture("photo.bmp", 32, 24, MakeColour(200, 100, 50));
    Open();
    ClickFile("photo.bmp");
    const QDir out(MakeFolder("out"));
    saveAsAnswer_ = out.filePath("photo");
    Click("Command7");
    ASSERT_TRUE(errors_.isEmpty());
    const QStringList names{"photo.bmp", "screen.bin", "screen.tim"};
    QList<QByteArray> before;
    for (const QString& name : names) before << Contents(out.filePath(name));

    Click("Option2_0");  // another result, so that a rewrite would show
    ASSERT_TRUE(QFile::remove(out.filePath("photo.bmp")));
    ASSERT_TRUE(out.mkdir("photo.bmp"));
    Click("Command7");
    ASSERT_EQ(errors_.size(), 1);
    EXPECT_EQ(errors_.first(), QString("Error #%1 - cannot write %2: Is a directory").arg(EISDIR).arg(out.filePath("photo.bmp")));
    EXPECT_EQ(Contents(out.filePath("screen.bin")), before[1]);
    EXPECT_EQ(Contents(out.filePath("screen.tim")), before[2]);

    ASSERT_TRUE(out.rmdir("photo.bmp"));
    ASSERT_TRUE(QFile::remove(out.filePath("screen.tim")));
    ASSERT_EQ(mkfifo(QFile::encodeName(out.filePath("screen.tim")).constData(), 0644), 0);
    Click("Command7");
    ASSERT_EQ(errors_.size(), 2);
    EXPECT_EQ(errors_.last(), QString("Error #%1 - cannot write %2: not a regular file").arg(EEXIST).arg(out.filePath("screen.tim")));
    EXPECT_EQ(Contents(out.filePath("screen.bin")), before[1]) << "a save's files are replaced together or not at all";
    EXPECT_FALSE(QFile::exists(out.filePath("photo.bmp")));
    EXPECT_EQ(out.entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System),
              QStringList({"screen.bin", "screen.tim"}))
        << "no temporary is left";
}

}  // namespace
}  // namespace vorbix
