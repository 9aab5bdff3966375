#include "game/GameSaveState.h"

#include "natives/GameScriptHost.h"
#include "script/ByteWriter.h"
#include "script/SobCursor.h"

namespace orrivel {

namespace {

constexpr uint8_t kSaveSelector = ScriptContext::kSaveAndAutoSaveSelector;
constexpr uint8_t kEveryVariable = 2;    // for putting the running values back

TgsFrame* FrameOf(GameScriptHost& host) { return host.TextFrameSlot().frame.get(); }

std::vector<uint8_t> VariablesNow(GameScriptHost& host) {
  std::vector<uint8_t> bytes(host.GetSerializedSize(kEveryVariable, false));
  ByteWriter out(bytes.data(), bytes.size());
  if (host.SerializeVariables(out, kEveryVariable, false) != 0) bytes.clear();
  return bytes;
}

// The blob's parts, the running game's variables tried first as the end
// of the saved ones.
bool SplitForGame(GameScriptHost& host, std::span<const uint8_t> blob, GameSaveStateLayout& layout) {
  if (blob.empty()) return false;
  return SplitGameSaveState(blob, layout, host.GetSerializedSize(blob[0], false));
}

// Whether the saved variables (the selector byte, then kind and bytes of
// each) are exactly those the game's records ask for.
bool VariablesMatch(GameScriptHost& host, std::span<const uint8_t> saved) {
  SobCursor in(saved.data(), saved.size());
  const uint8_t selector = in.U8();
  for (const VariableRecord& record : host.LiveRecords()) {
    if (!ScriptContext::SelectorSelects(record, selector)) continue;
    const uint8_t kind = in.U8();
    in.Take(record.size);
    if (!in.Ok() || kind != record.kind) return false;
  }
  return in.Ok() && in.Remaining() == 0;
}

}  // namespace

int32_t BuildGameSaveState(GameScriptHost& host, bool withText, std::span<const uint8_t> snapshot,
                           std::vector<uint8_t>& blob) {
  TgsFrame* frame = FrameOf(host);
  uint64_t size = host.GetSerializedSize(kSaveSelector, false) + 1;
  if (withText) size += host.Message().GetStateSize() + 4 + snapshot.size();
  if (frame) size += frame->GetSaveSize(withText);
  std::vector<uint8_t> bytes(size);
  ByteWriter out(bytes.data(), bytes.size());
  if (host.SerializeVariables(out, kSaveSelector, false) != 0) return 1;
  out.U8(withText ? 1 : 0);
  if (withText) {
    if (host.Message().SaveState(out) != 0 || !out.Ok()) return 2;
    out.U32(uint32_t(snapshot.size()));
    out.Put(snapshot.data(), snapshot.size());
  }
  if (frame && frame->SaveTo(out, withText) != 0) return 3;
  if (!out.Ok() || out.Position() != size) return 3;
  blob = std::move(bytes);
  return 0;
}

int32_t CheckGameSaveState(GameScriptHost& host, std::span<const uint8_t> blob) {
  if (blob.empty()) return kGameStateNoBlob;
  GameSaveStateLayout layout;
  if (!SplitForGame(host, blob, layout)) return kGameStateDamaged;
  if (FrameOf(host) && !layout.withFrame) return kGameStateRefused;
  if (!VariablesMatch(host, blob.first(size_t(layout.historyFlag)))) return kGameStateVariablesDiffer;
  return kGameStateOk;
}

int32_t RestoreGameSaveState(GameScriptHost& host, std::span<const uint8_t> blob,
                             std::optional<std::vector<uint8_t>>& snapshot) {
  if (blob.empty()) return kGameStateNoBlob;
  // Every part is read whole before anything changes.
  GameSaveStateLayout layout;
  if (!SplitForGame(host, blob, layout)) return kGameStateRefused;
  TgsFrame* frame = FrameOf(host);
  if (frame && !layout.withFrame) return kGameStateRefused;

  const std::vector<uint8_t> variablesBefore = VariablesNow(host);
  // The variables carry no lengths: they are restored as far as they match
  // the game's, and once they stop matching nothing after them is read as
  // anything (a game whose scripts changed since the save).
  SobCursor variables(blob.data(), size_t(layout.historyFlag));
  if (host.DeserializeVariables(variables) != 0 || !variables.Ok() || variables.Remaining() != 0)
    return kGameStateVariablesDiffer;
  auto rollBack = [&](int32_t code) {
    SobCursor before(variablesBefore.data(), variablesBefore.size());
    if (!variablesBefore.empty()) host.DeserializeVariables(before);
    return code;
  };

  SobCursor in(blob.data(), blob.size());
  in.Take(layout.historyFlag);
  const uint8_t withText = in.U8();
  // The text's part is only measured here: the running text changes once
  // everything else has been taken.
  std::span<const uint8_t> text;
  std::optional<std::vector<uint8_t>> carried;
  if (withText) {
    const uint64_t size = MarkupTextBase::MeasureState(in);
    const uint8_t* bytes = size != 0 ? in.Take(size) : nullptr;
    if (bytes == nullptr || !in.Ok()) return rollBack(kGameStateRefused);
    text = {bytes, size_t(size)};
    const uint32_t n = in.U32();
    const uint8_t* carriedBytes = in.Take(n);
    if (!in.Ok()) return rollBack(kGameStateRefused);
    if (n) carried.emplace(carriedBytes, carriedBytes + n);
  }
  // A frame block with no frame open to take it is left unread.
  if (frame && frame->LoadFrom(in) != 0) return rollBack(kGameStateRefused);
  // The running game's message text never carries over into the restored
  // one (a state saved without it leaves the text empty); the window lets
  // go of the items it was shown first.
  if (host.MessageWindow()) host.MessageWindow()(nullptr, 0, 0);
  host.Message().Clear();
  if (withText) {
    SobCursor textIn(text.data(), text.size());
    host.Message().LoadState(textIn);
  }
  snapshot = std::move(carried);
  return kGameStateOk;
}

namespace {

constexpr uint64_t kSplitReadBudget = uint64_t(1) << 30;

// Reads the parts after the variables, from the history flag at `at`, to
// the blob's end; false unless they fill it exactly.
bool SplitFrom(std::span<const uint8_t> blob, uint64_t at, GameSaveStateLayout& layout) {
  SobCursor in(blob.data(), blob.size());
  in.Take(at);
  GameSaveStateLayout found;
  found.historyFlag = at;
  const uint8_t withText = in.U8();
  if (!in.Ok() || withText > 1) return false;
  found.withText = withText == 1;
  if (found.withText) {
    found.textState = in.Position();
    const uint64_t textBytes = MarkupTextBase::MeasureState(in);
    if (textBytes == 0) return false;
    in.Take(textBytes);
    found.snapshot = in.Position();
    in.Take(in.U32());
    if (!in.Ok()) return false;
  }
  if (in.Remaining() > 0) {
    found.withFrame = true;
    found.frameBlock = in.Position();
    TgsFrameBlock block;
    if (TgsFrame::ParseSaveBlock(in, block) != 0 || in.Remaining() != 0) return false;
    found.frame = block.layout;
  }
  found.end = in.Position();
  layout = found;
  return true;
}

}  // namespace

bool SplitGameSaveState(std::span<const uint8_t> blob, GameSaveStateLayout& layout, uint64_t expectedFlag) {
  if (blob.empty()) return false;
  if (expectedFlag >= 1 && expectedFlag < blob.size() && blob[expectedFlag] <= 1 &&
      SplitFrom(blob, expectedFlag, layout))
    return true;
  // After the selector byte, each variable takes at least its kind byte.
  // A blob that was cut may still split (its last byte read as the flag).
  // A try may read up to the rest of the blob, so a blob with many bytes
  // that could be the flag, each followed by parts that read far before
  // they fail, would take time quadratic in its size: the tries stop once
  // they could have read kSplitReadBudget bytes between them.
  uint64_t budget = kSplitReadBudget;
  for (uint64_t at = 1; at < blob.size(); ++at) {
    if (blob[at] > 1) continue;
    const uint64_t rest = blob.size() - at;
    if (rest > budget) return false;
    budget -= rest;
    if (SplitFrom(blob, at, layout)) return true;
  }
  return false;
}

}  // namespace orrivel
