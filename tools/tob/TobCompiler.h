#pragma once
// The "tob" text form of text-adventure modules, compiled into ".TOB"
// modules and their "TGS_INIT.DAT" script table. The form is described in
// docs/formats.md ("tob compiler").
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "TobWriter.h"

namespace orrivel::tob {

struct CompiledModule {
  std::string name;
  Module module;
  uint32_t messages = 0;  // given, or one past the highest message id
  uint32_t choices = 0;
};

struct Story {
  std::vector<CompiledModule> modules;
};

// The opcode number of a command name, or -1: the reader's own commands
// and the names of the frame's opcode table. Opcodes may also be written
// by number.
int32_t OpcodeNumber(std::string_view name);

// Compiles text; false with "line N: why" in error on a mistake.
bool Compile(std::string_view text, Story& story, std::string& error);

// "<NAME>.TOB" for every module and "TGS_INIT.DAT" listing them in order.
std::vector<std::pair<std::string, Bytes>> StoryFiles(const Story& story);

// A readable listing of a module, a "TGS_INIT.DAT" or a "TEXT_LOG.DAT".
std::string Dump(const Bytes& file);

}  // namespace orrivel::tob
