#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <set>

#include "io/file_write.h"
#include "pipeline/session.h"

namespace vorbix {
namespace {

namespace fs = std::filesystem;

// Caps the size of any file this process writes, so that a write stops halfway as on a full
// disk (EFBIG instead of ENOSPC), whoever runs the test.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        getrlimit(RLIMIT_FSIZE, &previous_);
        previousAction_ = signal(SIGXFSZ, SIG_IGN);
        const rlimit lowered{bytes, previous_.rlim_max};
        setrlimit(RLIMIT_FSIZE, &lowered);
    }
    ~FileSizeLimit() {
        setrlimit(RLIMIT_FSIZE, &previous_);
        signal(SIGXFSZ, previousAction_);
    }

private:
    rlimit previous_{};
    sighandler_t previousAction_{};
};

class TempFolder {
public:
    TempFolder() {
        std::string pattern = (fs::temp_directory_path() / "vorbix-write-XXXXXX").string();
        path_ = mkdtemp(pattern.data());
    }
    ~TempFolder() {
        fs::permissions(path_, fs::perms::owner_all, fs::perm_options::add);
        fs::remove_all(path_);
    }
    std::string operator/(const std::string& name) const { return (path_ / name).string(); }
    const fs::path& Path() const { return path_; }
    std::set<std::string> Names() const {
        std::set<std::string> names;
        for (const auto& entry : fs::directory_iterator(path_)) names.insert(entry.path().filename().string());
        return names;
    }

private:
    fs::path path_;
};

std::string Contents(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), {}};
}

void Put(const std::string& path, const std::string& bytes) { std::ofstream(path, std::ios::binary) << bytes; }

const std::vector<std::uint8_t> kNewBytes(5000, 0xA5);

TEST(WriteFileWhole, ReplacesTheWholeFileAndKeepsItsPermissions) {
    TempFolder folder;
    const std::string path = folder / "screen.bin";
    Put(path, "old");
    chmod(path.c_str(), 0600);
    const Status written = WriteFileWhole(path, kNewBytes);
    ASSERT_TRUE(written.Ok()) << written.Failure().text;
    EXPECT_EQ(Contents(path), std::string(kNewBytes.begin(), kNewBytes.end()));
    EXPECT_EQ(fs::status(path).permissions() & fs::perms::all, fs::perms::owner_read | fs::perms::owner_write);
    EXPECT_EQ(folder.Names(), std::set<std::string>{"screen.bin"});
}

struct FailedWrite {
    const char* what;
    std::function<std::string(const TempFolder&)> target;  // makes the obstacle, gives the path to write
    const char* reason;
    int code;
};

TEST(WriteFileWhole, FailureLeavesThePreviousFileAndNamesPathAndReason) {
    const FailedWrite cases[] = {
        {"stopped halfway", [](const TempFolder& f) { return f / "previous.bin"; }, "File too large", EFBIG},
        {"parent is a file", [](const TempFolder& f) { return f / "previous.bin/screen.bin"; }, "Not a directory", ENOTDIR},
        {"parent is missing", [](const TempFolder& f) { return f / "gone/screen.bin"; }, "No such file or directory", ENOENT},
        {"a folder at the path",
         [](const TempFolder& f) {
             fs::create_directory(f / "screen.bin");
             return f / "screen.bin";
         },
         "Is a directory", EISDIR},
        {"a FIFO at the path",
         [](const TempFolder& f) {
             mkfifo((f / "screen.bin").c_str(), 0644);
             return f / "screen.bin";
         },
         "not a regular file", EEXIST},
    };
    for (const FailedWrite& c : cases) {
        SCOPED_TRACE(c.what);
        TempFolder folder;
        const std::string previous = folder / "previous.bin";
        Put(previous, "the user's bytes");
        const std::string path = c.target(folder);
        const std::set<std::string> names = folder.Names();
        Status written;
        {
            FileSizeLimit limit(1000);
            written = WriteFileWhole(path, kNewBytes);
        }
        ASSERT_FALSE(written.Ok());
        const Error& error = written.Failure();
        EXPECT_EQ(error.text, "cannot write " + path + ": " + c.reason);
        EXPECT_EQ(error.path, path);
        EXPECT_EQ(error.code, c.code);
        EXPECT_EQ(Contents(previous), "the user's bytes");
        EXPECT_EQ(folder.Names(), names) << "a temporary file was left behind";
    }
}

// A name of the system's longest still gets a temporary beside it.
TEST(WriteFileWhole, WritesNamesOfEveryLength) {
    TempFolder folder;
    for (const std::size_t length : {1u, 200u, 234u, 235u, 254u, 255u}) {
        const std::string path = folder / std::string(length, 'n');
        const Status written = WriteFileWhole(path, {1, 2, 3});
        EXPECT_TRUE(written.Ok()) << length << ": " << written.Failure().text;
        EXPECT_EQ(fs::file_size(path), 3u) << length;
    }
    EXPECT_EQ(folder.Names().size(), 6u);
}

