#include "io/file_write.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace vorbix {

namespace {

Error Failure(const std::string& path, int error) {
    return {path, error, "cannot write " + path + ": " + std::strerror(error)};
}

}  // namespace

Status WriteFileWhole(const std::string& path, const std::vector<std::uint8_t>& bytes) {
    // Renaming over a device, FIFO or folder would replace it, not write into it.
    struct stat existing {};
    const bool exists = stat(path.c_str(), &existing) == 0;
    if (exists && S_ISDIR(existing.st_mode)) return Failure(path, EISDIR);
    if (exists && !S_ISREG(existing.st_mode)) return Error{path, EEXIST, "cannot write " + path + ": not a regular file"};
    std::string temporary = path + ".XXXXXX";
    const int fd = mkstemp(temporary.data());
    if (fd < 0) return Failure(path, errno);
    int error = 0;
    std::size_t written = 0;
    while (written < bytes.size() && error == 0) {
        const ssize_t n = write(fd, bytes.data() + written, bytes.size() - written);
        if (n < 0) {
            if (errno != EINTR) error = errno;
        } else {
            written += static_cast<std::size_t>(n);
        }
    }
    const mode_t mode = exists ? existing.st_mode & 07777 : 0644;
    if (error == 0 && fchmod(fd, mode) != 0) error = errno;
    if (error == 0 && fsync(fd) != 0) error = errno;
    if (close(fd) != 0 && error == 0) error = errno;
    if (error == 0 && rename(temporary.c_str(), path.c_str()) != 0) error = errno;
    if (error != 0) {
        unlink(temporary.c_str());
        return Failure(path, error);
    }
    return {};
}

}  // namespace vorbix
