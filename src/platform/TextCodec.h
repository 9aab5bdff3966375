#pragma once
// Conversion between the engine's CP932 text and the UTF-8 of the machine
// (window titles, message boxes, file names on disk, clipboard, text input).
#include <optional>
#include <string>
#include <string_view>

namespace orrivel::platform {

// Nullopt when the input holds bytes that have no counterpart.
std::optional<std::string> Cp932ToUtf8(std::string_view cp932);
std::optional<std::string> Utf8ToCp932(std::string_view utf8);

// Lenient forms for display: unconvertible bytes become '?'.
std::string Cp932ToUtf8Lossy(std::string_view cp932);
std::string Utf8ToCp932Lossy(std::string_view utf8);

}  // namespace orrivel::platform
