#pragma once

#include "FileRecords.h"

#include <span>
#include <string>

namespace quilder {

// Opens many files for reading at once, each exactly as FileSystem::OpenRead would (never
// through a link, never blocking on a FIFO, only a regular file kept open): fds[i] is the
// descriptor or -1, facts[i] its size and time when opened. Through an io_uring of the calling
// thread a few dozen files cost two system calls instead of two each: on a virtual machine a
// system call costs more than reading a small file. Where the system offers no ring, one call
// at a time. For the real file-system service only: a replaced one must see every call.
// With `first`, the first bytes of every file opened are read too, in the same few calls.
struct FirstReads {
    std::size_t length = 0;    // bytes from the start of each file (fewer at its end)
    char* buffer = nullptr;    // `length` bytes for each path, one after the other
    long long* read = nullptr; // per path: bytes read, or -1 (not opened, or a read error)
};
void OpenReadMany(std::span<const std::string> paths, std::span<int> fds,
                  std::span<FileFacts> facts, const FirstReads& first = {});
// Closes what OpenReadMany opened; -1 entries are skipped.
void CloseReadMany(std::span<const int> fds);

// False makes the calls above take one system call at a time, as without a ring (for tests).
void UseRingForBatchReads(bool use);

} // namespace quilder
