#pragma once
// The monitors, in the order the system lists them, with their rectangles,
// depth, refresh rate and display-output names. Start-up asks it whether some
// monitor can hold the game's window; window placement uses it when there are
// several, and the full-screen switch takes its monitor from it.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/Rect.h"

namespace orrivel {

struct MonitorRecord {
  uint32_t monitor = 0;  // handle: position in the list + 1
  uint8_t depth = 0;
  uint16_t refresh = 0;
  platform::Rect bounds;
  platform::Rect workArea;
  std::string deviceName;    // CP932, at most kDeviceNameBytes
  std::string deviceString;  // CP932, at most kDeviceStringBytes, suffix included
  bool isPrimary = false;
  bool modesPruned = false;
  // 0 until the output was read; 255 read and unique (or not yet numbered);
  // 1, 2, 3 ... for monitors that share one description.
  uint8_t nameNumber = 0;
};

class MonitorList {
 public:
  // The fixed text fields of a record, without their terminating NUL.
  static constexpr size_t kDeviceNameBytes = 31;
  static constexpr size_t kDeviceStringBytes = 127;
  static constexpr uint8_t kNotNumbered = 255;

  // Builds the list from the machine (Refresh, then ReadDeviceNames).
  MonitorList();
  virtual ~MonitorList() = default;

  // Rebuilds the records from the machine's monitors; the output names and
  // descriptions are left for ReadDeviceNames. False (and an empty list)
  // when the machine cannot tell its monitors.
  bool Refresh();
  // Copies each output's description and flags onto the monitor of that
  // output, then numbers the descriptions that several monitors share:
  // "[1]", "[2]" ... 1 for an empty list, else 0.
  int ReadDeviceNames();
  void Clear() { records_.clear(); }
  size_t GetCount() const { return records_.size(); }
  const MonitorRecord& operator[](size_t index) const { return records_[index]; }
  void SetRecords(std::vector<MonitorRecord> records) { records_ = std::move(records); }
  // The record of a handle, or none.
  const MonitorRecord* Find(uint32_t monitor) const;

  // 0 and the monitor's bounds; 1 and the whole primary screen when the
  // handle is not listed.
  int GetMonitorRect(platform::Rect& out, uint32_t monitor) const;
  // 0 and the monitor's work area; 1 and the system's work area when the
  // handle is not listed.
  int GetMonitorWorkArea(platform::Rect& out, uint32_t monitor) const;
  // The monitor that shares the most area with the rectangle, or when none
  // meets it, the nearest one; 0 for an empty list.
  uint32_t MonitorFromRect(const platform::Rect& rect) const;
  // The first monitor at least this large; 0 when none, when the list is
  // empty, or when a size is below 1.
  uint32_t FindMonitorFor(int32_t width, int32_t height) const;
  // -1 empty list or bad size, 0 position kept, 1 moved.
  int PlaceWindow(int32_t& x, int32_t& y, int32_t width, int32_t height, bool alwaysPlace, bool centre) const;

 private:
  std::vector<MonitorRecord> records_;
};

// A CP932 text cut to at most `limit` bytes without splitting a two-byte
// character.
std::string FitCp932(const std::string& text, size_t limit);

// The process-wide list that window placement reads (none until start-up
// publishes the application's list).
MonitorList* CurrentMonitorList();
void SetCurrentMonitorList(MonitorList* list);

}  // namespace orrivel
