#include "SobAssembler.h"

#include <cctype>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <optional>

#include "natives/NativeCatalog.h"

namespace orrivel::sob {

namespace {

constexpr const char* kOperationNames[47] = {
    "yield", "ret",  "retv", "getres", "call", "native", "jmp",   "switch", "push",   "pushm",
    "pop",   "spadd", "spsub", "add",   "sub",  "mul",    "div",   "rem",    "mod",    "and",
    "or",    "xor",  "not",  "lnot",   "sar",  "shl",    "inc",   "dec",    "sinc",   "sdec",
    "bz",    "set",  "mov",  "setind", "sset", "sget",   "sput",  "smov",   "sload",  "load",
    "saddr", "lt",   "le",   "gt",     "ge",   "eq",     "ne",
};

constexpr uint32_t kOperandCounts[47] = {0, 0, 1, 1, 1, 3, 1, 0, 1, 1, 1, 1, 1, 3, 3, 3, 3, 3, 3, 3, 3, 3, 2, 2,
                                         3, 3, 1, 1, 1, 1, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 3, 3, 3, 3, 3, 3};

const char* const kExternalNames[] = {"retTgsExp", "ScriptBootFlg", "retAppProc", "retTgsFrame"};

struct Token {
  std::string text;
  bool quoted = false;
};

struct Failure {
  std::string message;
};

std::string LineError(int line, const std::string& what) { return "line " + std::to_string(line) + ": " + what; }

// Splits a line into tokens: whitespace and commas separate, "..." is one
// token with escapes decoded, '#' or ';' outside quotes starts a comment.
bool Tokenize(std::string_view line, std::vector<Token>& tokens, std::string& error) {
  tokens.clear();
  size_t i = 0;
  while (i < line.size()) {
    char c = line[i];
    if (c == '#' || c == ';') break;
    if (std::isspace(uint8_t(c)) || c == ',') {
      ++i;
      continue;
    }
    Token token;
    if (c == '"') {
      token.quoted = true;
      ++i;
      bool closed = false;
      while (i < line.size()) {
        char d = line[i++];
        if (d == '"') {
          closed = true;
          break;
        }
        if (d != '\\' || i >= line.size()) {
          token.text += d;
          continue;
        }
        char e = line[i++];
        switch (e) {
          case 'n': token.text += '\n'; break;
          case 't': token.text += '\t'; break;
          case '0': token.text += '\0'; break;
          case 'x': {
            if (i + 2 > line.size()) {
              error = "bad \\x escape";
              return false;
            }
            token.text += char(std::strtoul(std::string(line.substr(i, 2)).c_str(), nullptr, 16));
            i += 2;
            break;
          }
          default: token.text += e; break;
        }
      }
      if (!closed) {
        error = "unterminated string";
        return false;
      }
    } else {
      while (i < line.size() && !std::isspace(uint8_t(line[i])) && line[i] != ',' && line[i] != '#' &&
             line[i] != ';')
        token.text += line[i++];
    }
    tokens.push_back(std::move(token));
  }
  return true;
}

std::optional<int64_t> ParseNumber(const std::string& text) {
  if (text.empty()) return std::nullopt;
  if (text.size() == 3 && text[0] == '\'' && text[2] == '\'') return uint8_t(text[1]);
  char* end = nullptr;
  long long value = std::strtoll(text.c_str(), &end, 0);
  if (*end != '\0') {
    // Large unsigned hex such as 0xFFFFFFFF.
    unsigned long long u = std::strtoull(text.c_str(), &end, 0);
    if (*end != '\0') return std::nullopt;
    value = static_cast<long long>(u);
  }
  if (value < INT32_MIN || value > int64_t(UINT32_MAX)) return std::nullopt;
  return value;
}

// A native operand: "!N" the script number N as it stands, "!gN" the game's
// native N (script number N + 3), "!Name" by its name in the native list.
uint32_t NativeNumber(int line, const std::string& text) {
  const std::string body = text.substr(1);
  if (!body.empty() && std::isdigit(static_cast<unsigned char>(body[0]))) {
    auto number = ParseNumber(body);
    if (!number || *number < 0) throw Failure{LineError(line, "bad native " + text)};
    return uint32_t(*number);
  }
  if (body.size() > 1 && body[0] == 'g' && std::isdigit(static_cast<unsigned char>(body[1]))) {
    auto number = ParseNumber(body.substr(1));
    if (!number || *number < 0 || *number >= int64_t(kGameNativeCount))
      throw Failure{LineError(line, "no game native " + text)};
    return ScriptNativeNumber(uint32_t(*number));
  }
  if (auto number = ScriptNativeByName(body)) return *number;
  throw Failure{LineError(line, "unknown native " + text)};
}

// "name+4" or "name-8" or "name.2" (word 2 of the instruction at name).
struct SymbolRef {
  std::string name;
  int64_t add = 0;
  uint32_t word = 0;
};

std::optional<SymbolRef> ParseSymbol(const std::string& text) {
  SymbolRef ref;
  size_t cut = text.find_first_of("+-.");
  ref.name = text.substr(0, cut);
  if (ref.name.empty()) return std::nullopt;
  while (cut != std::string::npos) {
    char kind = text[cut];
    size_t next = text.find_first_of("+-.", cut + 1);
    auto number = ParseNumber(text.substr(cut + 1, next == std::string::npos ? std::string::npos : next - cut - 1));
    if (!number) return std::nullopt;
    if (kind == '.') ref.word = uint32_t(*number);
    else ref.add += kind == '+' ? *number : -*number;
    cut = next;
  }
  return ref;
}

enum class ItemKind { kInstruction, kWords, kBytes };

struct Item {
  ItemKind kind;
  int line;
  uint32_t operation = 0;
  std::vector<Token> operands;
  std::string bytes;
  uint32_t offset = 0;
};

struct CodeSection {
  ModuleFile* module = nullptr;
  std::map<std::string, uint32_t>* labels = nullptr;
  std::vector<Item> items;
  std::map<std::string, uint32_t> labelItem;  // label -> item index (or items.size())
  std::optional<uint32_t> dataStartItem;
  int line = 0;
};

struct Assembler {
  Project& project;
  std::vector<CodeSection> sections;

