#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ScriptTestSupport.h"
#include "script/ByteWriter.h"
#include "script/ScriptHost.h"

namespace orrivel {
namespace {

using testing::HostWithDisk;

// Records in this order: 0 a, 1 s, 2 t, 3 u, 4 v, 5 p, 6 w.
constexpr const char* kVariables = R"(
vars
  int  a normal = 11
  int  s save = 22
  str  t save size 8 = "save"
  int  u autosave = 33
  str  v autosave size 12 = "auto"
  pstr p save = &a
  int  w autosave size 8 = 44
scene MAIN flags 16 8
  ret
scene SUB flags 4 4
  ret
scene SHARED flags 8 8
  ret
)";

enum { kA, kS, kT, kU, kV, kP, kW, kCount };

// Which variables still hold their initial value.
std::string Untouched(const HostWithDisk& f) {
  std::string mask;
  mask += f.Int(kA) == 11 ? 'a' : '-';
  mask += f.Int(kS) == 22 ? 's' : '-';
  mask += f.Str(kT) == "save" ? 't' : '-';
  mask += f.Int(kU) == 33 ? 'u' : '-';
  mask += f.Str(kV) == "auto" ? 'v' : '-';
  mask += f.Int(kP) != 0 ? 'p' : '-';
  mask += f.Int(kW) == 44 ? 'w' : '-';
  return mask;
}

TEST(ScriptVariablesTest, ClearSelectsByScopeAndKind) {
  struct Case {
    uint32_t scope, kind;
    const char* left;
  };
  const Case cases[] = {
      {0, 0, "-------"}, {1, 0, "-stuvpw"}, {2, 0, "a--uv-w"}, {3, 0, "ast--p-"}, {0, 1, "--t-vp-"},
      {0, 2, "as-u-pw"}, {0, 3, "astuv-w"}, {2, 2, "as-uvpw"}, {3, 1, "ast-vp-"}, {0, 4, "astuvpw"},
      {4, 0, "astuvpw"}, {0, 0xFFFFFFFF, "astuvpw"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << "scope " << c.scope << " kind " << c.kind);
    HostWithDisk f(kVariables);
    ASSERT_EQ(Untouched(f), "astuvpw");
    f.host.ClearVariables(c.scope, c.kind);
    EXPECT_EQ(Untouched(f), c.left);
  }
}

TEST(ScriptVariablesTest, ResetSnapshotAndRestoreCopyTheSelectedVariables) {
  HostWithDisk f(kVariables);
  f.SetInt(kS, 1000);
  f.SetStr(kT, "snap");
  f.SetInt(kU, 2000);
  EXPECT_EQ(f.host.StoreSnapshot(2, 0), 0);  // Save scope only: s, t and p
  f.SetInt(kS, 1);
  f.SetStr(kT, "x");
  f.SetInt(kU, 2);
  EXPECT_EQ(f.host.RestoreSnapshot(0, 0), 0);
  EXPECT_EQ(f.Int(kS), 1000u);
  EXPECT_EQ(f.Str(kT), "snap");
  EXPECT_EQ(f.Int(kU), 33u);  // the snapshot still held u's initial value

  // One variable at a time, by its address (the cell for STR).
  f.SetStr(kV, "one");
  f.SetInt(kA, 5);
  EXPECT_EQ(f.host.StoreVariableSnapshot(f.Address(kV)), 0);
  f.SetStr(kV, "two");
  EXPECT_EQ(f.host.RestoreSnapshot(0, 2), 0);
  EXPECT_EQ(f.Str(kV), "one");
  EXPECT_EQ(f.Int(kA), 5u);
  EXPECT_EQ(f.host.StoreVariableSnapshot(f.StrBuffer(kV)), 2);  // the characters are not the variable

  EXPECT_EQ(f.host.ResetVariables(0, 0), 0);
  EXPECT_EQ(Untouched(f), "astuvpw");
  // The three images are separate: the reset did not touch the snapshot.
  EXPECT_EQ(f.host.RestoreSnapshot(3, 0), 0);
  EXPECT_EQ(f.Str(kV), "one");

  EXPECT_EQ(f.host.QueueVariable(f.Address(kW)), 0);
  EXPECT_EQ(f.host.QueueVariable(f.Address(kS)), 0);
  EXPECT_EQ(f.host.QueueVariable(12345), 2);
  EXPECT_EQ(f.host.PendingVariables(), (std::vector<uint32_t>{kW, kS}));
}

TEST(ScriptVariablesTest, WithoutKeptImagesTheCopiesAnswerOne) {
  HostWithDisk f(kVariables, false);
  f.SetInt(kA, 9);
  EXPECT_EQ(f.host.ResetVariables(0, 0), 1);
  EXPECT_EQ(f.host.StoreSnapshot(0, 0), 1);
  EXPECT_EQ(f.host.RestoreSnapshot(0, 0), 1);
  EXPECT_EQ(f.host.StoreVariableSnapshot(f.Address(kA)), 1);
  EXPECT_EQ(f.host.QueueVariable(f.Address(kA)), 1);
  EXPECT_EQ(f.host.GetSerializedSize(2, true), 0u);
  std::vector<uint8_t> buffer(64);
  ByteWriter writer(buffer.data(), buffer.size());
  EXPECT_EQ(f.host.SerializeVariables(writer, 2, true), 2);
  EXPECT_EQ(f.Int(kA), 9u);
  f.host.ClearVariables(0, 0);  // needs no other image
  EXPECT_EQ(f.Int(kA), 0u);
}

std::vector<uint8_t> Serialize(const ScriptHost& host, uint8_t selector, bool fromSnapshot = false) {
  std::vector<uint8_t> stream(size_t(host.GetSerializedSize(selector, fromSnapshot)));
  ByteWriter writer(stream.data(), stream.size());
  EXPECT_EQ(host.SerializeVariables(writer, selector, fromSnapshot), 0);
  EXPECT_EQ(writer.Position(), stream.size());
  return stream;
}

TEST(ScriptVariablesTest, SerialisationRoundTripsIntAndStrButNeverPstr) {
  HostWithDisk f(kVariables);
  // Sizes: selector byte, then kind byte + bytes per int or STR variable.
  EXPECT_EQ(f.host.GetSerializedSize(0, false), 1u + 5 + 9);         // Save: s, t
  EXPECT_EQ(f.host.GetSerializedSize(1, false), 1u + 5 + 13 + 9);    // AutoSave: u, v, w
  EXPECT_EQ(f.host.GetSerializedSize(3, false), 1u + 5 + 9 + 5 + 13 + 9);  // both, as a game save
  EXPECT_EQ(f.host.GetSerializedSize(2, false), 1u + 5 + 5 + 9 + 5 + 13 + 9);
  EXPECT_EQ(f.host.GetSerializedSize(200, false), f.host.GetSerializedSize(2, false));

  std::vector<uint8_t> save = Serialize(f.host, 0);
  EXPECT_EQ(save[0], 0);
  EXPECT_EQ(save[1], kVariableInt);
  EXPECT_EQ(save[6], kVariableStr);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(&save[7])), "save");

  f.SetInt(kW, 77);
  std::vector<uint8_t> all = Serialize(f.host, 2);
  const uint32_t pointer = f.Int(kP);
  f.host.ClearVariables(0, 0);
  SobCursor cursor(all.data(), all.size());
  EXPECT_EQ(f.host.DeserializeVariables(cursor), 0);
  EXPECT_EQ(cursor.Remaining(), 0u);
  EXPECT_EQ(Untouched(f), "astuv--");  // the PSTR stays cleared: it is never in the stream
  EXPECT_EQ(f.Int(kW), 77u);
  EXPECT_NE(pointer, 0u);

  // From the snapshot (still the initial values).
  std::vector<uint8_t> fromSnapshot = Serialize(f.host, 1, true);
  f.host.ClearVariables(0, 0);
  SobCursor snapshotCursor(fromSnapshot.data(), fromSnapshot.size());
  EXPECT_EQ(f.host.DeserializeVariables(snapshotCursor), 0);
  EXPECT_EQ(Untouched(f), "---uv-w");
}

