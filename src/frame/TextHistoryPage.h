#pragma once
// Where the history screen puts the entries of the text history for one
// scroll position: the name lines, page texts, choice lines and separators
// to draw in the history window's list, and the line controls laid over
// the voiced blocks (each with the voice to replay and the scene to show).
//
// Heights: a text entry takes one pitch for its name (when it has one)
// plus its stored line height value; a choice entry one pitch per choice;
// entries are 12 pixels apart; scene entries are not drawn and take no
// room. Consecutive text entries with the same non-zero group byte form one
// block (scene entries between them do not break it); a block's voice is
// the first voice cue found in it, and its scene the first scene entry
// after the page that gave the voice.
#include <cstdint>
#include <string>
#include <vector>

#include "frame/TextHistoryBuffer.h"

namespace orrivel {

struct TextHistoryPageMetrics {
  // Line spacing plus line height of the history window.
  int32_t pitch = 0;
  // Height of the list's text area.
  int32_t visibleHeight = 636;
  int32_t entryGap = 12;
  int32_t maxLines = 16;
  // The separator picture sits this far below a block.
  int32_t separatorDrop = 5;
};

struct TextHistoryDrawItem {
  enum Kind : uint8_t { kName, kText, kChoice, kSeparator };
  Kind kind = kText;
  int32_t entry = -1;   // index from the oldest entry
  int32_t choice = -1;  // for kChoice
  int32_t y = 0;        // in the list's text area
  uint32_t colour = 0;  // for kChoice
};

// A line control over one voiced block, in list coordinates (clipped to
// the visible height).
struct TextHistoryLineSlot {
  int32_t top = 0;
  int32_t height = 0;
  std::string voice;
  int32_t sceneEntry = -1;  // index from the oldest entry, -1 none
};

struct TextHistoryPagePlan {
  std::vector<TextHistoryDrawItem> items;
  std::vector<TextHistoryLineSlot> lines;
};

class TextHistoryPage {
 public:
  static constexpr uint32_t kTakenColour = 0xEEE000;
  static constexpr uint32_t kDisabledColour = 0xA0A0A0;
  static constexpr uint32_t kChoiceColour = 0xFFFFFF;
  // The scroll range adds this to the entries' heights.
  static constexpr int32_t kRangeMargin = 10;

  TextHistoryPage(const TextHistoryBuffer& history, const TextHistoryPageMetrics& metrics)
      : history_(history), metrics_(metrics) {}

  // The entry's height on the list, without the gap that follows it.
  int32_t EntryHeight(const TextHistoryEntry& entry) const;
  // 10 + every drawn entry's height and gap.
  int32_t ScrollRange() const;
  // The position that shows the end of the list.
  int32_t EndPosition() const;
  TextHistoryPagePlan Plan(int32_t position) const;
  // "【name】" in CP932.
  static std::string NameLine(const std::string& name);

 private:
  static bool Drawn(const TextHistoryEntry& entry) { return entry.kind != TextHistoryEntry::kScene; }
  static uint32_t ChoiceColour(const HistoryChoiceRecord& record, int32_t choice);
  int32_t SceneAfter(int32_t entry) const;
  // Whether the text entry at index i continues the block of the text
  // entry before it (scene entries in between are passed over).
  bool ContinuesBlock(int32_t i) const;
  int32_t NextDrawn(int32_t i) const;

  const TextHistoryBuffer& history_;
  TextHistoryPageMetrics metrics_;
};

}  // namespace orrivel
