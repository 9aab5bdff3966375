#pragma once
// The clipboard of runs without a display: the text stays in memory.
#include <mutex>

#include "platform/Clipboard.h"

namespace orrivel::platform {

class HeadlessClipboard : public Clipboard {
 public:
  bool SetText(std::string_view cp932) override {
    std::lock_guard<std::mutex> hold(lock_);
    text_ = std::string(cp932);
    return true;
  }
  std::optional<std::string> GetText() override {
    std::lock_guard<std::mutex> hold(lock_);
    return text_;
  }

 private:
  std::mutex lock_;
  std::optional<std::string> text_;
};

}  // namespace orrivel::platform
