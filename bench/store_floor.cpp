// The least the work store's design costs on a file system: creating N small list files with one
// line each, reading every one back, and deleting them, with plain system calls. Phases of
// quilder-bench are compared against these figures.
//   store-floor DIR N
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace {

double Milliseconds(std::chrono::steady_clock::time_point since) {
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - since)
        .count();
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 3 || std::atol(argv[2]) <= 0) {
        std::fprintf(stderr, "usage: store-floor DIR N\n");
        return 2;
    }
    const std::string folder = std::string(argv[1]) + "/store-floor";
    const long count = std::atol(argv[2]);
    if (mkdir(folder.c_str(), 0755) != 0) {
        std::perror(folder.c_str());
        return 1;
    }
    const std::string line = "/home/user/some/folder/of/the/tree/a-file-name.dat\r\n";
    const auto name = [&](long i) { return folder + "/" + std::to_string(i); };

    auto start = std::chrono::steady_clock::now();
    for (long i = 0; i < count; ++i) {
        const int fd = open(name(i).c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
        if (fd < 0 || write(fd, line.data(), line.size()) < 0) return 1;
        close(fd);
    }
    const double created = Milliseconds(start);

    start = std::chrono::steady_clock::now();
    char buffer[4096];
    long bytes = 0;
    for (long i = 0; i < count; ++i) {
        const int fd = open(name(i).c_str(), O_RDONLY | O_CLOEXEC);
        if (fd < 0) return 1;
        bytes += read(fd, buffer, sizeof buffer);
        close(fd);
    }
    const double read = Milliseconds(start);

    start = std::chrono::steady_clock::now();
    for (long i = 0; i < count; ++i)
        unlink(name(i).c_str());
    const double deleted = Milliseconds(start);
    rmdir(folder.c_str());

    std::printf("%ld files: create %.0f ms, read %.0f ms (%ld bytes), delete %.0f ms\n", count,
                created, read, bytes, deleted);
    return 0;
}
