#pragma once

#include <QString>

namespace quilder {

class EngineHost;
class ResultSet;

// What a load did, so that the commands can tell the user.
struct LoadOutcome {
    enum class Status {
        Loaded,     // everything there was to read was read
        Busy,       // refused: another load runs
        Unreadable, // the result file could not be opened
        ReadInPart, // a read of the result file failed partway
        Abandoned,  // the result set went away during a yield
    };
    Status status = Status::Loaded;
    QString reason; // with Unreadable and ReadInPart: the system's reason
};

// Adds rows to the result lists: with an empty fileName the group files of the ticked classes
// in the work store (each deleted once read), otherwise the lines of that result file. Every
// file gets a row in the All list and one in the list of its class. Yields after each class
// folder, or after every 50 lines of a result file. A call while a load runs does nothing and
// says Busy; a result file that cannot be opened gives Unreadable, one that fails partway
// ReadInPart, each with the reason; the rows read before a failure stay.
LoadOutcome LoadResult(ResultSet& results, EngineHost& host, const QString& fileName);

} // namespace quilder
