#pragma once
// Looks a name up in a serialised name tree (the member directory of an
// archive), read in place. A node is a child count (u8, 0 for none) followed
// by that many entries, each a key byte and a little-endian link: u16 in the
// narrow form, u32 in the wide one. For a key byte other than 0 the link is
// the distance from the end of the link field to the child node; for key 0
// (the end of a name) it is the name's value.
//
// The tree comes from a file, so every node and every link is checked against
// the tree's size: a corrupt tree gives -1, never a read outside it.
#include <cstdint>
#include <span>

namespace orrivel {

// The name's value (zero-extended), or -1 when it is not stored, the tree or
// name is null, the tree is corrupt, or the name is longer than 255 bytes.
// caseMode 0 uses the name as it is, 1 upper-cases it, any other value
// lower-cases it (ASCII letters of single-byte characters only).
int64_t TrieLookup(std::span<const uint8_t> tree, bool wide, const char* name, int32_t caseMode);

}  // namespace orrivel
