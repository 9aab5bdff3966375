#pragma once
// Where an extracted member goes: its name (CP932, backslashes) as a
// relative host path under the extraction folder. Member names come from
// the archive, so a name that would climb out of that folder is refused.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace orrivel::tools {

// UTF-8 relative path with '/' separators. Empty and "." components are
// dropped (so a leading separator cannot make the path absolute); a ".."
// component gives nullopt, and so does a name with nothing left. An empty
// name (a member the name tree does not reach) becomes "%06u.DAT" of its
// index.
std::optional<std::string> ExtractPath(std::string_view memberName, uint32_t index);

}  // namespace orrivel::tools
