#pragma once
// What the control layout asks of the widget side: image buttons and image
// check buttons made by a control factory, and the host they join. Controls
// stay the factory's; the reader deletes them through it only to undo a
// failed load.
#include <cstdint>
#include <string_view>

#include "resource/SpriteCanvasPort.h"

namespace orrivel {

class ControlPort {
 public:
  virtual ~ControlPort() = default;
  virtual void SetVisible(bool visible) = 0;
  virtual void SetTag(int32_t tag) = 0;
};

class ControlHostPort {
 public:
  virtual ~ControlHostPort() = default;
  // A negative index means the end. 0 done, 1 no control, 2 the control
  // already has a host, 3 out of memory.
  virtual int AddControl(ControlPort* control, int32_t index) = 0;
};

class ControlFactoryPort {
 public:
  virtual ~ControlFactoryPort() = default;
  // 0 done (*out set), -2 out of memory, else the control's set-up code.
  virtual int CreateImageButton(ControlPort** out, int32_t x, int32_t y, std::string_view fileName,
                                bool stateFlag, int32_t variant, int32_t value, uint8_t option,
                                int32_t keyValue, int32_t next, int32_t group) = 0;
  virtual int CreateImageCheckButton(ControlPort** out, int32_t x, int32_t y, std::string_view fileName,
                                     int32_t variant, bool stateFlag, ControlPort* groupLeader,
                                     int32_t value, uint8_t option, int32_t keyValue, int32_t next,
                                     int32_t group) = 0;
  // 0 deleted, 1 none, 2 not made by this factory.
  virtual int Delete(ControlPort* control) = 0;
  // The canvas bound to the factory, null when none.
  virtual SpriteCanvasPort* GetCanvas() = 0;
};

}  // namespace orrivel
