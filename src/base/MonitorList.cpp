#include "base/MonitorList.h"

#include "platform/Backend.h"
#include "platform/TextCodec.h"

namespace orrivel {
namespace {

MonitorList* g_monitorList = nullptr;

bool Inside(const platform::Rect& area, int32_t x, int32_t y, int32_t width, int32_t height) {
  return x >= area.left && x <= area.right - width && y >= area.top && y <= area.bottom - height;
}

int64_t DistanceTo(const platform::Rect& area, int32_t x, int32_t y, int32_t width, int32_t height) {
  int64_t dx = 0, dy = 0;
  if (x + width <= area.left) dx = area.left - (x + width);
  else if (x >= area.right) dx = x - area.right;
  if (y + height <= area.top) dy = area.top - (y + height);
  else if (y >= area.bottom) dy = y - area.bottom;
  return dx * dx + dy * dy;
}

}  // namespace

MonitorList* CurrentMonitorList() { return g_monitorList; }
void SetCurrentMonitorList(MonitorList* list) { g_monitorList = list; }

MonitorList::MonitorList() { Refresh(); }

bool MonitorList::Refresh() {
  records_.clear();
  std::vector<platform::MonitorDesc> descs;
  if (!platform::CurrentBackend().EnumerateMonitors(descs)) return false;
  for (const auto& desc : descs) {
    MonitorRecord record;
    record.monitor = uint32_t(records_.size() + 1);
    record.depth = desc.depth;
    record.refresh = desc.refresh < 2 ? 0 : desc.refresh;
    record.bounds = desc.bounds;
    record.workArea = desc.workArea;
    record.deviceName = platform::Utf8ToCp932Lossy(desc.deviceName);
    record.deviceString = platform::Utf8ToCp932Lossy(desc.description);
    record.isPrimary = desc.isPrimary;
    records_.push_back(record);
  }
  return true;
}

uint32_t MonitorList::FindMonitorFor(int32_t width, int32_t height) const {
  if (width < 1 || height < 1) return 0;
  for (const auto& record : records_) {
    if (record.bounds.Width() >= width && record.bounds.Height() >= height) return record.monitor;
  }
  return 0;
}

int MonitorList::PlaceWindow(int32_t& x, int32_t& y, int32_t width, int32_t height, bool alwaysPlace,
                             bool centre) const {
  if (records_.empty() || width < 1 || height < 1) return -1;
  if (!alwaysPlace) {
    for (const auto& record : records_) {
      if (Inside(record.workArea, x, y, width, height)) return 0;
    }
  }
  const MonitorRecord* nearest = &records_.front();
  int64_t best = DistanceTo(nearest->bounds, x, y, width, height);
  for (const auto& record : records_) {
    int64_t distance = DistanceTo(record.bounds, x, y, width, height);
    if (distance < best) {
      best = distance;
      nearest = &record;
    }
  }
  platform::Rect work = nearest->workArea;
  if (work.Width() < width || work.Height() < height) {
    uint32_t other = FindMonitorFor(width, height);
    if (other) {
      work = records_[other - 1].workArea;
    } else {
      centre = false;
    }
  }
  x = work.left;
  y = work.top;
  if (centre) {
    int32_t freeX = work.Width() / 2 - width / 2;
    int32_t freeY = work.Height() / 2 - height / 2;
    if (freeX >= 0 && freeY >= 0) {
      x += freeX;
      y += freeY;
    }
  }
  return 1;
}

}  // namespace orrivel
