#pragma once
// The handlers of the inline command opcodes 12 to 134. Opcodes 0 to 11
// are the reader's own; every slot of the table exists from construction,
// so the numbering that compiled modules rely on never shifts.
//
// A handler returns 0 to let reading go on after its block; any other
// value stops the reading and becomes its result (0x7FFFFFFF reads as the
// end of the text, -1 as the program closing).
//
// Slots whose handler is not built yet hold the recording handler: it
// notes the call (opcode and arguments as the handler would have seen
// them) and returns 0, so a module plays through them.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace orrivel {

class TgsArguments;
class TgsFrame;

using TgsOpcodeHandler = std::function<int32_t(TgsFrame&, const TgsArguments&)>;

// One call to a slot that has no handler yet.
struct TgsRecordedCall {
  uint32_t opcode = 0;
  std::vector<uint32_t> types;
  std::vector<uint32_t> values;
  std::vector<std::string> texts;  // string arguments' bytes, else empty
};

class TgsOpcodeTable {
 public:
  static constexpr uint32_t kFirstHandled = 12;
  static constexpr uint32_t kOpcodeCount = 135;
  // Calls kept by the recording handler, newest last; older ones go.
  static constexpr size_t kRecordLimit = 256;

  TgsOpcodeTable();
  // The recording handlers refer to their table.
  TgsOpcodeTable(const TgsOpcodeTable&) = delete;
  TgsOpcodeTable& operator=(const TgsOpcodeTable&) = delete;

  // Replaces the handler of a slot; false for a number outside 12..134.
  bool Register(uint32_t opcode, TgsOpcodeHandler handler);
  // The slot's handler; null for a number outside the table.
  const TgsOpcodeHandler* Find(uint32_t opcode) const;
  // True while the slot still holds the recording handler.
  bool IsRecording(uint32_t opcode) const;

  // A call as the recording handler keeps it.
  static TgsRecordedCall Describe(uint32_t opcode, const TgsArguments& arguments);

  const std::vector<TgsRecordedCall>& Recorded() const { return recorded_; }
  void ClearRecorded() { recorded_.clear(); }

 private:
  int32_t Record(uint32_t opcode, const TgsArguments& arguments);

  std::vector<TgsOpcodeHandler> handlers_;
  std::vector<bool> recording_;
  std::vector<TgsRecordedCall> recorded_;
};

}  // namespace orrivel
