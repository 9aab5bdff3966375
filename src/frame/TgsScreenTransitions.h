#pragma once
// Screen transitions of the text-adventure frame. A script prepares the
// back layer set, then a named transition from the registry blends the
// front display (what is on screen) into the back display as the front's
// timed present. The layer records are exchanged when the transition
// starts, so that they always describe what is, or is becoming, visible;
// at its end the two displays exchange their canvases, which then match the
// records again. A change without a transition (skipping, a refused start)
// makes the same exchanges at once.
//
// The same machinery runs the endless screen quake filter, whose record is
// saved with the frame so that a load starts it again, and the blocking
// cross-fades that pump frames until their transition has ended.
//
// Results: 0 done; the commands return PrepareTransition's codes (1 no
// display, 2 no such transition, 3 refused) when a transition cannot
// start, and -1 when the program is closing, unless an operation says
// otherwise.
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string_view>

#include "resource/plugin/ObjectArguments.h"

namespace orrivel {

class CanvasDrawObject;
class CanvasTransitionTask;
class Surface;
class TcpManager;
class TgsLayerSets;

// What the transitions take beside the layer sets (whose pump, skip test
// and no-low-priority switch they share). Empty hooks read as "no".
struct TgsTransitionEnvironment {
  // The registry the transitions and filters are made from.
  TcpManager* registry = nullptr;
  // Loads a picture file into the surface; 0 done. The game's loader when
  // empty.
  std::function<int(const char* path, Surface& into)> loadPicture;
  // Boot byte 15: transitions are not run at low priority.
  std::function<bool()> noLowPriorityFade;
  // Boot byte 5: the frame-rate limiter catches up; the blocking fades
  // switch it off while they run (setCatchUp).
  std::function<bool()> catchUpPacing;
  std::function<void(bool on)> setCatchUp;
};

class TgsScreenTransitions {
 public:
  static constexpr uint32_t kDefaultDuration = 1000;
  static constexpr int32_t kDefaultRuleEdge = 32;
  static constexpr int32_t kFilterCount = 7;
  // The skip test masks: 1 the skip input, 2 skip mode or the skip key.
  static constexpr uint32_t kSkipInput = 1;
  static constexpr uint32_t kSkipMode = 2;

  // Exchange modes: the sprite groups change places with the layer
  // records (1), or only the backgrounds do (2).
  static constexpr uint8_t kExchangeAll = 1;
  static constexpr uint8_t kExchangeBackground = 2;

  // What a load needs to start the endless quake filter again (saved with
  // the frame's scalars): kind 1 while one runs.
  struct QuakeRecord {
    int32_t kind = 0;
    int32_t amplitude = 0;
    int32_t x = 0;
    int32_t y = 0;
    int32_t fill = 0;
    int32_t wholeMode = 0;
  };

  // Pairs the front display with the back one and takes the layer sets'
  // transition stop hook; both are given back on destruction.
  TgsScreenTransitions(TgsLayerSets& layers, TgsTransitionEnvironment environment);
  ~TgsScreenTransitions();
  TgsScreenTransitions(const TgsScreenTransitions&) = delete;
  TgsScreenTransitions& operator=(const TgsScreenTransitions&) = delete;

  // --- common steps ----------------------------------------------------------------
  int32_t PrepareTransition(CanvasDrawObject* display, std::string_view name, uint8_t mode, uint8_t flag,
                            const ObjectArguments& arguments);
  void BeginTransition();
  void FlipLayers();
  // 0 ended, 1 skipped, -1 the program is closing.
  int32_t RunTransition(bool skippable);
  void StopRunningTransition();
  // 0 loaded (or already held); 1 the picture did not load.
  int32_t LoadRuleImage(int32_t number);
  // The next rule picture loaded is mirrored (flipped); the held one is
  // forgotten either way.
  void SetRuleMirror(bool on);
  void SetRuleFlip(bool on);

  // --- transition commands -------------------------------------------------------------
  int32_t StartCross(uint32_t duration);
  int32_t StartRule(int32_t rule, uint32_t duration, int32_t edge);
  int32_t StartTrans(uint32_t duration, bool keep);
  // index: "zoomflip", "wave", "mosaic", "rotaxis", "rotcenter", "addsub",
  // "hblur"; the words go on as given (numbers or texts).
  int32_t StartFilterTransition(int32_t index, uint32_t duration, const ObjectArgument& w1, const ObjectArgument& w2,
                                const ObjectArgument& w3);
  // easing: the decimal exponent text, or null for none.
  int32_t StartScroll(uint32_t duration, uint8_t b1, uint8_t b2, const char* easing);
  // speed and scale: decimal texts, or null for their defaults (6 and 1);
  // x, y the centre; rings below 1 take the default count.
  int32_t StartRipple(uint32_t duration, const char* speed, int32_t x, int32_t y, int32_t wavelength, int32_t rings,
                      const char* scale);
  // endScale: decimal text or null.
  int32_t StartQuakeFilter(int32_t amplitude, int32_t x, int32_t y, uint32_t duration, const char* endScale,
                           uint8_t fill, uint8_t wholeMode, bool lowPriority);
  // Starts the quake filter the record describes (after a load); 0 when
  // none is recorded.
  int32_t RestartQuakeFilter();

  // --- blocking fades ----------------------------------------------------------------
  // 0 ended, 1 skipped, 2 no transition, 3 refused, -1 closing. Takes the
  // caller's hold on the task.
  int32_t RunScreenTransition(CanvasTransitionTask* task, CanvasDrawObject* screen, int32_t layerMode,
                              uint32_t skipMask);
  // "cross" over the screen (the front display when null).
  int32_t CrossFadeScreen(uint32_t duration, int32_t layerMode, uint32_t skipMask,
                          CanvasDrawObject* screen = nullptr);
  int32_t FadeThroughColour(uint32_t time, uint32_t colour);
  // 0 done, 2 the picture did not load, -1 closing.
  int32_t ChangeBackgroundWithFade(std::string_view name, uint32_t time, uint32_t colour);

  // --- state ----------------------------------------------------------------------------
  bool Running() const { return running_; }
  uint8_t ExchangeMode() const { return exchangeMode_; }
  void SetExchangeMode(uint8_t mode) { exchangeMode_ = mode; }
  const QuakeRecord& Quake() const { return quake_; }
  void SetQuake(const QuakeRecord& record) { quake_ = record; }
  int32_t RuleNumber() const { return ruleNumber_; }
  Surface* RuleSurface() const { return rule_.get(); }
  bool RuleMirror() const { return ruleMirror_; }
  bool RuleFlip() const { return ruleFlip_; }
  CanvasDrawObject* FrontDisplay() const;
  CanvasDrawObject* BackDisplay() const;

 private:
  bool Skipping(uint32_t mask) const;
  int Pump() const;
  bool LowPriority() const;
  // The steps every command takes first; true when it is to flip at once.
  bool BeginCommand();
  // Starts the named transition on the front display with mode 1, flag 1,
  // the duration (0: the default) and the words; flips when it cannot.
  int32_t StartNamed(std::string_view name, uint32_t duration, std::initializer_list<ObjectArgument> words);
  // With "trans"'s keep flag the display shows its current picture again.
  void KeepCurrentPicture();

  TgsLayerSets& layers_;
  TgsTransitionEnvironment environment_;
  bool running_ = false;
  uint8_t exchangeMode_ = kExchangeAll;
  QuakeRecord quake_;
  std::unique_ptr<Surface> rule_;
  int32_t ruleNumber_ = -1;
  bool ruleMirror_ = false;
  bool ruleFlip_ = false;
};

}  // namespace orrivel
