#pragma once

#include <string>

namespace quilder {

// Renames an entry of the open folder to a temporary name of ours, never replacing anything,
// also where the file system refuses RENAME_NOREPLACE. 0 or the errno (EEXIST: the name is
// taken, try another).
int MoveToTemporary(int folder, const std::string& name, const std::string& temporary);

// Renames a temporary entry back to its name, unless another program took the name meanwhile.
bool MoveBack(int folder, const std::string& temporary, const std::string& name);

} // namespace quilder
