#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ScriptTestSupport.h"
#include "VoiceInfoWriter.h"
#include "script/PackedBody.h"
#include "script/SobCursor.h"

namespace orrivel {
namespace {

using testing::HostWithDisk;

// Records: 0 a, 1 s, 2 t, 3 u, 4 v, 5 p, 6 big.
constexpr const char* kGame = R"(
vars
  int  a normal = 11
  int  s save = 22
  str  t save size 8 = "save"
  int  u autosave = 33
  str  v autosave size 12 = "auto"
  pstr p autosave = &a
  int  big autosave size 8 = 44
scene MAIN flags 8 8
  ret
)";

enum { kA, kS, kT, kU, kV, kP, kBig };

voiceinf::File Voices() {
  voiceinf::File file;
  file.extension = "ogg";
  file.entries = {{"AKI", std::nullopt, {"ak_", "aki"}},
                  {"BEN", std::string("BENJI"), {"bn"}},
                  {"MOB", std::string(), {}}};
  return file;
}

// The unpacked body of a saved file whose body starts at bodyStart, after
// its two u32 sizes and the header fields between them and the body.
std::vector<uint8_t> UnpackedBody(const std::vector<uint8_t>& file, size_t bodyStart) {
  SobCursor header(file.data(), file.size());
  const uint32_t storedSize = header.U32();
  const uint32_t unpackedSize = header.U32();
  std::vector<uint8_t> body;
  EXPECT_TRUE(UnpackBody(file.data() + bodyStart, storedSize, unpackedSize, body));
  return body;
}

// A saved file holding body and then extra as is: the two sizes, the header
// fields, then (for a state file, whose header ends with the selector) the
// checksum, and the body.
std::vector<uint8_t> StoredFile(const std::vector<uint8_t>& header, std::vector<uint8_t> body,
                                const std::vector<uint8_t>& extra = {}) {
  body.insert(body.end(), extra.begin(), extra.end());
  std::vector<uint8_t> file;
  for (uint32_t word : {uint32_t(body.size()), 0u})
    for (int i = 0; i < 4; ++i) file.push_back(uint8_t(word >> (8 * i)));
  file.insert(file.end(), header.begin(), header.end());
  if (!header.empty()) {
    uint8_t checksum = 0;
    for (uint8_t byte : body) checksum = uint8_t(checksum + byte);
    file.push_back(checksum);
  }
  file.insert(file.end(), body.begin(), body.end());
  return file;
}

TEST(ScriptHostFilesTest, VoiceTableIsReadWithItsPrefixes) {
  HostWithDisk f(kGame);
  f.disk.files["SCRIPT\\VOICEINF.DAT"] = voiceinf::Write(Voices());
  ASSERT_EQ(f.host.LoadVoiceInfo("SCRIPT\\VOICEINF.DAT"), 0);
  const VoiceTable& table = f.host.Voices();
  EXPECT_EQ(table.Extension(), "ogg");
  ASSERT_EQ(table.Entries().size(), 3u);
  EXPECT_EQ(table.Entries()[0].name, std::string("AKI", 4));  // copied as is, zero included
  EXPECT_FALSE(table.Entries()[0].secondName);
  EXPECT_EQ(table.Entries()[0].unheard, 0);
  EXPECT_EQ(table.Entries()[0].level, 256u);
  EXPECT_EQ(table.Entries()[0].enabled, 1);
  EXPECT_EQ(*table.Entries()[1].secondName, std::string("BENJI", 6));
  EXPECT_EQ(table.Entries()[1].unheard, 1);
  EXPECT_FALSE(table.Entries()[2].secondName);  // a lone zero: no name, but unheard
  EXPECT_EQ(table.Entries()[2].unheard, 1);
  ASSERT_EQ(table.Prefixes().size(), 3u);
  EXPECT_EQ(table.Prefixes()[2].prefix, "bn");
  EXPECT_EQ(table.Prefixes()[2].entry, 1u);
  EXPECT_EQ(table.FindEntryForCue("aki_0012"), 0);
  EXPECT_EQ(table.FindEntryForCue("bn0001"), 1);
  EXPECT_EQ(table.FindEntryForCue("zz"), -1);

  // A missing file leaves the table empty; so does a damaged one.
  EXPECT_EQ(f.host.LoadVoiceInfo("SCRIPT\\NONE.DAT"), 0);
  EXPECT_TRUE(table.Entries().empty());
  EXPECT_TRUE(table.Extension().empty());
}

TEST(ScriptHostFilesTest, DamagedVoiceTablesAreRefused) {
  const voiceinf::Bytes good = voiceinf::Write(Voices());
  VoiceTable table;
  for (size_t length = 0; length < good.size(); ++length)
    EXPECT_EQ(table.Read(good.data(), length), VoiceTable::kDamaged) << length;

  voiceinf::File fewer = Voices();
  fewer.prefixCount = 2;  // three prefixes follow
  voiceinf::File longExtension = Voices();
  longExtension.extension = "abcdefgh";  // 9 bytes with its zero
  voiceinf::Bytes unterminated = voiceinf::Write(Voices());
  unterminated[unterminated.size() - 1] = 'x';  // the last prefix loses its zero
  voiceinf::Bytes trailing = good;
  trailing.push_back(0);
  voiceinf::Bytes manyEntries = good;
  manyEntries[9] = 0xFF;  // entry count's high byte
  for (const voiceinf::Bytes& bytes :
       {voiceinf::Write(fewer), voiceinf::Write(longExtension), unterminated, trailing, manyEntries}) {
    EXPECT_EQ(table.Read(bytes.data(), bytes.size()), VoiceTable::kDamaged);
    EXPECT_TRUE(table.Entries().empty());
    EXPECT_TRUE(table.Prefixes().empty());
  }
  voiceinf::File more = Voices();
  more.prefixCount = 50;  // room for more than there are is fine
  const voiceinf::Bytes bytes = voiceinf::Write(more);
  EXPECT_EQ(table.Read(bytes.data(), bytes.size()), VoiceTable::kOk);
  EXPECT_EQ(table.Prefixes().size(), 3u);
}

TEST(ScriptHostFilesTest, VariableFileKeepsVoicesAndAutoSaveVariables) {
  HostWithDisk f(kGame);
  f.disk.files["SCRIPT\\VOICEINF.DAT"] = voiceinf::Write(Voices());
  ASSERT_EQ(f.host.LoadVoiceInfo("SCRIPT\\VOICEINF.DAT"), 0);
  f.host.SetSaveFolder("Z:\\save\\");
  EXPECT_EQ(f.host.SaveVariableFile(nullptr), 1);
  EXPECT_EQ(f.host.SaveAll(), 2);
  EXPECT_FALSE(f.host.SetVariableFileName(nullptr));
  ASSERT_TRUE(f.host.SetVariableFileName("USER.VAR"));
  f.host.Voices().Entries()[1].level = 100;
  f.host.Voices().Entries()[2].unheard = 0;
  f.SetStr(kV, "kept");
  f.SetInt(kS, 99);  // Save scope: not in the variable file
  f.disk.failWrites = true;
  EXPECT_EQ(f.host.SaveAll(), 3);
  f.disk.failWrites = false;
  EXPECT_EQ(f.host.SaveAll(), 0);
  EXPECT_EQ(f.disk.writes, 1);
  f.SetInt(kU, 1234);
  f.Restart();  // the destructor writes the file again with the last values
  EXPECT_EQ(f.disk.writes, 2);
  const std::vector<uint8_t> saved = f.disk.files.at("Z:\\save\\USER.VAR");

  HostWithDisk g(kGame);
  g.disk.files["SCRIPT\\VOICEINF.DAT"] = voiceinf::Write(Voices());
  g.host.LoadVoiceInfo("SCRIPT\\VOICEINF.DAT");
  g.disk.files["USER.VAR"] = saved;
  EXPECT_EQ(g.host.LoadVariableFile(nullptr), 1);  // no name
  EXPECT_EQ(g.host.LoadVariableFile("NONE.VAR"), 1);
  ASSERT_EQ(g.host.LoadVariableFile("USER.VAR"), 0);
  EXPECT_EQ(g.Int(kU), 1234u);
  EXPECT_EQ(g.Str(kV), "kept");
  EXPECT_EQ(g.Int(kS), 22u);
  EXPECT_EQ(g.host.Voices().Entries()[1].level, 100u);
  EXPECT_EQ(g.host.Voices().Entries()[2].unheard, 0);

  // Another voice table: the voices stay, the variables are still restored.
  HostWithDisk h(kGame);
  h.disk.files["USER.VAR"] = saved;
  voiceinf::File two = Voices();
  two.entries.pop_back();
  h.disk.files["SCRIPT\\VOICEINF.DAT"] = voiceinf::Write(two);
  h.host.LoadVoiceInfo("SCRIPT\\VOICEINF.DAT");
  ASSERT_EQ(h.host.LoadVariableFile("USER.VAR"), 0);
  EXPECT_EQ(h.host.Voices().Entries()[1].level, 256u);
  EXPECT_EQ(h.Int(kU), 1234u);

  // Every cut and a longer file are refused whole: their sizes do not fit.
  HostWithDisk k(kGame);
  for (size_t length = 0; length < saved.size(); ++length) {
    k.disk.files["CUT.VAR"].assign(saved.begin(), saved.begin() + std::ptrdiff_t(length));
    EXPECT_EQ(k.host.LoadVariableFile("CUT.VAR"), 2) << length;
  }
  std::vector<uint8_t> longer = saved;
  longer.push_back(0);
  k.disk.files["LONG.VAR"] = longer;
  EXPECT_EQ(k.host.LoadVariableFile("LONG.VAR"), 2);
  // A body that ends inside the voice fields.
  k.disk.files["VOICES.VAR"] = StoredFile({}, {3, 0, 0, 0, 1, 2, 3, 4, 5, 6});
  EXPECT_EQ(k.host.LoadVariableFile("VOICES.VAR"), 2);
  EXPECT_EQ(k.Int(kU), 33u);
  EXPECT_EQ(k.Str(kV), "auto");
}

// Every live variable of a host: ints as numbers, STR as their text, PSTR as *.
std::string Describe(const HostWithDisk& f) {
  std::string text;
  for (size_t i = 0; i < f.host.LiveRecords().size(); ++i) {
    const uint8_t kind = f.host.LiveRecords()[i].kind;
    if (!text.empty()) text += ' ';
    text += kind == kVariableInt ? std::to_string(f.Int(i)) : kind == kVariableStr ? f.Str(i) : "*";
  }
  return text;
}

// The same saved variables read by games whose variables changed since.
TEST(ScriptHostFilesTest, SavedVariablesRestoreAsFarAsTheyMatch) {
  HostWithDisk writer(kGame);
  writer.SetInt(kA, 1);
  writer.SetInt(kS, 2);
  writer.SetStr(kT, "two");
  writer.SetInt(kU, 3);
  writer.SetStr(kV, "three");
  writer.SetInt(kBig, 4);
  ASSERT_EQ(writer.host.SaveVariableFile("USER.VAR"), 0);
  ASSERT_EQ(writer.host.WriteStateFile("STATE.DAT", 2, 0, 0, false), 0);
  const std::vector<uint8_t> variableFile = writer.disk.files.at("USER.VAR");
  const std::vector<uint8_t> stateFile = writer.disk.files.at("STATE.DAT");
  // The same bodies with bytes after their last variable.
  const std::vector<uint8_t> longerVariableFile = StoredFile({}, UnpackedBody(variableFile, 8), {7, 7});
  const std::vector<uint8_t> longerStateFile =
      StoredFile({0, 0, 0, 0, 0, 0, 0, 0, 2}, UnpackedBody(stateFile, 18), {7, 7});

  const std::string same = kGame;
  const auto replaced = [&same](const std::string& from, const std::string& to) {
    std::string text = same;
    text.replace(text.find(from), from.size(), to);
    return text;
  };
  const std::string bigLine = "  int  big autosave size 8 = 44\n";
  const std::string oneMore = replaced(bigLine, bigLine + "  int  extra autosave = 5\n");
  const std::string oneFewer = replaced(bigLine, "");
  const std::string kindChanged = replaced("str  v autosave size 12 = \"auto\"", "int  v autosave size 12");
  struct Case {
    const char* what;
    std::string game;
    bool leftOver;  // the body gets bytes after its last variable
    // What the variable file (AutoSave: u v big) restores; it always answers 0.
    const char* variableFileGives;  // a s t u v p big [extra]
    int stateCode;                  // the state file holds every scope
    const char* stateFileGives;
  };
  const Case cases[] = {
      {"same variables", same, false, "11 22 save 3 three * 4", 0, "1 2 two 3 three * 4"},
      {"one more at the end", oneMore, false, "11 22 save 3 three * 4 5", 2, "1 2 two 3 three * 4 5"},
      {"one fewer at the end", oneFewer, false, "11 22 save 3 three *", 0, "1 2 two 3 three *"},
      {"a kind changed in the middle", kindChanged, false, "11 22 save 3 0 * 44", 2, "1 2 two 3 0 * 44"},
      {"bytes left over", same, true, "11 22 save 3 three * 4", 0, "1 2 two 3 three * 4"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    HostWithDisk reader(c.game.c_str());
    reader.disk.files["USER.VAR"] = c.leftOver ? longerVariableFile : variableFile;
    reader.disk.files["STATE.DAT"] = c.leftOver ? longerStateFile : stateFile;
    EXPECT_EQ(reader.host.LoadVariableFile("USER.VAR"), 0);
    EXPECT_EQ(Describe(reader), c.variableFileGives);
    reader.host.ResetVariables(0, 0);
    EXPECT_EQ(reader.host.ReadStateFile("STATE.DAT"), c.stateCode);
    EXPECT_EQ(Describe(reader), c.stateFileGives);
  }
}

TEST(ScriptHostFilesTest, StateFilesRoundTripWithTheirHeader) {
  HostWithDisk f(kGame);
  f.SetInt(kA, 7);
  f.SetStr(kT, "title");
  f.SetInt(kS, 500);
  struct WriteCase {
    const char* name;
    uint8_t selector;
    uint32_t headerInt, headerStr;
    int code;
  };
  const uint32_t intCell = f.Address(kA), strCell = f.Address(kT);
  const WriteCase writes[] = {
      {nullptr, 2, 0, 0, 1},
      {"S.DAT", 2, strCell, 0, 4},
      {"S.DAT", 2, 0, intCell, 4},
      {"S.DAT", 2, 999, 0, 4},
      {"S.DAT", 2, f.Address(kP), 0, 4},  // a PSTR is not an int
      {"NONE.DAT", 0, 0, 0, 0},           // Save scope: s and t
      {"S.DAT", 2, intCell, strCell, 0},
  };
  for (const WriteCase& w : writes)
    EXPECT_EQ(f.host.WriteStateFile(w.name, w.selector, w.headerInt, w.headerStr, false), w.code) << w.name;
  HostWithDisk noSave("vars\n  int x autosave\n");
  EXPECT_EQ(noSave.host.WriteStateFile("E.DAT", 0, 0, 0, false), 2);

  const std::vector<uint8_t> file = f.disk.files.at("S.DAT");
  SobCursor header(file.data(), file.size());
  header.Take(8);
  EXPECT_EQ(header.U32(), 4u);
  header.Take(4);
  EXPECT_EQ(header.U32(), 6u);  // "title" and its zero

  HostWithDisk g(kGame);
  g.disk.files = f.disk.files;
  // The header alone.
  EXPECT_EQ(g.host.ReadStateFileInfo("S.DAT", g.Address(kA), g.Address(kT)), 0);
  EXPECT_EQ(g.Int(kA), 7u);
  EXPECT_EQ(g.Str(kT), "title");
  EXPECT_EQ(g.Int(kS), 22u);
  EXPECT_EQ(g.host.ReadStateFileInfo("NONE.DAT", g.Address(kA), 0), 2);  // no header int in that file
  EXPECT_EQ(g.host.ReadStateFileInfo("NONE.DAT", 0, g.Address(kT)), 2);
  EXPECT_EQ(g.host.ReadStateFileInfo("S.DAT", g.Address(kT), 0), 3);
  EXPECT_EQ(g.host.ReadStateFileInfo("S.DAT", 0, 12345), 3);
  EXPECT_EQ(g.host.ReadStateFileInfo("MISSING.DAT", 0, 0), 1);
  EXPECT_EQ(g.host.ReadStateFileInfo(nullptr, 0, 0), 1);

  // The whole state.
  g.host.ClearVariables(0, 0);
  ASSERT_EQ(g.host.ReadStateFile("S.DAT"), 0);
  EXPECT_EQ(g.Int(kA), 7u);
  EXPECT_EQ(g.Int(kS), 500u);
  EXPECT_EQ(g.Str(kT), "title");
  EXPECT_EQ(g.Int(kP), 0u);  // PSTR never saved
  EXPECT_EQ(g.host.ReadStateFile(nullptr), 1);
  ASSERT_TRUE(g.host.SetVariableFileName("S.DAT"));  // no name: the variable file name
  EXPECT_EQ(g.host.ReadStateFile(nullptr), 0);
  EXPECT_TRUE(g.host.SetVariableFileName(""));

  // From the snapshot, which still holds the initial values.
  ASSERT_EQ(f.host.WriteStateFile("SNAP.DAT", 2, 0, 0, true), 0);
  g.disk.files = f.disk.files;
  ASSERT_EQ(g.host.ReadStateFile("SNAP.DAT"), 0);
  EXPECT_EQ(g.Int(kS), 22u);
  EXPECT_EQ(g.Str(kT), "save");
}

TEST(ScriptHostFilesTest, DamagedStateFilesChangeNothing) {
  HostWithDisk f(kGame);
  f.SetStr(kT, "title");
  // A body large enough to be packed.
  f.SetStr(kV, "aaaaaaaaaaa");
  ASSERT_EQ(f.host.WriteStateFile("S.DAT", 2, f.Address(kA), f.Address(kT), false), 0);
  const std::vector<uint8_t> good = f.disk.files.at("S.DAT");

  HostWithDisk g(kGame);
  auto expectUnchanged = [&g](const char* what) {
    EXPECT_EQ(g.Int(kA), 11u) << what;
    EXPECT_EQ(g.Str(kT), "save") << what;
    EXPECT_EQ(g.Str(kV), "auto") << what;
  };
  // Sizes, the int header (4 bytes) and the string header ("title" and its zero).
  const size_t headerEnd = 4 + 4 + 4 + 4 + 4 + 6;
  for (size_t length = 0; length < good.size(); ++length) {
    g.disk.files["CUT.DAT"].assign(good.begin(), good.begin() + std::ptrdiff_t(length));
    EXPECT_EQ(g.host.ReadStateFile("CUT.DAT"), 2) << length;
    expectUnchanged("cut");
    if (length < headerEnd) {
      EXPECT_EQ(g.host.ReadStateFileInfo("CUT.DAT", g.Address(kA), g.Address(kT)), ScriptHost::kStateFileDamaged)
          << length;
      expectUnchanged("cut header");
    }
  }
  // The header alone is enough for the header reader.
  g.disk.files["CUT.DAT"].assign(good.begin(), good.begin() + std::ptrdiff_t(headerEnd));
  EXPECT_EQ(g.host.ReadStateFileInfo("CUT.DAT", g.Address(kA), g.Address(kT)), 0);
  EXPECT_EQ(g.Str(kT), "title");
  g.host.ResetVariables(0, 0);

  const size_t bodyStart = good.size() - SobCursor(good.data(), 4).U32();
  std::vector<uint8_t> badChecksum = good;
  badChecksum[bodyStart - 1] ^= 0x01;
  std::vector<uint8_t> badBody = good;
  badBody[bodyStart] ^= 0x40;
  badBody[bodyStart - 1] = uint8_t(badBody[bodyStart - 1] + 0x40);  // keep the checksum right
  std::vector<uint8_t> longStr = good;
  longStr[12 + 4] = 200;  // header string size past the file
  for (auto [what, bytes] : {std::pair{"checksum", badChecksum}, std::pair{"body", badBody}}) {
    g.disk.files["BAD.DAT"] = bytes;
    EXPECT_EQ(g.host.ReadStateFile("BAD.DAT"), 2) << what;
    expectUnchanged(what);
  }
  g.disk.files["BAD.DAT"] = longStr;
  EXPECT_EQ(g.host.ReadStateFileInfo("BAD.DAT", 0, g.Address(kT)), ScriptHost::kStateFileDamaged);
  expectUnchanged("string size");

  // A header string longer than the variable's buffer is refused.
  HostWithDisk small("vars\n  int n save\n  str name save size 4\n");
  small.disk.files["S.DAT"] = good;
  EXPECT_EQ(small.host.ReadStateFileInfo("S.DAT", 0, small.Address(1)), 3);
  EXPECT_EQ(small.Str(1), "");
  // An int header larger than the variable is refused too.
  HostWithDisk wide("vars\n  int n save size 8 = 5\n  str name save size 8\n");
  ASSERT_EQ(wide.host.WriteStateFile("W.DAT", 0, wide.Address(0), 0, false), 0);
  f.disk.files["W.DAT"] = wide.disk.files.at("W.DAT");
  g.disk.files = f.disk.files;
  EXPECT_EQ(g.host.ReadStateFileInfo("W.DAT", g.Address(kA), 0), 3);
  EXPECT_EQ(g.Int(kA), 11u);
}

TEST(ScriptHostFilesTest, VariableSizes) {
  HostWithDisk f(kGame);
  f.SetStr(kV, "abc");
  struct Case {
    uint32_t intAddress, strAddress;
    int code;
    uint32_t intSize, strSize;
  };
  const Case cases[] = {
      {0, 0, -1, 0, 0},
      {f.Address(kBig), f.Address(kV), 0, 8, 4},
      {f.Address(kA), 0, 0, 4, 0},
      {0, f.Address(kT), 0, 0, 5},
      {f.Address(kT), 0, 1, 0, 0},
      {f.Address(kP), 0, 1, 0, 0},
      {0, f.Address(kA), 2, 0, 0},
      {77, 0, 3, 0, 0},
      {0, f.StrBuffer(kV), 3, 0, 0},
  };
  for (const Case& c : cases) {
    uint32_t intSize = 0, strSize = 0;
    EXPECT_EQ(f.host.GetVariableSizes(c.intAddress, c.strAddress, &intSize, &strSize), c.code);
    if (c.code == 0) {
      EXPECT_EQ(intSize, c.intSize);
      EXPECT_EQ(strSize, c.strSize);
    }
  }
  // Text that fills its buffer without a zero counts as cut to leave room for one.
  std::string full(12, 'x');
  f.host.Space().WriteBytes(f.StrBuffer(kV), full.data(), full.size());
  uint32_t strSize = 0;
  EXPECT_EQ(f.host.GetVariableSizes(0, f.Address(kV), nullptr, &strSize), 0);
  EXPECT_EQ(strSize, 12u);
}

}  // namespace
}  // namespace orrivel
