#pragma once

#include "EngineHost.h"

#include <cstdio>
#include <string>
#include <string_view>

namespace quilder {

// The sort key of the members of a group file: the size part of its name padded to 13 digits,
// then the rest of the name from the first "_" on.
std::string SortKeyOfGroupFile(std::string_view name);

// Reads and deletes the group files of the ticked classes, Huge to Tiny, as the result loader
// does, and writes one result-file line per member (full path, tab, sort key, CR LF): groups in
// ascending key order, members in group-file order. False when the output cannot be written.
bool WriteGroupListing(const EngineHost& host, std::FILE* out);

} // namespace quilder
