#include "FolderReading.h"

#include <cstddef>
#include <dirent.h>
#include <unistd.h>

namespace quilder {

namespace {

// Large enough that most folders take one call (and one more that finds the end).
constexpr std::size_t kBufferBytes = 32 * 1024;

} // namespace

EntryBuffer::EntryBuffer() : bytes_(static_cast<char*>(::operator new(kBufferBytes))) {}

EntryBuffer::~EntryBuffer() {
    ::operator delete(bytes_);
}

long EntryBuffer::Fill(int folder) {
    return static_cast<long>(getdents64(folder, bytes_, kBufferBytes));
}

EntryBuffer::Entry EntryBuffer::At(long offset) const {
    // The kernel aligns each record for its own struct; operator new aligns the buffer.
    const auto* d = reinterpret_cast<const dirent64*>(bytes_ + offset);
    return {d->d_name, d->d_type, d->d_reclen};
}

bool ReadFolder(int folder, const std::function<void(const char* name, unsigned char type)>& each) {
    // The handle may have been read before: from its first entry again.
    if (lseek(folder, 0, SEEK_SET) < 0) return false;
    EntryBuffer buffer;
    return buffer.ReadFresh(folder, each);
}

} // namespace quilder
