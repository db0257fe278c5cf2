// Writing an output file, with no window: whatever is at the path is written as it should
// be, its old bytes, owner and rights kept, and a failure named with the system's reason.
#include "files/output_file.h"
#include "tests/support.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <grp.h>
#include <sys/mount.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

namespace {

namespace fs = std::filesystem;

// What is waiting to be read on a descriptor, without waiting for more; it is closed.
std::string drain(int fd) {
    std::string bytes;
    char buffer[4096];
    fcntl(fd, F_SETFL, O_NONBLOCK);
    for (ssize_t n; (n = read(fd, buffer, sizeof buffer)) > 0;) {
        bytes.append(buffer, static_cast<std::size_t>(n));
    }
    close(fd);
    return bytes;
}

const std::vector<unsigned char> NEW = {'n', 'e', 'w'};
// What a file held before: longer than the new bytes, so that a file written in place must
// be cut to them.
const char* const OLD = "old bytes, longer than the new ones";

// Whatever is at the path: a link to a private file with a name as long as names go, a
// device, a pipe, a socket, a loop of links, a file with two names, a missing folder, a
// file as a folder, a folder; each written, or refused, as any writer would.
TEST(OutputFile, WhateverIsAtThePath) {
    const Scratch scratch("output-file-");
    const fs::path& dir = scratch.path;
    const fs::path longest = dir / std::string(255, 'n');
    std::ofstream(longest) << OLD;
    fs::permissions(longest, fs::perms(0600));
    fs::create_symlink(longest, dir / "link");
    ASSERT_EQ(mknod((dir / "full").c_str(), S_IFCHR | 0666, makedev(1, 7)), 0);
    ASSERT_EQ(mkfifo((dir / "fifo").c_str(), 0644), 0);
    const int fifo = open((dir / "fifo").c_str(), O_RDWR);
    const int listener = socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK, 0);
    sockaddr_un address{AF_UNIX, {}};
    (dir / "socket").string().copy(address.sun_path, sizeof address.sun_path - 1);
    ASSERT_EQ(bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    listen(listener, 1);
    fs::create_symlink("loop-b", dir / "loop-a");
    fs::create_symlink("loop-a", dir / "loop-b");
    std::ofstream(dir / "one") << OLD;
    fs::create_hard_link(dir / "one", dir / "two");
    // A path, the answer, and what must hold after it.
    const std::tuple<fs::path, const char*, std::function<bool()>> targets[] = {
        {dir / "link", "",
         [&] {
             return fs::is_symlink(dir / "link") && slurp(longest) == "new" &&
                    fs::status(longest).permissions() == fs::perms(0600);
         }},
        {dir / "full", "No space left on device", [] { return true; }},
        {dir / "fifo", "", [&] { return drain(fifo) == "new" && fs::is_fifo(dir / "fifo"); }},
        {dir / "socket", "", [&] { return drain(accept(listener, nullptr, nullptr)) == "new"; }},
        {dir / "loop-a", "Too many levels of symbolic links",
         [&] { return fs::read_symlink(dir / "loop-a") == "loop-b"; }},
        {dir / "one", "",
         [&] { return slurp(dir / "one") == "new" && slurp(dir / "two") == "new"; }},
        {dir / "missing" / "x", "No such file or directory",
         [&] { return !fs::exists(dir / "missing"); }},
        // No temporary file can be made beside it: written in place.
        {"/proc/self/comm", "", [] { return true; }},
    };
    for (const auto& [path, why, holds] : targets) {
        EXPECT_EQ(writeOutputFile(path, NEW), why) << path;
        EXPECT_TRUE(holds()) << path;
    }
    close(listener);
    // Nothing left behind: no temporary file beside any of them.
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 9);
}

// Runs the function as nobody (as Debian numbers it), in the group 4242 too, when the test
// runs as root; else as the user. Whether it returned true.
bool asNobody(const std::function<bool()>& function) {
    const pid_t child = fork();
    if (child == 0) {
        const gid_t team = 4242;
        const bool user = geteuid() != 0 ||
                          (setgroups(1, &team) == 0 && setgid(65534) == 0 && setuid(65534) == 0);
        _exit(user && function() ? 0 : 1);
    }
    int status = -1;
    waitpid(child, &status, 0);
    return status == 0;
}

