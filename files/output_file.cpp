// Writing a program's output file without harming what is at its path: a regular file is
// replaced at once or, where it must be, written in place without losing its old bytes to a
// failed write; devices, pipes and sockets are written as any program writes its output.
#include "files/output_file.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>
#include <vector>

namespace {

// Symbolic links followed at most, as the kernel does.
constexpr int MAX_LINKS = 40;

std::string reason(int error) {
    return std::strerror(error);
}

// Writes all bytes to fd, counting in done those written; the error that stopped it, or 0.
int writeBytes(int fd, const std::vector<unsigned char>& bytes, std::size_t& done) {
    done = 0;
    while (done < bytes.size()) {
        const ssize_t n = write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            return n < 0 ? errno : EIO;
        }
        done += static_cast<std::size_t>(n);
    }
    return 0;
}

// Writes all bytes to fd; errno's reason if a write fails. A pipe whose reader has gone
// wanted no more: that is no failure, as for every output of the program.
std::string writeAll(int fd, const std::vector<unsigned char>& bytes) {
    std::size_t done = 0;
    const int error = writeBytes(fd, bytes, done);
    return error == 0 || error == EPIPE ? std::string() : reason(error);
}

// Whether path names the file open on descriptor fd.
bool isOpenOn(const struct stat& file, int fd) {
    struct stat open {};
    return fstat(fd, &open) == 0 && open.st_dev == file.st_dev && open.st_ino == file.st_ino;
}

// Writes the bytes over a regular file in place, so that the old bytes survive a failed
// write: the space the new bytes need is reserved first, and the file is cut to their
// length only once they are all written. Where the file system cannot reserve space, the
// bytes are written all the same.
std::string overwriteRegular(int fd, const std::vector<unsigned char>& bytes) {
    const auto length = static_cast<off_t>(bytes.size());
    int error = fallocate(fd, FALLOC_FL_KEEP_SIZE, 0, length) == 0 ? 0 : errno;
    if (error != 0 && error != EOPNOTSUPP && error != ENOSYS && error != EINVAL &&
        error != ENODEV) {
        return reason(error) + "; the file is as it was";
    }
    // The file is open at its start; some (in /proc) cannot seek, so plain writes.
    std::size_t done = 0;
    error = writeBytes(fd, bytes, done);
    if (error != 0) {
        return reason(error) + (done == 0 ? "; the file is as it was" : "; the file is damaged");
    }
    struct stat after {};
    if (fstat(fd, &after) == 0 && after.st_size > length && ftruncate(fd, length) != 0) {
        return reason(errno);
    }
    return {};
}

// Writes the bytes over what is at path, in place: a device or pipe through open, a socket
// by connecting to it, a regular file without losing its old bytes to a failed write.
std::string writeInPlace(const std::string& path, const struct stat& file,
                         const std::vector<unsigned char>& bytes) {
    int fd = -1;
    if (S_ISSOCK(file.st_mode)) {
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        if (path.size() >= sizeof address.sun_path) {
            return reason(ENAMETOOLONG);
        }
        path.copy(address.sun_path, path.size());
        fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        if (fd >= 0 && connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
            const int error = errno;
            close(fd);
            return reason(error);
        }
    } else {
        fd = open(path.c_str(), O_WRONLY | O_CLOEXEC | O_NOCTTY);
    }
    if (fd < 0) {
        return reason(errno);
    }
    std::string why = S_ISREG(file.st_mode) ? overwriteRegular(fd, bytes) : writeAll(fd, bytes);
    if (close(fd) != 0 && why.empty()) {
        why = reason(errno);
    }
    return why;
}

// The file a chain of symbolic links ends at, whether or not it exists yet: a link is
// followed, so that the file it names is written and the link stays. The kernel has
// already refused a loop or an overlong chain by the time this runs.
std::string followLinks(std::string path, int most = MAX_LINKS) {
    for (int i = 0; i < most; ++i) {
        struct stat link {};
        if (lstat(path.c_str(), &link) != 0 || !S_ISLNK(link.st_mode)) {
            return path;
        }
        std::string target(static_cast<std::size_t>(link.st_size) + 1, '\0');
        const ssize_t n = readlink(path.c_str(), target.data(), target.size());
        if (n <= 0 || static_cast<std::size_t>(n) >= target.size()) {
            return path;
        }
        target.resize(static_cast<std::size_t>(n));
        const std::size_t slash = path.rfind('/');
        if (target[0] == '/' || slash == std::string::npos) {
            path = target;
        } else {
            path.resize(slash + 1);
            path += target;
        }
    }
    return path;
}

// Whether a failure to rename a file in the folder is the folder's refusal (not writable,
// sticky, read-only mount), which writing the file in place may still get past.
bool folderRefused(int error) {
    return error == EACCES || error == EPERM || error == EROFS;
}

