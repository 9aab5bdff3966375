#include "TobCompiler.h"

#include <cctype>
#include <map>
#include <optional>

#include "SobAssembler.h"
#include "base/Cp932.h"
#include "frame/TgsOpcodeTable.h"
#include "platform/TextCodec.h"

namespace orrivel::tob {

namespace {

constexpr uint32_t kMessageOpcode = 12;
constexpr uint8_t kTextOffsetTag = 0xFF;

// Names of the built-in commands of the text reader.
const std::map<std::string, uint32_t, std::less<>> kOpcodeNames = {
    {"nop", 4},  {"number", 5}, {"text", 6},     {"call", 7},
    {"jump", 8}, {"return", 9}, {"preload", 10}, {"unload", 11},
};

struct Failure {
  std::string message;
};

[[noreturn]] void Fail(int line, const std::string& what) {
  throw Failure{"line " + std::to_string(line) + ": " + what};
}

std::string_view Trim(std::string_view s) {
  while (!s.empty() && std::isspace(uint8_t(s.front()))) s.remove_prefix(1);
  while (!s.empty() && std::isspace(uint8_t(s.back()))) s.remove_suffix(1);
  return s;
}

std::optional<int64_t> ParseNumber(std::string_view text) {
  if (text.empty()) return std::nullopt;
  bool negative = text[0] == '-';
  if (negative) text.remove_prefix(1);
  int base = 10;
  if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
    base = 16;
    text.remove_prefix(2);
  }
  if (text.empty()) return std::nullopt;
  int64_t value = 0;
  for (char c : text) {
    int digit = std::isdigit(uint8_t(c)) ? c - '0' : std::isxdigit(uint8_t(c)) ? std::tolower(c) - 'a' + 10 : 99;
    if (digit >= base) return std::nullopt;
    value = value * base + digit;
    if (value > 0xFFFFFFFFll) return std::nullopt;
  }
  return negative ? -value : value;
}

Bytes ToCp932(std::string_view utf8, int line) {
  auto converted = platform::Utf8ToCp932(utf8);
  if (!converted) Fail(line, "text that has no CP932 form");
  return Bytes(converted->begin(), converted->end());
}

struct PendingOffset {
  size_t at;  // byte of the text where the offset goes
  std::string label;
  int line;
};

struct Compiler {
  Story& story;
  std::string varsText;  // sob "vars" lines, prefixed to every code fragment
  std::map<std::string, uint32_t> variableIndex;
  CompiledModule* module = nullptr;
  std::map<std::string, uint32_t> labels;
  std::vector<PendingOffset> pending;
  std::map<uint32_t, uint32_t> messagePoints;
  bool messagesGiven = false;

  Code Assemble(const std::string& code, int line) {
    sob::Project project;
    std::string error;
    std::string text = varsText.empty() ? std::string() : "vars\n" + varsText;
    text += "scene BLOCK\n" + code + "\n";
    if (!sob::Assemble(text, project, error)) Fail(line, "in code: " + error);
    Code out;
    out.code = project.scenes.at(0).second.code;
    for (int i = 0; i < 5; ++i) out.lists[i] = project.scenes.at(0).second.lists[i];
    return out;
  }

  void DeclareVariables() {
    if (varsText.empty()) return;
    sob::Project project;
    std::string error;
    if (!sob::Assemble("vars\n" + varsText, project, error)) throw Failure{"vars: " + error};
    variableIndex = project.variableIndex;
  }

  // "$name[element]" or "$N[element]".
  Operand Variable(std::string_view token, int line) {
    Operand operand;
    operand.kind = Operand::Kind::kVariable;
    const size_t open = token.find('[');
    std::string_view name = token.substr(1, open == std::string_view::npos ? std::string_view::npos : open - 1);
    if (open != std::string_view::npos) {
      if (token.back() != ']') Fail(line, "bad variable " + std::string(token));
      auto element = ParseNumber(token.substr(open + 1, token.size() - open - 2));
      if (!element || *element < 0) Fail(line, "bad element in " + std::string(token));
      operand.element = uint32_t(*element);
    }
    if (auto number = ParseNumber(name)) {
      operand.value = uint32_t(*number);
    } else {
      auto it = variableIndex.find(std::string(name));
      if (it == variableIndex.end()) Fail(line, "unknown variable " + std::string(name));
      operand.value = it->second;
    }
    return operand;
  }

