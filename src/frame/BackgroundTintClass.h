#pragma once
// The tint class of a background picture: its file name (folder and
// extension aside) is "BG", a decimal number and a variant letter A, B or C
// (either case); the background tint table lists which numbers of each
// letter are tinted. Sprites of listed characters shown over a tinted
// background take the matching tint colour mode.
#include <cstdint>
#include <string_view>
#include <vector>

namespace orrivel {

// 0 none; 1 for letter A, 2 for B or C. The table is the parsed tint list:
// -n opens the section of letter n, positive values are background numbers,
// 0 ends it. A section that holds no numbers and is followed by another
// section covers every background of its letter; an empty section at the
// end covers none.
uint32_t BackgroundTintClass(std::string_view imageName, const std::vector<int32_t>& table);

}  // namespace orrivel
