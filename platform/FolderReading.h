#pragma once

#include <cstddef>
#include <functional>

namespace quilder {

// The one loop that reads a folder's entries, shared by every listing and removal. Calls `each`
// with every name but "." and ".." and the type the folder gives for it (DT_UNKNOWN when it
// gives none), from the first entry on; the handle stays open, its position at the end. False
// when the folder cannot be read to its end.
bool ReadFolder(int folder, const std::function<void(const char* name, unsigned char type)>& each);

// The same for a handle just opened (nothing read from it yet), without going back to the first
// entry first, into a buffer the caller keeps from one folder to the next. One system call per
// bufferful and one that finds the end.
class EntryBuffer {
public:
    EntryBuffer();
    ~EntryBuffer();
    EntryBuffer(const EntryBuffer&) = delete;
    EntryBuffer& operator=(const EntryBuffer&) = delete;

    template <class Each> bool ReadFresh(int folder, Each&& each) {
        for (;;) {
            const long filled = Fill(folder);
            if (filled <= 0) return filled == 0;
            for (long at = 0; at < filled;) {
                const Entry e = At(at);
                at += e.length;
                if (!IsDotOrDotDot(e.name)) each(e.name, e.type);
            }
        }
    }

private:
    struct Entry {
        const char* name;
        unsigned char type;
        unsigned short length;
    };
    long Fill(int folder); // bytes read, 0 at the end, -1 on a failure (errno set)
    Entry At(long offset) const;
    static bool IsDotOrDotDot(const char* name) {
        return name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'));
    }

    char* bytes_;
};

} // namespace quilder
