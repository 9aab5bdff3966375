#pragma once
// The application's windows: the main window, in which the game is drawn,
// and the full-screen menu strip. Beyond the base window object they keep the
// system's own composition and candidate windows out of the game's picture.
#include "base/WindowObject.h"

namespace orrivel {

// What the main window asks of its owner.
class MainWindowHost {
 public:
  virtual ~MainWindowHost() = default;
  virtual bool IsFullScreen() const = 0;
  virtual void SetCandidateListOpen(bool open) = 0;
};

class MainWindow : public WindowObject {
 public:
  explicit MainWindow(MainWindowHost* host = nullptr) : host_(host) {}
  int OnMessage(MessageRecord& record) override;

 private:
  MainWindowHost* host_;
};

}  // namespace orrivel
