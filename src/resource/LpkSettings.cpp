#include "resource/LpkSettings.h"

#include <atomic>

namespace orrivel {
namespace {

std::atomic<bool> listing{false};
std::atomic<uint64_t> keyWords{0};  // both words change together

}  // namespace

LpkSettingsValues GetLpkSettings() {
  LpkSettingsValues values;
  values.listing = listing.load();
  const uint64_t words = keyWords.load();
  values.keyWord1 = uint32_t(words);
  values.keyWord2 = uint32_t(words >> 32);
  return values;
}

void SetLpkListing(bool on) { listing.store(on); }

void SetLpkKeyWords(uint32_t keyWord1, uint32_t keyWord2) {
  keyWords.store(uint64_t(keyWord1) | uint64_t(keyWord2) << 32);
}

void ResetLpkSettings() {
  listing.store(false);
  keyWords.store(0);
}

int LpkAssist2(const int32_t* arguments, uint32_t count) {
  if (!arguments || count == 0) return 5;
  switch (arguments[0]) {
    case 0:
      if (count < 2) return 5;
      SetLpkListing(arguments[1] != 0);
      return 0;
    case 1:
      if (count < 3) return 5;
      SetLpkKeyWords(uint32_t(arguments[1]), uint32_t(arguments[2]));
      return 0;
    default:
      return 5;
  }
}

int LpkAssist(int32_t command, ...) {
  int32_t arguments[3] = {command, 0, 0};
  uint32_t count = 1;
  va_list list;
  va_start(list, command);
  if (command == 0) {
    arguments[1] = va_arg(list, int32_t);
    count = 2;
  } else if (command == 1) {
    arguments[1] = va_arg(list, int32_t);
    arguments[2] = va_arg(list, int32_t);
    count = 3;
  }
  va_end(list);
  return LpkAssist2(arguments, count);
}

}  // namespace orrivel