  Operand ExpressionOperand(std::string_view token, int line) {
    std::string code(token.substr(1, token.size() - 2));
    for (char& c : code)
      if (c == '|') c = '\n';
    Operand operand;
    operand.kind = Operand::Kind::kExpression;
    operand.expression = Assemble(code, line);
    return operand;
  }

  // Splits the inside of "[ ... ]": strings, {expressions} and plain words.
  std::vector<std::string> Tokens(std::string_view inside, int line) {
    std::vector<std::string> tokens;
    size_t i = 0;
    while (i < inside.size()) {
      char c = inside[i];
      if (std::isspace(uint8_t(c)) || c == ',') {
        ++i;
        continue;
      }
      size_t start = i;
      if (c == '"') {
        std::string text = "\"";
        for (++i; i < inside.size() && inside[i] != '"'; ++i) {
          if (inside[i] == '\\' && i + 1 < inside.size()) {
            char e = inside[++i];
            text += e == 'n' ? '\n' : e;
          } else {
            text += inside[i];
          }
        }
        if (i >= inside.size()) Fail(line, "unterminated string");
        ++i;
        tokens.push_back(text + "\"");
        continue;
      }
      if (c == '{') {
        size_t close = inside.find('}', i);
        if (close == std::string_view::npos) Fail(line, "unterminated {expression}");
        i = close + 1;
      } else {
        while (i < inside.size() && !std::isspace(uint8_t(inside[i])) && inside[i] != ',') ++i;
      }
      tokens.emplace_back(inside.substr(start, i - start));
    }
    return tokens;
  }

  Operand Argument(const std::string& token, int line) {
    Operand operand;
    if (token == "_") return operand;
    if (token.front() == '"') {
      operand.kind = Operand::Kind::kString;
      operand.string = ToCp932(std::string_view(token).substr(1, token.size() - 2), line);
      return operand;
    }
    if (token.front() == '$') return Variable(token, line);
    if (token.front() == '{') return ExpressionOperand(token, line);
    if (token.front() == '@') {
      operand.kind = Operand::Kind::kConstant;
      operand.tag = kTextOffsetTag;
      pending.push_back({0, token.substr(1), line});  // Command finds where it lands
      return operand;
    }
    if (token.front() == '=') {
      auto number = ParseNumber(std::string_view(token).substr(1));
      if (!number) Fail(line, "bad hidden value " + token);
      operand.kind = Operand::Kind::kHidden;
      operand.value = uint32_t(*number);
      return operand;
    }
    auto number = ParseNumber(token);
    if (!number) Fail(line, "bad argument " + token);
    operand.kind = Operand::Kind::kConstant;
    operand.value = uint32_t(*number);
    return operand;
  }

  void Command(std::string_view inside, int line) {
    Bytes& text = module->module.text;
    const uint32_t blockStart = uint32_t(text.size());
    std::vector<std::string> tokens = Tokens(inside, line);
    if (tokens.empty()) Fail(line, "empty command");
    int64_t opcode = OpcodeNumber(tokens[0]);
    if (opcode < 0) {
      auto number = ParseNumber(tokens[0]);
      if (!number || *number < 0) Fail(line, "unknown command " + tokens[0]);
      opcode = *number;
    }
    size_t next = 1;
    Operand condition;
    if (tokens.size() > 2 && tokens[1] == "if") {
      const std::string& c = tokens[2];
      if (c.front() == '$') condition = Variable(c, line);
      else if (c.front() == '{') condition = ExpressionOperand(c, line);
      else {
        auto number = ParseNumber(c);
        if (!number) Fail(line, "bad condition " + c);
        condition.kind = Operand::Kind::kConstant;
        condition.value = uint32_t(*number);
      }
      next = 3;
    }
    // Text offsets are patched once every label is known: remember where
    // each one lands inside the block.
    std::vector<Operand> arguments;
    std::vector<size_t> offsetArguments;
    for (size_t i = next; i < tokens.size(); ++i) {
      const size_t before = pending.size();
      arguments.push_back(Argument(tokens[i], line));
      if (pending.size() != before) offsetArguments.push_back(arguments.size() - 1);
    }
    if (opcode == kMessageOpcode && !arguments.empty() && arguments[0].kind == Operand::Kind::kConstant) {
      if (messagePoints.count(arguments[0].value)) Fail(line, "message id given twice");
      messagePoints[arguments[0].value] = blockStart;
    }
    Bytes block = InlineBlock(uint32_t(opcode), condition, arguments);
    // Each text-offset argument is tag 0xFF, kind 0, then its u32: find them
    // by encoding the block again with a marker value.
    for (size_t k = 0; k < offsetArguments.size(); ++k) {
      std::vector<Operand> marked = arguments;
      marked[offsetArguments[k]].value = 0xFFFFFFFFu;
      Bytes probe = InlineBlock(uint32_t(opcode), condition, marked);
      for (size_t b = 0; b < probe.size(); ++b)
        if (probe[b] != block[b]) {
          pending[pending.size() - offsetArguments.size() + k].at = blockStart + 2 + b;
          break;
        }
    }
    text.push_back('[');
    text.push_back(' ');
    AppendBytes(text, block);
  }

