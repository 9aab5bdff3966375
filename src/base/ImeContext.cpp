#include "base/ImeContext.h"

#include "base/Cp932.h"
#include "platform/ImeService.h"

namespace orrivel {
namespace {

// The longest prefix of at most `limit` bytes that ends on a whole character.
size_t CutLength(const std::string& text, size_t limit) {
  size_t i = 0;
  while (i < text.size()) {
    size_t next = i + (cp932::IsLeadByte(static_cast<uint8_t>(text[i])) ? 2 : 1);
    if (next > limit || next > text.size()) break;
    i = next;
  }
  return i;
}

}  // namespace

bool ImeContext::Attach(platform::WindowId window) {
  Free();
  if (window == platform::kNoWindow) return true;
  window_ = window;
  context_ = platform::Ime().GetContext(window);
  return true;
}

void ImeContext::Free() {
  resultString_.reset();
  compositionString_.reset();
  if (context_ != 0) {
    platform::Ime().ReleaseContext(window_, context_);
    window_ = platform::kNoWindow;
    context_ = 0;
  }
}

int32_t ImeContext::SetOpen(bool open) {
  if (context_ == 0) return 1;
  return platform::Ime().SetOpenStatus(context_, open) ? 0 : 2;
}

bool ImeContext::GetOpen() const { return platform::Ime().GetOpenStatus(context_); }

bool ImeContext::GetConversion(uint32_t* conversion, uint32_t* sentence) const {
  return platform::Ime().GetConversionStatus(context_, conversion, sentence);
}

const char* ImeContext::FetchString() {
  std::string text;
  if (!platform::Ime().GetCompositionText(context_, text) || text.empty()) {
    compositionString_.reset();
    return nullptr;
  }
  text.resize(CutLength(text, kMaxComposition));
  if (text.empty()) {
    compositionString_.reset();
    return nullptr;
  }
  if (compositionString_ && *compositionString_ == text) return nullptr;
  compositionString_ = std::move(text);
  return compositionString_->c_str();
}

void ImeContext::SetCandidatePos(int32_t x, int32_t y) {
  candidateX_ = x;
  candidateY_ = y;
  PlaceCandidateWindow();
}

void ImeContext::PlaceCandidateWindow() const {
  if (context_ != 0) platform::Ime().SetCandidateWindow(context_, candidateX_, candidateY_);
}

int32_t ImeContext::GetCompositionClause() const {
  std::vector<uint32_t> offsets;
  return GetCompositionClauses(offsets) && offsets.size() >= 2 ? int32_t(offsets[1]) : 0;
}

bool ImeContext::GetCompositionClauses(std::vector<uint32_t>& offsets) const {
  return platform::Ime().GetCompositionClauses(context_, offsets);
}

int32_t ImeContext::GetCursorPos() const { return platform::Ime().GetCompositionCursor(context_); }

int32_t ImeContext::GetDeltaStart() const { return platform::Ime().GetCompositionDeltaStart(context_); }

}  // namespace orrivel
