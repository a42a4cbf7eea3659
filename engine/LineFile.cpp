#include "LineFile.h"

#include "FileSystem.h"
#include "ReadHandle.h"
#include "Service.h"
#include "WorkStore.h"

#include <cerrno>
#include <utility>

namespace quilder {

LineFile::~LineFile() {
    Flush();
}

void LineFile::AppendLine(const std::string& file, std::string_view text) {
    std::string& buffer = pending_[file];
    buffer.append(text);
    buffer.append("\r\n", 2);
    pendingBytes_ += text.size() + 2;
    if (pendingBytes_ > kFlushAbove) Flush();
}

std::pair<std::string, std::string> SplitPath(const std::string& file) {
    const std::size_t slash = file.rfind('/');
    if (slash == std::string::npos) return {std::string(), file};
    return {file.substr(0, slash), file.substr(slash + 1)};
}

void LineFile::Write(const std::string& file, std::string_view data) {
    const auto [folder, name] = SplitPath(file);
    const int handle = StoreFolderHandle(folder);
    const int error = handle < 0 ? errno : FileSystemService().AppendAt(handle, name, data);
    if (error != 0 && !failure_) failure_ = StoreFailureOf(file, error);
}

std::optional<StoreFailure> LineFile::TakeFailure() {
    return std::exchange(failure_, std::nullopt);
}

void LineFile::Flush() {
    if (pending_.empty()) return; // clearing walks every bucket, even of an empty table
    for (const auto& [file, data] : pending_)
        Write(file, data);
    pending_.clear();
    pendingBytes_ = 0;
}

void LineFile::Flush(const std::string& file) {
    const auto it = pending_.find(file);
    if (it == pending_.end()) return;
    Write(it->first, it->second);
    pendingBytes_ -= it->second.size();
    pending_.erase(it);
}

void LineFile::DiscardUnder(const std::string& folder) {
    const std::string prefix = folder.ends_with('/') ? folder : folder + '/';
    for (auto it = pending_.begin(); it != pending_.end();) {
        if (it->first.starts_with(prefix)) {
            pendingBytes_ -= it->second.size();
            it = pending_.erase(it);
        } else {
            ++it;
        }
    }
}

std::int64_t LineFile::CountLines(const std::string& file) {
    Flush(file);
    const auto [folder, name] = SplitPath(file);
    const int store = StoreFolderHandle(folder);
    if (store < 0) return -1;
    ReadHandle handle(FileSystemService(), store, name);
    if (!handle.IsOpen()) return -1;
    // Counted the way LineReader splits: a CR ends a line, an LF right after it belongs to it,
    // and text after the last line end is one more line.
    std::int64_t lines = 0;
    bool openLine = false;
    bool afterCr = false;
    char buffer[1 << 16];
    std::uint64_t offset = 0;
    for (;;) {
        const long long n = handle.ReadAt(buffer, sizeof buffer, offset);
        if (n < 0) return -1;
        if (n == 0) break;
        for (long long i = 0; i < n; ++i) {
            const char c = buffer[i];
            if (c == '\r') {
                ++lines;
                openLine = false;
                afterCr = true;
            } else {
                if (!(afterCr && c == '\n')) openLine = true;
                afterCr = false;
            }
        }
        offset += static_cast<std::uint64_t>(n);
    }
    return lines + (openLine ? 1 : 0);
}

LineFile& LineFileService() {
    return ServiceInstance<LineFile>();
}

void ReleaseLineFileService() {
    ServiceSlot<LineFile>().reset();
}

} // namespace quilder
