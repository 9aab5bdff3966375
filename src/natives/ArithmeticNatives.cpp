#include <cmath>
#include <limits>
#include <memory>

#include "base/MathTables.h"
#include "base/MtRandom.h"
#include "natives/GameScriptHost.h"
#include "natives/NativeBinder.h"
#include "natives/ScriptNativeFamilies.h"
#include "base/TickSource.h"
#include "resource/BaseFolder.h"

namespace orrivel {

namespace {

constexpr uint32_t kSinFixed = 78;
constexpr uint32_t kCosFixed = 79;
constexpr uint32_t kPolarToPoint = 80;
constexpr uint32_t kRandomMT = 83;
constexpr uint32_t kSeedRandomMT = 84;
constexpr uint32_t kFloatAdd = 85;
constexpr uint32_t kFloatSub = 86;
constexpr uint32_t kFloatMul = 87;
constexpr uint32_t kFloatDiv = 88;
constexpr uint32_t kIndexOfMax = 89;
constexpr uint32_t kIndexOfMin = 90;
constexpr uint32_t kSetBaseFolder = 91;
constexpr uint32_t kGetBaseFolder = 92;

// The published cosine table, or one of our own when none is published.
const MathTables& Tables() {
  if (const MathTables* tables = GetMathTables()) return *tables;
  static const MathTables own;
  return own;
}

int32_t Sin(int32_t angle) { return Tables().Sin(angle); }
int32_t Cos(int32_t angle) { return Tables().Cos(angle); }

// A script's float division: a zero divisor gives what the floating-point
// unit gives (an infinity of the quotient's sign, NaN for 0/0 or NaN),
// spelt out rather than left to a division by zero.
double Quotient(double a, double b) {
  if (b != 0.0) return a / b;
  if (a != a || a == 0.0) return std::numeric_limits<double>::quiet_NaN();
  const bool negative = std::signbit(a) != std::signbit(b);
  return negative ? -std::numeric_limits<double>::infinity() : std::numeric_limits<double>::infinity();
}

// Float cells as double, the result rounded back to a float's bits.
template <typename Op>
ScriptNative FloatNative(Op op) {
  return [op](NativeArgs& args) -> uint32_t {
    const double a = args.Float(0);
    const double b = args.Float(1);
    return args.Failed() ? 0 : NativeArgs::FloatBits(float(op(a, b)));
  };
}

// The first position whose value wins against every earlier one.
template <typename Better>
ScriptNative IndexNative(Better better) {
  return [better](NativeArgs& args) -> uint32_t {
    const int32_t count = args.Int(0);
    if (args.Failed() || count < 2) return 0;
    // Values that would lie past the block the arguments are in answer 0
    // before any is read, rather than a walk over the rest of the arena.
    const uint64_t live = args.Space().LiveBytesAt(args.Block());
    if (live != 0 && 4 * (uint64_t(count) + 1) > live) return 0;
    uint32_t best = 0;
    int32_t bestValue = args.Int(1);
    for (int32_t i = 1; i < count && !args.Failed(); ++i) {
      const int32_t value = args.Int(uint32_t(i) + 1);
      if (better(value, bestValue)) {
        best = uint32_t(i);
        bestValue = value;
      }
    }
    return args.Failed() ? 0 : best;
  };
}

// The host's Mersenne twister: made on the first call of either native
// (seeded with the tick count when drawing makes it) and gone with the
// host's native table, which holds the natives that share it.
using SharedTwister = std::shared_ptr<std::unique_ptr<MtRandom>>;

MtRandom& Twister(const SharedTwister& twister, uint32_t seed) {
  if (!*twister) {
    *twister = std::make_unique<MtRandom>();
    (*twister)->SeedRandom(seed);
  }
  return **twister;
}

}  // namespace

// Fixed-point trigonometry on 512 steps a turn, the host's Mersenne twister,
// float arithmetic on bit patterns, and the base folder.
void BindArithmeticNatives(NativeBinder& binder) {
  GameScriptHost& host = binder.Host();
  auto twister = std::make_shared<std::unique_ptr<MtRandom>>();
  binder.Bind(kSinFixed, [](NativeArgs& args) { return uint32_t(Sin(args.Int(0))); });
  binder.Bind(kCosFixed, [](NativeArgs& args) { return uint32_t(Cos(args.Int(0))); });
  binder.Bind(kPolarToPoint, [](NativeArgs& args) -> uint32_t {
    const int32_t angle = args.Int(0);
    const int64_t radius = args.Int(1);
    const int32_t cx = args.Int(2);
    const int32_t cy = args.Int(3);
    if (args.Failed()) return 0;
    // Script arithmetic wraps at 32 bits, as the scripts' own does.
    const uint32_t x = uint32_t(cx) + uint32_t((Cos(angle) * radius) >> 16);
    const uint32_t y = uint32_t(cy) - uint32_t((Sin(angle) * radius) >> 16);
    args.SetInt(4, x);
    args.SetInt(5, y);
    return 0;
  });
  binder.Bind(kRandomMT, [twister](NativeArgs& args) -> uint32_t {
    const uint32_t modulus = args.Cell(0);
    if (args.Failed()) return 0;
    MtRandom& random = Twister(twister, CurrentTickMs());
    return modulus == 0 ? 0 : random.NextRandom() % modulus;
  });
  binder.Bind(kSeedRandomMT, [twister](NativeArgs& args) -> uint32_t {
    const uint32_t seed = args.Cell(0);
    if (args.Failed()) return 0;
    Twister(twister, seed).SeedRandom(seed);
    return 1;
  });
  binder.Bind(kFloatAdd, FloatNative([](double a, double b) { return a + b; }));
  binder.Bind(kFloatSub, FloatNative([](double a, double b) { return a - b; }));
  binder.Bind(kFloatMul, FloatNative([](double a, double b) { return a * b; }));
  binder.Bind(kFloatDiv, FloatNative([](double a, double b) { return Quotient(a, b); }));
  binder.Bind(kIndexOfMax, IndexNative([](int32_t v, int32_t best) { return v > best; }));
  binder.Bind(kIndexOfMin, IndexNative([](int32_t v, int32_t best) { return v < best; }));
  binder.Bind(kSetBaseFolder, [](NativeArgs& args) -> uint32_t {
    const std::string path = args.String(0);
    if (!args.Failed()) SetBaseFolder(path);
    return 0;
  });
  binder.Bind(kGetBaseFolder, [&host](NativeArgs&) { return host.HostString("base folder", BaseFolder()); });
}

}  // namespace orrivel
