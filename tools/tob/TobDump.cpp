#include <cstdio>
#include <cstring>
#include <string>

#include "TobCompiler.h"
#include "frame/TobImage.h"
#include "platform/TextCodec.h"
#include "script/PackedBody.h"
#include "script/SobCursor.h"

namespace orrivel::tob {

namespace {

std::string Format(const char* format, uint64_t a, uint64_t b = 0, uint64_t c = 0) {
  char line[128];
  std::snprintf(line, sizeof line, format, (unsigned long long)a, (unsigned long long)b, (unsigned long long)c);
  return line;
}

std::string Printable(const uint8_t* bytes, size_t n) {
  return platform::Cp932ToUtf8Lossy(std::string_view(reinterpret_cast<const char*>(bytes), n));
}

std::string DumpModule(const Bytes& file) {
  TobLayout layout;
  if (TobImage::Parse(file.data(), file.size(), layout) != TobImage::kOk) return "not a sound module\n";
  std::string out = layout.hasResumeTable ? "module TOB1\n" : "module TOB0\n";
  out += Format("text offset %llu, text size %llu\n", layout.textOffset, layout.textSize);
  uint64_t at = layout.labelsOffset;
  for (uint32_t i = 0; i < layout.labelCount; ++i) {
    const char* name = reinterpret_cast<const char*>(file.data() + at + 1);
    out += "label " + std::string(name) + Format(" at %llu\n", TobImage::LookupLabel(file.data(), layout, name));
    at += 1 + uint64_t(file[at]);
  }
  for (uint32_t n = 0; n < layout.resumeCount; ++n)
    out += Format("message %llu at %llu\n", n, SobCursor(file.data() + layout.resumeOffset + 4 * n, 4).U32());
  // The text as the reader walks it: runs of the characters it shows (two-
  // byte characters whole, "[[" as the "[" it shows), each block by its
  // place and size, and every NUL byte by its place.
  const uint8_t* text = file.data() + layout.textOffset;
  const uint64_t size = layout.textSize;
  const uint64_t last = size - 1;
  std::string run;
  auto flush = [&] {
    if (!run.empty()) out += "text \"" + Printable(reinterpret_cast<const uint8_t*>(run.data()), run.size()) + "\"\n";
    run.clear();
  };
  for (uint64_t i = 0; i < last;) {
    const TobTextItem item = TobImage::TextItemAt(text, size, i);
    switch (item.kind) {
      case TobTextItem::Kind::kCharacter:
        run.append(reinterpret_cast<const char*>(text + item.character), size_t(item.characterBytes));
        i = item.next;
        break;
      case TobTextItem::Kind::kNul:
        flush();
        out += Format("[%llu] NUL\n", i);
        i = item.next;
        break;
      case TobTextItem::Kind::kDroppedBracket: i = item.next; break;
      case TobTextItem::Kind::kInlineBlock:
      case TobTextItem::Kind::kScriptBlock: {
        flush();
        const bool inlineBlock = item.kind == TobTextItem::Kind::kInlineBlock;
        const uint64_t body = item.next;
        const uint64_t blockSize = inlineBlock ? TobImage::InlineBlockSize(text + body, last - body)
                                               : TobImage::ScriptBlockSize(text + body, last - body);
        if (inlineBlock)
          out += Format("[%llu] command %llu, %llu bytes\n", i, SobCursor(text + body, 4).U32(), blockSize);
        else
          out += Format("[%llu] script block, %llu bytes\n", i, blockSize);
        i = body + blockSize;
        break;
      }
    }
  }
  flush();
  out += Format("[%llu] end\n", last);
  return out;
}

std::string DumpReadFlags(const Bytes& file) {
  SobCursor header(file.data(), file.size());
  header.Take(4);
  const uint32_t stored = header.U32();
  const uint32_t unpacked = header.U32();
  const uint32_t count = header.U32();
  const uint8_t* body = header.Take(stored);
  std::vector<uint8_t> records;
  if (!header.Ok() || !UnpackBody(body, stored, unpacked, records)) return "damaged TEXT_LOG.DAT\n";
  std::string out = Format("TEXT_LOG.DAT: %llu records\n", count);
  SobCursor cursor(records.data(), records.size());
  for (uint32_t i = 0; i < count && cursor.Ok(); ++i) {
    const uint8_t length = cursor.U8();
    const uint8_t* name = cursor.Take(length);
    uint64_t counts[4] = {};
    uint64_t set[2] = {};
    for (int k = 0; k < 2; ++k) {
      counts[2 * k] = cursor.U32();
      counts[2 * k + 1] = cursor.U32();
      const uint8_t* bits = cursor.Take(counts[2 * k + 1]);
      for (uint64_t b = 0; bits && b < counts[2 * k + 1]; ++b) set[k] += __builtin_popcount(bits[b]);
    }
    if (!cursor.Ok()) return out + "damaged record\n";
    std::string shown = Printable(name, length ? std::strlen(reinterpret_cast<const char*>(name)) : 0);
    out += shown + Format(": read %llu of %llu", set[0], counts[0]) +
           Format(", choices %llu of %llu\n", set[1], counts[2]);
  }
  return out;
}

std::string DumpScriptTable(const Bytes& file) {
  SobCursor cursor(file.data(), file.size());
  const uint32_t count = cursor.U32();
  std::string out = Format("TGS_INIT.DAT: %llu scripts\n", count);
  for (uint32_t i = 0; i < count; ++i) {
    const uint8_t length = cursor.U8();
    const uint8_t* name = cursor.Take(length);
    const uint32_t messages = cursor.U32();
    const uint32_t choices = cursor.U32();
    if (!cursor.Ok()) return out + "cut inside a record\n";
    out += Printable(name, length ? std::strlen(reinterpret_cast<const char*>(name)) : 0) +
           Format(": %llu messages, %llu choices\n", messages, choices);
  }
  return out;
}

}  // namespace

std::string Dump(const Bytes& file) {
  if (file.size() >= 4 && std::memcmp(file.data(), "TOB", 3) == 0) return DumpModule(file);
  if (file.size() >= 4 && std::memcmp(file.data(), "TSLG", 4) == 0) return DumpReadFlags(file);
  return DumpScriptTable(file);
}

}  // namespace orrivel::tob
