#include "frame/TgsOpcodeTable.h"

#include "frame/TgsArguments.h"

namespace orrivel {

TgsOpcodeTable::TgsOpcodeTable() : handlers_(kOpcodeCount), recording_(kOpcodeCount, false) {
  for (uint32_t opcode = kFirstHandled; opcode < kOpcodeCount; ++opcode) {
    handlers_[opcode] = [this, opcode](TgsFrame&, const TgsArguments& arguments) {
      return Record(opcode, arguments);
    };
    recording_[opcode] = true;
  }
}

bool TgsOpcodeTable::Register(uint32_t opcode, TgsOpcodeHandler handler) {
  if (opcode < kFirstHandled || opcode >= kOpcodeCount || !handler) return false;
  handlers_[opcode] = std::move(handler);
  recording_[opcode] = false;
  return true;
}

const TgsOpcodeHandler* TgsOpcodeTable::Find(uint32_t opcode) const {
  if (opcode < kFirstHandled || opcode >= kOpcodeCount) return nullptr;
  return &handlers_[opcode];
}

bool TgsOpcodeTable::IsRecording(uint32_t opcode) const { return opcode < kOpcodeCount && recording_[opcode]; }

TgsRecordedCall TgsOpcodeTable::Describe(uint32_t opcode, const TgsArguments& arguments) {
  TgsRecordedCall call;
  call.opcode = opcode;
  for (uint32_t k = 0; k < arguments.Count(); ++k) {
    call.types.push_back(arguments.Type(k));
    call.values.push_back(arguments.Value(k));
    call.texts.push_back(arguments.Text(k));
  }
  return call;
}

int32_t TgsOpcodeTable::Record(uint32_t opcode, const TgsArguments& arguments) {
  if (recorded_.size() >= kRecordLimit) recorded_.erase(recorded_.begin());
  recorded_.push_back(Describe(opcode, arguments));
  return 0;
}

}  // namespace orrivel