  uint32_t OperationNumber(const std::string& name) {
    for (uint32_t i = 0; i < 47; ++i)
      if (name == kOperationNames[i]) return i;
    return UINT32_MAX;
  }

  // Resolves one operand to the word written and, for names, a relocation.
  uint32_t Operand(const Token& token, CodeSection& section, uint32_t at, int line) {
    const std::string& text = token.text;
    if (token.quoted) throw Failure{LineError(line, "a string cannot be an operand; use a label")};
    auto relocate = [&](int list, uint32_t value) {
      section.module->lists[list].push_back({at, value});
      return 0u;
    };
    if (text[0] == '@') {
      auto ref = ParseSymbol(text.substr(1));
      if (!ref || !section.labels->count(ref->name)) throw Failure{LineError(line, "unknown label " + text)};
      return relocate(kOwnCode, uint32_t((*section.labels)[ref->name] + ref->word * 4 + ref->add));
    }
    if (text.rfind("lib:", 0) == 0) {
      auto ref = ParseSymbol(text.substr(4));
      if (!ref || !project.libraryLabels.count(ref->name))
        throw Failure{LineError(line, "unknown library label " + text)};
      return relocate(kLibrary, uint32_t(project.libraryLabels[ref->name] + ref->word * 4 + ref->add));
    }
    if (text[0] == '$') {
      auto it = project.variableIndex.find(text.substr(1));
      if (it == project.variableIndex.end()) throw Failure{LineError(line, "unknown variable " + text)};
      return relocate(kVariables, it->second);
    }
    if (text[0] == '!') return relocate(kNatives, NativeNumber(line, text));
    if (text.rfind("ext:", 0) == 0) {
      std::string name = text.substr(4);
      for (uint32_t i = 0; i < std::size(kExternalNames); ++i)
        if (name == kExternalNames[i]) return relocate(kExternals, i);
      auto number = ParseNumber(name);
      if (!number || *number < 0) throw Failure{LineError(line, "unknown external " + text)};
      return relocate(kExternals, uint32_t(*number));
    }
    auto number = ParseNumber(text);
    if (!number) throw Failure{LineError(line, "bad operand " + text)};
    return uint32_t(*number);
  }

