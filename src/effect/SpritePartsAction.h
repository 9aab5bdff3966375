#pragma once
// "sp_parts": a figure made of separately drawn parts (eyes, mouth and the
// like) described by a parts table. Each part is a picture that either moves
// through key lines like a sprite key animation or scrolls round as a loop.
// The action loads the table, puts the parts' sprites on the layer's canvas,
// steps every part from its own step and lets its caller show or hide single
// parts. Main thread only.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "effect/LayerAction.h"
#include "effect/PartRecord.h"
#include "effect/PartsComposition.h"
#include "effect/SpritePartAnimation.h"

namespace orrivel {

class CanvasDrawObject;
class SpriteCanvas;

class SpritePartsAction : public LayerAction {
 public:
  // Load and set-up results.
  static constexpr int32_t kBadArguments = 1;
  static constexpr int32_t kNoTargetImage = 2;
  static constexpr int32_t kNoFile = 2;
  static constexpr int32_t kBadPicture = 3;
  static constexpr int32_t kCommandBeforePart = 4;
  static constexpr int32_t kKeyBeforePart = 5;
  static constexpr int32_t kNoPart = 6;
  static constexpr int32_t kNoKey = 7;
  static constexpr int32_t kMissingNumber = 8;
  static constexpr int32_t kZeroTime = 9;
  static constexpr int32_t kCommandBeforeKey = 10;
  static constexpr int32_t kAnimationRefused = 4;
  // Longest table line and joined picture path.
  static constexpr uint32_t kMaxLine = 1024;
  static constexpr size_t kMaxPath = 259;
  // Part status.
  static constexpr uint8_t kKeyed = 1;
  static constexpr uint8_t kEnded = 0;
  static constexpr uint8_t kStill = 2;
  static constexpr uint8_t kLooping = 3;

  SpritePartsAction() = default;
  ~SpritePartsAction() override;

  int32_t GetTypeId() const override { return kSpriteActionType; }
  const char* GetName() const override { return "sp_parts"; }
  uint8_t GetCategory() const override { return kSpriteCategory; }

  using LayerAction::SetupV;
  // The target is the layer's CanvasDrawObject. Cells: [0] table file,
  // [1] [2] figure position, [3] base drawing order, [4] include optional
  // sections, [5] [6] the scale factor's double, [7] low priority, [8]
  // compose through own canvases, [9] use the target's image, [10] [11]
  // show on main and on mirror. [9] puts the figure on the target's paired
  // display (the one it is exchanged or mixed with) as well: its mirror
  // sprites follow the main ones there, or, composed, a second view of the
  // figure's own canvas shows it there.
  int32_t SetupV(TimerList* timerList, const ObjectArgument& target, const ObjectArguments& cells) override;
  // [0] 0 stop; 1 show on main [1] and mirror [2]; 2 part [1] visible [2].
  int32_t ControlV(const ObjectArguments& cells) override;
  // 0 while any part is active, 1 when none is.
  int32_t Step(uint32_t now) override;
  void Stop() override { Clear(); }

  Loss LosingCanvas(const SpriteCanvas& canvas) const override;
  void LetGoCanvas(const SpriteCanvas& canvas) override;

  struct LoadOptions {
    int32_t x = 0;
    int32_t y = 0;
    uint32_t baseOrder = 0;
    bool optional = false;
    double scale = 1.0;
  };
  // The lines of one part: its heading and the lines that follow it.
  struct PartLines {
    std::string heading;
    std::vector<std::string> lines;
  };
  // Stores the next line NUL-terminated; as FileObject::ReadLine: bytes
  // consumed, 0 at the end, kLineTooLong when it does not fit.
  using LineReader = std::function<int32_t(char* buffer, uint32_t capacity)>;
  // Reads the table's lines, drops comments, blank lines and the skipped
  // sections, and groups the rest by part. 0 or a load code.
  static int32_t ReadTableLines(const LineReader& read, bool optional, std::vector<PartLines>& parts);
  // Fills a part's key list from its lines (the part's picture gives the
  // base position and anchor). 0 or a load code.
  static int32_t BuildKeys(PartRecord& part, const std::vector<std::string>& lines, const LoadOptions& options);
  // Loads the table's parts onto the canvas, and with a mirror canvas their
  // mirror sprites and second loop objects there; 0 or a load code.
  int32_t LoadTable(const char* name, SpriteCanvas* canvas, const LoadOptions& options,
                    SpriteCanvas* mirror = nullptr);
  // Ends and frees every part.
  void Clear();

  PartRecord* GetPart(int32_t index);
  // The figure's own canvas and its views on the target's display and its
  // paired one; null when the parts are drawn straight onto the displays.
  PartsComposition* Composition() const { return composition_.get(); }
  int32_t PartCount() const { return int32_t(parts_.size()); }
  uint8_t Status(int32_t index) const { return status_[size_t(index)]; }

 private:
  void ShowPart(PartRecord& part);
  // Whether the parts on the first canvas are shown: composed, the views
  // carry the displays' show flags and the parts only their own.
  bool PartsShownOnFirstCanvas() const { return composition_ != nullptr || showMain_; }
  // Frees the parts, their animations and loop objects.
  void ClearParts();
  // Sets the show flags; cell first goes to whichever display shows the
  // first part now (the displays may have exchanged their canvases).
  void SetShowFlags(bool first, bool second);
  // The mirror sprite takes the main sprite's picture, place and alpha
  // when they differ.
  void FollowMain(PartRecord& part);

  CanvasDrawObject* target_ = nullptr;
  std::vector<std::unique_ptr<PartRecord>> parts_;
  std::vector<std::unique_ptr<SpritePartAnimation>> animations_;
  std::vector<uint8_t> status_;
  bool showMain_ = true;
  bool showMirror_ = true;
  // With composition: the own canvas the parts are ordered on, shown on
  // the displays through its views. Declared last: the parts leave its
  // canvas first.
  std::unique_ptr<PartsComposition> composition_;
};

}  // namespace orrivel
