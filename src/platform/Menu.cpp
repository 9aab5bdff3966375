#include "platform/Menu.h"

namespace orrivel::platform {
namespace {

MenuItem* FindIn(std::vector<MenuItem>& items, uint32_t id) {
  for (auto& item : items) {
    if (id != 0 && item.id == id) return &item;
    if (MenuItem* found = FindIn(item.children, id)) return found;
  }
  return nullptr;
}

bool RemoveFrom(std::vector<MenuItem>& items, uint32_t id) {
  for (auto it = items.begin(); it != items.end(); ++it) {
    if (it->id == id) {
      items.erase(it);
      return true;
    }
    if (RemoveFrom(it->children, id)) return true;
  }
  return false;
}

}  // namespace

MenuItem* Menu::Find(uint32_t id) { return FindIn(items_, id); }

bool Menu::Check(uint32_t id, bool checked) {
  MenuItem* item = Find(id);
  if (!item) return false;
  item->checked = checked;
  return true;
}

bool Menu::Enable(uint32_t id, bool enabled) {
  MenuItem* item = Find(id);
  if (!item) return false;
  item->enabled = enabled;
  return true;
}

bool Menu::Remove(uint32_t id) { return id != 0 && RemoveFrom(items_, id); }

}  // namespace orrivel::platform