  void CodeLine(CodeSection& section, std::vector<Token>& tokens, int line) {
    // Leading "label:" tokens.
    while (!tokens.empty() && !tokens[0].quoted && tokens[0].text.size() > 1 && tokens[0].text.back() == ':') {
      std::string label = tokens[0].text.substr(0, tokens[0].text.size() - 1);
      if (section.labelItem.count(label)) throw Failure{LineError(line, "label defined twice: " + label)};
      section.labelItem[label] = uint32_t(section.items.size());
      tokens.erase(tokens.begin());
    }
    if (tokens.empty()) return;
    const std::string word = tokens[0].text;
    std::vector<Token> rest(tokens.begin() + 1, tokens.end());
    if (word == "data") {
      if (section.dataStartItem) throw Failure{LineError(line, "data given twice")};
      section.dataStartItem = uint32_t(section.items.size());
      return;
    }
    if (word == "closing") {
      auto number = rest.size() == 1 ? ParseNumber(rest[0].text) : std::nullopt;
      if (!number) throw Failure{LineError(line, "closing takes one number")};
      section.module->closingWord = uint32_t(*number);
      return;
    }
    if (word == "word") {
      section.items.push_back(Item{ItemKind::kWords, line, 0, rest, {}, 0});
      return;
    }
    if (word == "string" || word == "space") {
      Item item{ItemKind::kBytes, line, 0, {}, {}, 0};
      if (word == "string") {
        if (rest.size() != 1 || !rest[0].quoted) throw Failure{LineError(line, "string takes one \"text\"")};
        item.bytes = rest[0].text + '\0';
      } else {
        auto number = rest.size() == 1 ? ParseNumber(rest[0].text) : std::nullopt;
        if (!number || *number < 0 || *number > (1 << 24)) throw Failure{LineError(line, "space takes a size")};
        item.bytes.assign(size_t(*number), '\0');
      }
      section.items.push_back(std::move(item));
      return;
    }
    uint32_t op = OperationNumber(word);
    if (op == UINT32_MAX) throw Failure{LineError(line, "unknown operation " + word)};
    if (op == 7 ? rest.empty() : rest.size() != kOperandCounts[op])
      throw Failure{LineError(line, word + " takes " + (op == 7 ? std::string("an index and targets")
                                                                 : std::to_string(kOperandCounts[op]) + " operands"))};
    section.items.push_back(Item{ItemKind::kInstruction, line, op, rest, {}, 0});
  }

  static uint32_t ItemSize(const Item& item) {
    switch (item.kind) {
      case ItemKind::kInstruction: return 4 * (1 + uint32_t(item.operands.size()) + (item.operation == 7 ? 1 : 0));
      case ItemKind::kWords: return 4 * uint32_t(item.operands.size());
      case ItemKind::kBytes: return uint32_t(item.bytes.size());
    }
    return 0;
  }

  void Layout(CodeSection& section) {
    uint32_t offset = 0;
    std::vector<uint32_t> offsets;
    for (Item& item : section.items) {
      item.offset = offset;
      offsets.push_back(offset);
      offset += ItemSize(item);
    }
    offsets.push_back(offset);
    for (auto& [label, index] : section.labelItem) (*section.labels)[label] = offsets[index];
    section.module->translationLength = section.dataStartItem ? offsets[*section.dataStartItem] : offset;
    section.module->code.assign(offset, 0);
  }

