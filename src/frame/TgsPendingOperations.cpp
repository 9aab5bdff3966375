// The frame operations not built yet: each keeps its call and returns 0.
#include "frame/TgsFrame.h"

namespace orrivel {

#define ORRIVEL_TGS_OPERATION(name) \
  int32_t TgsFrame::name(const TgsOperationCall& call) { return NotBuiltYet(#name, call); }
#include "frame/TgsFrameOperations.def"
#undef ORRIVEL_TGS_OPERATION

int32_t TgsFrame::NotBuiltYet(const char* operation, const TgsOperationCall& call) {
  TgsOperationCall kept = call;
  kept.operation = operation;
  return opcodes_.Record(std::move(kept));
}

TgsOperationCall TgsFrame::MakeCall(uint32_t opcode, std::initializer_list<int32_t> values) {
  TgsOperationCall call;
  call.opcode = opcode;
  for (const int32_t value : values) {
    call.types.push_back(1);
    call.values.push_back(uint32_t(value));
    call.texts.emplace_back();
  }
  return call;
}

}  // namespace orrivel