TEST(ScriptVariablesTest, StreamsRestoreAsFarAsTheyMatch) {
  HostWithDisk f(kVariables);
  std::vector<uint8_t> all = Serialize(f.host, 2);
  // Where each selected variable's bytes end in the stream (a, s, t, u, v, w).
  const size_t ends[] = {6, 11, 20, 25, 38, 47};
  ASSERT_EQ(all.size(), 47u);
  const std::string full = "astuv-w";  // the PSTR is never in the stream

  // A cut stream restores every variable it holds whole, and stops at the
  // first one it ends inside; the cursor stays after the last one restored.
  for (size_t length = 0; length <= all.size(); ++length) {
    SCOPED_TRACE(length);
    f.host.ClearVariables(0, 0);
    SobCursor cursor(all.data(), length);
    std::string expected = "-------";
    size_t restoredEnd = length == 0 ? 0 : 1;
    for (size_t i = 0, letter = 0; i < std::size(ends); ++i, ++letter) {
      if (full[letter] == '-') ++letter;
      if (ends[i] > length) break;
      expected[letter] = full[letter];
      restoredEnd = ends[i];
    }
    EXPECT_EQ(f.host.DeserializeVariables(cursor), length == all.size() ? 0 : 1);
    EXPECT_EQ(Untouched(f), expected);
    EXPECT_EQ(cursor.Position(), restoredEnd);
  }

  // A kind byte in the middle that does not match its variable (u's) stops
  // the restore there; the ones before it stay restored.
  std::vector<uint8_t> wrongKind = all;
  wrongKind[20] = kVariableStr;
  f.host.ClearVariables(0, 0);
  SobCursor cursor(wrongKind.data(), wrongKind.size());
  EXPECT_EQ(f.host.DeserializeVariables(cursor), 1);
  EXPECT_EQ(Untouched(f), "ast----");

  // Bytes after the last variable are left unread.
  std::vector<uint8_t> longer = all;
  longer.insert(longer.end(), {1, 2, 3});
  f.host.ClearVariables(0, 0);
  SobCursor longCursor(longer.data(), longer.size());
  EXPECT_EQ(f.host.DeserializeVariables(longCursor), 0);
  EXPECT_EQ(Untouched(f), full);
  EXPECT_EQ(longCursor.Remaining(), 3u);

  // Writer errors.
  ByteWriter none(nullptr, 100);
  EXPECT_EQ(f.host.SerializeVariables(none, 2, false), 1);
  std::vector<uint8_t> small(all.size() - 1);
  ByteWriter tooSmall(small.data(), small.size());
  EXPECT_EQ(f.host.SerializeVariables(tooSmall, 2, false), 3);
}

