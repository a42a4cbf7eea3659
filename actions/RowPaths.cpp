#include "RowPaths.h"

#include "PathText.h"
#include "ResultRow.h"

namespace quilder {

QString RowPathText(const ResultRow& row) {
    return row.text[kPathColumn] + QLatin1Char('/') + row.text[kNameColumn];
}

std::string RowFilePath(const ResultRow& row) {
    std::string path = TextToPath(row.text.Folder());
    path += '/';
    path += row.text.NameBytes();
    return path;
}

} // namespace quilder
