// Counts the frames a program shows. Preloaded into it, it counts its glutSwapBuffers calls
// in the file named by RAYBOX_SWAP_COUNT, which the benchmark reads while the program runs.
#include <dlfcn.h>
#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>

#include <atomic>
#include <cstdlib>

namespace {

// The count, shared through the file; null if there is none to keep.
std::atomic<long>* counter() {
    static std::atomic<long>* const count = []() -> std::atomic<long>* {
        const char* path = std::getenv("RAYBOX_SWAP_COUNT");
        const int fd = path != nullptr ? open(path, O_RDWR | O_CREAT | O_CLOEXEC, 0600) : -1;
        if (fd < 0 || ftruncate(fd, sizeof(long)) != 0) {
            return nullptr;
        }
        void* shared = mmap(nullptr, sizeof(long), PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
        close(fd);
        return shared == MAP_FAILED ? nullptr : static_cast<std::atomic<long>*>(shared);
    }();
    return count;
}

} // namespace

extern "C" void glutSwapBuffers() {
    static const auto next = reinterpret_cast<void (*)()>(dlsym(RTLD_NEXT, "glutSwapBuffers"));
    if (std::atomic<long>* count = counter()) {
        ++*count;
    }
    next();
}
