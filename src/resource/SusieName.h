#pragma once
// Name rules of the Susie-style plug-ins: the member-name hash and
// comparison of archive plug-ins, which treat as one name the spellings a
// Japanese file name may come in (ASCII letters in either case, full-width
// capital and small letters, and the Roman numerals one to ten in their two
// codings), and the file filter a plug-in gives turned into an extension
// list. Every scan takes a lead byte and its trail byte together.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace orrivel {

// The hash of a name; names equal under SusieNamesEqual hash alike. Never 0.
std::uint32_t SusieNameHash(std::string_view name);
// Byte-wise comparison with the foldings above.
bool SusieNamesEqual(std::string_view a, std::string_view b);
// "*.pic;*.abc" becomes {"PIC", "ABC"}: asterisks and dots dropped, each
// semicolon ends an extension, ASCII small letters upper-cased, two-byte
// characters copied whole; empty extensions are left out and the filter ends
// at its first NUL.
std::vector<std::string> SusieFilterToExtensions(std::string_view filter);

}  // namespace orrivel
