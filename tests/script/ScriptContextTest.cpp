#include "script/ScriptContext.h"

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <string>

#include "SobAssembler.h"

namespace orrivel {
namespace {

using sob::Bytes;

constexpr const char* kGame = R"(
vars
  int  counter save = 5
  str  title autosave size 16 = "hello"
  pstr titlePtr = &title
  int  plain

library
twice:
  mov $counter @twiceAdd.1
  mov $counter @twiceAdd.2
twiceAdd:
  add 0 0 $counter
  ret

scene MAIN flags 16 8
  call lib:twice
  native !0 @args @out
  set 7 ext:retTgsExp
  ret
data
out:  word 0
args: word $title, $counter, @out, lib:twiceAdd
scene SUB flags 4 4
  ret
)";

sob::Project Assembled(const char* text = kGame) {
  sob::Project project;
  std::string error;
  EXPECT_TRUE(sob::Assemble(text, project, error)) << error;
  return project;
}

struct Loaded {
  std::map<std::string, Bytes> files;
  ScriptContext::SystemFiles System() const {
    ScriptContext::SystemFiles system;
    auto take = [this](const char* name) -> std::optional<ScriptContext::Bytes> {
      auto it = files.find(name);
      if (it == files.end()) return std::nullopt;
      return ScriptContext::Bytes(it->second);
    };
    system.init = take("SOB_INIT.DAT");
    system.userVariables = take("USER_VAR.SOB");
    system.library = take("FUNC_LIB.SOB");
    return system;
  }
};

Loaded Files(const sob::Project& project) {
  Loaded loaded;
  for (auto& [name, bytes] : sob::ProjectFiles(project)) loaded.files[name] = bytes;
  return loaded;
}

uint32_t Word(const ScriptContext& context, uint32_t address) {
  uint32_t value = 0;
  EXPECT_TRUE(context.Space().Read32(address, value));
  return value;
}

std::string Text(const ScriptContext& context, uint32_t address) {
  std::string text;
  EXPECT_TRUE(context.Space().ReadString(address, text));
  return text;
}

TEST(ScriptContextTest, LoadsVariablesWithCellsAndThreeSeparateImages) {
  Loaded files = Files(Assembled());
  ScriptContext context;
  ASSERT_EQ(context.LoadSystemFromFiles(files.System(), true, true), 0);
  EXPECT_TRUE(context.Loaded());
  EXPECT_EQ(context.SceneTable().Count(), 2u);
  EXPECT_EQ(context.SceneTable().entries[0].SceneName(), "MAIN");
  EXPECT_EQ(context.SceneTable().entries[0].a.BitCount(), 16u);
  EXPECT_EQ(context.SceneTable().entries[1].b.BitCount(), 4u);

  const VariableImage* images[] = {&context.LiveImage(), &context.InitialImage(), &context.SnapshotImage()};
  for (const VariableImage* image : images) {
    ASSERT_TRUE(image->Kept());
    ASSERT_EQ(image->records.size(), 4u);
    EXPECT_EQ(Word(context, image->records[0].address), 5u);
    EXPECT_EQ(image->records[0].scope, kScopeSave);
    // A STR record points at its cell; the cell holds the characters' address.
    const VariableRecord& title = image->records[1];
    EXPECT_EQ(title.kind, kVariableStr);
    EXPECT_EQ(title.address, image->cells[0]);
    uint32_t characters = Word(context, title.address);
    EXPECT_EQ(Text(context, characters), "hello");
    EXPECT_GE(characters, image->base);
    EXPECT_LT(characters, image->base + image->size);
    // The PSTR relocation points into its own image.
    EXPECT_EQ(Word(context, image->records[2].address), characters);
  }
  EXPECT_NE(context.LiveImage().base, context.InitialImage().base);
  EXPECT_NE(context.InitialImage().base, context.SnapshotImage().base);
  EXPECT_EQ(context.FindVariable(context.LiveRecords()[3].address), 3);
  EXPECT_EQ(context.FindVariable(context.InitialImage().records[3].address), -1);

  // A second load changes nothing.
  uint32_t live = context.LiveImage().base;
  EXPECT_EQ(context.LoadSystemFromFiles(files.System(), false, false), 1);
  EXPECT_EQ(context.LiveImage().base, live);
  EXPECT_TRUE(context.SnapshotImage().Kept());
}

TEST(ScriptContextTest, LinksEveryRelocationKindAndRunsTheScene) {
  sob::Project project = Assembled();
  Loaded files = Files(project);
  ScriptContext context;
  std::vector<uint32_t> seen;
  context.RegisterNative([&seen](NativeArgs& args) {
    for (uint32_t i = 0; i < 4; ++i) seen.push_back(args.Cell(i));
    return 99u;
  });
  ASSERT_EQ(context.LoadSystemFromFiles(files.System(), false, false), 0);
  ASSERT_EQ(context.Modules().size(), 1u);
  EXPECT_TRUE(context.Modules()[0].isLibrary);
  Bytes main = files.files["MAIN.SOB"];
  ASSERT_EQ(context.LoadScriptImage("SCRIPT\\main.sob", main, nullptr), 0);
  ASSERT_EQ(context.Modules().size(), 2u);
  EXPECT_EQ(context.CurrentSceneEntry(), 0);
  const uint32_t code = context.GetCurrentCode();
  EXPECT_EQ(code, context.Modules()[1].code);
  EXPECT_EQ(context.Modules()[1].translationLength, project.sceneLabels["MAIN"]["out"]);

  EXPECT_EQ(context.Machine().Execute(), ScriptMachine::kEnded);
  const auto& records = context.LiveRecords();
  EXPECT_EQ(Word(context, records[0].address), 10u);  // the library doubled it
  ASSERT_EQ(seen.size(), 4u);
  EXPECT_EQ(seen[0], records[1].address);  // a STR operand is its cell
  EXPECT_EQ(seen[1], records[0].address);
  const uint32_t out = code + project.sceneLabels["MAIN"]["out"];
  EXPECT_EQ(seen[2], out);
  EXPECT_EQ(seen[3], context.LibraryCodeBase() + project.libraryLabels["twiceAdd"]);
  EXPECT_EQ(Word(context, out), 99u);
  EXPECT_EQ(Word(context, context.Externals()[0].address), 7u);
  EXPECT_EQ(context.Externals()[0].name, "retTgsExp");
}

TEST(ScriptContextTest, SceneLookupAndMissingFiles) {
  Loaded files = Files(Assembled());
  Bytes sub = files.files["SUB.SOB"];
  {
    ScriptContext context;
    context.RegisterNative([](NativeArgs&) { return 0u; });
    ASSERT_EQ(context.LoadSystemFromFiles(files.System(), false, false), 0);
    // A valid module whose name is not in the table is refused.
    EXPECT_EQ(context.LoadScriptImage("SCRIPT\\OTHER.SOB", sub, nullptr), 2);
    EXPECT_EQ(context.Modules().size(), 1u);
    EXPECT_EQ(context.LoadScriptImage("script/sub.sob", sub, nullptr), 0);
    EXPECT_EQ(context.CurrentSceneEntry(), 1);
  }
  {
    // Without "SOB_INIT.DAT" every scene loads, with no table entry; files
    // that are missing are skipped.
    ScriptContext context;
    EXPECT_EQ(context.LoadSystemFromFiles({}, false, false), 0);
    EXPECT_EQ(context.LoadScriptImage("SCRIPT\\OTHER.SOB", sub, nullptr), 0);
    EXPECT_EQ(context.Modules().back().sceneIndex, -1);
    EXPECT_EQ(context.CurrentSceneEntry(), -1);
    // Reading by path goes through the file reader.
    EXPECT_EQ(context.LoadScript("SCRIPT\\NONE.SOB", nullptr), 1);
    context.SetFileReader([&sub](const std::string& path) -> ScriptFileBytes {
      if (path == "SCRIPT\\SUB.SOB") return sub;
      return std::nullopt;
    });
    EXPECT_EQ(context.LoadScript("SCRIPT\\SUB.SOB", nullptr), 0);
    EXPECT_EQ(context.Modules().size(), 2u);
  }
  EXPECT_EQ(ScriptContext::SceneNameOfPath("SCRIPT\\dir.x\\main.sob"), "MAIN");
  // A trail byte 0x5C inside a two-byte character is no separator.
  EXPECT_EQ(ScriptContext::SceneNameOfPath("a\\\x95\x5C" "b.sob"), "\x95\x5C" "B");
}

TEST(ScriptContextTest, UnloadKeepsTheLibraryAndFollowsTheSceneStack) {
  Loaded files = Files(Assembled());
  ScriptContext context;
  context.RegisterNative([](NativeArgs&) { return 0u; });
  EXPECT_EQ(context.UnloadScript(), 0);  // empty list: nothing happens
  ASSERT_EQ(context.LoadSystemFromFiles(files.System(), false, false), 0);
  ASSERT_EQ(context.LoadScriptImage("MAIN", files.files["MAIN.SOB"], nullptr), 0);
  uint32_t mainCode = context.GetCurrentCode();
  ASSERT_EQ(context.LoadScriptImage("SUB", files.files["SUB.SOB"], nullptr), 0);
  EXPECT_EQ(context.CurrentSceneEntry(), 1);
  EXPECT_EQ(context.UnloadScript(), 0);
  EXPECT_EQ(context.CurrentSceneEntry(), 0);
  EXPECT_EQ(context.GetCurrentCode(), mainCode);
  EXPECT_EQ(context.UnloadScript(), 0);
  EXPECT_EQ(context.GetCurrentCode(), 0u);
  ASSERT_EQ(context.Modules().size(), 1u);
  EXPECT_EQ(context.UnloadScript(), 0);
  ASSERT_EQ(context.Modules().size(), 1u);
  EXPECT_TRUE(context.Modules()[0].isLibrary);
  EXPECT_NE(context.Space().BlockSize(context.LibraryCodeBase()), 0u);
}

// Every proper prefix of a sound file is refused with the file's code, and
// the context can then still load the whole files.
TEST(ScriptContextTest, TruncationAtEveryFieldIsRefused) {
  Loaded files = Files(Assembled());
  struct Kind {
    const char* file;
    int code;
  };
  for (Kind kind : {Kind{"SOB_INIT.DAT", 2}, Kind{"USER_VAR.SOB", 3}, Kind{"FUNC_LIB.SOB", 5}}) {
    const Bytes whole = files.files[kind.file];
    for (size_t length = 0; length < whole.size(); ++length) {
      SCOPED_TRACE(std::string(kind.file) + " cut to " + std::to_string(length));
      Loaded cut = files;
      cut.files[kind.file] = Bytes(whole.begin(), whole.begin() + length);
      ScriptContext context;
      context.RegisterNative([](NativeArgs&) { return 0u; });
      ASSERT_EQ(context.LoadSystemFromFiles(cut.System(), true, true), kind.code);
      EXPECT_FALSE(context.Loaded());
      EXPECT_FALSE(context.LiveImage().Kept());
      EXPECT_TRUE(context.Modules().empty());
      EXPECT_EQ(context.LoadSystemFromFiles(files.System(), true, true), 0);  // retry works
    }
  }
  ScriptContext context;
  context.RegisterNative([](NativeArgs&) { return 0u; });
  ASSERT_EQ(context.LoadSystemFromFiles(files.System(), false, false), 0);
  const Bytes main = files.files["MAIN.SOB"];
  for (size_t length = 0; length < main.size(); ++length) {
    SCOPED_TRACE("MAIN.SOB cut to " + std::to_string(length));
    EXPECT_EQ(context.LoadScriptImage("MAIN", Bytes(main.begin(), main.begin() + length), nullptr), 2);
    EXPECT_EQ(context.Modules().size(), 1u);
  }
}

sob::ModuleFile SmallScene() {
  sob::ModuleFile module;
  module.code.assign(16, 0);
  module.translationLength = 8;
  return module;
}

TEST(ScriptContextTest, DamagedModulesAndImagesAreRefusedWithCodes) {
  Loaded files = Files(Assembled());
  struct ModuleCase {
    const char* name;
    std::function<void(sob::ModuleFile&)> damage;
    int code;
  };
  const std::vector<ModuleCase> modules = {
      {"sound", [](sob::ModuleFile&) {}, 0},
      {"debug build", [](sob::ModuleFile& m) { m.closingWord = 1; }, 3},
      {"offset outside code", [](sob::ModuleFile& m) { m.lists[sob::kOwnCode].push_back({13, 0}); }, 2},
      {"offset past 32 bits", [](sob::ModuleFile& m) { m.lists[sob::kOwnCode].push_back({0xFFFFFFFE, 0}); }, 2},
      {"own code value outside", [](sob::ModuleFile& m) { m.lists[sob::kOwnCode].push_back({0, 17}); }, 2},
      {"own code value at end", [](sob::ModuleFile& m) { m.lists[sob::kOwnCode].push_back({0, 16}); }, 0},
      {"variable not there", [](sob::ModuleFile& m) { m.lists[sob::kVariables].push_back({0, 4}); }, 2},
      {"native not there", [](sob::ModuleFile& m) { m.lists[sob::kNatives].push_back({0, 1}); }, 2},
      {"external not there", [](sob::ModuleFile& m) { m.lists[sob::kExternals].push_back({0, 1}); }, 2},
      {"library value outside", [](sob::ModuleFile& m) { m.lists[sob::kLibrary].push_back({0, 4096}); }, 2},
      {"translation past code", [](sob::ModuleFile& m) { m.translationLength = 20; }, 2},
      {"not SOB0", [](sob::ModuleFile& m) { m.library = true; }, 2},
  };
  ScriptContext context;
  context.RegisterNative([](NativeArgs&) { return 0u; });
  ASSERT_EQ(context.LoadSystemFromFiles(files.System(), false, false), 0);
  for (const ModuleCase& c : modules) {
    SCOPED_TRACE(c.name);
    sob::ModuleFile module = SmallScene();
    c.damage(module);
    const size_t before = context.Modules().size();
    const uint32_t sp = context.Machine().StackPointer();
    EXPECT_EQ(context.LoadScriptImage("MAIN", sob::WriteModule(module), nullptr), c.code);
    EXPECT_EQ(context.Modules().size(), before + (c.code == 0 ? 1 : 0));
    EXPECT_EQ(context.Machine().StackPointer(), sp + (c.code == 0 ? 4 : 0));
  }
  // A block length that runs past the file, and lists that run past the block.
  Bytes longBlock = sob::WriteModule(SmallScene());
  longBlock[4] = 0xFF;
  EXPECT_EQ(context.LoadScriptImage("MAIN", longBlock, nullptr), 2);
  Bytes hugeCount = sob::WriteModule(SmallScene());
  hugeCount[8] = 0xFF, hugeCount[11] = 0x7F;
  EXPECT_EQ(context.LoadScriptImage("MAIN", hugeCount, nullptr), 2);

  struct VariablesCase {
    const char* name;
    std::function<void(sob::VariablesFile&)> damage;
    int code;
  };
  const std::vector<VariablesCase> variables = {
      {"debug build", [](sob::VariablesFile& v) { v.closingWord = 5; }, 4},
      {"bad kind", [](sob::VariablesFile& v) { v.records[0].kind = 3; }, 3},
      {"record outside image", [](sob::VariablesFile& v) { v.records[0].offset = 14; }, 3},
      {"relocation at outside", [](sob::VariablesFile& v) { v.relocations.push_back({13, 0}); }, 3},
      {"relocation to outside", [](sob::VariablesFile& v) { v.relocations.push_back({0, 16}); }, 3},
  };
  for (const VariablesCase& c : variables) {
    SCOPED_TRACE(c.name);
    sob::VariablesFile file;
    file.image.assign(16, 0);
    file.records = {{0, 0, 0, 4}, {1, 1, 4, 8}};
    c.damage(file);
    Bytes bytes = sob::WriteVariables(file);
    ScriptContext fresh;
    ScriptContext::SystemFiles system;
    system.userVariables = ScriptContext::Bytes(bytes);
    EXPECT_EQ(fresh.LoadSystemFromFiles(system, true, true), c.code);
    EXPECT_FALSE(fresh.Loaded());
  }
  // Scene tables: a name of length 0, and a debug-built library.
  Bytes table = sob::WriteSceneTable({{"A", 1, 1}});
  table[2] = 0;
  table.erase(table.begin() + 3, table.begin() + 5);
  ScriptContext::SystemFiles system;
  system.init = ScriptContext::Bytes(table);
  EXPECT_EQ(ScriptContext().LoadSystemFromFiles(system, false, false), 2);
  sob::ModuleFile library = SmallScene();
  library.library = true;
  library.closingWord = 2;
  Bytes libraryBytes = sob::WriteModule(library);
  ScriptContext::SystemFiles withLibrary;
  withLibrary.library = ScriptContext::Bytes(libraryBytes);
  EXPECT_EQ(ScriptContext().LoadSystemFromFiles(withLibrary, false, false), 6);
}

}  // namespace
}  // namespace orrivel
