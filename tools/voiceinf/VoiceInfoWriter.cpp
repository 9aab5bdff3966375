#include "VoiceInfoWriter.h"

#include <sstream>

namespace orrivel::voiceinf {

namespace {

void PutU32(Bytes& out, uint32_t value) {
  for (int i = 0; i < 4; ++i) out.push_back(uint8_t(value >> (8 * i)));
}

// u8 length (text + its zero), the text, the zero.
void PutText(Bytes& out, const std::string& text) {
  out.push_back(uint8_t(text.size() + 1));
  out.insert(out.end(), text.begin(), text.end());
  out.push_back(0);
}

}  // namespace

Bytes Write(const File& file) {
  Bytes out;
  PutText(out, file.extension);
  uint32_t total = 0;
  for (const Entry& entry : file.entries) total += uint32_t(entry.prefixes.size());
  PutU32(out, file.prefixCount.value_or(total));
  PutU32(out, uint32_t(file.entries.size()));
  for (const Entry& entry : file.entries) {
    PutText(out, entry.name);
    if (entry.secondName) PutText(out, *entry.secondName);
    else out.push_back(0);
    PutU32(out, uint32_t(entry.prefixes.size()));
    for (const std::string& prefix : entry.prefixes) PutText(out, prefix);
  }
  return out;
}

bool Parse(std::string_view text, File& file, std::string& error) {
  file = File{};
  std::istringstream lines{std::string(text)};
  std::string line;
  int number = 0;
  while (std::getline(lines, line)) {
    ++number;
    line = line.substr(0, line.find('#'));
    std::istringstream words(line);
    std::string head;
    if (!(words >> head)) continue;
    auto fail = [&](const std::string& why) {
      error = "line " + std::to_string(number) + ": " + why;
      return false;
    };
    if (head == "ext") {
      if (!(words >> file.extension)) return fail("ext takes an extension");
      if (file.extension.size() > 7) return fail("an extension has at most 7 characters");
      continue;
    }
    if (head != "entry") return fail("expected ext or entry");
    Entry entry;
    if (!(words >> entry.name)) return fail("entry takes a name");
    std::string word;
    while (words >> word) {
      if (word == "second") {
        std::string second;
        if (!(words >> second)) return fail("second takes a name");
        entry.secondName = second;
      } else if (word == "unheard") {
        entry.secondName = std::string();
      } else {
        entry.prefixes.push_back(word);
      }
    }
    for (const std::string& field : entry.prefixes)
      if (field.size() > 254) return fail("a prefix has at most 254 bytes");
    if (entry.name.size() > 254) return fail("a name has at most 254 bytes");
    file.entries.push_back(std::move(entry));
  }
  return true;
}

}  // namespace orrivel::voiceinf
