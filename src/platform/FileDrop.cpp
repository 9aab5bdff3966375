#include "platform/FileDrop.h"

#include <cstring>
#include <map>
#include <mutex>
#include <set>

#include "base/Cp932.h"
#include "platform/WindowSystem.h"

namespace orrivel::platform {
namespace {

struct DropTable {
  std::mutex mutex;
  std::map<DropHandle, std::vector<std::string>> drops;
  std::set<WindowId> accepting;
  DropHandle next = 1;
};

DropTable& Table() {
  static DropTable table;
  return table;
}

// The longest prefix of at most limit bytes that does not split a two-byte
// character.
size_t CutAtCharacter(const std::string& text, size_t limit) {
  size_t at = 0;
  while (at < text.size()) {
    size_t step = (cp932::IsLeadByte(text[at]) && at + 1 < text.size()) ? 2 : 1;
    if (at + step > limit) break;
    at += step;
  }
  return at;
}

}  // namespace

DropHandle CreateDrop(std::vector<std::string> names) {
  DropTable& t = Table();
  std::lock_guard lock(t.mutex);
  DropHandle handle = t.next++;
  if (t.next == 0) t.next = 1;
  t.drops[handle] = std::move(names);
  return handle;
}

uint32_t DragQueryFile(DropHandle drop, uint32_t index, char* buffer, uint32_t size) {
  DropTable& t = Table();
  std::lock_guard lock(t.mutex);
  auto it = t.drops.find(drop);
  if (it == t.drops.end()) return 0;
  const std::vector<std::string>& names = it->second;
  if (index == kDropQueryCount) return uint32_t(names.size());
  if (index >= names.size()) return 0;
  const std::string& name = names[index];
  if (!buffer) return uint32_t(name.size());
  if (size == 0) return 0;
  size_t count = CutAtCharacter(name, size - 1);
  std::memcpy(buffer, name.data(), count);
  buffer[count] = '\0';
  return uint32_t(count);
}

void DragFinish(DropHandle drop) {
  DropTable& t = Table();
  std::lock_guard lock(t.mutex);
  t.drops.erase(drop);
}

size_t PendingDropCount() {
  DropTable& t = Table();
  std::lock_guard lock(t.mutex);
  return t.drops.size();
}

void DragAcceptFiles(WindowId window, bool accept) {
  DropTable& t = Table();
  std::lock_guard lock(t.mutex);
  if (accept) t.accepting.insert(window);
  else t.accepting.erase(window);
}

bool AcceptsDroppedFiles(WindowId window) {
  DropTable& t = Table();
  std::lock_guard lock(t.mutex);
  return t.accepting.count(window) != 0;
}

bool PostDroppedFiles(WindowSystem& system, WindowId window, std::vector<std::string> names) {
  if (names.empty() || !AcceptsDroppedFiles(window)) return false;
  DropHandle drop = CreateDrop(std::move(names));
  if (system.PostMessage(window, WM_DROPFILES, drop, 0)) return true;
  DragFinish(drop);
  return false;
}

}  // namespace orrivel::platform
