#pragma once
// Test helpers: a host whose files come from an assembled project and whose
// own files go to an in-memory disk, with checked access to variables.
#include <gtest/gtest.h>

#include <map>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "SobAssembler.h"
#include "script/ScriptHost.h"

namespace orrivel::testing {

// Files by engine path; the host reads game files and its own files here.
struct MemoryDisk {
  std::map<std::string, std::vector<uint8_t>> files;
  int writes = 0;
  bool failWrites = false;

  void Attach(ScriptContext& context) {
    context.SetFileReader([this](const std::string& path) -> ScriptFileBytes {
      auto it = files.find(path);
      if (it == files.end()) return std::nullopt;
      return it->second;
    });
    context.SetFileWriter([this](const std::string& path, std::span<const uint8_t> data) {
      if (failWrites) return false;
      ++writes;
      files[path].assign(data.begin(), data.end());
      return true;
    });
  }
  void AddProject(const char* text) {
    sob::Project project;
    std::string error;
    EXPECT_TRUE(sob::Assemble(text, project, error)) << error;
    for (auto& [name, bytes] : sob::ProjectFiles(project)) files["SCRIPT\\" + name] = bytes;
  }
};

// A host over an assembled project, system loaded with both images kept.
struct HostWithDisk {
  explicit HostWithDisk(const char* text, bool keepImages = true) : host(slot.emplace(&state)) {
    disk.AddProject(text);
    disk.Attach(host);
    EXPECT_EQ(host.LoadSystem("SCRIPT\\SOB_INIT.DAT", "SCRIPT\\USER_VAR.SOB", "SCRIPT\\FUNC_LIB.SOB", keepImages,
                              keepImages),
              0);
  }

  // Address of live record i (the string cell for STR).
  uint32_t Address(size_t i) const { return host.LiveRecords()[i].address; }
  uint32_t Int(size_t i) const {
    uint32_t value = 0;
    EXPECT_TRUE(host.Space().Read32(Address(i), value));
    return value;
  }
  void SetInt(size_t i, uint32_t value) { EXPECT_TRUE(host.Space().Write32(Address(i), value)); }
  uint32_t StrBuffer(size_t i) const {
    uint32_t buffer = 0;
    EXPECT_TRUE(host.Space().Read32(Address(i), buffer));
    return buffer;
  }
  std::string Str(size_t i) const {
    std::string text;
    EXPECT_TRUE(host.Space().ReadString(StrBuffer(i), text));
    return text;
  }
  void SetStr(size_t i, const std::string& text) {
    EXPECT_TRUE(host.Space().WriteBytes(StrBuffer(i), text.c_str(), text.size() + 1));
  }

  // Destroys the host (which writes the files it writes at exit) and puts
  // a fresh one, with nothing loaded, in its place on the same disk.
  void Restart() {
    slot.reset();
    slot.emplace(&state);
    disk.Attach(host);
  }

  MemoryDisk disk;
  ScriptRequestState state;
  std::optional<ScriptHost> slot;
  ScriptHost& host;  // stays bound across Restart: the slot does not move
};

}  // namespace orrivel::testing
