#pragma once
// Start-up steps that belong to libraries built on top of this one (the
// processor flags that select packed pixel kernels, the blend tables). The
// program fills these in before the application starts; an empty hook is
// skipped.
#include <cstdint>
#include <functional>

namespace orrivel {

struct StartupHooks {
  // Identifies the processor once (before the report is begun).
  std::function<void()> identifyProcessor;
  // Clears the processor features that the settings forbid.
  std::function<void(bool allowCmov, bool allowMmx, bool allowSse, bool allowSse2)> maskProcessorFeatures;
  // Fills the process-wide blend tables.
  std::function<void()> buildBlendTables;
  // The settings byte that the raster subsystem reads.
  std::function<void(uint8_t)> publishRasterSetting;
};

StartupHooks& GetStartupHooks();
// Empties every hook (tests).
void ResetStartupHooks();

}  // namespace orrivel
