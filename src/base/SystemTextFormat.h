#pragma once
// Formatting shared by the start-up report and the information dialog's
// text: printf into CP932 from UTF-8 literals, the processor clock, the
// cache list and the thousands-grouped drive sizes.
#include <cstdint>
#include <string>

#include "base/ProcessorInfo.h"

namespace orrivel {

// The UTF-8 literal as CP932.
std::string Cp932Text(const char* utf8);

// printf with a UTF-8 format (turned into CP932 first; no CP932 byte is a
// '%') and CP932 string arguments.
std::string FormatCp932(const char* utf8Format, ...) __attribute__((format(printf, 1, 2)));

// The longest prefix of text of at most limit bytes that does not split a
// two-byte character.
std::string CutAtCharacter(const std::string& text, size_t limit);

// "？？MHz" for 0, "933MHz" below 1000, else whole GHz and truncated
// hundredths ("2.39GHz").
std::string ClockText(uint32_t mhz);

// The known cache sizes joined by " / " (trace cache in place of the L1
// code cache when there is one).
std::string CacheText(const ProcessorInfo& processor);

// A size in MB in three-digit groups, padded to one width: "  1,234,567",
// "     12,345", "        123".
std::string GroupedMb(uint64_t mb);
// "<free> / <total> MB" in the grouped widths.
std::string DriveSpaceText(uint64_t freeMb, uint64_t totalMb);

// The mark for a processor feature: "○" or "×" (CP932).
std::string FeatureMark(bool present);

// Bytes as the MB figure the texts print.
inline double VideoMegabytes(uint64_t bytes) { return double(bytes) * 9.536743e-07; }

}  // namespace orrivel
