#include "RowPaths.h"

#include "PathText.h"
#include "ResultRow.h"

namespace quilder {

QString RowPathText(const ResultRow& row) {
    return row.text[kPathColumn] + QLatin1Char('/') + row.text[kNameColumn];
}

std::string RowFilePath(const ResultRow& row) {
    return TextToPath(RowPathText(row));
}

} // namespace quilder
