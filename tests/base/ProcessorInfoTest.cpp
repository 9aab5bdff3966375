#include "base/ProcessorInfo.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "platform/Cpuid.h"

namespace orrivel {
namespace {

using platform::CpuidRegisters;
using platform::RecordedCpuid;

uint32_t Word(const char* text) {
  uint32_t v = 0;
  for (int i = 0; i < 4 && text[i]; ++i) v |= uint32_t(uint8_t(text[i])) << (8 * i);
  return v;
}

// A recorded processor: vendor, signature, feature words, descriptors or
// extended cache leaves and an optional brand string.
struct Recorded {
  const char* vendor;
  uint32_t signature;
  uint32_t ebx1 = 0;
  uint32_t edx1 = 0;
  uint32_t ecx1 = 0;
  std::vector<uint32_t> leaf2 = {};  // eax, ebx, ecx, edx
  uint32_t extEbx1 = 0;
  uint32_t extEdx1 = 0;
  uint32_t l1Leaf[2] = {0, 0};  // 0x80000005 ecx, edx
  uint32_t l2Leaf = 0;          // 0x80000006 ecx
  const char* brand = nullptr;
  uint32_t powerEdx = 0;  // 0x80000007 edx
  uint32_t processorType = 586;
};

RecordedCpuid Feed(const Recorded& r) {
  RecordedCpuid cpu;
  char v[13] = {};
  std::strncpy(v, r.vendor, 12);
  cpu.Set(0, {r.leaf2.empty() ? 1u : 2u, Word(v), Word(v + 8), Word(v + 4)});
  cpu.Set(1, {r.signature, r.ebx1, r.ecx1, r.edx1});
  if (!r.leaf2.empty()) cpu.Set(2, {r.leaf2[0], r.leaf2[1], r.leaf2[2], r.leaf2[3]});
  cpu.Set(0x80000000u, {0x80000007u, 0, 0, 0});
  cpu.Set(0x80000001u, {0, r.extEbx1, 0, r.extEdx1});
  cpu.Set(0x80000005u, {0, 0, r.l1Leaf[0], r.l1Leaf[1]});
  cpu.Set(0x80000006u, {0, 0, r.l2Leaf, 0});
  cpu.Set(0x80000007u, {0, 0, 0, r.powerEdx});
  if (r.brand) {
    char b[48] = {};
    std::strncpy(b, r.brand, 47);
    for (uint32_t i = 0; i < 3; ++i) {
      const char* p = b + 16 * i;
      cpu.Set(0x80000002u + i, {Word(p), Word(p + 4), Word(p + 8), Word(p + 12)});
    }
  }
  cpu.SetProcessorType(r.processorType);
  return cpu;
}

class ProcessorInfoTest : public ::testing::Test {
 protected:
  void SetUp() override { ResetProcessorInfoForTest(); }
  void TearDown() override { ResetProcessorInfoForTest(); }
};

struct NameCase {
  const char* what;
  Recorded cpu;
  const char* name;
  uint32_t trace, l1Code, l1Data, l2, l3;
};

TEST_F(ProcessorInfoTest, NamesAndCachesOfRecordedProcessors) {
  constexpr uint32_t kP4Features = 0xBFEBFBFF;
  const NameCase cases[] = {
      {"Intel with HTT and descriptors",
       {"GenuineIntel", 0x0F29, 0x00020809, kP4Features, 0, {0x665B5001, 0, 0, 0x007A7040}, 0, 0, {}, 0,
        "              Intel(R) Pentium(R) 4 CPU 3.00GHz"},
       "Intel Pentium 4 HT(Northwood)", 12, 0, 8, 256, 0},
      {"Intel single logical processor",
       {"GenuineIntel", 0x0F29, 0x00010809, kP4Features, 0, {0x665B5001, 0, 0, 0x007A7040}},
       "Intel Pentium 4(Northwood)", 12, 0, 8, 256, 0},
      {"Intel P6 without brand",
       {"GenuineIntel", 0x0683, 0x2, 0x0383FBFF, 0, {0x03020101, 0, 0, 0x0C040882}},
       "Intel Pentium III(Coppermine)", 0, 16, 16, 256, 0},
      {"Intel descriptor 40 on P6 means no L2",
       {"GenuineIntel", 0x0651, 0, 0x0183FBFF, 0, {0x43020101, 0, 0, 0x40}},
       "Intel Celeron(Convington)", 0, 0, 0, 0, 0},
      {"Intel Xeon with L3 3 MB",
       {"GenuineIntel", 0x0F25, 0x0001080C, kP4Features, 0, {0x665B5001, 0, 0, 0x007B708D}},
       "Intel Xeon MP(Gallatin)", 12, 0, 8, 512, 3072},
      {"Intel register with bit 31 set holds no descriptors",
       {"GenuineIntel", 0x0F25, 0x0001080C, kP4Features, 0, {0x665B5001, 0, 0, 0x8D7B7040}},
       "Intel Xeon(Prestonia)", 0, 0, 8, 0, 0},
      {"AMD Opteron",
       {"AuthenticAMD", 0x0F5A, 0, 0x078BFBFF, 0, {}, 0x0301, 0xE3D3FBFF, {0x40020140, 0x40020140},
        0x04008140},
       "AMD Opteron UP 140(SledgeHammer)", 0, 64, 64, 1024, 0},
      {"AMD Athlon 64",
       {"AuthenticAMD", 0x0F2A, 0, 0x078BFBFF, 0, {}, 0x010A, 0xE3D3FBFF, {0x40020140, 0x40020140},
        0x02008140},
       "AMD Athlon 64 3200+(ClawHammer)", 0, 64, 64, 512, 0},
      {"AMD family 15 without long mode",
       {"AuthenticAMD", 0x0F2A, 0, 0x078BFBFF, 0, {}, 0x010A, 0xC3D3FBFF},
       "AMD Athlon XP(Paris)", 0, 0, 0, 0, 0},
      {"AMD Spitfire reports 64 KB",
       {"AuthenticAMD", 0x0630, 0, 0x0383FBFF, 0, {}, 0, 0xC1C3FBFF, {0x40020140, 0x40020140},
        0x00408140},
       "AMD Duron(Spitfire)", 0, 64, 64, 64, 0},
      {"AMD mobile Palomino",
       {"AuthenticAMD", 0x0662, 0, 0x0383FBFF, 0, {}, 0, 0xC1C3FBFF, {0x40020140, 0x40020140},
        0x01008140, nullptr, 0x4},
       "AMD Mobile Athlon 4(Palomino)", 0, 64, 64, 256, 0},
      {"AMD family 5 takes fixed L1 sizes", {"AuthenticAMD", 0x058C, 0, 0x008021BF},
       "AMD K6-2(Chompers)", 0, 16, 16, 0, 0},
      {"Cyrix", {"CyrixInstead", 0x0520, 0, 0x0000011F}, "Cyrix 6x86 / 6x86L", 0, 8, 8, 0, 0},
      {"Centaur reads L2 from the top byte",
       {"CentaurHauls", 0x0678, 0, 0x00803035, 0, {}, 0, 0, {0x40040120, 0x40040120}, 0x40040120},
       "Centaur VIA C3(Ezra)", 0, 64, 64, 64, 0},
      {"another vendor takes the type name",
       {"Compaq FX!32", 0x0611, 0, 0, 0, {}, 0, 0, {}, 0, nullptr, 0, 21164},
       "Alpha 21164", 0, 0, 0, 0, 0},
      {"another vendor with an unlisted type",
       {"ConnectixCPU", 0x0611, 0, 0, 0, {}, 0, 0, {}, 0, nullptr, 0, 586}, "PowerPC", 0, 0, 0, 0, 0},
      {"an unknown vendor", {"SomeVendorXY", 0x0611, 0, 0, 0, {}, 0, 0, {}, 0, nullptr, 0, 8664},
       "Unknown", 0, 0, 0, 0, 0},
  };
  for (const NameCase& c : cases) {
    SCOPED_TRACE(c.what);
    ResetProcessorInfoForTest();
    RecordedCpuid cpu = Feed(c.cpu);
    platform::ScopedCpuid scoped(cpu);
    ASSERT_EQ(IdentifyProcessor(), 1);
    const ProcessorInfo& p = Processor();
    EXPECT_EQ(p.vendor, c.cpu.vendor);
    EXPECT_EQ(p.name, c.name);
    EXPECT_EQ(p.traceCache, c.trace);
    EXPECT_EQ(p.l1Code, c.l1Code);
    EXPECT_EQ(p.l1Data, c.l1Data);
    EXPECT_EQ(p.l2, c.l2);
    EXPECT_EQ(p.l3, c.l3);
  }
}

TEST_F(ProcessorInfoTest, SignatureFlagsAndBrand) {
  RecordedCpuid cpu = Feed({"GenuineIntel", 0x1F29, 0x00020809, 0xFFEBFBFF, 0x1, {0x665B5001, 0, 0, 0x007A7040},
                            0, 0x20080000, {}, 0, "   Brand text  "});
  platform::ScopedCpuid scoped(cpu);
  ASSERT_EQ(IdentifyProcessor(), 1);
  ProcessorInfo& p = Processor();
  EXPECT_EQ(p.type, 1);
  EXPECT_EQ(p.family, 15);
  EXPECT_EQ(p.model, 2);
  EXPECT_EQ(p.stepping, 9);
  EXPECT_TRUE(p.hasBrand);
  EXPECT_EQ(p.brand, "Brand text  ");
  EXPECT_TRUE(p.fpu && p.tsc && p.cmov && p.mmx && p.sse && p.sse2 && p.htt && p.sse3);
  EXPECT_TRUE(p.edxBit30);
  EXPECT_TRUE(p.longMode);
  EXPECT_TRUE(p.multiprocessor);
  EXPECT_FALSE(p.mmxPlus || p.amd3dNow || p.amd3dNowPlus);
  EXPECT_TRUE(p.integerSse);  // from SSE
  EXPECT_TRUE(PackedKernelsAllowed());

  // A second call changes nothing, even with another processor behind it.
  RecordedCpuid other = Feed({"AuthenticAMD", 0x0630, 0, 0});
  platform::ScopedCpuid second(other);
  EXPECT_EQ(IdentifyProcessor(), 2);
  EXPECT_EQ(Processor().vendor, "GenuineIntel");

  // Start-up may switch packed kernels off afterwards.
  p.mmx = false;
  EXPECT_FALSE(PackedKernelsAllowed());
}

TEST_F(ProcessorInfoTest, NoBrandNoIdentificationInstruction) {
  RecordedCpuid plain = Feed({"GenuineIntel", 0x0683, 0x2, 0x0383FBFF});
  {
    platform::ScopedCpuid scoped(plain);
    ASSERT_EQ(IdentifyProcessor(), 1);
    EXPECT_FALSE(Processor().hasBrand);
    EXPECT_TRUE(Processor().brand.empty());
    EXPECT_FALSE(Processor().htt);  // bit 28 clear
  }

  ResetProcessorInfoForTest();
  RecordedCpuid none;
  none.SetHasCpuid(false);
  platform::ScopedCpuid scoped(none);
  EXPECT_EQ(IdentifyProcessor(), 0);
  EXPECT_TRUE(Processor().vendor.empty());
  EXPECT_TRUE(Processor().name.empty());
  EXPECT_FALSE(Processor().mmx);
  EXPECT_FALSE(PackedKernelsAllowed());
  EXPECT_EQ(IdentifyProcessor(), 2);
}

#if defined(__x86_64__)
TEST_F(ProcessorInfoTest, IdentifiesThisMachine) {
  ASSERT_EQ(IdentifyProcessor(), 1);
  const ProcessorInfo& p = Processor();
  EXPECT_EQ(p.vendor.size(), 12u);
  EXPECT_FALSE(p.name.empty());
  // Every x86-64 processor has these, so the packed kernels run here.
  EXPECT_TRUE(p.fpu && p.tsc && p.cmov && p.mmx && p.sse && p.sse2 && p.longMode);
  EXPECT_TRUE(PackedKernelsAllowed());
}
#endif

}  // namespace
}  // namespace orrivel
