// Damaged modules and script tables: each made sound with the tob writers,
// then cut or patched, and refused without reading outside the data.
#include <gtest/gtest.h>

#include <functional>

#include "TgsTestSupport.h"
#include "frame/TobImage.h"

namespace orrivel {
namespace {

// Label entry "START" at text offset 1, two resume points, and a text with
// an inline command and a script block.
tob::Module SoundModule() {
  tob::Module m;
  m.labels = {{"START", 1}};
  m.resumePoints = {0, 2};
  tob::Operand condition;
  tob::Operand argument;
  argument.kind = tob::Operand::Kind::kString;
  argument.string = {'h', 'i'};
  const std::string head = "a\x82\xA0";
  m.text.assign(head.begin(), head.end());
  m.text.push_back('[');
  m.text.push_back(' ');
  tob::AppendBytes(m.text, tob::InlineBlock(20, condition, {argument}));
  m.text.push_back('[');
  m.text.push_back('s');
  tob::Code code;
  code.code = {0, 0, 0, 0};
  code.lists[4].push_back({0, 0});
  tob::AppendBytes(m.text, tob::ScriptBlock(code));
  m.text.push_back('z');
  m.text.push_back(0);
  return m;
}

// L, 4 code bytes, the bound flag, the list size, 5 counts and one entry.
constexpr size_t kScriptBlockBytes = 4 + 4 + 1 + 4 + 5 * 4 + 8;

void PutU32At(std::vector<uint8_t>& bytes, size_t at, uint32_t value) {
  for (int b = 0; b < 4; ++b) bytes[at + b] = uint8_t(value >> (8 * b));
}

TEST(TobDamage, RefusedModules) {
  const tob::Module sound = SoundModule();
  const std::vector<uint8_t> good = tob::WriteModule(sound);
  TobLayout layout;
  ASSERT_EQ(TobImage::Parse(good.data(), good.size(), layout), TobImage::kOk);
  ASSERT_EQ(layout.labelCount, 1u);
  const size_t label = 12;                // its length byte
  const size_t labelOffset = label + 7;   // after "START\0"
  const size_t s2 = layout.labelsEnd;     // S2 field
  const size_t text = layout.textOffset;
  const size_t inlineR = text + 3 + 2 + 4 + 1;  // after "a", the two-byte character, "[ ", opcode, kind

  using Patch = std::function<void(std::vector<uint8_t>&)>;
  struct Case {
    const char* what;
    Patch patch;
  } cases[] = {
      {"cut inside the header", [](auto& b) { b.resize(10); }},
      {"S1 past the end", [](auto& b) { PutU32At(b, 4, 0x7FFFFFF0); }},
      {"S1 below its own fields", [](auto& b) { PutU32At(b, 4, 4); }},
      {"S2 past the end", [&](auto& b) { PutU32At(b, s2, uint32_t(b.size())); }},
      {"label count above the entries", [](auto& b) { PutU32At(b, 8, 2); }},
      {"label length past its block", [&](auto& b) { b[label] = 200; }},
      {"label without its NUL", [&](auto& b) { b[label + 6] = 'X'; }},
      {"label offset outside the text", [&](auto& b) { PutU32At(b, labelOffset, layout.textSize); }},
      {"R past the block", [&](auto& b) { PutU32At(b, s2 + 4, 3); }},
      {"R huge", [&](auto& b) { PutU32At(b, s2 + 4, 0x40000001); }},
      {"resume point outside the text", [&](auto& b) { PutU32At(b, s2 + 12, 0xFFFFFFFF); }},
      {"text without a NUL", [](auto& b) { b.back() = 'x'; }},
      {"text cut", [&](auto& b) { b.resize(text); }},
      {"lone lead byte before the final NUL", [](auto& b) { b[b.size() - 2] = 0x82; }},
      {"inline block past the text", [&](auto& b) { PutU32At(b, inlineR, 0x1000); }},
      {"unknown condition kind", [&](auto& b) { b[inlineR - 1] = 7; }},
      {"relocation list count past its lists", [](auto& b) { b[b.size() - 2 - 8 - 4 - 4] = 2; }},
      {"script block past the text", [](auto& b) { PutU32At(b, b.size() - 2 - kScriptBlockBytes, 0x7FFFFFFF); }},
  };
  for (const Case& c : cases) {
    std::vector<uint8_t> bytes = good;
    c.patch(bytes);
    // The exact size: ASan sees any read past it.
    std::unique_ptr<uint8_t[]> exact(new uint8_t[bytes.size()]);
    std::copy(bytes.begin(), bytes.end(), exact.get());
    EXPECT_EQ(TobImage::Parse(exact.get(), bytes.size(), layout), TobImage::kNotModule) << c.what;

    TgsFixture f;
    f.disk.Put("SCRIPT\\BAD.TOB", bytes);
    const uint64_t used = f.space.UsedBytes();
    EXPECT_EQ(f.module.LoadScript("BAD", TgsModule::Placement::kResident), 2) << c.what;
    EXPECT_EQ(f.module.ResidentCount(), 0u) << c.what;
    EXPECT_EQ(f.space.UsedBytes(), used) << c.what;
  }
}

TEST(TobDamage, BlockSizes) {
  const tob::Module sound = SoundModule();
  const std::vector<uint8_t> bytes = tob::WriteModule(sound);
  TobLayout layout;
  ASSERT_EQ(TobImage::Parse(bytes.data(), bytes.size(), layout), TobImage::kOk);
  const uint8_t* block = bytes.data() + layout.textOffset + 5;
  // opcode 4, kind 1, R 4, count 1, tag 1, kind 1, u16 3, "hi\0".
  EXPECT_EQ(TobImage::InlineBlockSize(block, 64), 4u + 1 + 4 + 1 + 1 + 1 + 2 + 3);
  EXPECT_EQ(TobImage::InlineBlockSize(block, 10), 0u);
  EXPECT_EQ(TobImage::ResumePoint(bytes.data(), layout, 1), 2);
  EXPECT_EQ(TobImage::LookupLabel(bytes.data(), layout, "START"), 1);
}

TEST(TobDamage, ScriptTableCutInsideRecord) {
  const std::vector<uint8_t> good = tob::WriteScriptTable({{"MAIN", 10, 2}, {"SUB", 3, 0}});
  TgsFixture f;
  f.disk.Put("SCRIPT\\TGS_INIT.DAT", good);
  ASSERT_EQ(f.module.LoadInit("TGS_INIT.DAT"), 0);
  ASSERT_EQ(f.module.ScriptTable().Count(), 2u);
  EXPECT_EQ(f.module.ScriptTable().entries[0].a.BitCount(), 10u);
  EXPECT_EQ(f.module.ScriptTable().entries[0].name, std::string("MAIN", 5));
  for (size_t cut = 1; cut < good.size(); ++cut) {
    std::vector<uint8_t> bytes(good.begin(), good.begin() + std::ptrdiff_t(cut));
    f.disk.Put("SCRIPT\\CUT.DAT", bytes);
    EXPECT_EQ(f.module.LoadInit("CUT.DAT"), 2) << cut;
    EXPECT_EQ(f.module.ScriptTable().Count(), 2u) << cut;  // the table stays as it was
  }
  std::vector<uint8_t> lying = good;
  PutU32At(lying, 0, 0x7FFFFFFF);
  f.disk.Put("SCRIPT\\LIE.DAT", lying);
  EXPECT_EQ(f.module.LoadInit("LIE.DAT"), 2);
  EXPECT_EQ(f.module.LoadInit("MISSING.DAT"), 1);
  f.disk.Put("SCRIPT\\EMPTY.DAT", tob::WriteScriptTable({}));
  EXPECT_EQ(f.module.LoadInit("EMPTY.DAT"), 0);
  EXPECT_FALSE(f.module.ScriptTable().Exists());
}

}  // namespace
}  // namespace orrivel
