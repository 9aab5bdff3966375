#include "frame/TextHistoryPage.h"

#include <algorithm>

namespace orrivel {
namespace {

// "【" and "】" in CP932.
constexpr char kNameOpen[] = "\x81\x79";
constexpr char kNameClose[] = "\x81\x7A";

}  // namespace

std::string TextHistoryPage::NameLine(const std::string& name) { return kNameOpen + name + kNameClose; }

int32_t TextHistoryPage::EntryHeight(const TextHistoryEntry& entry) const {
  if (const auto* text = entry.Text()) return (text->name.empty() ? 0 : metrics_.pitch) + text->lineHeight;
  if (const auto* choices = entry.Choices()) return int32_t(choices->choices.size()) * metrics_.pitch;
  return 0;
}

int32_t TextHistoryPage::ScrollRange() const {
  int64_t range = kRangeMargin;
  for (int32_t i = 0; i < history_.Count(); ++i) {
    const TextHistoryEntry& entry = *history_.GetEntry(i);
    if (Drawn(entry)) range += EntryHeight(entry) + metrics_.entryGap;
  }
  return int32_t(std::min<int64_t>(range, INT32_MAX));
}

int32_t TextHistoryPage::EndPosition() const { return std::max(0, ScrollRange() - metrics_.visibleHeight); }

uint32_t TextHistoryPage::ChoiceColour(const HistoryChoiceRecord& record, int32_t choice) {
  if (record.selected == choice) return kTakenColour;
  return record.choices[size_t(choice)].enabled ? kChoiceColour : kDisabledColour;
}

int32_t TextHistoryPage::SceneAfter(int32_t entry) const {
  for (int32_t i = entry + 1; i < history_.Count(); ++i)
    if (history_.GetEntry(i)->kind == TextHistoryEntry::kScene) return i;
  return -1;
}

int32_t TextHistoryPage::NextDrawn(int32_t i) const {
  for (++i; i < history_.Count(); ++i)
    if (Drawn(*history_.GetEntry(i))) return i;
  return -1;
}

bool TextHistoryPage::ContinuesBlock(int32_t i) const {
  const HistoryTextRecord* text = history_.GetEntry(i)->Text();
  if (!text || text->group == 0) return false;
  for (int32_t j = i - 1; j >= 0; --j) {
    const TextHistoryEntry& before = *history_.GetEntry(j);
    if (!Drawn(before)) continue;
    return before.Text() && before.Text()->group == text->group;
  }
  return false;
}

TextHistoryPagePlan TextHistoryPage::Plan(int32_t position) const {
  TextHistoryPagePlan plan;
  const int32_t visible = metrics_.visibleHeight;
  const int32_t pitch = metrics_.pitch;
  position = std::max(0, position);

  // The block being walked: its top and end on the list, its voice and the
  // page that gave it.
  bool open = false;
  int64_t blockTop = 0, blockEnd = 0;
  std::string voice;
  int32_t voiceEntry = -1;

  auto closeBlock = [&](bool anotherFollows) {
    if (!open) return;
    open = false;
    const bool seen = blockEnd > 0 && blockTop < visible;
    if (seen && !voice.empty() && int32_t(plan.lines.size()) < metrics_.maxLines) {
      TextHistoryLineSlot slot;
      slot.top = int32_t(std::max<int64_t>(blockTop, 0));
      slot.height = int32_t(std::min<int64_t>(blockEnd, visible)) - slot.top;
      slot.voice = voice;
      slot.sceneEntry = SceneAfter(voiceEntry);
      plan.lines.push_back(std::move(slot));
    }
    const int64_t separator = blockEnd + metrics_.separatorDrop;
    if (anotherFollows && separator >= 0 && separator < visible)
      plan.items.push_back({TextHistoryDrawItem::kSeparator, -1, -1, int32_t(separator), 0});
    voice.clear();
    voiceEntry = -1;
  };

  int64_t y = -int64_t(position);
  for (int32_t i = 0; i < history_.Count(); ++i) {
    const TextHistoryEntry& entry = *history_.GetEntry(i);
    if (!Drawn(entry)) continue;
    if (y >= visible || int32_t(plan.lines.size()) >= metrics_.maxLines) break;
    const int64_t top = y;
    const int64_t end = top + EntryHeight(entry);
    const bool seen = end > 0;
    if (const auto* text = entry.Text()) {
      if (!ContinuesBlock(i)) {
        closeBlock(true);
        open = true;
        blockTop = top;
      }
      if (voice.empty() && !text->voice.empty()) {
        voice = text->voice;
        voiceEntry = i;
      }
      int64_t line = top;
      if (!text->name.empty()) {
        if (line + pitch > 0) plan.items.push_back({TextHistoryDrawItem::kName, i, -1, int32_t(line), 0});
        line += pitch;
      }
      if (seen && line < visible) plan.items.push_back({TextHistoryDrawItem::kText, i, -1, int32_t(line), 0});
      blockEnd = end;
    } else {
      closeBlock(true);
      const HistoryChoiceRecord& record = *entry.Choices();
      for (int32_t c = 0; c < int32_t(record.choices.size()); ++c) {
        const int64_t line = top + int64_t(c) * pitch;
        if (line + pitch > 0 && line < visible)
          plan.items.push_back({TextHistoryDrawItem::kChoice, i, c, int32_t(line), ChoiceColour(record, c)});
      }
      // A choice entry is a block of its own, with no voice.
      open = true;
      blockTop = top;
      blockEnd = end;
    }
    y = end + metrics_.entryGap;
    if (NextDrawn(i) < 0) closeBlock(false);
  }
  closeBlock(false);
  return plan;
}

}  // namespace orrivel
