#pragma once
// Where the files a script names may be. A script's file name is made
// absolute against the base folder, as every file name is, then its "."
// and ".." components are applied; the result must lie inside the game
// folder or the save folder, or be a destination the player chose in a file
// or folder dialog. Anything else (".." past the top, an absolute path
// elsewhere, another drive, a network share) is refused, and the native
// answers its failure value: a game cannot reach the player's other files.
//
// The names are judged twice: as written, and where they lead on disk. A
// symbolic link inside a root that leads out of it (or one that leads
// nowhere) does not take a script's name with it: the name's host path,
// every link on the way followed, must lie under a root's host path,
// links followed too.
//
// Code: only a file inside the game folder may be started as a program
// (never one found on the program search path), and a plug-in library
// loads only from a file named as one ("*.DLL", "*.SO", "*.SPI", ...). No
// script may write into a file that can be run, nor write, rename or copy
// onto a library's name, so a script cannot make the code it then starts.
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
  // The full path is in normal form: no "." or ".." components, one
  // separator between components (a trailing one kept).
  std::optional<std::string> Resolve(std::string_view name) const;
  bool Allows(std::string_view name) const { return Resolve(name).has_value(); }
  // Resolve for a name a script writes, replaces or renames onto: also
  // nullopt when it names a file that can be run.
  std::optional<std::string> ResolveForWriting(std::string_view name) const;
  // The full path of a program a script may start: an existing file
  // inside the game folder (nullopt otherwise).
  std::optional<std::string> ResolveProgram(std::string_view name) const;
  // Resolve for a plug-in library a script loads: also nullopt when the
  // name is not a library's.
  std::optional<std::string> ResolveLibrary(std::string_view name) const;
  // A name with a library's extension (what scripts never write).
  static bool IsLibraryName(std::string_view name);

 private:
  using Components = std::vector<std::string>;
  struct Judged {
    std::string full;  // normal form
    Components components;
    std::string host;  // on disk, links followed
  };
  // The name made absolute and judged; nullopt when it cannot be (or the
  // disk cannot tell where it leads).
  std::optional<Judged> Judge(std::string_view name) const;
  // The same for a path that is already full.
  static std::optional<Judged> JudgeFull(const std::string& full);
  static bool Inside(const Judged& path, const Judged& root);
  // "." and empty components dropped, ".." applied; nullopt when ".."
  // climbs past the first component.
  static std::optional<Components> Normalised(std::string_view path);
  static bool Inside(const Components& path, const Components& root);
  std::optional<Judged> Root(const std::string& folder) const;

  std::string gameFolder_;
  std::string saveFolder_;
  // In normal form; judged again at each use, since links may change.
  std::vector<std::string> chosenFiles_;
  std::vector<std::string> chosenFolders_;
};

}  // namespace orrivel
