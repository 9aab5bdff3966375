#pragma once
// Writer of the voice table "SCRIPT\\VOICEINF.DAT" (layout in
// docs/formats.md). Names, second names, prefixes and the extension are
// written with a terminating zero, so a field of text T takes T's length + 1
// bytes; an empty second name is written as the lone zero (length 1), and no
// second name as length 0.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace orrivel::voiceinf {

using Bytes = std::vector<uint8_t>;

struct Entry {
  std::string name;
  std::optional<std::string> secondName;
  std::vector<std::string> prefixes;
};

struct File {
  std::string extension;                  // "ogg"
  std::vector<Entry> entries;
  std::optional<uint32_t> prefixCount;    // the total P; by default the real total
};

Bytes Write(const File& file);

// Reads the text form: one statement a line, '#' starts a comment.
//   ext EXTENSION
//   entry NAME [second SECOND | unheard] [PREFIX ...]
// "unheard" writes an empty second name (length 1). False with "line N:
// why" in error on a mistake.
bool Parse(std::string_view text, File& file, std::string& error);

}  // namespace orrivel::voiceinf
