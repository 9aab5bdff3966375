#pragma once
// Menus and accelerator tables. There is no native menu bar on this system,
// so a menu is a model only: items with their check and enable states, which
// commands and accelerators use, and a count of the redraws the program
// asked for after changing them. Nothing draws it.
#include <cstdint>
#include <string>
#include <vector>

namespace orrivel::platform {

struct MenuItem {
  uint32_t id = 0;     // command sent with WM_COMMAND; 0 for a separator or submenu
  std::string text;    // CP932
  bool checked = false;
  bool enabled = true;
  std::vector<MenuItem> children;
};

class Menu {
 public:
  Menu() = default;
  explicit Menu(std::vector<MenuItem> items) : items_(std::move(items)) {}

  const std::vector<MenuItem>& Items() const { return items_; }
  void Append(MenuItem item) { items_.push_back(std::move(item)); }
  // Search depth first; nullptr when no item has the id.
  MenuItem* Find(uint32_t id);
  bool Check(uint32_t id, bool checked);
  bool Enable(uint32_t id, bool enabled);
  bool Remove(uint32_t id);
  // The program asks for the bar to show its changed states.
  void RequestRedraw() { ++redraws_; }
  uint32_t Redraws() const { return redraws_; }

 private:
  std::vector<MenuItem> items_;
  uint32_t redraws_ = 0;
};

// Accelerator flags.
constexpr uint8_t FVIRTKEY = 0x01;
constexpr uint8_t FSHIFT = 0x04;
constexpr uint8_t FCONTROL = 0x08;
constexpr uint8_t FALT = 0x10;

struct Accelerator {
  uint8_t flags = FVIRTKEY;
  uint16_t key = 0;  // virtual key (with FVIRTKEY) or character
  uint16_t command = 0;
};

using AcceleratorTable = std::vector<Accelerator>;

}  // namespace orrivel::platform