// A file the user may not write is refused, even where its folder would let it be replaced;
// one the user may write is written, even where its folder refuses to have it replaced, and
// keeps its owner and group. Written in place, it holds the new bytes and nothing after them.
TEST(OutputFile, TheUsersRights) {
    const Scratch scratch("rights-");
    const fs::path& dir = scratch.path;
    // A folder and its mode, a file there with its mode, owner and group (the folder's group
    // too), the answer, and the file after.
    const std::tuple<const char*, int, const char*, int, uid_t, gid_t, const char*, const char*>
        files[] = {
            {"open", 0777, "protected", 0444, 0, 0, "Permission denied", OLD},
            {"locked", 0555, "writable", 0666, 0, 0, "", "new"},
            {"sticky", 01777, "shared", 0666, 0, 0, "", "new"},
            {"team", 0770, "r3.png", 0660, 1, 4242, "", "new"},
        };
    for (const auto& [folder, folderMode, name, mode, owner, group, why, after] : files) {
        const fs::path path = dir / folder / name;
        fs::create_directories(path.parent_path());
        chmod(path.parent_path().c_str(), 0755);
        std::ofstream(path) << OLD;
        chmod(path.c_str(), static_cast<mode_t>(mode));
        const bool root = geteuid() == 0;
        if (root) {
            ASSERT_EQ(
                chown(path.c_str(), owner, group) | chown(path.parent_path().c_str(), 0, group), 0);
        }
        chmod(path.parent_path().c_str(), static_cast<mode_t>(folderMode));
        EXPECT_TRUE(asNobody([&, path = path, why = why] {
            return writeOutputFile(path, {'n', 'e', 'w'}) == why;
        })) << path;
        EXPECT_EQ(slurp(path), after) << path;
        struct stat file {};
        stat(path.c_str(), &file);
        EXPECT_TRUE(!root || (file.st_uid == owner && file.st_gid == group)) << path;
    }
}

// Whatever way a file is written, a write that fails for want of space leaves its old bytes:
// replaced, or written in place for its other name, a folder the user may not write, or a
// sticky folder of someone else's. On a small file system full of blocks and of files,
// mounted in the test's own folder and gone when the test ends, however it ends.
TEST(OutputFile, AFullFileSystemKeepsTheOldBytes) {
    if (geteuid() != 0) {
        GTEST_SKIP() << "needs root for its mount and users";
    }
    const Scratch scratch("full-");
    const fs::path& dir = scratch.path;
    ASSERT_EQ(mount("tmpfs", dir.c_str(), "tmpfs", 0, "size=64k,nr_inodes=16"), 0);
    const std::unique_ptr<const fs::path, void (*)(const fs::path*)> unmount(
        &dir, [](const fs::path* mounted) { umount2(mounted->c_str(), MNT_DETACH); });
    // A folder, its mode, the file's owner, and whether nobody writes it.
    const std::tuple<const char*, int, uid_t, bool> routes[] = {
        {"replaced", 0755, 0, false},
        {"linked", 0755, 0, false},
        {"not the user's", 0755, 65534, true},
        {"sticky", 01777, 0, true},
    };
    std::string old;
    for (int n = 1; n <= 300; ++n) {
        old += std::to_string(n) + "\n";
    }
    for (const auto& [folder, mode, owner, nobody] : routes) {
        fs::create_directories(dir / folder);
        std::ofstream(dir / folder / "hl.txt") << old;
        ASSERT_EQ(chown((dir / folder / "hl.txt").c_str(), owner, owner), 0);
        chmod((dir / folder / "hl.txt").c_str(), 0666);
        chmod((dir / folder).c_str(), static_cast<mode_t>(mode));
    }
    fs::create_hard_link(dir / "linked" / "hl.txt", dir / "hl2.txt");
    std::ofstream(dir / "blocks") << std::string(64 * 1024, 'f');
    for (int k = 0; k < 16; ++k) {
        std::ofstream(dir / std::to_string(k));
    }
    for (const auto& [folder, mode, owner, nobody] : routes) {
        const fs::path file = dir / folder / "hl.txt";
        const auto write = [&file] {
            const std::string why = writeOutputFile(file, std::vector<unsigned char>(20000));
            return why.rfind("No space left on device", 0) == 0;
        };
        EXPECT_TRUE(nobody ? asNobody(write) : write()) << folder;
        EXPECT_EQ(slurp(file), old) << folder;
    }
    EXPECT_EQ(slurp(dir / "hl2.txt"), old);
}

} // namespace
