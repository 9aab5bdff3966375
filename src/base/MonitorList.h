#pragma once
// The monitors, in the order the system lists them, with their rectangles,
// depth and refresh rate. Start-up asks it whether some monitor can hold the
// game's window; window placement uses it when there are several.
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
  std::string deviceName;    // CP932
  std::string deviceString;  // CP932
  bool isPrimary = false;
  bool modesPruned = false;
  uint8_t nameNumber = 255;
};

class MonitorList {
 public:
  // Builds the list from the machine.
  MonitorList();
  virtual ~MonitorList() = default;

  // Rebuilds the records; false (and an empty list) when the machine cannot
  // tell its monitors.
  bool Refresh();
  void Clear() { records_.clear(); }
  size_t GetCount() const { return records_.size(); }
  const MonitorRecord& operator[](size_t index) const { return records_[index]; }
  void SetRecords(std::vector<MonitorRecord> records) { records_ = std::move(records); }

  // The first monitor at least this large; 0 when none, when the list is
  // empty, or when a size is below 1.
  uint32_t FindMonitorFor(int32_t width, int32_t height) const;
  // -1 empty list or bad size, 0 position kept, 1 moved.
  int PlaceWindow(int32_t& x, int32_t& y, int32_t width, int32_t height, bool alwaysPlace, bool centre) const;

 private:
  std::vector<MonitorRecord> records_;
};

// The process-wide list that window placement reads (none until start-up
// publishes the application's list).
MonitorList* CurrentMonitorList();
void SetCurrentMonitorList(MonitorList* list);

}  // namespace orrivel
