#include "TobWriter.h"

namespace orrivel::tob {

using sob::PutU16;
using sob::PutU32;

void AppendBytes(Bytes& out, const Bytes& more) { out.insert(out.end(), more.begin(), more.end()); }

Bytes WriteModule(const Module& module) {
  Bytes labels;
  for (const Label& label : module.labels) {
    labels.push_back(uint8_t(label.name.size() + 1 + 4));
    labels.insert(labels.end(), label.name.begin(), label.name.end());
    labels.push_back(0);
    PutU32(labels, label.offset);
  }
  Bytes out = {'T', 'O', 'B', uint8_t(module.tob1 ? '1' : '0')};
  PutU32(out, uint32_t(8 + labels.size()));
  PutU32(out, uint32_t(module.labels.size()));
  AppendBytes(out, labels);
  PutU32(out, uint32_t(8 + 4 * module.resumePoints.size()));
  PutU32(out, uint32_t(module.resumePoints.size()));
  for (uint32_t point : module.resumePoints) PutU32(out, point);
  AppendBytes(out, module.text);
  return out;
}

Bytes WriteScriptTable(const std::vector<ScriptRecord>& records) {
  Bytes out;
  PutU32(out, uint32_t(records.size()));
  for (const ScriptRecord& record : records) {
    out.push_back(uint8_t(record.name.size() + 1));
    out.insert(out.end(), record.name.begin(), record.name.end());
    out.push_back(0);
    PutU32(out, record.messages);
    PutU32(out, record.choices);
  }
  return out;
}

namespace {

// The five lists with u8 counts (expressions) or u32 counts (script blocks),
// preceded by their byte count, which counts itself.
Bytes RelocationLists(const Code& code, bool wide) {
  Bytes lists;
  for (const auto& list : code.lists) {
    if (wide) PutU32(lists, uint32_t(list.size()));
    else lists.push_back(uint8_t(list.size()));
    for (const auto& [offset, index] : list) {
      PutU32(lists, offset);
      PutU32(lists, index);
    }
  }
  Bytes out;
  if (wide) PutU32(out, uint32_t(lists.size() + 4));
  else PutU16(out, uint16_t(lists.size() + 2));
  AppendBytes(out, lists);
  return out;
}

Bytes Expression(const Code& code) {
  Bytes out;
  PutU16(out, uint16_t(code.code.size()));
  AppendBytes(out, code.code);
  out.push_back(0);  // not bound yet
  AppendBytes(out, RelocationLists(code, false));
  return out;
}

void PutArgument(Bytes& out, const Operand& operand) {
  switch (operand.kind) {
    case Operand::Kind::kOmitted: out.push_back(0); return;
    case Operand::Kind::kHidden:
      out.push_back(2);
      PutU32(out, operand.value);
      return;
    default: break;
  }
  out.push_back(operand.tag);
  switch (operand.kind) {
    case Operand::Kind::kConstant:
      out.push_back(0);
      PutU32(out, operand.value);
      break;
    case Operand::Kind::kString:
      out.push_back(1);
      PutU16(out, uint16_t(operand.string.size() + 1));
      AppendBytes(out, operand.string);
      out.push_back(0);
      break;
    case Operand::Kind::kVariable:
      out.push_back(2);
      PutU32(out, operand.value);
      PutU32(out, operand.element);
      break;
    default:
      out.push_back(3);
      AppendBytes(out, Expression(operand.expression));
      break;
  }
}

}  // namespace

Bytes InlineBlock(uint32_t opcode, const Operand& condition, const std::vector<Operand>& arguments) {
  Bytes out;
  PutU32(out, opcode);
  switch (condition.kind) {
    case Operand::Kind::kConstant:
      out.push_back(0);
      PutU32(out, condition.value);
      break;
    case Operand::Kind::kVariable:
      out.push_back(2);
      PutU32(out, condition.value);
      PutU32(out, condition.element);
      break;
    case Operand::Kind::kExpression:
      out.push_back(3);
      AppendBytes(out, Expression(condition.expression));
      break;
    default: out.push_back(1); break;
  }
  Bytes rest;
  rest.push_back(uint8_t(arguments.size()));
  for (const Operand& argument : arguments) PutArgument(rest, argument);
  PutU32(out, uint32_t(rest.size() + 4));
  AppendBytes(out, rest);
  return out;
}

Bytes ScriptBlock(const Code& code) {
  Bytes out;
  PutU32(out, uint32_t(code.code.size()));
  AppendBytes(out, code.code);
  out.push_back(0);
  AppendBytes(out, RelocationLists(code, true));
  return out;
}

}  // namespace orrivel::tob
