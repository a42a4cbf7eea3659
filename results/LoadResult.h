#pragma once

#include <QString>

namespace quilder {

class EngineHost;
class ResultSet;

// Adds rows to the result lists: with an empty fileName the group files of the ticked classes
// in the work store (each deleted once read), otherwise the lines of that result file. Every
// file gets a row in the All list and one in the list of its class. Yields after each class
// folder, or after every 50 lines of a result file. A call while a load runs does nothing.
void LoadResult(ResultSet& results, EngineHost& host, const QString& fileName);

} // namespace quilder
