#include "platform/sdl/SdlApi.h"

#include <dlfcn.h>

#include <cstdlib>
#include <mutex>

namespace orrivel::platform::sdl {
namespace {

struct LoadOutcome {
  std::unique_ptr<SdlLibrary> library;
  std::string error;
};

// Never destroyed: closing SDL at exit would unmap it while its own
// threads and the memory its globals hold may still be in use.
LoadOutcome& ProcessLibrary() {
  static LoadOutcome* outcome = new LoadOutcome;
  return *outcome;
}

std::once_flag g_loadOnce;

template <typename Pointer>
bool Bind(void* handle, const char* symbol, Pointer& slot, std::string* missing) {
  slot = reinterpret_cast<Pointer>(::dlsym(handle, symbol));
  if (slot == nullptr && missing->empty()) *missing = symbol;
  return slot != nullptr;
}

}  // namespace

SdlLibrary::SdlLibrary() : functions_(std::make_unique<SdlFunctions>()) {}

SdlLibrary::~SdlLibrary() {
  if (handle_ != nullptr) ::dlclose(handle_);
}

std::unique_ptr<SdlLibrary> SdlLibrary::Open(const char* libraryName, std::string* why) {
  void* handle = ::dlopen(libraryName, RTLD_NOW | RTLD_LOCAL);
  if (handle == nullptr) {
    const char* reason = ::dlerror();
    if (why) *why = std::string("SDL2 is not available (") + (reason ? reason : libraryName) + ")";
    return nullptr;
  }
  std::unique_ptr<SdlLibrary> library(new SdlLibrary);
  library->handle_ = handle;
  std::string missing;
#define ORRIVEL_SDL_BIND(name) Bind(handle, "SDL_" #name, library->functions_->name, &missing);
  ORRIVEL_SDL_FUNCTIONS(ORRIVEL_SDL_BIND)
#undef ORRIVEL_SDL_BIND
  if (!missing.empty()) {
    if (why) *why = std::string("SDL2 library ") + libraryName + " lacks " + missing;
    return nullptr;
  }
  return library;
}

bool Load(std::string* why) {
  std::call_once(g_loadOnce, [] {
    LoadOutcome& outcome = ProcessLibrary();
    outcome.library = SdlLibrary::Open(kLibraryName, &outcome.error);
  });
  const LoadOutcome& outcome = ProcessLibrary();
  if (!outcome.library && why) *why = outcome.error;
  return outcome.library != nullptr;
}

const SdlFunctions& Api() {
  const LoadOutcome& outcome = ProcessLibrary();
  if (!outcome.library) std::abort();  // a caller skipped Load(): a programming error
  return outcome.library->Functions();
}

}  // namespace orrivel::platform::sdl
