#pragma once
// The handlers of the inline command opcodes 12 to 134. Opcodes 0 to 11
// are the reader's own; every slot of the table exists from construction,
// so the numbering that compiled modules rely on never shifts.
//
// A handler returns 0 to let reading go on after its block; any other
// value stops the reading and becomes its result (0x7FFFFFFF reads as the
// end of the text, -1 as the program closing).
//
// The frame fills the table from one list of rows (number, name, handler,
// defaults), in number order. The names are what module sources may write
// instead of the numbers; the module compiler reads them from here.
#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace orrivel {

class TgsArguments;
class TgsFrame;

using TgsOpcodeHandler = std::function<int32_t(TgsFrame&, const TgsArguments&)>;

// The value an omitted argument takes instead of its own.
struct TgsOpcodeDefault {
  uint8_t argument = 0;
  int32_t value = 0;
};

struct TgsOpcodeRow;
using TgsRowHandler = int32_t (*)(TgsFrame&, const TgsArguments&, const TgsOpcodeRow&);

struct TgsOpcodeRow {
  static constexpr size_t kMaxDefaults = 3;
  uint32_t number = 0;
  // The name module sources may use; null for a slot reached by number only.
  const char* name = nullptr;
  TgsRowHandler handler = nullptr;
  std::array<TgsOpcodeDefault, kMaxDefaults> defaults{};
  uint8_t defaultCount = 0;
};

// The arguments of one call as an operation receives them: read out of the
// pairs once, with the row's defaults put in for omitted arguments (whose
// type stays 0). Arguments past the given ones that have a default are
// added, so an operation always sees every value the row promises.
struct TgsOperationCall {
  uint32_t opcode = 0;
  std::vector<uint32_t> types;
  std::vector<uint32_t> values;
  std::vector<std::string> texts;  // string arguments' bytes, else empty

  size_t Count() const { return values.size(); }
  bool Given(size_t k) const { return k < types.size() && types[k] != 0; }
  int32_t Int(size_t k) const { return k < values.size() ? int32_t(values[k]) : 0; }
  const std::string& Text(size_t k) const;
};

class TgsOpcodeTable {
 public:
  static constexpr uint32_t kFirstHandled = 12;
  static constexpr uint32_t kOpcodeCount = 135;

  // Every slot starts as a handler that does nothing and returns 0.
  TgsOpcodeTable();

  // Puts a row's handler into its slot; false for a number outside 12..134
  // or a row without a handler. The row must outlive the table.
  bool Register(const TgsOpcodeRow& row);
  // Replaces the handler of a slot; false for a number outside 12..134.
  bool Register(uint32_t opcode, TgsOpcodeHandler handler);
  // The slot's handler; null for a number outside the table.
  const TgsOpcodeHandler* Find(uint32_t opcode) const;

  // A call with the row's defaults applied (no row: the arguments as given).
  static TgsOperationCall Describe(uint32_t opcode, const TgsArguments& arguments,
                                   const TgsOpcodeRow* row = nullptr);

 private:
  std::vector<TgsOpcodeHandler> handlers_;
};

// The frame's rows, in number order, one for each of opcodes 12 to 134.
const std::vector<TgsOpcodeRow>& TgsOpcodeRows();
// The opcode a module source names, or -1. Names compare exactly.
int32_t TgsOpcodeNumber(std::string_view name);
// The name of an opcode, or null when it has none.
const char* TgsOpcodeName(uint32_t opcode);

}  // namespace orrivel