  void Emit(CodeSection& section) {
    Bytes& code = section.module->code;
    auto put = [&](uint32_t at, uint32_t value) {
      for (int i = 0; i < 4; ++i) code[at + i] = uint8_t(value >> (8 * i));
    };
    for (Item& item : section.items) {
      uint32_t at = item.offset;
      if (item.kind == ItemKind::kBytes) {
        std::memcpy(code.data() + at, item.bytes.data(), item.bytes.size());
        continue;
      }
      if (item.kind == ItemKind::kInstruction) {
        put(at, item.operation);
        at += 4;
      }
      for (const Token& operand : item.operands) {
        put(at, Operand(operand, section, at, item.line));
        at += 4;
      }
      if (item.kind == ItemKind::kInstruction && item.operation == 7) put(at, 0xFFFFFFFFu);
    }
  }

  struct PendingPointer {
    uint32_t at;
    std::string target;
    int line;
  };
  std::vector<PendingPointer> pointers;
  std::map<std::string, uint32_t> storageOffset;

  void VariableLine(std::vector<Token>& tokens, int line) {
    VariablesFile& vars = project.variables;
    const std::string kindName = tokens[0].text;
    uint8_t kind = kindName == "int" ? 0 : kindName == "str" ? 1 : kindName == "pstr" ? 2 : 255;
    if (kind == 255 || tokens.size() < 2) throw Failure{LineError(line, "expected int, str or pstr and a name")};
    std::string name = tokens[1].text;
    if (project.variableIndex.count(name)) throw Failure{LineError(line, "variable defined twice: " + name)};
    VariableEntry entry{kind, 0, 0, kind == 1 ? 0u : 4u};
    std::optional<Token> initial;
    for (size_t i = 2; i < tokens.size(); ++i) {
      const std::string& t = tokens[i].text;
      if (t == "normal") entry.scope = 0;
      else if (t == "save") entry.scope = 1;
      else if (t == "autosave") entry.scope = 2;
      else if (t == "scope" && i + 1 < tokens.size()) entry.scope = uint8_t(ParseNumber(tokens[++i].text).value_or(0));
      else if (t == "size" && i + 1 < tokens.size()) {
        auto number = ParseNumber(tokens[++i].text);
        if (!number || *number < 0 || *number > (1 << 24)) throw Failure{LineError(line, "bad size")};
        entry.size = uint32_t(*number);
      } else if (t == "=" && i + 1 < tokens.size()) {
        initial = tokens[++i];
      } else {
        throw Failure{LineError(line, "unexpected " + t)};
      }
    }
    if (kind == 1 && entry.size == 0) throw Failure{LineError(line, "str needs a size")};
    entry.offset = uint32_t((vars.image.size() + 3) & ~size_t(3));
    vars.image.resize(entry.offset + entry.size, 0);
    if (initial) {
      if (kind == 1) {
        if (!initial->quoted || initial->text.size() + 1 > entry.size)
          throw Failure{LineError(line, "str value must be a string that fits its size")};
        std::memcpy(vars.image.data() + entry.offset, initial->text.data(), initial->text.size());
      } else if (!initial->quoted && initial->text[0] == '&') {
        if (entry.size < 4) throw Failure{LineError(line, "a pointer needs 4 bytes")};
        pointers.push_back({entry.offset, initial->text.substr(1), line});
      } else {
        auto number = initial->quoted ? std::nullopt : ParseNumber(initial->text);
        if (!number) throw Failure{LineError(line, "bad value")};
        for (uint32_t b = 0; b < entry.size && b < 4; ++b) vars.image[entry.offset + b] = uint8_t(*number >> (8 * b));
      }
    }
    storageOffset[name] = entry.offset;
    project.variableIndex[name] = uint32_t(vars.records.size());
    vars.records.push_back(entry);
  }

  void ResolvePointers() {
    for (const PendingPointer& p : pointers) {
      auto ref = ParseSymbol(p.target);
      if (!ref || !storageOffset.count(ref->name)) throw Failure{LineError(p.line, "unknown variable &" + p.target)};
      project.variables.relocations.push_back({p.at, uint32_t(storageOffset[ref->name] + ref->add)});
    }
  }

