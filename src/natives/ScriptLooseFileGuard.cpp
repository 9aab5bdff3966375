#include "natives/ScriptLooseFileGuard.h"

#include "script/ScriptContext.h"

namespace orrivel {

bool ScriptLooseFileGuard::Allows(const std::string& fullPath) const {
  if (context_ != nullptr) roots_->SetSaveFolder(context_->SaveFolder());
  return roots_->Allows(fullPath);
}

std::shared_ptr<const LooseFileGuard> ScriptLooseFileGuard::Snapshot() const {
  auto roots = std::make_shared<ScriptFileRoots>(*roots_);
  if (context_ != nullptr) roots->SetSaveFolder(context_->SaveFolder());
  return std::make_shared<ScriptLooseFileGuard>(std::move(roots), nullptr);
}

}  // namespace orrivel
