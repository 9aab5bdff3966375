#pragma once
// Where the files a script names may be. A script's file name is made
// absolute against the base folder, as every file name is, then its "."
// and ".." components are applied; the result must lie inside the game
// folder or the save folder, or be a destination the player chose in a file
// or folder dialog. Anything else (".." past the top, an absolute path
// elsewhere, another drive, a network share) is refused, and the native
// answers its failure value: a game cannot reach the player's other files.
//
// The game folder is the base folder as it was when the host was made, so
// a script that moves the base folder later (natives 91 and 120) moves no
// root. Components are compared as the disk resolves them: ASCII letters of
// single-byte characters without case, two-byte characters whole.
//
// Main thread only.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace orrivel {

class ScriptFileRoots {
 public:
  ScriptFileRoots() = default;
  explicit ScriptFileRoots(std::string gameFolder) : gameFolder_(std::move(gameFolder)) {}

  // The game folder given when the host was made; while none was known,
  // the base folder in force.
  const std::string& GameFolder() const;
  // The save folder as the program set it (absolute, or relative to the
  // game folder); empty: none.
  void SetSaveFolder(std::string folder) { saveFolder_ = std::move(folder); }
  // A destination the player chose: that file, or (folder) everything
  // inside that folder.
  void AllowChosen(std::string_view path, bool folder);

  // The script's name as a full path when it may be used; nullopt when it
  // leaves the roots. Without any base folder (nothing to resolve against)
  // a relative name is kept as given, as long as it does not climb above
  // where it starts.
  std::optional<std::string> Resolve(std::string_view name) const;
  bool Allows(std::string_view name) const { return Resolve(name).has_value(); }

 private:
  using Components = std::vector<std::string>;
  // "." and empty components dropped, ".." applied; nullopt when ".."
  // climbs past the first component.
  static std::optional<Components> Normalised(std::string_view path);
  static bool Inside(const Components& path, const Components& root);
  std::optional<Components> Root(const std::string& folder) const;

  std::string gameFolder_;
  std::string saveFolder_;
  std::vector<Components> chosenFiles_;
  std::vector<Components> chosenFolders_;
};

}  // namespace orrivel
