#pragma once
// The control factory and control host as the layout readers see them: a
// control layout's parts become image buttons and image check buttons of a
// real ControlFactory and join a real ControlHost. The ports handed out stay
// valid as long as this adapter; the controls themselves stay the factory's
// (a reader deletes them through Delete only to undo a failed load).
#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

#include "resource/ControlFactoryPort.h"

namespace orrivel {

class Control;
class ControlFactory;
class ControlHost;
class LayoutSpriteCanvas;

// A control made through the adapter.
class LayoutControl final : public ControlPort {
 public:
  explicit LayoutControl(Control* control) : control_(control) {}
  void SetVisible(bool visible) override;
  void SetTag(int32_t tag) override;
  Control* GetControl() const { return control_; }

 private:
  Control* control_;
};

class LayoutControlFactory final : public ControlFactoryPort, public ControlHostPort {
 public:
  LayoutControlFactory(ControlFactory& factory, ControlHost& host);
  ~LayoutControlFactory() override;
  LayoutControlFactory(const LayoutControlFactory&) = delete;
  LayoutControlFactory& operator=(const LayoutControlFactory&) = delete;

  // The reader's values pass on in order: the state flag is the
  // has-disabled cell, the variant the has-pressed cell (a check button's
  // style), the value the blend mode, the option the draw flags, the key
  // value and the next value the key colour's place, the group the order.
  int CreateImageButton(ControlPort** out, int32_t x, int32_t y, std::string_view fileName, bool stateFlag,
                        int32_t variant, int32_t value, uint8_t option, int32_t keyValue, int32_t next,
                        int32_t group) override;
  int CreateImageCheckButton(ControlPort** out, int32_t x, int32_t y, std::string_view fileName, int32_t variant,
                             bool stateFlag, ControlPort* groupLeader, int32_t value, uint8_t option,
                             int32_t keyValue, int32_t next, int32_t group) override;
  int Delete(ControlPort* control) override;
  SpriteCanvasPort* GetCanvas() override;

  // As the host: a control made by another adapter counts as none (1).
  int AddControl(ControlPort* control, int32_t index) override;

  // The real control behind a port handed out here; null for any other.
  Control* ControlOf(const ControlPort* port) const;

 private:
  LayoutControl* Adopt(Control* control);

  ControlFactory& factory_;
  ControlHost& host_;
  std::vector<std::unique_ptr<LayoutControl>> controls_;
  std::unique_ptr<LayoutSpriteCanvas> canvas_;
};

}  // namespace orrivel
