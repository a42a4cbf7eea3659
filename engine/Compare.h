#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace quilder {

// True when two files of one size class hold the same bytes at every chunk that fits whole in
// both (see SampleBlocks); a chunk that does not fit ends the comparison. A missing file, an empty
// path, a code of a class without samples, or a file that cannot be opened or read gives false.
// With listedSize, a file whose size is another when it is opened (it changed since it was
// listed) matches nothing.
bool CompareFiles(const std::string& first, const std::string& second, std::string_view code,
                  std::optional<std::uint64_t> listedSize = std::nullopt);

} // namespace quilder
