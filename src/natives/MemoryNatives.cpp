#include <vector>

#include "natives/GameScriptHost.h"
#include "natives/NativeBinder.h"
#include "natives/ScriptNativeFamilies.h"
#include "script/ScriptAddressSpace.h"

namespace orrivel {

namespace {

constexpr uint32_t kMemAlloc = 72;
constexpr uint32_t kMemAllocZero = 73;
constexpr uint32_t kMemFree = 74;
constexpr uint32_t kFillWords = 75;
constexpr uint32_t kFillBytes = 76;
constexpr uint32_t kCopyBytes = 77;

// The bytes at address when the whole range lies in the arena; else a
// failed call (the step ends as invalid code) and nothing is touched.
uint8_t* Range(NativeArgs& args, uint32_t address, uint64_t size) {
  uint8_t* bytes = args.Space().Bytes(address, size);
  if (!bytes) args.Fail();
  return bytes;
}

uint32_t Allocate(GameScriptHost& host, NativeArgs& args, bool zero) {
  const int32_t size = args.Int(0);
  if (args.Failed() || size < 1) return 0;
  // The arena hands out zeroed blocks, so both natives answer the same;
  // a size the arena cannot hold answers 0 without touching anything.
  static_cast<void>(zero);
  const uint32_t block = host.Space().Allocate(uint64_t(size));
  if (block == 0) return 0;
  host.MemoryBlocks().insert(block);
  return block;
}

}  // namespace

// Arena blocks for the scripts, and fills and copies that stay inside the
// arena: a range that leaves it writes nothing.
void BindMemoryNatives(NativeBinder& binder) {
  GameScriptHost& host = binder.Host();
  binder.Bind(kMemAlloc, [&host](NativeArgs& args) { return Allocate(host, args, false); });
  binder.Bind(kMemAllocZero, [&host](NativeArgs& args) { return Allocate(host, args, true); });
  binder.Bind(kMemFree, [&host](NativeArgs& args) -> uint32_t {
    const uint32_t block = args.Cell(0);
    if (args.Failed() || host.MemoryBlocks().erase(block) == 0) return 0;
    host.Space().Free(block);
    return 1;
  });
  binder.Bind(kFillWords, [](NativeArgs& args) -> uint32_t {
    const uint32_t dst = args.Cell(0);
    const uint32_t value = args.Cell(1);
    const int32_t count = args.Int(2);
    if (args.Failed() || dst == 0) return 0;
    if (count <= 0) return 1;
    if (!Range(args, dst, uint64_t(count) * 4)) return 0;
    for (int32_t i = 0; i < count; ++i) args.Space().Write32(dst + uint32_t(i) * 4, value);
    return 1;
  });
  binder.Bind(kFillBytes, [](NativeArgs& args) -> uint32_t {
    const uint32_t dst = args.Cell(0);
    const uint8_t value = args.Byte(1);
    const int32_t count = args.Int(2);
    if (args.Failed() || dst == 0) return 0;
    if (count <= 0) return 1;
    uint8_t* bytes = Range(args, dst, uint64_t(count));
    if (!bytes) return 0;
    for (int32_t i = 0; i < count; ++i) bytes[i] = value;
    return 1;
  });
  binder.Bind(kCopyBytes, [](NativeArgs& args) -> uint32_t {
    const uint32_t dst = args.Cell(0);
    const uint32_t src = args.Cell(1);
    const int32_t count = args.Int(2);
    if (args.Failed() || dst == 0 || src == 0) return 0;
    if (count <= 0) return 1;
    uint8_t* to = Range(args, dst, uint64_t(count));
    uint8_t* from = to ? Range(args, src, uint64_t(count)) : nullptr;
    if (!from) return 0;
    // Forward, byte by byte: an overlapping copy repeats the leading bytes
    // as the scripts expect.
    for (int32_t i = 0; i < count; ++i) to[i] = from[i];
    return 1;
  });
}

}  // namespace orrivel
