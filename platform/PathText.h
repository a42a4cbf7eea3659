#pragma once

#include <QString>
#include <string>
#include <string_view>
#include <utility>

namespace quilder {

// File names are bytes and need not be valid UTF-8. Valid UTF-8 decodes as usual; each byte b of
// an invalid sequence becomes the lone surrogate U+DC00 + b, which no valid text can hold, so the
// mapping is one to one and a path survives bytes -> text -> bytes unchanged.
QString PathToText(std::string_view bytes);
std::string TextToPath(const QString& text);

// A path holding one of these bytes cannot be stored as a line of a line file without ambiguity.
bool HasLineBreakOrTab(std::string_view path);

// Joins a folder and a name with one separator; a folder that already ends with one (the root)
// gets none added.
std::string JoinPath(const std::string& folder, const std::string& name);
// Splits a path at its last separator into the folder ("/" for the root) and the name.
std::pair<std::string, std::string> SplitEntryPath(const std::string& path);

} // namespace quilder
