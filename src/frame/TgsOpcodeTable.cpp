#include "frame/TgsOpcodeTable.h"

#include <algorithm>

#include "frame/TgsArguments.h"

namespace orrivel {

const std::string& TgsOperationCall::Text(size_t k) const {
  static const std::string kEmpty;
  return k < texts.size() ? texts[k] : kEmpty;
}

TgsOpcodeTable::TgsOpcodeTable() : handlers_(kOpcodeCount) {
  for (uint32_t opcode = kFirstHandled; opcode < kOpcodeCount; ++opcode)
    handlers_[opcode] = [](TgsFrame&, const TgsArguments&) { return 0; };
}

bool TgsOpcodeTable::Register(const TgsOpcodeRow& row) {
  if (!row.handler) return false;
  const TgsOpcodeRow* kept = &row;
  return Register(row.number, [kept](TgsFrame& frame, const TgsArguments& arguments) {
    return kept->handler(frame, arguments, *kept);
  });
}

bool TgsOpcodeTable::Register(uint32_t opcode, TgsOpcodeHandler handler) {
  if (opcode < kFirstHandled || opcode >= kOpcodeCount || !handler) return false;
  handlers_[opcode] = std::move(handler);
  return true;
}

const TgsOpcodeHandler* TgsOpcodeTable::Find(uint32_t opcode) const {
  if (opcode < kFirstHandled || opcode >= kOpcodeCount) return nullptr;
  return &handlers_[opcode];
}

TgsOperationCall TgsOpcodeTable::Describe(uint32_t opcode, const TgsArguments& arguments, const TgsOpcodeRow* row) {
  TgsOperationCall call;
  call.opcode = opcode;
  uint32_t count = arguments.Count();
  if (row)
    for (uint8_t d = 0; d < row->defaultCount; ++d) count = std::max<uint32_t>(count, row->defaults[d].argument + 1u);
  for (uint32_t k = 0; k < count; ++k) {
    call.types.push_back(arguments.Type(k));
    call.values.push_back(arguments.Value(k));
    call.texts.push_back(arguments.Text(k));
  }
  if (row) {
    for (uint8_t d = 0; d < row->defaultCount; ++d) {
      const TgsOpcodeDefault& given = row->defaults[d];
      if (call.types[given.argument] == TgsArguments::kOmitted) call.values[given.argument] = uint32_t(given.value);
    }
  }
  return call;
}

int32_t TgsOpcodeNumber(std::string_view name) {
  for (const TgsOpcodeRow& row : TgsOpcodeRows())
    if (row.name && name == row.name) return int32_t(row.number);
  return -1;
}

const char* TgsOpcodeName(uint32_t opcode) {
  const std::vector<TgsOpcodeRow>& rows = TgsOpcodeRows();
  if (opcode < TgsOpcodeTable::kFirstHandled || opcode - TgsOpcodeTable::kFirstHandled >= rows.size()) return nullptr;
  return rows[opcode - TgsOpcodeTable::kFirstHandled].name;
}

}  // namespace orrivel
