#include "platform/InputSource.h"

#include "platform/Backend.h"
#include "platform/headless/HeadlessInput.h"
#include "platform/sdl/SdlInput.h"

namespace orrivel::platform {
namespace {

InputSource* g_source = nullptr;

}  // namespace

InputSource& CurrentInputSource() {
  if (g_source) return *g_source;
  if (!CurrentBackend().IsHeadless()) {
    static SdlInput sdl;
    return sdl;
  }
  static HeadlessInput fallback;
  return fallback;
}

InputSource* SetInputSource(InputSource* source) {
  InputSource* previous = g_source;
  g_source = source;
  return previous;
}

}  // namespace orrivel::platform