// A regular file, or none yet, is replaced at once: the bytes go to a temporary file
// beside it, which is then renamed over it. A failed write leaves the old file as it was
// and no temporary file behind. An existing file keeps its mode, owner and group; where the
// temporary file cannot be made, cannot be given them or cannot be renamed over it, the
// file is written in place instead.
std::string replaceFile(const std::string& target, const struct stat* old,
                        const std::vector<unsigned char>& bytes) {
    const std::size_t slash = target.rfind('/');
    // A short name of its own, so a legal name is never made too long.
    std::string temporary =
        (slash == std::string::npos ? std::string() : target.substr(0, slash + 1)) +
        ".ray-box-XXXXXX";
    const int fd = mkstemp(temporary.data());
    if (fd < 0) {
        return old != nullptr ? writeInPlace(target, *old, bytes) : reason(errno);
    }
    mode_t mode = 0;
    if (old == nullptr) {
        // mkstemp makes the file private; a new picture gets what any new file would get.
        const mode_t mask = umask(0);
        umask(mask);
        mode = 0666 & ~mask;
    } else if (fchown(fd, old->st_uid, old->st_gid) == 0) {
        mode = old->st_mode & 07777;
    } else {
        // A file shared with others stays theirs.
        close(fd);
        unlink(temporary.c_str());
        return writeInPlace(target, *old, bytes);
    }
    std::string why = writeAll(fd, bytes);
    if (why.empty() && (fchmod(fd, mode) != 0 || fsync(fd) != 0)) {
        why = reason(errno);
    }
    if (close(fd) != 0 && why.empty()) {
        why = reason(errno);
    }
    int renameError = 0;
    if (why.empty() && std::rename(temporary.c_str(), target.c_str()) != 0) {
        renameError = errno;
        why = reason(renameError);
    }
    if (!why.empty()) {
        unlink(temporary.c_str());
    }
    if (old != nullptr && folderRefused(renameError)) {
        return writeInPlace(target, *old, bytes);
    }
    return why;
}

} // namespace

int namedDescriptor(const std::string& path) {
    if (path == "-") {
        return STDOUT_FILENO;
    }
    char own[PATH_MAX];
    if (realpath("/proc/self/fd", own) == nullptr) {
        return -1;
    }
    std::string step = path;
    for (int i = 0; i <= MAX_LINKS; ++i) {
        const std::size_t slash = step.rfind('/');
        const std::string folder = slash == std::string::npos ? "." : step.substr(0, slash + 1);
        const std::string name = step.substr(slash == std::string::npos ? 0 : slash + 1);
        char real[PATH_MAX];
        if (realpath(folder.c_str(), real) != nullptr && std::strcmp(real, own) == 0 &&
            !name.empty() && name.find_first_not_of("0123456789") == std::string::npos &&
            name.size() < 10) {
            return std::stoi(name);
        }
        const std::string next = followLinks(step, 1);
        if (next == step) {
            return -1;
        }
        step = next;
    }
    return -1;
}

// "-" is standard output. A path that names the program's own standard output or error, as
// /dev/stdout does, is written through that descriptor at its offset, whatever is behind
// it: replacing a file that the shell holds open would lose what the shell writes there.
std::string writeOutputFile(const std::string& path, const std::vector<unsigned char>& bytes) {
    if (path == "-") {
        return writeAll(STDOUT_FILENO, bytes);
    }
    struct stat file {};
    if (stat(path.c_str(), &file) != 0) {
        // Nothing there yet (or a link to nothing): a new file. A loop of links, a missing
        // folder and the like are refused with the system's reason.
        return errno == ENOENT ? replaceFile(followLinks(path), nullptr, bytes) : reason(errno);
    }
    const int stream = isOpenOn(file, STDOUT_FILENO)   ? STDOUT_FILENO
                       : isOpenOn(file, STDERR_FILENO) ? STDERR_FILENO
                                                       : -1;
    if (stream >= 0) {
        return writeAll(stream, bytes);
    }
    if (S_ISDIR(file.st_mode)) {
        return reason(EISDIR);
    }
    if (!S_ISREG(file.st_mode)) {
        return writeInPlace(path, file, bytes);
    }
    // A file the user may not write is refused, as any writer would; replacing it would get
    // round its protection. One with other names is written in place, so they all see it.
    if (faccessat(AT_FDCWD, path.c_str(), W_OK, AT_EACCESS) != 0) {
        return reason(errno);
    }
    if (file.st_nlink > 1) {
        return writeInPlace(path, file, bytes);
    }
    return replaceFile(followLinks(path), &file, bytes);
}

bool opensOn(const std::string& path, int fd) {
    struct stat file {};
    return stat(path.c_str(), &file) == 0 && isOpenOn(file, fd);
}
