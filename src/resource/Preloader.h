#pragma once
// Loads a range of named files on a worker thread ahead of their use, so
// that the main thread later takes their data without waiting for the disk.
//
// Hand-over: each slot has a pending flag. The worker opens a slot's file
// and then clears its flag with release order; the main thread touches a
// slot only after reading the flag clear with acquire order. Tables, names,
// folder and range change only while no worker runs (Stop, Allocate and
// SetBaseFolder halt it, Start refuses while it runs). The archive manager
// is only read from both threads; archive members are read with positional
// reads, so the threads never share a file position.
//
// A preloader that a script's request started or pointed at a folder (a
// guard on loose files in force) loads under a snapshot of that guard on
// the worker, then and at every later start, also one a task makes after
// the request has returned.
#include <atomic>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/Event.h"
#include "base/WorkerThread.h"
#include "resource/FileObject.h"

namespace orrivel {

class LooseFileGuard;

enum PreloaderCode : int {
  kPreloadOk = 0,
  kPreloadNoMemory = 1,
  kPreloadOtherFailure = 2,
  kPreloadBadRange = 1,
  kPreloadRunning = 2,
  kPreloadThreadFailed = 3,
};

class Preloader {
 public:
  // Wait's pause between looks at the worker.
  static constexpr uint32_t kPollMs = 50;

  Preloader();
  ~Preloader();
  Preloader(const Preloader&) = delete;
  Preloader& operator=(const Preloader&) = delete;

  // Halts a load and frees the old slots, then makes `count` closed slots
  // (only the low 16 bits count; 0 leaves the preloader empty). 0, 1 out of
  // memory, 2 any other failure.
  int Allocate(uint32_t count);
  // Names are joined to the folder, with a backslash added when it ends
  // with no separator; without a folder names are used as given. Halts a
  // running load. Always 0.
  int SetBaseFolder(std::optional<std::string_view> folder);
  // Marks the slots first .. first + number - 1 pending with names[0 ..
  // number - 1] (copied) and starts loading them. 0 started; 1 no slots, a
  // number of 0 or a range past the last slot; 2 a load is running; 3 the
  // thread does not start.
  int Start(uint32_t first, uint32_t number, const std::string_view* names);
  // 1 when a load was running (after it has ended), 0 when none was.
  int Wait();
  // Halts a load, then frees every slot.
  void Stop();
  // Closes the slots of the range that are not pending (the range stops at
  // the last slot). The number still pending, or -1 when there are no slots.
  int32_t CloseRange(uint32_t first, uint32_t number);
  // Data and size of a loaded slot; null and 0 while it is pending, past
  // the last slot, or when there are no slots.
  const void* GetEntryData(uint32_t slot) const;
  uint32_t GetEntrySize(uint32_t slot) const;
  // The slot's file object for DetachData and the like; null while pending.
  FileObject* GetEntry(uint32_t slot);

  uint32_t Count() const { return count_; }
  bool IsPending(uint32_t slot) const;
  bool IsLoading() const { return thread_.IsRunning(); }

 private:
  class LoadThread : public WorkerThread {
   public:
    explicit LoadThread(Preloader& owner) : owner_(owner) {}
    ~LoadThread() override { Join(); }
    void Run() override { owner_.LoadRange(); }

   private:
    Preloader& owner_;
  };

  // The worker's body.
  void LoadRange();
  // Asks a running worker to stop and joins it; slots it never reached are
  // no longer pending.
  void Halt();
  bool IsReady(uint32_t slot) const;
  // Keeps a snapshot of the guard in force, when there is one.
  void TakeGuardInForce();

  std::unique_ptr<FileObject[]> entries_;
  std::vector<std::string> names_;
  std::unique_ptr<std::atomic<uint8_t>[]> pending_;
  uint32_t count_ = 0;
  std::string baseFolder_;  // empty: names are used unchanged
  uint32_t rangeFirst_ = 0;
  uint32_t rangeCount_ = 0;
  // The last guard in force at a start or a folder change, as it judged
  // then.
  std::shared_ptr<const LooseFileGuard> guard_;
  Event finished_;
  LoadThread thread_;
};

}  // namespace orrivel