// One folder named two ways is still one folder: locked twice, the save would wait on itself.
TEST(WriteFileWhole, AGroupIntoOneFolderSpelledTwoWaysIsWritten) {
    TempFolder folder;
    const std::string plain = folder / "screen.tim";
    const std::string dotted = (folder.Path() / "." / "work.bmp").string();
    EXPECT_EXIT(
        {
            alarm(60);  // a save waiting on itself ends here, by the signal
            std::exit(WriteFilesWhole({{plain, {1}}, {dotted, {2}}}).Ok() ? 0 : 1);
        },
        ::testing::ExitedWithCode(0), "");
    EXPECT_EQ(folder.Names(), (std::set<std::string>{"screen.tim", "work.bmp"}));
}

TEST(WriteFileWhole, ReadOnlyFolderIsReported) {
    TempFolder folder;
    const std::string path = folder / "screen.bin";
    Put(path, "the user's bytes");
    chmod(folder.Path().c_str(), 0555);
    if (access(folder.Path().c_str(), W_OK) == 0) GTEST_SKIP() << "permissions do not bind this user (root)";
    const Status written = WriteFileWhole(path, kNewBytes);
    ASSERT_FALSE(written.Ok());
    EXPECT_EQ(written.Failure().text, "cannot write " + path + ": Permission denied");
    EXPECT_EQ(written.Failure().code, EACCES);
    EXPECT_EQ(Contents(path), "the user's bytes");
}

// A session whose result differs from the one it saved before.
Session ConvertedSession(ColourValue colour) {
    Session session;
    session.ChooseMode(TvcMode::Graphics4);
    session.Load(Picture(40, 30, colour));
    return session;
}

TEST(SessionSave, FailedSaveKeepsThePreviousFilesAndNamesThePath) {
    TempFolder folder;
    const std::string saved = folder / "saved";
    fs::create_directory(saved);
    for (const SavePaths& paths : {SavePathsInFolder(saved), SaveAsPaths(saved + "/photo")}) {
        const Status written = ConvertedSession(MakeColour(200, 30, 30)).Save(paths);
        ASSERT_TRUE(written.Ok()) << written.Failure().text;
    }
    const std::vector<std::string> names{"out24.bmp", "screen.bin", "screen.tim", "photo.bmp"};
    std::vector<std::string> before;
    for (const std::string& name : names) before.push_back(Contents(saved + "/" + name));
    Put(folder / "file", "a file, not a folder");

    Session session = ConvertedSession(MakeColour(30, 30, 200));
    const struct {
        const char* what;
        std::function<Status()> save;
        std::string message;
    } cases[] = {
        {"Save stopped halfway", [&] { return session.Save(SavePathsInFolder(saved)); },
         "cannot write " + saved + "/out24.bmp: File too large"},
        {"Save As stopped halfway", [&] { return session.Save(SaveAsPaths(saved + "/photo")); },
         "cannot write " + saved + "/photo.bmp: File too large"},
        {"Save into a file", [&] { return session.Save(SavePathsInFolder(folder / "file")); },
         "cannot write " + folder / "file/out24.bmp: Not a directory"},
        {"Save As beside a file", [&] { return session.Save(SaveAsPaths(folder / "file/photo.bmp")); },
         "cannot write " + folder / "file/photo.bmp: Not a directory"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Status written;
        {
            FileSizeLimit limit(100000);
            written = c.save();
        }
        EXPECT_EQ(written.Ok() ? "" : written.Failure().text, c.message);
        for (std::size_t i = 0; i < names.size(); ++i) EXPECT_EQ(Contents(saved + "/" + names[i]), before[i]) << names[i];
        EXPECT_EQ(std::distance(fs::directory_iterator(saved), fs::directory_iterator()), 4) << "a temporary file was left";
    }
}

TEST(CommandLineSave, FailedWriteExitsWithOneAndKeepsThePreviousFiles) {
    TempFolder folder;
    const std::string picture = std::string(VORBIX_SOURCE_DIR) + "/samples/colour-chart.jpg";
    const std::string cli = std::string(VORBIX_CLI) + " '" + picture + "' --out-dir '" + folder.Path().string() + "'";
    ASSERT_EQ(std::system((cli + " --mode 4").c_str()), 0);
    const std::vector<std::string> names{"out24.bmp", "screen.bin", "screen.tim"};
    std::vector<std::string> before;
    for (const std::string& name : names) before.push_back(Contents(folder / name));

    // A file-size cap stands in for a full disk; XFSZ ignored so that the write fails instead.
    const std::string capped = "bash -c \"trap '' XFSZ; ulimit -f 100; exec " + cli + "\" 2>'" + (folder / "err") + "'";
    const int status = std::system(capped.c_str());
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 1) << status;
    EXPECT_NE(Contents(folder / "err").find("cannot write " + (folder / "out24.bmp") + ": File too large"), std::string::npos)
        << Contents(folder / "err");
    for (std::size_t i = 0; i < names.size(); ++i) EXPECT_EQ(Contents(folder / names[i]), before[i]) << names[i];
    EXPECT_EQ(folder.Names(), (std::set<std::string>{"out24.bmp", "screen.bin", "screen.tim", "err"}));
}

}  // namespace
}  // namespace vorbix