  void ScriptCode(const std::string& code, int line) {
    Bytes& text = module->module.text;
    text.push_back('[');
    text.push_back('s');
    AppendBytes(text, ScriptBlock(Assemble(code, line)));
  }

  // A text line with its "[ ... ]" commands; a "[s" that ends the line opens
  // a script block that runs to a line holding only "]".
  bool TextLine(std::string_view raw, int line) {
    size_t i = 0;
    std::string plain;
    auto flush = [&] {
      if (!plain.empty()) AppendBytes(module->module.text, ToCp932(plain, line));
      plain.clear();
    };
    while (i < raw.size()) {
      if (raw[i] == '\\' && i + 1 < raw.size()) {
        plain += raw[i + 1] == 'n' ? '\n' : raw[i + 1];
        i += 2;
        continue;
      }
      if (raw[i] != '[') {
        plain += raw[i++];
        continue;
      }
      flush();
      if (raw.substr(i) == "[s" || Trim(raw.substr(i)) == "[s") return true;
      if (i + 1 < raw.size() && raw[i + 1] == 's' && i + 2 < raw.size() && raw[i + 2] == ' ') {
        size_t close = raw.find(']', i);
        if (close == std::string_view::npos) Fail(line, "unterminated [s");
        std::string code(raw.substr(i + 3, close - i - 3));
        for (char& c : code)
          if (c == '|') c = '\n';
        ScriptCode(code, line);
        i = close + 1;
        continue;
      }
      size_t close = CommandEnd(raw, i + 1, line);
      Command(raw.substr(i + 1, close - i - 1), line);
      i = close + 1;
    }
    flush();
    return false;
  }

  static size_t CommandEnd(std::string_view raw, size_t i, int line) {
    bool inString = false, inExpression = false;
    int depth = 0;  // "[element]" of a variable
    for (; i < raw.size(); ++i) {
      char c = raw[i];
      if (inString) {
        if (c == '\\') ++i;
        else if (c == '"') inString = false;
      } else if (inExpression) {
        if (c == '}') inExpression = false;
      } else if (c == '"') {
        inString = true;
      } else if (c == '{') {
        inExpression = true;
      } else if (c == '[') {
        ++depth;
      } else if (c == ']') {
        if (depth == 0) return i;
        --depth;
      }
    }
    Fail(line, "unterminated [command]");
  }

  void FinishModule() {
    if (!module) return;
    module->module.text.push_back(0);
    for (const PendingOffset& p : pending) {
      auto it = labels.find(p.label);
      if (it == labels.end()) Fail(p.line, "unknown label @" + p.label);
      for (int b = 0; b < 4; ++b) module->module.text[p.at + b] = uint8_t(it->second >> (8 * b));
    }
    uint32_t count = messagePoints.empty() ? 0 : messagePoints.rbegin()->first + 1;
    module->module.resumePoints.assign(count, 0);
    for (auto [id, at] : messagePoints) module->module.resumePoints[id] = at;
    if (!messagesGiven) module->messages = count;
    module = nullptr;
    labels.clear();
    pending.clear();
    messagePoints.clear();
  }

