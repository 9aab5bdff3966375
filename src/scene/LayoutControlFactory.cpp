#include "scene/LayoutControlFactory.h"

#include <algorithm>
#include <string>

#include "scene/ButtonControl.h"
#include "scene/CheckButtonControl.h"
#include "scene/Control.h"
#include "scene/ControlFactory.h"
#include "scene/ControlHost.h"
#include "scene/LayoutSpriteCanvas.h"

namespace orrivel {

void LayoutControl::SetVisible(bool visible) { control_->SetVisible(visible); }

void LayoutControl::SetTag(int32_t tag) { control_->SetTag(tag); }

LayoutControlFactory::LayoutControlFactory(ControlFactory& factory, ControlHost& host)
    : factory_(factory), host_(host) {}

LayoutControlFactory::~LayoutControlFactory() = default;

LayoutControl* LayoutControlFactory::Adopt(Control* control) {
  controls_.push_back(std::make_unique<LayoutControl>(control));
  return controls_.back().get();
}

int LayoutControlFactory::CreateImageButton(ControlPort** out, int32_t x, int32_t y, std::string_view fileName,
                                            bool stateFlag, int32_t variant, int32_t value, uint8_t option,
                                            int32_t keyValue, int32_t next, int32_t group) {
  if (out == nullptr) return 1;
  *out = nullptr;
  const std::string name(fileName);
  ButtonControl* button = nullptr;
  const int32_t made = factory_.CreateImageButton(&button, x, y, name.c_str(), stateFlag, variant != 0,
                                                  uint8_t(value), option, keyValue, next, group);
  if (made != 0 || button == nullptr) return made != 0 ? made : -2;
  *out = Adopt(button);
  return 0;
}

int LayoutControlFactory::CreateImageCheckButton(ControlPort** out, int32_t x, int32_t y,
                                                 std::string_view fileName, int32_t variant, bool stateFlag,
                                                 ControlPort* groupLeader, int32_t value, uint8_t option,
                                                 int32_t keyValue, int32_t next, int32_t group) {
  if (out == nullptr) return 1;
  *out = nullptr;
  Control* leader = ControlOf(groupLeader);
  if (groupLeader != nullptr && leader == nullptr) return 1;
  const std::string name(fileName);
  CheckButtonControl* button = nullptr;
  const int32_t made = factory_.CreateImageCheckButton(&button, x, y, name.c_str(), uint8_t(variant), stateFlag,
                                                       leader, uint8_t(value), option, keyValue, next, group);
  if (made != 0 || button == nullptr) return made != 0 ? made : -2;
  *out = Adopt(button);
  return 0;
}

int LayoutControlFactory::Delete(ControlPort* control) {
  if (control == nullptr) return 1;
  const auto found = std::find_if(controls_.begin(), controls_.end(),
                                  [control](const std::unique_ptr<LayoutControl>& c) { return c.get() == control; });
  if (found == controls_.end()) return 2;
  const int32_t deleted = factory_.Delete((*found)->GetControl());
  controls_.erase(found);
  return deleted;
}

SpriteCanvasPort* LayoutControlFactory::GetCanvas() {
  SpriteCanvas* canvas = factory_.GetCanvas();
  if (canvas == nullptr) return nullptr;
  // The factory's canvas can change between loads.
  if (!canvas_ || &canvas_->Canvas() != canvas) canvas_ = std::make_unique<LayoutSpriteCanvas>(*canvas);
  return canvas_.get();
}

int LayoutControlFactory::AddControl(ControlPort* control, int32_t index) {
  Control* real = ControlOf(control);
  if (real == nullptr) return 1;
  return int(host_.AddControl(real, index));
}

Control* LayoutControlFactory::ControlOf(const ControlPort* port) const {
  if (port == nullptr) return nullptr;
  for (const auto& c : controls_)
    if (c.get() == port) return c->GetControl();
  return nullptr;
}

}  // namespace orrivel
