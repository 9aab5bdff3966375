#pragma once
// The main window's input-method context, for the text-entry control: open
// or closed, what is being composed (CP932) and where its cursor stands, and
// where the candidate list should go. It keeps a copy of the composition
// string so that callers can tell when it changed.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/Messages.h"

namespace orrivel {

class ImeContext {
 public:
  // The longest composition kept, in bytes.
  static constexpr size_t kMaxComposition = 127;

  ImeContext() = default;  // detached, every field clear
  ~ImeContext() { Free(); }
  ImeContext(const ImeContext&) = delete;
  ImeContext& operator=(const ImeContext&) = delete;

  // Detaches first; a window takes its input context. Always true.
  bool Attach(platform::WindowId window);
  // Forgets the strings and gives the context back.
  void Free();

  // 0 done, 1 no context, 2 refused.
  int32_t SetOpen(bool open);
  bool GetOpen() const;
  // False: the modes cannot be read on this system.
  bool GetConversion(uint32_t* conversion, uint32_t* sentence) const;
  // The composition when it changed since the last call, else null (also
  // when there is none, which forgets the cached copy). At most 127 bytes,
  // cut before a character that would not fit whole.
  const char* FetchString();
  // The composition as the last FetchString left it (null when none).
  const char* CurrentString() const { return compositionString_ ? compositionString_->c_str() : nullptr; }
  // The byte length of the composition's first clause (0: unknown).
  int32_t GetCompositionClause() const;
  // The clause table: where each clause starts, then the composition's
  // length, in bytes. False (empty) when the system does not tell.
  bool GetCompositionClauses(std::vector<uint32_t>& offsets) const;
  // The composition cursor and the first changed byte, in bytes.
  int32_t GetCursorPos() const;
  int32_t GetDeltaStart() const;
  // Stores where the text-entry control wants the candidate list. This
  // system sends no notice when the list opens, so an attached context
  // places the list at once as well.
  void SetCandidatePos(int32_t x, int32_t y);
  // Puts the candidate list at the stored position (the list opens).
  void PlaceCandidateWindow() const;
  int32_t CandidateX() const { return candidateX_; }
  int32_t CandidateY() const { return candidateY_; }

  platform::WindowId Window() const { return window_; }
  uint32_t Context() const { return context_; }

 private:
  platform::WindowId window_ = platform::kNoWindow;
  uint32_t context_ = 0;
  std::optional<std::string> resultString_;       // freed with the composition, not read here
  std::optional<std::string> compositionString_;  // the last composition fetched
  int32_t candidateX_ = 0;
  int32_t candidateY_ = 0;
};

}  // namespace orrivel
