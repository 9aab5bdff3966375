#include "raster/PixelOpLibrary.h"

#include <atomic>

#include "raster/CompositeKernels32.h"
#include "raster/Kernels32.h"

namespace orrivel {

namespace {

void* gEntries[kPixelOpEntryCount + 1];
std::atomic<PixelOpLibrary*> gCurrent{nullptr};

}  // namespace

PixelOpLibrary::PixelOpLibrary(const std::string& path, const void* processorInfo, bool mmxPresent) {
  const std::string full =
      !path.empty() && path[0] == '/' ? path : platform::SharedLibrary::ProgramFolder() + path;
  if (!module_.Open(full)) {
    error_ = module_.Error();
    return;
  }
  auto config = reinterpret_cast<PixelOpConfigFn>(module_.Symbol(kPixelOpConfigExport));
  auto getLibrary = reinterpret_cast<PixelOpGetLibraryFn>(module_.Symbol(kPixelOpGetLibraryExport));
  if (config == nullptr || getLibrary == nullptr) {
    error_ = "missing entry point";
    module_.Close();
    return;
  }
  try {
    if (mmxPresent)
      config(0, &CopyPixels32Packed, &CopyColorKeepAlpha32Mmx, &CopyAlphaKeepColor32Mmx);
    else
      config(0, &CopyPixels32, &CopyColorKeepAlpha32, &CopyAlphaKeepColor32);
    table_ = getLibrary(processorInfo);
  } catch (...) {
    table_ = nullptr;
  }
  // A library that hands back no table cannot be used.
  if (table_ == nullptr || table_->vtable == nullptr) {
    error_ = "library refused";
    table_ = nullptr;
    module_.Close();
    return;
  }
  for (int k = 1; k <= kPixelOpEntryCount; ++k) gEntries[k] = table_->words[k - 1];
}

PixelOpLibrary::~PixelOpLibrary() {
  PixelOpLibrary* self = this;
  gCurrent.compare_exchange_strong(self, nullptr);
  if (table_ != nullptr) {
    // The entries point into the module about to be released.
    for (int k = 1; k <= kPixelOpEntryCount; ++k)
      if (gEntries[k] == table_->words[k - 1]) gEntries[k] = nullptr;
    if (table_->vtable->destroy != nullptr) table_->vtable->destroy(table_);
  }
  table_ = nullptr;
  module_.Close();
}

std::unique_ptr<PixelOpLibrary> BindPixelOpLibrary(const void* processorInfo, bool mmxPresent) {
  auto binding = std::make_unique<PixelOpLibrary>(
      platform::SharedLibrary::ProgramFolder() + "tvpgl.dll", processorInfo, mmxPresent);
  if (!binding->HasModule()) {
    SetCurrentPixelOpLibrary(nullptr);
    return nullptr;
  }
  SetCurrentPixelOpLibrary(binding.get());
  return binding;
}

void SetCurrentPixelOpLibrary(PixelOpLibrary* binding) {
  gCurrent.store(binding != nullptr && binding->HasModule() ? binding : nullptr);
}

PixelOpLibrary* CurrentPixelOpLibrary() { return gCurrent.load(); }

void* PixelOpEntryAddress(int k) {
  if (k < 1 || k > kPixelOpEntryCount) return nullptr;
  return gEntries[k];
}

Rect PixelOpChangedRect() {
  const auto* rect = static_cast<const Rect*>(gEntries[kPixelOpChangedRect]);
  return rect != nullptr ? *rect : Rect{};
}

void ResetPixelOpEntries() {
  gCurrent.store(nullptr);
  for (auto& e : gEntries) e = nullptr;
}

}  // namespace orrivel
