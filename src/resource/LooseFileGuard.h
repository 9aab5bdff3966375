#pragma once
// The rule a loose file found by name must meet while a script's request
// runs. A script names files, and the archive search turns a name into a
// file on disk: under the base folder, under a search folder, or wherever
// an absolute name points. While a guard is in force on a thread, every
// loose file the search would read there is first put to the guard, and a
// refused one is passed over unopened, as if it were not there (so a
// refusal does not tell whether the file exists); a search that then finds
// nothing answers a bad path rather than a missing file. Archive members
// are not files of the player's (the archives themselves were opened by
// name) and are found as before.
//
// Before the scripts run (start-up) the search runs without a guard. From
// then on the program's work on the scripts' thread (their steps, the
// frames, the timers' tasks, the window's commands) runs with one in force,
// since some of it reads again what a script named earlier (a picture
// restored by its name); what the engine loads by its own names lies in the
// game folder and passes. A guard is in force only on the thread that put
// it there; work handed to another thread takes a snapshot along (see
// Preloader), and a thread working beside the scripts' one judges by the
// snapshots it publishes (see PublishedLooseFileGuard).
#include <memory>
#include <string>

namespace orrivel {

class LooseFileGuard {
 public:
  virtual ~LooseFileGuard() = default;
  // Whether the loose file at this full path may be read.
  virtual bool Allows(const std::string& fullPath) const = 0;
  // A guard that judges as this one does now and that another thread may
  // consult while this one changes.
  virtual std::shared_ptr<const LooseFileGuard> Snapshot() const = 0;

  // The guard in force on this thread; null: none.
  static const LooseFileGuard* Current();
  // True when a guard is in force on this thread and refuses the path.
  static bool Refuses(const std::string& fullPath);
};

// Puts a guard in force on this thread for its lifetime (null: none), and
// the one that was in force back after it.
class ScopedLooseFileGuard {
 public:
  explicit ScopedLooseFileGuard(const LooseFileGuard* guard);
  ~ScopedLooseFileGuard();
  ScopedLooseFileGuard(const ScopedLooseFileGuard&) = delete;
  ScopedLooseFileGuard& operator=(const ScopedLooseFileGuard&) = delete;

 private:
  const LooseFileGuard* previous_;
};

}  // namespace orrivel
