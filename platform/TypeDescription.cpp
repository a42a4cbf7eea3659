#include "TypeDescription.h"

#include "FileSystem.h"
#include "PathText.h"

#include <QHash>
#include <QMimeDatabase>

namespace quilder {

namespace {

struct NamedType {
    QString description;
    bool saysNothing = false; // the database's default type: the name told it nothing
};

const QMimeDatabase& Database() {
    static const QMimeDatabase database;
    return database;
}

NamedType TypeOfName(const QString& fileName) {
    // Asking the database costs up to tens of microseconds a name (a regular expression per
    // unusual pattern on every call), and a list asks again on every repaint, so answers are
    // remembered. The key is the whole name, not its suffix: some types go by whole names or
    // by patterns other than a suffix (CMakeLists.txt, Makefile, README*, *~), and the text must
    // be the database's own.
    static QHash<QString, NamedType> known;
    const auto found = known.constFind(fileName);
    if (found != known.constEnd()) return *found;
    if (known.size() >= 20000) known.clear(); // bounded: the rows shown are a small part
    const QMimeType type = Database().mimeTypeForFile(fileName, QMimeDatabase::MatchExtension);
    return *known.insert(fileName, {type.comment(), type.isDefault()});
}

// As much of a file's start as the database's content rules look at.
constexpr std::size_t kContentBytes = 16384;

QString TypeOfContent(const std::string& path) {
    FileSystem& fs = FileSystemService();
    const int fd = fs.OpenRead(path);
    if (fd < 0) return {};
    QByteArray head(kContentBytes, Qt::Uninitialized);
    const long long read = fs.ReadAt(fd, head.data(), kContentBytes, 0);
    fs.CloseRead(fd);
    if (read < 0) return {};
    head.truncate(static_cast<qsizetype>(read));
    return Database().mimeTypeForData(head).comment();
}

} // namespace

QString TypeDescriptionOf(const QString& fileName) {
    return TypeOfName(fileName).description;
}

QString TypeDescriptionOf(const QString& folder, const QString& fileName) {
    const NamedType named = TypeOfName(fileName);
    if (!named.saysNothing) return named.description;
    const QString path = folder + QLatin1Char('/') + fileName;
    static QHash<QString, QString> byContent;
    const auto found = byContent.constFind(path);
    if (found != byContent.constEnd()) return *found;
    if (byContent.size() >= 20000) byContent.clear();
    QString description = TypeOfContent(TextToPath(path));
    // A file that cannot be read keeps what its name says.
    if (description.isEmpty()) description = named.description;
    byContent.insert(path, description);
    return description;
}

} // namespace quilder
