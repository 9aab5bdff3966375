#pragma once
// Reads a named file whole (a loose file or an archive member found by the
// archive manager) into a byte vector, for readers that parse from memory.
#include <cstdint>
#include <string_view>
#include <vector>

namespace orrivel {

// False when the file cannot be opened; may throw std::bad_alloc.
bool LoadWholeFile(std::string_view fileName, std::vector<uint8_t>* bytes);

}  // namespace orrivel
