// The text reader: walks a module's text, copies its characters into the
// page and executes the inline command blocks ("[ ") on the way.
#include <cstring>

#include "base/Cp932.h"
#include "frame/MessageTextWindow.h"
#include "frame/MessageWindowState.h"
#include "frame/TgsFrame.h"
#include "frame/TobImage.h"
#include "script/ScriptHost.h"
#include "script/SobCursor.h"

namespace orrivel {

namespace {

constexpr uint8_t kConditionConstant = 0;
constexpr uint8_t kConditionNone = 1;
constexpr uint8_t kConditionVariable = 2;
constexpr uint8_t kConditionExpression = 3;
constexpr uint8_t kTagOmitted = 0;
constexpr uint8_t kTagHidden = 2;
constexpr uint8_t kKindConstant = 0;
constexpr uint8_t kKindString = 1;
constexpr uint8_t kKindVariable = 2;
constexpr uint8_t kKindExpression = 3;
constexpr uint32_t kBuiltinCount = 12;

// A name cut to fit a buffer of `bytes` with its NUL, never inside a
// two-byte character.
std::string CutName(std::string name, size_t bytes) {
  const size_t limit = bytes - 1;
  if (name.size() <= limit) return name;
  size_t at = 0;
  while (at < name.size()) {
    const size_t next = at + cp932::CharLength(name, at);
    if (next > limit) break;
    at = next;
  }
  name.resize(at);
  return name;
}

TgsName NameOrNone(const std::string& name) {
  return name.empty() ? TgsName() : TgsName(std::string_view(name));
}

}  // namespace

// What an operand of an inline block asks for; expressions and variables
// are evaluated only after the whole block is parsed, because running code
// may grow the arena under any host pointer into it.
struct TgsFrame::Operand {
  enum class Source : uint8_t { kValue, kVariable, kExpression };
  Source source = Source::kValue;
  uint32_t type = 0;     // pair type
  uint32_t value = 0;    // constant, string address, variable index or expression address
  uint32_t element = 0;
};

struct TgsFrame::InlineBlock {
  uint32_t start = 0;  // address after "[ "
  uint32_t opcode = 0;
  Operand condition;
  bool conditional = false;
  uint32_t after = 0;  // address after the block
  std::vector<Operand> arguments;
};

uint32_t TgsFrame::TextEnd() const {
  const TgsLoadedModule* module = CurrentModule();
  return module ? module->TextStart() + module->layout.textSize : 0;
}

std::string TgsFrame::ModuleName() const { return CurrentModule() ? CurrentModule()->name : std::string("?"); }

uint32_t TgsFrame::DamagedBlock(uint32_t at, const char* why) {
  const TgsLoadedModule* module = CurrentModule();
  const int64_t offset = module ? int64_t(at) - int64_t(module->TextStart()) : -1;
  Log(ModuleName() + ": " + why + " at text offset " + std::to_string(offset));
  commandStatus_ = kReadFailed;
  return 0;
}

void TgsFrame::AppendCharacter(const uint8_t* bytes, size_t count) {
  page_.AppendCharacter(bytes, count);
  if (page_.TakeOverflowReport())
    Log(ModuleName() + ": the page is full; what does not fit is not shown");
}

void TgsFrame::CopyPendingText() {
  while (pendingAt_ < pendingText_.size()) {
    const size_t count = cp932::CharLength(pendingText_, pendingAt_);
    AppendCharacter(reinterpret_cast<const uint8_t*>(pendingText_.data() + pendingAt_), count);
    pendingAt_ += count;
  }
  pendingText_.clear();
  pendingAt_ = 0;
}

bool TgsFrame::KeepResponsive() {
  if (++blocksSincePump_ < kBlocksPerPump) return true;
  blocksSincePump_ = 0;
  return !environment_.pumpFrame || environment_.pumpFrame() != 0;
}

int32_t TgsFrame::ReadText() {
  if (!CurrentModule() || ReadPosition() == 0) return kNoModule;
  for (;;) {
    CopyPendingText();
    const uint32_t at = ReadPosition();
    const uint32_t start = CurrentModule() ? CurrentModule()->TextStart() : 0;
    if (!CurrentModule() || at < start || at >= TextEnd()) {
      SetReadPosition(0);
      DamagedBlock(at, "read position outside the text");
      return kReadFailed;
    }
    // The walk the module's load check made: characters whole, "[[" a
    // literal "[", "[ " and "[s" blocks.
    const uint8_t* text = Space().Bytes(start, TextEnd() - start);
    const TobTextItem item = TobImage::TextItemAt(text, TextEnd() - start, at - start);
    switch (item.kind) {
      case TobTextItem::Kind::kNul: return 0;
      case TobTextItem::Kind::kDroppedBracket: SetReadPosition(start + uint32_t(item.next)); continue;
      case TobTextItem::Kind::kCharacter:
        AppendCharacter(text + item.character, size_t(item.characterBytes));
        SetReadPosition(start + uint32_t(item.next));
        continue;
      case TobTextItem::Kind::kInlineBlock:
      case TobTextItem::Kind::kScriptBlock: break;
    }
    if (!KeepResponsive()) {
      SetReadPosition(0);
      return kReadFailed;
    }
    const uint32_t body = start + uint32_t(item.next);
    if (item.kind == TobTextItem::Kind::kInlineBlock) {
      const uint32_t target = ExecuteInlineCommand(body);
      SetReadPosition(target);
      if (target) continue;
      if (commandStatus_ == kEndOfText) return 0;
      if (commandStatus_ < -1) return kHandlerFailed;
      return commandStatus_;
    }
    const uint32_t target = ExecuteScriptCall(body);
    SetReadPosition(target);
    if (!target) return kReadFailed;
  }
}

bool TgsFrame::ParseInlineBlock(uint32_t block, InlineBlock& out) {
  out = InlineBlock{};
  out.start = block;
  const uint32_t limit = TextEnd() - block;
  const uint8_t* bytes = Space().Bytes(block, limit);
  const uint64_t size = bytes ? TobImage::InlineBlockSize(bytes, limit) : 0;
  if (size == 0) return false;
  SobCursor cursor(bytes, size);
  // An expression: u16 code bytes, the code, the bound flag, u16 list
  // bytes (counting itself) and the lists; its code may not be empty.
  auto expression = [&](Operand& operand) {
    operand.source = Operand::Source::kExpression;
    operand.value = block + uint32_t(cursor.Position());
    const uint16_t codeBytes = cursor.U16();
    cursor.Take(codeBytes);
    cursor.U8();
    const uint16_t lists = cursor.U16();
    cursor.Take(lists >= 2 ? lists - 2 : ~uint64_t(0));
    return codeBytes != 0;
  };
  out.opcode = cursor.U32();
  switch (cursor.U8()) {
    case kConditionConstant:
      out.conditional = true;
      out.condition.value = cursor.U32();
      break;
    case kConditionNone: break;
    case kConditionVariable:
      out.conditional = true;
      out.condition.source = Operand::Source::kVariable;
      out.condition.value = cursor.U32();
      out.condition.element = cursor.U32();
      break;
    case kConditionExpression:
      out.conditional = true;
      if (!expression(out.condition)) return false;
      break;
    default: return false;
  }
  const uint64_t rField = cursor.Position();
  out.after = block + uint32_t(rField + cursor.U32());
  const uint8_t count = cursor.U8();
  for (uint8_t k = 0; k < count && cursor.Ok(); ++k) {
    Operand& operand = out.arguments.emplace_back();
    const uint8_t tag = cursor.U8();
    if (tag == kTagOmitted) continue;
    if (tag == kTagHidden) {
      operand.value = cursor.U32();
      continue;
    }
    operand.type = tag;
    switch (cursor.U8()) {
      case kKindConstant: operand.value = cursor.U32(); break;
      case kKindString: {
        const uint32_t at = block + uint32_t(cursor.Position()) + 2;
        const uint16_t n = cursor.U16();
        const uint8_t* text = cursor.Take(n);
        // The string is used in place, so its NUL must be inside the block.
        if (!cursor.Ok() || (n && text[n - 1] != 0)) return false;
        operand.type |= TgsArguments::kStringBit;
        operand.value = n ? at : 0;
        break;
      }
      case kKindVariable:
        operand.source = Operand::Source::kVariable;
        operand.value = cursor.U32();
        operand.element = cursor.U32();
        break;
      case kKindExpression:
        if (!expression(operand)) return false;
        break;
      default: return false;
    }
  }
  return cursor.Ok();
}

bool TgsFrame::ReadVariableElement(uint32_t variable, uint32_t element, uint32_t& value) {
  const ScriptHost* host = environment_.host;
  if (!host || variable >= host->LiveRecords().size()) return false;
  const VariableRecord& record = host->LiveRecords()[variable];
  if (uint64_t(element) * 4 + 4 > record.size) return false;
  return Space().Read32(record.address + element * 4, value);
}

bool TgsFrame::EvaluateOperand(const Operand& operand, uint32_t& value) {
  switch (operand.source) {
    case Operand::Source::kValue: value = operand.value; return true;
    case Operand::Source::kVariable: return ReadVariableElement(operand.value, operand.element, value);
    case Operand::Source::kExpression: return EvaluateExpression(operand.value, value);
  }
  return false;
}

uint32_t TgsFrame::ExecuteInlineCommand(uint32_t block) {
  commandStatus_ = 0;
  InlineBlock parsed;
  if (!ParseInlineBlock(block, parsed)) return DamagedBlock(block, "damaged command block");
  if (parsed.opcode >= TgsOpcodeTable::kOpcodeCount) return DamagedBlock(block, "unknown opcode");
  bool holds = true;
  if (parsed.conditional) {
    uint32_t value = 0;
    if (!EvaluateOperand(parsed.condition, value)) return DamagedBlock(block, "condition cannot be evaluated");
    holds = value != 0;
  }
  if (parsed.opcode == 0) holds = !holds;
  if (!holds) return parsed.after;

  // The pairs go on top of the argument stack, in order.
  const uint32_t count = uint32_t(parsed.arguments.size());
  const uint32_t top = ArgumentTop();
  if (uint64_t(top) + 2 * uint64_t(count) > ArgumentStackCapacity())
    return DamagedBlock(block, "argument stack full");
  const uint32_t pairs = ArgumentStackBase() + top * 4;
  for (uint32_t k = 0; k < count; ++k) {
    uint32_t value = 0;
    if (!EvaluateOperand(parsed.arguments[k], value)) return DamagedBlock(block, "argument cannot be evaluated");
    Space().Write32(pairs + k * TgsArguments::kPairBytes, parsed.arguments[k].type);
    Space().Write32(pairs + k * TgsArguments::kPairBytes + 4, value);
  }
  SetArgumentTop(top + 2 * count);
  const TgsArguments arguments(Space(), pairs, count);
  const uint32_t result =
      parsed.opcode < kBuiltinCount ? ExecuteBuiltin(parsed, arguments) : ExecuteHandler(parsed, arguments);
  // The pairs go whatever the result: nothing reads them once the handler
  // has returned, and kept pairs would pile up over suspends and waits.
  SetArgumentTop(top);
  return result;
}

uint32_t TgsFrame::ExecuteBuiltin(const InlineBlock& block, const TgsArguments& arguments) {
  commandStatus_ = 0;
  const std::string script = CutName(arguments.Text(1), kScriptNameBytes);
  const std::string label = CutName(arguments.Text(0), kLabelBytes);
  switch (block.opcode) {
    case 0:
    case 1:
    case 2:
    case 3: return TextAddress(int64_t(arguments.Value(0)));
    case 4: return block.after;
    case 5:
      pendingText_ = std::to_string(int32_t(arguments.Value(0)));
      pendingAt_ = 0;
      return block.after;
    case 6:
      pendingText_ = arguments.Text(0);
      pendingAt_ = 0;
      return block.after;
    case 7:
    case 8: {
      if (block.opcode == 7) SetReadPosition(block.after);
      if (!script.empty()) messageId_ = -1;
      const bool offset = arguments.IsTextOffset(0);
      const TgsName labelName = offset ? TgsName() : TgsName(std::string_view(label));
      const int32_t at = offset ? int32_t(arguments.Value(0)) : 0;
      return block.opcode == 7 ? Call(NameOrNone(script), labelName, at) : Jump(NameOrNone(script), labelName, at);
    }
    case 9: {
      int32_t offset = 0;
      TgsName labelName;
      if (arguments.IsTextOffset(0)) {
        offset = int32_t(arguments.Value(0));
        if (offset == 0) offset = -1;  // 0 restarts the module's text
      } else {
        labelName = NameOrNone(label);
      }
      messageId_ = -1;
      const uint32_t target = Return(NameOrNone(script), labelName, offset);
      if (!target) commandStatus_ = kEndOfText;
      return target;
    }
    case 10: PreloadScript(arguments.Text(0)); return block.after;
    case 11: UnloadScript(NameOrNone(arguments.Text(0))); return block.after;
    default: return block.after;
  }
}

uint32_t TgsFrame::ExecuteHandler(const InlineBlock& block, const TgsArguments& arguments) {
  const TgsOpcodeHandler* handler = opcodes_.Find(block.opcode);
  const uint32_t chain = waitChain_;
  commandStatus_ = int32_t(block.opcode);
  handlerArguments_ = arguments.Count();
  const int32_t result = (*handler)(*this, arguments);
  commandStatus_ = result;
  if (waitChain_ == chain) waitChain_ = 0;
  return result == 0 ? block.after : 0;
}

int32_t TgsFrame::DispatchOpcode(uint32_t opcode, const TgsArguments& arguments) {
  const TgsOpcodeHandler* handler = opcodes_.Find(opcode);
  if (!handler) {
    Log(ModuleName() + ": page command with opcode " + std::to_string(opcode) + " not replayed");
    return -1;
  }
  replaying_ = true;
  const int32_t result = (*handler)(*this, arguments);
  commandStatus_ = result;
  replaying_ = false;
  if (const uint32_t ret = RetTgsExpAddress()) Space().Write32(ret, uint32_t(result));
  return result;
}

int32_t TgsFrame::ReplayPageCommand(const uint8_t* record, size_t available, size_t& taken) {
  TgsPageCommand command;
  if (!TgsPageBuffer::ReadCommand(record, available, command, taken) || command.arguments.size() > kReplayPairs) {
    taken = 0;
    Log(ModuleName() + ": damaged page command not replayed");
    return -1;
  }
  // The pairs and their strings go into the frame's replay block, so the
  // handler reads them through script addresses like any other pairs.
  const uint32_t strings = replayBlock_ + kReplayPairs * TgsArguments::kPairBytes;
  uint32_t used = 0;
  for (uint32_t k = 0; k < command.arguments.size(); ++k) {
    const TgsPageCommand::Argument& argument = command.arguments[k];
    uint32_t value = argument.value;
    if ((argument.type & TgsArguments::kStringBit) && argument.value) {
      const uint32_t bytes = uint32_t(argument.text.size() + 1);
      if (used + bytes > TgsPageBuffer::kCapacity) return -1;
      Space().WriteBytes(strings + used, argument.text.c_str(), bytes);
      value = strings + used;
      used += bytes;
    }
    Space().Write32(replayBlock_ + k * TgsArguments::kPairBytes, argument.type);
    Space().Write32(replayBlock_ + k * TgsArguments::kPairBytes + 4, value);
  }
  return DispatchOpcode(command.opcode, TgsArguments(Space(), replayBlock_, uint32_t(command.arguments.size())));
}

int32_t TgsFrame::SerializeCommand(uint32_t opcode, const TgsArguments& arguments) {
  if (!page_.AppendCommand(opcode, arguments) && page_.TakeOverflowReport())
    Log(ModuleName() + ": the page is full; what does not fit is not shown");
  return 0;
}

int32_t TgsFrame::FlushPage() {
  if (page_.Empty()) return 1;
  if (pageSink_) pageSink_(std::span<const uint8_t>(page_.Data(), page_.Size()), speakerName_, voiceName_);
  const std::span<const uint8_t> page(page_.Data(), page_.Size());
  if (windowState_->TakePage(page, speakerName_, voiceName_) == MessageTextWindow::kStopRequested)
    Log("a page command stopped the page before it was shown");
  // The page output plays the voice of the page it shows; a save keeps
  // which window spoke, so a load plays the voice of its page again.
  pendingVoice_ = voiceName_;
  // What the player reads is kept for the history screen, laid out in the
  // history window; a page the history cannot lay out is simply not kept.
  if (history_.Capacity() > 0)
    RecordPageInHistory(page, speakerName_, voiceName_, pageSerialPending_ ? pageSerial_ : 0);
  if (!voiceName_.empty()) pageVoiceIndex_ = windowState_->CurrentWindow();
  page_.Rewind();
  speakerName_.clear();
  voiceName_.clear();
  return 0;
}

}  // namespace orrivel