  void ModuleLine(const std::vector<std::string>& words, int line) {
    FinishModule();
    if (words.size() < 2) Fail(line, "module NAME [tob0|tob1] [messages N] [choices N]");
    CompiledModule& compiled = story.modules.emplace_back();
    compiled.name = words[1];
    messagesGiven = false;
    for (size_t i = 2; i < words.size(); ++i) {
      if (words[i] == "tob0" || words[i] == "tob1") {
        compiled.module.tob1 = words[i] == "tob1";
      } else if ((words[i] == "messages" || words[i] == "choices") && i + 1 < words.size()) {
        auto number = ParseNumber(words[i + 1]);
        if (!number || *number < 0) Fail(line, "bad count");
        (words[i] == "messages" ? compiled.messages : compiled.choices) = uint32_t(*number);
        messagesGiven = messagesGiven || words[i] == "messages";
        ++i;
      } else {
        Fail(line, "unexpected " + words[i]);
      }
    }
    module = &compiled;
  }

  static std::vector<std::string> Words(std::string_view s) {
    std::vector<std::string> words;
    size_t i = 0;
    while (i < s.size()) {
      while (i < s.size() && std::isspace(uint8_t(s[i]))) ++i;
      size_t start = i;
      while (i < s.size() && !std::isspace(uint8_t(s[i]))) ++i;
      if (i > start) words.emplace_back(s.substr(start, i - start));
    }
    return words;
  }

  void Run(std::string_view source) {
    enum class Mode { kNone, kVars, kText } mode = Mode::kNone;
    story.modules.reserve(1024);
    std::optional<std::string> scriptCode;
    int scriptLine = 0;
    int line = 0;
    size_t pos = 0;
    while (pos <= source.size()) {
      size_t end = source.find('\n', pos);
      if (end == std::string_view::npos) end = source.size();
      std::string_view raw = source.substr(pos, end - pos);
      if (!raw.empty() && raw.back() == '\r') raw.remove_suffix(1);
      pos = end + 1;
      ++line;
      const std::string_view trimmed = Trim(raw);
      if (scriptCode) {
        if (trimmed == "]") {
          ScriptCode(*scriptCode, scriptLine);
          scriptCode.reset();
        } else {
          *scriptCode += std::string(raw) + "\n";
        }
        continue;
      }
      if (trimmed.empty() || trimmed[0] == '#') continue;
      const std::vector<std::string> words = Words(trimmed);
      if (words[0] == "vars" && words.size() == 1) {
        if (!story.modules.empty()) Fail(line, "vars must come before the first module");
        mode = Mode::kVars;
        continue;
      }
      if (words[0] == "module") {
        if (mode == Mode::kVars) DeclareVariables();
        ModuleLine(words, line);
        mode = Mode::kText;
        continue;
      }
      if (mode == Mode::kVars) {
        varsText += std::string(raw) + "\n";
        continue;
      }
      if (mode == Mode::kNone) Fail(line, "expected vars or module");
      if (words[0] == "label" && words.size() == 2 && words[1].size() > 1 && words[1].back() == ':') {
        std::string name = words[1].substr(0, words[1].size() - 1);
        const uint32_t at = uint32_t(module->module.text.size());
        // The first of two equal labels is the one found; keep both.
        labels.emplace(name, at);
        module->module.labels.push_back({name, at});
        continue;
      }
      if (TextLine(trimmed, line)) {
        scriptCode = std::string();
        scriptLine = line;
      }
    }
    if (scriptCode) Fail(scriptLine, "[s without its closing ]");
    FinishModule();
  }
};

}  // namespace

int32_t OpcodeNumber(std::string_view name) {
  auto it = kOpcodeNames.find(name);
  if (it != kOpcodeNames.end()) return int32_t(it->second);
  // The frame's own table names the opcodes its handlers serve.
  return TgsOpcodeNumber(name);
}

bool Compile(std::string_view text, Story& story, std::string& error) {
  story = Story{};
  Compiler compiler{story, {}, {}, nullptr, {}, {}, {}, false};
  try {
    compiler.Run(text);
  } catch (const Failure& failure) {
    error = failure.message;
    return false;
  }
  return true;
}

std::vector<std::pair<std::string, Bytes>> StoryFiles(const Story& story) {
  std::vector<std::pair<std::string, Bytes>> files;
  std::vector<ScriptRecord> records;
  for (const CompiledModule& compiled : story.modules) {
    const std::string name = cp932::ToUpper(compiled.name);
    files.push_back({name + ".TOB", WriteModule(compiled.module)});
    records.push_back({name, compiled.messages, compiled.choices});
  }
  files.push_back({"TGS_INIT.DAT", WriteScriptTable(records)});
  return files;
}

}  // namespace orrivel::tob
