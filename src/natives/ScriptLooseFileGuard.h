#pragma once
// The script's file roots as the archive search's guard: while one of a
// script's natives runs (and so while a frame module it plays runs), and
// while the program works for the scripts between their natives, a picture,
// sound, animation, layout or any other file the engine finds by a name the
// script gave is read only when it lies inside the game folder, the save
// folder or where the player chose. Judged as the host's roots
// judge at that moment (the save folder as the script context has it now);
// a snapshot keeps the roots as they were, for a worker thread.
#include <memory>
#include <string>

#include "natives/ScriptFileRoots.h"
#include "resource/LooseFileGuard.h"

namespace orrivel {

class ScriptContext;

class ScriptLooseFileGuard final : public LooseFileGuard {
 public:
  // Live: follows the context's save folder (context outlives the guard).
  ScriptLooseFileGuard(std::shared_ptr<ScriptFileRoots> roots, const ScriptContext* context)
      : roots_(std::move(roots)), context_(context) {}

  bool Allows(const std::string& fullPath) const override;
  std::shared_ptr<const LooseFileGuard> Snapshot() const override;

 private:
  std::shared_ptr<ScriptFileRoots> roots_;
  // Null for a snapshot: its roots never change.
  const ScriptContext* context_;
};

}  // namespace orrivel
