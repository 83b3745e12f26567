#include "io/file_read.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace vorbix {

namespace {

std::string KindOf(mode_t mode) {
    if (S_ISDIR(mode)) return "a folder";
    if (S_ISFIFO(mode)) return "a FIFO";
    if (S_ISCHR(mode) || S_ISBLK(mode)) return "a device";
    if (S_ISSOCK(mode)) return "a socket";
    return "not a regular file";
}

Error Refused(const std::string& path, int code, const std::string& reason) {
    return {path, code, path + ": cannot be read (" + reason + ")"};
}

}  // namespace

std::string KindOfFileAt(const std::string& path) {
    struct stat info {};
    return stat(path.c_str(), &info) == 0 ? KindOf(info.st_mode) : std::string();
}

Result<std::string> ReadSmallFile(const std::string& path, std::int64_t maxBytes, const std::string& what) {
    struct stat before {};
    if (stat(path.c_str(), &before) != 0) {
        const int error = errno;
        return Refused(path, error, error == ENOENT ? "no such file" : std::strerror(error));
    }
    if (!S_ISREG(before.st_mode)) return Refused(path, 0, "it is " + KindOf(before.st_mode));
    // Not blocking on a FIFO swapped in after the check; the open descriptor is checked again.
    const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        const int error = errno;
        return Refused(path, error, std::strerror(error));
    }
    struct stat opened {};
    if (fstat(fd, &opened) != 0 || !S_ISREG(opened.st_mode)) {
        close(fd);
        return Refused(path, 0, "it is " + KindOf(opened.st_mode));
    }
    if (opened.st_size > maxBytes) {
        close(fd);
        return Error{path, 0, path + ": too large for " + what + " (" + std::to_string(opened.st_size) + " bytes)"};
    }
    std::string text;
    char buffer[65536];
    int error = 0;
    while (true) {
        const ssize_t n = read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) error = errno;
        if (n <= 0) break;
        text.append(buffer, static_cast<std::size_t>(n));
        if (static_cast<std::int64_t>(text.size()) > maxBytes) {
            close(fd);
            return Error{path, 0, path + ": too large for " + what};
        }
    }
    close(fd);
    if (error != 0) return Refused(path, error, std::strerror(error));
    return text;
}

}  // namespace vorbix
