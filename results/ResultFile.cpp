#include "ResultFile.h"

#include "PathText.h"
#include "Prompt.h"
#include "ReplaceFile.h"
#include "ResultSet.h"

#include <QIODevice>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace quilder {

namespace {
constexpr std::size_t kWriteChunk = 1 << 16;
}

bool WriteResultLines(const ResultModel& list, QIODevice& out) {
    std::string chunk;
    chunk.reserve(kWriteChunk + 4096);
    const auto flush = [&] {
        const bool ok = out.write(chunk.data(), static_cast<qint64>(chunk.size())) ==
                        static_cast<qint64>(chunk.size());
        chunk.clear();
        return ok;
    };
    for (int i = 0; i < list.RowCount(); ++i) {
        const ResultRow& row = list.Row(i);
        // Plain joining: the root folder "/" gives "//name", which the file system accepts.
        chunk += TextToPath(row.text.Folder());
        chunk += '/';
        chunk += row.text.NameBytes(); // held as the system's bytes
        chunk += '\t';
        chunk += TextToPath(row.SortKey());
        chunk += "\r\n";
        if (chunk.size() >= kWriteChunk && !flush()) return false;
    }
    return chunk.empty() || flush();
}

bool WriteResultFile(const ResultModel& list, const QString& path, QString& error) {
    // The loader turns a name into bytes the same way, so that a name holding bytes that are no
    // valid text names one and the same file for both.
    const std::string native = TextToPath(path);
    // The new file replaces the old one by a rename, which a read-only file does not stop; it
    // must be left as it is. Checked for the effective user, as the write would be, and by the
    // mode bits, since the system lets root write any file.
    struct stat old {};
    if (stat(native.c_str(), &old) == 0 &&
        ((old.st_mode & 0222) == 0 || faccessat(AT_FDCWD, native.c_str(), W_OK, AT_EACCESS) != 0)) {
        error = QStringLiteral("The file is read-only.");
        return false;
    }
    return ReplaceFile(
        native, [&](QIODevice& out) { return WriteResultLines(list, out); }, error);
}

bool SaveResultFile(ResultSet& results, Prompt& prompt, const QString& path) {
    QString error;
    if (!WriteResultFile(results.AllList(), path, error)) {
        prompt.Notice(QStringLiteral("The result could not be saved to %1.\n%2").arg(path, error));
        return false;
    }
    results.SetCurrentResultFile(path);
    results.SetResultChanged(false);
    return true;
}

} // namespace quilder
