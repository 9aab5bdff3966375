#pragma once
// The virtual X server starts with one display mode, its screen's size.
// This gives its output more modes through the X server's resize-and-rotate
// extension, and reads which mode the output shows, as a player's screen
// would show it. The server drops the modes when the connection that made
// them closes, so they live as long as this object.
#include <string>
#include <utility>

namespace orrivel::test {

class XvfbDisplayModes {
 public:
  explicit XvfbDisplayModes(const std::string& display);
  ~XvfbDisplayModes();
  XvfbDisplayModes(const XvfbDisplayModes&) = delete;
  XvfbDisplayModes& operator=(const XvfbDisplayModes&) = delete;

  // False where the extension (or the library for it) is missing.
  bool Available() const { return connection_ != nullptr; }
  // A mode no larger than the server's screen (the server refuses others).
  bool Add(int width, int height);
  // Width and height of the mode the output shows now; (0, 0) when unknown.
  std::pair<int, int> Shown();

 private:
  void* connection_ = nullptr;
};

}  // namespace orrivel::test
