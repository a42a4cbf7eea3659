#include "GroupConfirmation.h"

#include "ResultRow.h"
#include "SizeClass.h"

namespace quilder {

namespace {

const QString kVerified = QStringLiteral("Confirmed byte for byte by Verify Groups.");
const QString kSamples = QStringLiteral(
    "Confirmed by comparing samples of the content: the files may still differ. Verify Groups "
    "compares every byte.");
const QString kSizeOnly = QStringLiteral(
    "Confirmed by equal size only: the content was not compared, so the files may differ. Verify "
    "Groups compares every byte.");

// By class order, Tiny to Huge.
const QString kByClass[kClassCount] = {
    QStringLiteral("Confirmed by comparing every byte of the files."),
    QStringLiteral("Confirmed by comparing the content in 10-byte blocks: the last few bytes past "
                   "the last whole block may still differ. Verify Groups compares every byte."),
    kSamples,
    kSamples,
    kSamples,
    kSizeOnly,
    kSizeOnly,
};

} // namespace

QString GroupConfirmation(const ResultRow& row) {
    if (!row.HasFile()) return {};
    if (row.byteForByte) return kVerified;
    return kByClass[ClassOfSize(row.Size())];
}

} // namespace quilder
