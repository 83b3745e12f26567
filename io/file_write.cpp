#include "io/file_write.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <sys/file.h>

#include <cerrno>
#include <climits>
#include <cstring>
#include <map>
#include <set>

namespace vorbix {

namespace {

// Temporaries are named ".TARGET.vorbix-PID-XXXXXX": hidden, recognisably ours, and stale once
// the process that made them is gone.
constexpr const char* kTemporaryMark = ".vorbix-";

Error Failure(const std::string& path, int error) {
    return {path, error, "cannot write " + path + ": " + std::strerror(error)};
}

std::string FolderOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

// A name near the system's longest keeps as much of itself as fits beside the mark.
std::string TemporaryTemplate(const std::string& path) {
    const std::string folder = FolderOf(path);
    const std::string tail = kTemporaryMark + std::to_string(getpid()) + "-XXXXXX";
    const std::size_t room = NAME_MAX - 1 - tail.size();
    return folder + "." + path.substr(folder.size(), room) + tail;
}

// The process id in one of our temporaries' names, or 0 for any other name.
pid_t MakerOf(const std::string& name) {
    constexpr std::size_t kRandomPart = 7;  // "-XXXXXX"
    const std::size_t mark = name.rfind(kTemporaryMark);
    if (name[0] != '.' || mark == std::string::npos || name.size() < kRandomPart) return 0;
    const std::size_t first = mark + std::strlen(kTemporaryMark), end = name.size() - kRandomPart;
    if (first >= end || end - first > 9 || name[end] != '-') return 0;
    const std::string digits = name.substr(first, end - first);
    if (digits.find_first_not_of("0123456789") != std::string::npos) return 0;
    return static_cast<pid_t>(std::stol(digits));
}

bool Gone(pid_t process) { return kill(process, 0) != 0 && errno == ESRCH; }

void RemoveStaleTemporaries(const std::string& folder) {
    DIR* dir = opendir(folder.empty() ? "." : folder.c_str());
    if (!dir) return;
    while (const dirent* entry = readdir(dir)) {
        const pid_t maker = MakerOf(entry->d_name);
        if (maker <= 0 || !Gone(maker)) continue;
        const std::string path = folder + entry->d_name;
        struct stat info {};
        if (lstat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) && info.st_uid == geteuid()) unlink(path.c_str());
    }
    closedir(dir);
}

struct Temporary {
    std::string name;
    mode_t mode = 0644;
};

// Writes one file's bytes to a new temporary; the error is the system's code.
int WriteTemporary(const FileToWrite& file, Temporary& temporary) {
    // Renaming over a device, FIFO or folder would replace it, not write into it.
    struct stat existing {};
    const bool exists = stat(file.path.c_str(), &existing) == 0;
    if (exists && S_ISDIR(existing.st_mode)) return EISDIR;
    if (exists && !S_ISREG(existing.st_mode)) return -1;
    if (exists) temporary.mode = existing.st_mode & 07777;
    std::string name = TemporaryTemplate(file.path);
    const int fd = mkstemp(name.data());
    if (fd < 0) return errno;
    temporary.name = name;
    int error = 0;
    std::size_t written = 0;
    while (written < file.bytes.size() && error == 0) {
        const ssize_t n = write(fd, file.bytes.data() + written, file.bytes.size() - written);
        if (n < 0) {
            if (errno != EINTR) error = errno;
        } else {
            written += static_cast<std::size_t>(n);
        }
    }
    if (error == 0 && fchmod(fd, temporary.mode) != 0) error = errno;
    if (error == 0 && fsync(fd) != 0) error = errno;
    if (close(fd) != 0 && error == 0) error = errno;
    return error;
}

// Holds an advisory lock on each folder written to while a group's renames run, so that two of
// our saves into one folder put their groups in place one after the other, never interleaved.
// A folder is known by its device and inode, not its spelling: "" and "./" locked twice would wait
// on each other for ever. Locking in that order means two groups never wait on each other.
class FolderLocks {
public:
    explicit FolderLocks(const std::set<std::string>& folders) {
        std::map<std::pair<dev_t, ino_t>, int> byIdentity;
        for (const std::string& folder : folders) {
            const int fd = open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
            if (fd < 0) continue;  // unlocked: the renames themselves then say what is wrong
            struct stat info {};
            if (fstat(fd, &info) != 0 || !byIdentity.emplace(std::pair(info.st_dev, info.st_ino), fd).second) {
                close(fd);
                continue;
            }
        }
        for (const auto& [identity, fd] : byIdentity) {
            while (flock(fd, LOCK_EX) != 0 && errno == EINTR) {
            }
            held_.push_back(fd);
        }
    }
    ~FolderLocks() {
        for (const int fd : held_) close(fd);
    }
    FolderLocks(const FolderLocks&) = delete;
    FolderLocks& operator=(const FolderLocks&) = delete;

private:
    std::vector<int> held_;
};

}  // namespace

Status WriteFilesWhole(const std::vector<FileToWrite>& files) {
    std::set<std::string> folders;
    for (const FileToWrite& file : files) folders.insert(FolderOf(file.path));
    for (const std::string& folder : folders) RemoveStaleTemporaries(folder);

    std::vector<Temporary> temporaries(files.size());
    auto removeTemporaries = [&] {
        for (const Temporary& temporary : temporaries)
            if (!temporary.name.empty()) unlink(temporary.name.c_str());
    };
    for (std::size_t i = 0; i < files.size(); ++i) {
        const int error = WriteTemporary(files[i], temporaries[i]);
        if (error == 0) continue;
        removeTemporaries();
        if (error < 0) return Error{files[i].path, EEXIST, "cannot write " + files[i].path + ": not a regular file"};
        return Failure(files[i].path, error);
    }
    const FolderLocks locks(folders);
    for (std::size_t i = 0; i < files.size(); ++i) {
        if (rename(temporaries[i].name.c_str(), files[i].path.c_str()) == 0) {
            temporaries[i].name.clear();
            continue;
        }
        const int error = errno;
        removeTemporaries();
        return Failure(files[i].path, error);
    }
    return {};
}

Status WriteFileWhole(const std::string& path, const std::vector<std::uint8_t>& bytes) {
    return WriteFilesWhole({{path, bytes}});
}

}  // namespace vorbix