TEST(ScriptVariablesTest, SceneFlagsOfTheCurrentAndTheSharedEntry) {
  HostWithDisk f(kVariables);
  // No current scene: nothing is set, nothing is true.
  EXPECT_EQ(f.host.SetSceneFlagA(1, true), 0);
  EXPECT_FALSE(f.host.TestSceneFlagA(1, true));
  ASSERT_EQ(f.host.LoadScriptFile("MAIN", nullptr), 0);

  EXPECT_EQ(f.host.SetSceneFlagA(3, false), 0);
  EXPECT_EQ(f.host.SetSceneFlagB(7, false), 0);
  EXPECT_EQ(f.host.SetSceneFlagA(16, false), 2);  // MAIN's A has 16 bits
  EXPECT_EQ(f.host.SetSceneFlagB(5, true), 0);    // the last entry, SHARED
  EXPECT_TRUE(f.host.TestSceneFlagA(3, false));
  EXPECT_FALSE(f.host.TestSceneFlagA(4, false));
  EXPECT_TRUE(f.host.TestSceneFlagB(7, false));
  EXPECT_FALSE(f.host.TestSceneFlagA(3, true));
  EXPECT_TRUE(f.host.TestSceneFlagB(5, true));
  EXPECT_FALSE(f.host.TestSceneFlagB(1u << 31, false));

  const auto& entries = f.host.SceneTable().entries;
  EXPECT_TRUE(entries[0].a.Test(3));
  EXPECT_TRUE(entries[2].b.Test(5));
  // A called scene has flags of its own; the shared ones are the same.
  ASSERT_EQ(f.host.LoadScriptFile("SUB", nullptr), 0);
  EXPECT_FALSE(f.host.TestSceneFlagA(3, false));
  EXPECT_TRUE(f.host.TestSceneFlagB(5, true));
  EXPECT_EQ(f.host.SetSceneFlagA(3, false), 0);
  EXPECT_TRUE(entries[1].a.Test(3));
}

}  // namespace
}  // namespace orrivel
