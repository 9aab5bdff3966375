#pragma once
// A module holder over an in-memory disk: files by upper-cased path, as the
// platform resolves names without case.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "TobWriter.h"
#include "base/Cp932.h"
#include "frame/TgsModule.h"
#include "script/ScriptAddressSpace.h"

namespace orrivel {

struct TgsDisk {
  std::map<std::string, std::vector<uint8_t>> files;

  void Put(const std::string& path, std::vector<uint8_t> bytes) { files[cp932::ToUpper(path)] = std::move(bytes); }
  ScriptFileBytes Read(const std::string& path) const {
    auto it = files.find(cp932::ToUpper(path));
    if (it == files.end()) return std::nullopt;
    return it->second;
  }
};

struct TgsFixture {
  ScriptAddressSpace space;
  TgsDisk disk;
  TgsModule module{space};

  TgsFixture() {
    module.SetFolder("SCRIPT");
    module.SetFileReader([this](const std::string& path) { return disk.Read(path); });
    module.SetFileWriter([this](const std::string& path, std::span<const uint8_t> data) {
      disk.Put(path, std::vector<uint8_t>(data.begin(), data.end()));
      return true;
    });
  }

  // A module whose text is `text` plus its NUL, with the given labels.
  void AddModule(const std::string& name, const std::string& text, std::vector<tob::Label> labels = {},
                 std::vector<uint32_t> resumePoints = {}, bool tob1 = true) {
    tob::Module m;
    m.tob1 = tob1;
    m.labels = std::move(labels);
    m.resumePoints = std::move(resumePoints);
    m.text.assign(text.begin(), text.end());
    m.text.push_back(0);
    disk.Put("SCRIPT\\" + name + ".TOB", tob::WriteModule(m));
  }

  void AddTable(const std::vector<tob::ScriptRecord>& records) {
    disk.Put("SCRIPT\\TGS_INIT.DAT", tob::WriteScriptTable(records));
    ASSERT_EQ(module.LoadInit("TGS_INIT.DAT"), 0);
  }

  // Text offset of a read position or call result in the current module.
  int64_t Offset(uint32_t address) const {
    if (!address || !module.CurrentModule()) return -100;
    return int64_t(address) - int64_t(module.CurrentModule()->TextStart());
  }
  std::string CurrentName() const { return module.CurrentModule() ? module.CurrentModule()->name : ""; }
};

}  // namespace orrivel
