#include "base/MonitorList.h"

#include <algorithm>
#include <cstdint>

#include "base/Cp932.h"
#include "platform/Backend.h"
#include "platform/TextCodec.h"

namespace orrivel {
namespace {

MonitorList* g_monitorList = nullptr;

bool Inside(const platform::Rect& area, int32_t x, int32_t y, int32_t width, int32_t height) {
  return x >= area.left && x <= area.right - width && y >= area.top && y <= area.bottom - height;
}

int64_t OverlapArea(const platform::Rect& a, const platform::Rect& b) {
  int64_t width = int64_t(std::min(a.right, b.right)) - std::max(a.left, b.left);
  int64_t height = int64_t(std::min(a.bottom, b.bottom)) - std::max(a.top, b.top);
  return width > 0 && height > 0 ? width * height : 0;
}

int64_t SquaredGap(const platform::Rect& area, const platform::Rect& rect) {
  int64_t dx = 0, dy = 0;
  if (rect.right <= area.left) dx = int64_t(area.left) - rect.right;
  else if (rect.left >= area.right) dx = int64_t(rect.left) - area.right;
  if (rect.bottom <= area.top) dy = int64_t(area.top) - rect.bottom;
  else if (rect.top >= area.bottom) dy = int64_t(rect.top) - area.bottom;
  return dx * dx + dy * dy;
}

// "[n]" appended so that the whole stays within the field: the description
// gives way, never the number.
void AppendNumber(std::string& text, unsigned number) {
  std::string suffix = "[" + std::to_string(number) + "]";
  text = FitCp932(text, MonitorList::kDeviceStringBytes - suffix.size()) + suffix;
}

}  // namespace

std::string FitCp932(const std::string& text, size_t limit) {
  size_t end = 0;
  while (end < text.size()) {
    size_t length = cp932::CharLength(text, end);
    if (end + length > limit) break;
    end += length;
  }
  return text.substr(0, end);
}

MonitorList* CurrentMonitorList() { return g_monitorList; }
void SetCurrentMonitorList(MonitorList* list) { g_monitorList = list; }

MonitorList::MonitorList() {
  Refresh();
  ReadDeviceNames();
}

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
    record.deviceName = FitCp932(platform::Utf8ToCp932Lossy(desc.deviceName), kDeviceNameBytes);
    records_.push_back(record);
  }
  return true;
}

int MonitorList::ReadDeviceNames() {
  if (records_.empty()) return 1;
  std::vector<platform::DisplayDeviceDesc> devices;
  platform::CurrentBackend().EnumerateDisplayDevices(devices);
  for (const auto& device : devices) {
    if (!device.attachedToDesktop) continue;
    std::string name = FitCp932(platform::Utf8ToCp932Lossy(device.deviceName), kDeviceNameBytes);
    for (MonitorRecord& record : records_) {
      if (record.deviceName != name) continue;
      record.deviceString = FitCp932(platform::Utf8ToCp932Lossy(device.description), kDeviceStringBytes);
      record.isPrimary = device.isPrimary;
      record.modesPruned = device.modesPruned;
      record.nameNumber = kNotNumbered;
      break;
    }
  }
  for (size_t i = 0; i < records_.size(); ++i) {
    MonitorRecord& first = records_[i];
    if (first.nameNumber != kNotNumbered) continue;
    const std::string shared = first.deviceString;
    unsigned count = 1;
    for (size_t j = i + 1; j < records_.size(); ++j) {
      MonitorRecord& other = records_[j];
      // 254 is the last number the byte holds apart from "not numbered".
      if (other.nameNumber != kNotNumbered || other.deviceString != shared || count >= 254) continue;
      ++count;
      other.nameNumber = uint8_t(count);
      AppendNumber(other.deviceString, count);
    }
    if (count > 1) {
      first.nameNumber = 1;
      AppendNumber(first.deviceString, 1);
    }
  }
  return 0;
}

const MonitorRecord* MonitorList::Find(uint32_t monitor) const {
  if (monitor == 0) return nullptr;
  for (const auto& record : records_) {
    if (record.monitor == monitor) return &record;
  }
  return nullptr;
}

int MonitorList::GetMonitorRect(platform::Rect& out, uint32_t monitor) const {
  if (const MonitorRecord* record = Find(monitor)) {
    out = record->bounds;
    return 0;
  }
  platform::DisplayMode desktop = platform::CurrentBackend().DesktopMode();
  out = platform::Rect{0, 0, desktop.width, desktop.height};
  return 1;
}

int MonitorList::GetMonitorWorkArea(platform::Rect& out, uint32_t monitor) const {
  if (const MonitorRecord* record = Find(monitor)) {
    out = record->workArea;
    return 0;
  }
  out = platform::CurrentBackend().SystemWorkArea();
  return 1;
}

uint32_t MonitorList::MonitorFromRect(const platform::Rect& rect) const {
  const MonitorRecord* best = nullptr;
  int64_t bestOverlap = 0;
  for (const auto& record : records_) {
    int64_t overlap = OverlapArea(record.bounds, rect);
    if (overlap > bestOverlap) {
      bestOverlap = overlap;
      best = &record;
    }
  }
  if (best) return best->monitor;
  int64_t bestGap = 0;
  for (const auto& record : records_) {
    int64_t gap = SquaredGap(record.bounds, rect);
    if (!best || gap < bestGap) {
      bestGap = gap;
      best = &record;
    }
  }
  return best ? best->monitor : 0;
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
  auto far = [](int32_t from, int32_t size) {
    return int32_t(std::min<int64_t>(int64_t(from) + size, INT32_MAX));
  };
  platform::Rect rect{x, y, far(x, width), far(y, height)};
  const MonitorRecord* nearest = Find(MonitorFromRect(rect));
  platform::Rect work = nearest ? nearest->workArea : records_.front().workArea;
  if (work.Width() < width || work.Height() < height) {
    if (const MonitorRecord* other = Find(FindMonitorFor(width, height))) {
      work = other->workArea;
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
