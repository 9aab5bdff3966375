#include "raster/DrawSettingByte.h"

#include <atomic>

namespace orrivel {

namespace {
std::atomic<uint8_t> gDrawSettingByte{1};
}  // namespace

void SetDrawSettingByte(uint8_t value) { gDrawSettingByte.store(value, std::memory_order_relaxed); }

uint8_t DrawSettingByte() { return gDrawSettingByte.load(std::memory_order_relaxed); }

}  // namespace orrivel
