#include "platform/ImeService.h"

#include <algorithm>

#include "base/Cp932.h"
#include "platform/Backend.h"
#include "platform/TextCodec.h"

namespace orrivel::platform {
namespace {

// The first byte where two CP932 strings differ, on a character boundary.
int32_t FirstDifference(const std::string& a, const std::string& b) {
  size_t i = 0;
  while (i < a.size() && i < b.size()) {
    size_t length = cp932::IsLeadByte(a[i]) ? 2 : 1;
    if (a.compare(i, length, b, i, length) != 0) break;
    i += length;
  }
  return int32_t(std::min({i, a.size(), b.size()}));
}

// The UTF-8 text of the first `count` characters.
std::string_view Utf8Prefix(std::string_view utf8, int32_t count) {
  size_t i = 0;
  for (int32_t n = 0; n < count && i < utf8.size(); ++n) {
    ++i;
    while (i < utf8.size() && (static_cast<unsigned char>(utf8[i]) & 0xC0) == 0x80) ++i;
  }
  return utf8.substr(0, i);
}

}  // namespace

uint32_t ImeService::GetContext(WindowId window) {
  return window != kNoWindow && CurrentBackend().IsWindow(window) ? window : 0;
}

void ImeService::ReleaseContext(WindowId, uint32_t) {}

bool ImeService::SetOpenStatus(uint32_t context, bool open) {
  if (context == 0 || !CurrentBackend().IsWindow(context)) return false;
  CurrentBackend().SetTextInputEnabled(context, open);
  if (!open) compositions_.erase(context);
  return true;
}

bool ImeService::GetOpenStatus(uint32_t context) {
  return context != 0 && CurrentBackend().IsTextInputEnabled(context);
}

bool ImeService::GetConversionStatus(uint32_t, uint32_t*, uint32_t*) { return false; }

bool ImeService::GetCompositionClauses(uint32_t, std::vector<uint32_t>& offsets) {
  offsets.clear();
  return false;
}

bool ImeService::SetCandidateWindow(uint32_t context, int32_t x, int32_t y) {
  if (context == 0 || !CurrentBackend().IsWindow(context)) return false;
  CurrentBackend().SetTextInputSpot(context, Rect{x, y, x, y});
  return true;
}

const ImeService::Composition* ImeService::Find(uint32_t context) const {
  auto it = compositions_.find(context);
  return it == compositions_.end() ? nullptr : &it->second;
}

bool ImeService::GetCompositionText(uint32_t context, std::string& text) {
  text.clear();
  if (context == 0) return false;
  if (const Composition* composition = Find(context)) text = composition->text;
  return true;
}

int32_t ImeService::GetCompositionCursor(uint32_t context) {
  const Composition* composition = Find(context);
  return composition ? composition->cursor : 0;
}

int32_t ImeService::GetCompositionDeltaStart(uint32_t context) {
  const Composition* composition = Find(context);
  return composition ? composition->deltaStart : 0;
}

void ImeService::SetComposition(WindowId window, std::string_view utf8, int32_t cursorChars) {
  if (utf8.empty()) {
    compositions_.erase(window);
    return;
  }
  Composition& composition = compositions_[window];
  std::string text = Utf8ToCp932Lossy(utf8);
  composition.deltaStart = FirstDifference(composition.text, text);
  composition.text = std::move(text);
  composition.cursor = cursorChars <= 0 ? 0 : int32_t(Utf8ToCp932Lossy(Utf8Prefix(utf8, cursorChars)).size());
}

namespace {

ImeService& WindowSystemIme() {
  static ImeService service;
  return service;
}

ImeService* currentService = nullptr;

}  // namespace

ImeService& Ime() { return currentService != nullptr ? *currentService : WindowSystemIme(); }

ImeService* SetImeService(ImeService* service) {
  ImeService* previous = currentService != nullptr ? currentService : &WindowSystemIme();
  currentService = service;
  return previous;
}

}  // namespace orrivel::platform
