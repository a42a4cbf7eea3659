#include "FolderReading.h"

#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

namespace quilder {

namespace {

bool IsDotOrDotDot(const char* name) {
    return name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'));
}

} // namespace

bool ReadFolder(int folder, const std::function<void(const char* name, unsigned char type)>& each) {
    const int own = fcntl(folder, F_DUPFD_CLOEXEC, 0); // closedir closes its descriptor
    if (own < 0) return false;
    DIR* dir = fdopendir(own);
    if (!dir) {
        close(own);
        return false;
    }
    rewinddir(dir); // the duplicate shares the position of a handle read before
    bool failed = false;
    for (;;) {
        // errno tells the end of the folder from a failure only when cleared before each read.
        errno = 0;
        const dirent* e = readdir(dir);
        if (!e) {
            failed = errno != 0;
            break;
        }
        if (!IsDotOrDotDot(e->d_name)) each(e->d_name, e->d_type);
    }
    closedir(dir);
    return !failed;
}

} // namespace quilder