  void Run(std::string_view text) {
    enum class Mode { kNone, kInit, kVariables, kCode } mode = Mode::kNone;
    std::vector<SceneEntry> generated;
    sections.reserve(64);
    int line = 0;
    size_t pos = 0;
    std::vector<Token> tokens;
    project.scenes.reserve(256);
    while (pos <= text.size()) {
      size_t end = text.find('\n', pos);
      if (end == std::string_view::npos) end = text.size();
      std::string_view raw = text.substr(pos, end - pos);
      pos = end + 1;
      ++line;
      std::string error;
      if (!Tokenize(raw, tokens, error)) throw Failure{LineError(line, error)};
      if (tokens.empty()) continue;
      const std::string& head = tokens[0].text;
      if (head == "init" && tokens.size() == 1) {
        mode = Mode::kInit;
        project.hasInit = true;
        continue;
      }
      if (head == "vars" && tokens.size() == 1) {
        mode = Mode::kVariables;
        project.hasVariables = true;
        continue;
      }
      if (head == "library" && tokens.size() == 1) {
        if (project.hasLibrary) throw Failure{LineError(line, "a second library")};
        project.hasLibrary = true;
        project.library.library = true;
        sections.push_back(CodeSection{&project.library, &project.libraryLabels, {}, {}, {}, line});
        mode = Mode::kCode;
        continue;
      }
      if (head == "scene" && tokens.size() >= 2) {
        std::string name = tokens[1].text;
        SceneEntry entry{name, 0, 0};
        if (tokens.size() == 5 && tokens[2].text == "flags") {
          entry.bitsA = uint16_t(ParseNumber(tokens[3].text).value_or(0));
          entry.bitsB = uint16_t(ParseNumber(tokens[4].text).value_or(0));
        } else if (tokens.size() != 2) {
          throw Failure{LineError(line, "scene NAME [flags A B]")};
        }
        generated.push_back(entry);
        if (project.scenes.size() == project.scenes.capacity()) throw Failure{LineError(line, "too many scenes")};
        project.scenes.push_back({name, ModuleFile{}});
        sections.push_back(
            CodeSection{&project.scenes.back().second, &project.sceneLabels[name], {}, {}, {}, line});
        mode = Mode::kCode;
        continue;
      }
      switch (mode) {
        case Mode::kNone: throw Failure{LineError(line, "expected init, vars, library or scene")};
        case Mode::kInit: {
          if (tokens.size() != 3) throw Failure{LineError(line, "expected NAME bitsA bitsB")};
          project.init.push_back({tokens[0].text, uint16_t(ParseNumber(tokens[1].text).value_or(0)),
                                  uint16_t(ParseNumber(tokens[2].text).value_or(0))});
          break;
        }
        case Mode::kVariables: VariableLine(tokens, line); break;
        case Mode::kCode: CodeLine(sections.back(), tokens, line); break;
      }
    }
    if (!project.hasInit) project.init = generated;
    ResolvePointers();
    for (CodeSection& section : sections) Layout(section);
    for (CodeSection& section : sections) Emit(section);
  }
};

}  // namespace

const char* OperationName(uint32_t operation) { return operation < 47 ? kOperationNames[operation] : "?"; }

bool Assemble(std::string_view text, Project& project, std::string& error) {
  project = Project{};
  Assembler assembler{project, {}, {}, {}};
  try {
    assembler.Run(text);
  } catch (const Failure& failure) {
    error = failure.message;
    return false;
  }
  return true;
}

std::vector<std::pair<std::string, Bytes>> ProjectFiles(const Project& project) {
  std::vector<std::pair<std::string, Bytes>> files;
  if (!project.init.empty() || project.hasInit) files.push_back({"SOB_INIT.DAT", WriteSceneTable(project.init)});
  if (project.hasVariables) files.push_back({"USER_VAR.SOB", WriteVariables(project.variables)});
  if (project.hasLibrary) files.push_back({"FUNC_LIB.SOB", WriteModule(project.library)});
  for (const auto& [name, module] : project.scenes) files.push_back({name + ".SOB", WriteModule(module)});
  return files;
}

Bytes ProjectFile(const Project& project, const std::string& name) {
  for (auto& [fileName, bytes] : ProjectFiles(project))
    if (fileName == name) return bytes;
  return {};
}

}  // namespace orrivel::sob
