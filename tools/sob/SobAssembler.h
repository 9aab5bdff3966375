#pragma once
// The "sob" assembler: a small readable text form of scene tables, user
// variables and script code, turned into the engine's compiled-script files.
// The text form is described in docs/formats.md ("sob assembler").
#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "SobWriter.h"

namespace orrivel::sob {

struct Project {
  bool hasInit = false;  // an explicit init section
  std::vector<SceneEntry> init;
  bool hasVariables = false;
  VariablesFile variables;
  std::map<std::string, uint32_t> variableIndex;
  bool hasLibrary = false;
  ModuleFile library;
  std::map<std::string, uint32_t> libraryLabels;
  std::vector<std::pair<std::string, ModuleFile>> scenes;
  std::map<std::string, std::map<std::string, uint32_t>> sceneLabels;
};

// The operation name of each operation number (0 to 46).
const char* OperationName(uint32_t operation);

// Assembles text; false with "line N: why" in error on a mistake.
bool Assemble(std::string_view text, Project& project, std::string& error);

// The files of a project: "SOB_INIT.DAT" (explicit, or one entry per scene),
// "USER_VAR.SOB", "FUNC_LIB.SOB" and "<SCENE>.SOB" for each scene.
std::vector<std::pair<std::string, Bytes>> ProjectFiles(const Project& project);

// Bytes of one named file of ProjectFiles, empty when there is none.
Bytes ProjectFile(const Project& project, const std::string& name);

}  // namespace orrivel::sob
