#include "TypeDescription.h"

#include <QHash>
#include <QMimeDatabase>

namespace quilder {

QString TypeDescriptionOf(const QString& fileName) {
    // Asking the database costs up to tens of microseconds a name (a regular expression per
    // unusual pattern on every call), and a list asks again on every repaint, so answers are
    // remembered. The key is the whole name, not its suffix: some types go by whole names or
    // by patterns other than a suffix (CMakeLists.txt, Makefile, README*, *~), and the text must
    // be the database's own.
    static const QMimeDatabase database;
    static QHash<QString, QString> known;
    const auto found = known.constFind(fileName);
    if (found != known.constEnd()) return *found;
    if (known.size() >= 20000) known.clear(); // bounded: the rows shown are a small part
    const QString description =
        database.mimeTypeForFile(fileName, QMimeDatabase::MatchExtension).comment();
    known.insert(fileName, description);
    return description;
}

} // namespace quilder
