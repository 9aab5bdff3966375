#pragma once
// Writers of the text-adventure files: modules (".TOB", "TOB0"/"TOB1"), the
// script table "TGS_INIT.DAT", and the blocks of a module's text (inline
// commands and script blocks). They write exactly what the fields say, so
// tests can build both sound and damaged files. Layouts: docs/formats.md.
#include <cstdint>
#include <string>
#include <vector>

#include "SobWriter.h"

namespace orrivel::tob {

using Bytes = std::vector<uint8_t>;

struct Label {
  std::string name;
  uint32_t offset = 0;  // from the text start
};

struct Module {
  bool tob1 = true;
  std::vector<Label> labels;
  std::vector<uint32_t> resumePoints;  // by message id
  Bytes text;                          // written as is (end it with a NUL)
};

struct ScriptRecord {
  std::string name;  // written upper-cased as given, with its NUL
  uint32_t messages = 0;
  uint32_t choices = 0;
};

Bytes WriteModule(const Module& module);
Bytes WriteScriptTable(const std::vector<ScriptRecord>& records);

// Compiled script code with its five relocation lists (sob's ModuleFile).
struct Code {
  Bytes code;
  std::vector<sob::Relocation> lists[5];
};

// One inline command operand: a condition or an argument.
struct Operand {
  enum class Kind { kOmitted, kConstant, kString, kVariable, kExpression, kHidden } kind = Kind::kOmitted;
  uint8_t tag = 1;         // argument tag (0xFF: a text offset)
  uint32_t value = 0;      // constant, hidden value (tag 2), or variable index
  uint32_t element = 0;    // variable element
  Bytes string;            // CP932 bytes, without the NUL
  Code expression;
};

// The bytes after "[ ": opcode, condition (kConstant, kOmitted for none,
// kVariable or kExpression), R and the arguments.
Bytes InlineBlock(uint32_t opcode, const Operand& condition, const std::vector<Operand>& arguments);
// The bytes after "[s".
Bytes ScriptBlock(const Code& code);

void AppendBytes(Bytes& out, const Bytes& more);

}  // namespace orrivel::tob
