#pragma once
// Transitions that record how they were made and run for their duration
// on the test clock, registered under the names the frame's commands use.
#include <concepts>
#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

#include "resource/TcpManager.h"
#include "transition/NamedTransition.h"

namespace orrivel::test {

// One argument as a transition read it: a text, the image it names (by
// its address, to compare with the one given) or the number.
struct RecordedWord {
  std::intptr_t value = 0;
  std::string text;
  template <std::integral I>
  RecordedWord(I number) : value(std::intptr_t(number)) {}
  RecordedWord(const char* given) : text(given) {}
  bool operator==(const RecordedWord&) const = default;
};
inline void PrintTo(const RecordedWord& word, std::ostream* out) {
  if (word.text.empty()) *out << word.value;
  else *out << '"' << word.text << '"';
}

// What the recording transitions were made with, in order.
struct MadeTransition {
  std::string name;
  std::vector<RecordedWord> words;  // the duration first
};

// A transition that takes its duration in ms on the test clock and draws
// the entered picture; every one made is logged.
class RecordingTransition final : public NamedTransition {
 public:
  static inline std::vector<MadeTransition> made;
  static inline int live = 0;
  explicit RecordingTransition(std::string name, uint8_t category) : name_(std::move(name)), category_(category) {
    ++live;
  }
  ~RecordingTransition() override { --live; }

  uint8_t GetCategory() const override { return category_; }
  const char* GetName() const override { return name_.c_str(); }
  int32_t Update(uint32_t now) override {
    if (!started_) start_ = now;
    started_ = true;
    done_ = duration_ == 0 || now - start_ >= duration_;
    return 0;
  }
  int32_t IsFinished() const override { return done_ ? -1 : 0; }
  int32_t Apply(const TransitionApplyRecord&) override { return 0; }
  int32_t SetupV(const ObjectArgument&, const ObjectArguments& rest) override {
    MadeTransition record{name_, {}};
    for (size_t i = 0; i < rest.count; ++i) {
      if (const auto text = rest.Text(i)) {
        record.words.emplace_back(text->c_str());
      } else if (const Image* image = rest.Object<Image>(i)) {
        record.words.emplace_back(reinterpret_cast<std::intptr_t>(image));
      } else {
        record.words.emplace_back(rest.Cell(i));
      }
    }
    made.push_back(record);
    // An endless quake runs until it is stopped.
    duration_ = uint32_t(name_ == "quake" ? (rest.Cell(3) ? rest.Cell(3) : -1) : rest.Cell(0));
    return 0;
  }

 private:
  std::string name_;
  uint8_t category_;
  uint32_t duration_ = 0;
  uint32_t start_ = 0;
  bool started_ = false;
  bool done_ = false;
};

template <const char* Name, uint8_t Category>
inline TcpObject* MakeRecording(int32_t) {
  return new RecordingTransition(Name, Category);
}

inline constexpr char kRecordedCross[] = "cross", kRecordedRule[] = "rule", kRecordedTrans[] = "trans",
                      kRecordedScroll[] = "scroll", kRecordedRipple[] = "ripple", kRecordedQuake[] = "quake",
                      kRecordedZoomflip[] = "zoomflip", kRecordedHblur[] = "hblur";

inline void RegisterRecordingTransitions(TcpManager& registry) {
  registry.RegisterObject(&MakeRecording<kRecordedCross, kTransitionFromTo>, kRecordedCross, 0, 0, nullptr, nullptr);
  registry.RegisterObject(&MakeRecording<kRecordedRule, kTransitionFromTo>, kRecordedRule, 0, 0, nullptr, nullptr);
  registry.RegisterObject(&MakeRecording<kRecordedTrans, kTransitionFromToLibrary>, kRecordedTrans, 0, 0, nullptr,
                          nullptr);
  registry.RegisterObject(&MakeRecording<kRecordedScroll, kTransitionFromTo>, kRecordedScroll, 0, 0, nullptr,
                          nullptr);
  registry.RegisterObject(&MakeRecording<kRecordedRipple, kTransitionFromTo>, kRecordedRipple, 0, 0, nullptr,
                          nullptr);
  registry.RegisterObject(&MakeRecording<kRecordedZoomflip, kTransitionFromTo>, kRecordedZoomflip, 0, 0, nullptr,
                          nullptr);
  registry.RegisterObject(&MakeRecording<kRecordedHblur, kTransitionFromTo>, kRecordedHblur, 0, 0, nullptr, nullptr);
  registry.RegisterObject(&MakeRecording<kRecordedQuake, kTransitionCurrentOnly>, kRecordedQuake, 0, 0, nullptr,
                          nullptr);
}

}  // namespace orrivel::test
