#pragma once
// Process-wide settings of the LPK decoder that the game's scripts pass
// through the decoder's assist routines before opening the archives that
// need them: the listing flag and the two key words. Each archive reads
// them when it opens.
#include <cstdarg>
#include <cstdint>

namespace orrivel {

struct LpkSettingsValues {
  bool listing = false;
  uint32_t keyWord1 = 0;
  uint32_t keyWord2 = 0;
};

LpkSettingsValues GetLpkSettings();
void SetLpkListing(bool on);
void SetLpkKeyWords(uint32_t keyWord1, uint32_t keyWord2);
// Back to the start-up values (listing off, key words 0).
void ResetLpkSettings();

// Assist commands: 0 (flag) sets the listing flag (non-zero = on); 1 (word1,
// word2) sets the key words. Answers 0, or 5 for any other command or
// missing arguments. arguments[0] is the command.
int LpkAssist2(const int32_t* arguments, uint32_t count);
// The variadic form: the command and its arguments as 32-bit values.
int LpkAssist(int32_t command, ...);

}  // namespace orrivel
