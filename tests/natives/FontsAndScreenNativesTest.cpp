// Natives 163 to 218 as compiled scripts call them: fonts and their
// settings by kind, measuring and drawing text, the installed faces, the
// screen settings and group ids, the image-loader cache and plug-ins, tasks
// by handle and by type, and the named layer actions.
#include <gtest/gtest.h>

#include <string>

#include "../scene/GoldenSupport.h"
#include "DisplayNativeRig.h"
#include "NativeHarness.h"
#include "NativeSession.h"
#include "base/TimerList.h"
#include "effect/LayerAction.h"
#include "natives/AppNativePort.h"
#include "natives/DisplayObjectArguments.h"
#include "raster/Surface.h"
#include "resource/BmpDecoder.h"
#include "resource/DcpManager.h"
#include "resource/ImageLoaderManager.h"
#include "text/FontFaceList.h"
#include "text/OutlineFont.h"
#include "text/SurfaceText.h"

namespace orrivel::testing {
namespace {

// A task of a type that counts its pauses and stops.
class CountingTask final : public TimedTask {
 public:
  explicit CountingTask(int32_t type) : type_(type) {}
  int32_t GetTypeId() const override { return type_; }
  int32_t Step(uint32_t) override { return 0; }
  void Stop() override { ++stops; }
  int stops = 0;

 private:
  int32_t type_;
};

// A layer action that records its set-up, answers control and query with
// its cells and writes through the first one.
class RecordingAction final : public LayerAction {
 public:
  static inline CanvasDrawObject* target = nullptr;
  static inline int32_t firstCell = 0;
  static DcpObject* Make(int32_t) { return new RecordingAction(); }
  static int32_t Assist(const ObjectArguments& cells) { return cells.Cell(0) + cells.Cell(1); }

  const char* GetName() const override { return "rec"; }
  uint8_t GetCategory() const override { return kSpriteCategory; }
  int32_t Step(uint32_t) override { return 0; }
  void Stop() override {}
  using LayerAction::SetupV;
  int32_t SetupV(TimerList* list, const ObjectArgument& t, const ObjectArguments& cells) override {
    target = t.Object<CanvasDrawObject>();
    firstCell = cells.Cell(0);
    if (firstCell < 0) return 3;  // refused
    return list->Add(this, 0, 16, 0);
  }
  int32_t ControlV(const ObjectArguments& cells) override { return cells.Cell(0) * 10; }
  int32_t QueryV(const ObjectArguments& cells) override { return cells.Cell(0) + 1; }
};

class FontsAndScreenNativesTest : public DisplayNativeRig {
 protected:
  void SetUp() override {
    DisplayNativeRig::SetUp();
    previousLoaders_ = Surface::SetLoaderManager(&loaders_);
    actions_.RegisterObject(&RecordingAction::Make, "rec", 0, nullptr, &RecordingAction::Assist, 0);
    GameHostSetup setup;
    setup.objectTimers = &timers_;
    setup.actions = &actions_;
    harness_ = std::make_unique<NativeHarness>(std::move(setup));
  }
  void TearDown() override {
    harness_.reset();
    timers_.Clear();
    SetDefaultFont(nullptr);
    Surface::SetLoaderManager(previousLoaders_);
    DisplayNativeRig::TearDown();
  }

  NativeCall Call(std::string_view native, const std::vector<Arg>& args = {}) {
    const NativeCall call = harness_->Call(native, args);
    EXPECT_TRUE(call.Ran()) << native;
    return call;
  }
  int32_t Result(std::string_view native, const std::vector<Arg>& args = {}) { return Call(native, args).Result(); }
  uint32_t MakeFont(const char* native, int32_t height = 16) {
    return uint32_t(Result(native, {Arg::Text(""), Arg::Int(height)}));
  }
  uint32_t Canvas(int32_t width, int32_t height) {
    return uint32_t(Result("NativeCreateCanvasImage", {Arg::Int(width), Arg::Int(height), Arg::Int(32), Arg::Int(1)}));
  }
  uint32_t StaleFont() {
    uint32_t font = MakeFont("NativeCreateOutlineFont");
    Display().RemoveFont(&font);
    return font == 0 ? 0x7FFFFFF0u : font;
  }

  TimerList timers_;
  DcpManager actions_;
  ImageLoaderManager loaders_;
  ImageLoaderManager* previousLoaders_ = nullptr;
  std::unique_ptr<NativeHarness> harness_;
};

TEST_F(FontsAndScreenNativesTest, FontSettersAnswerByKind) {
  const uint32_t device = MakeFont("NativeCreateGdiFont");
  const uint32_t outline = MakeFont("NativeCreateOutlineFont");
  ASSERT_NE(device, 0u);
  ASSERT_NE(outline, 0u);
  ASSERT_EQ(Display().GetFont(device)->GetKind(), kFontKindDevice);
  ASSERT_EQ(Display().GetFont(outline)->GetKind(), kFontKindOutline);
  const uint32_t stale = StaleFont();
  struct Row {
    const char* native;
    std::vector<Arg> rest;
    int32_t onDevice, onOutline, withoutFont;
  };
  const Row rows[] = {
      {"NativeSetFontUnderline", {Arg::Int(1), Arg::Int(0)}, 0, -2, -1},
      {"NativeSetFontQuality", {Arg::Int(4)}, 0, -2, -1},
      {"NativeSetGlyphCacheLimit", {Arg::Int(0x10020)}, 0, 1, 0},
      {"NativeLoadPictureGlyphs", {Arg::Int(0), Arg::Int(1), Arg::Int(8), Arg::Int(8), Arg::Int(0)}, -2, 1, -1},
      {"NativeSetFontGradient", {Arg::Int(1), Arg::Int(0xFF0000), Arg::Int(0x0000FF)}, -2, 0, -1},
      {"NativeSetFontEdge", {Arg::Int(3), Arg::Int(2)}, 0, 1, 0},
      {"NativeSetFontColor", {Arg::Int(1), Arg::Int(2), Arg::Int(3)}, 1, 1, 0},
      {"NativeSetFontAntialias", {Arg::Int(1)}, 1, 1, 0},
      {"NativeSetFontLineSpacing", {Arg::Int(4)}, 1, 1, 0},
      {"NativeSetFontBackground", {Arg::Int(0), Arg::Int(9), Arg::Int(8), Arg::Int(7)}, 1, 1, 0},
      {"NativeSetFontHeight", {Arg::Int(20)}, 0, 0, -1},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.native);
    const auto with = [&](uint32_t font) {
      std::vector<Arg> args = {Arg::Int(font)};
      args.insert(args.end(), row.rest.begin(), row.rest.end());
      return Result(row.native, args);
    };
    EXPECT_EQ(with(device), row.onDevice);
    EXPECT_EQ(with(outline), row.onOutline);
    EXPECT_EQ(with(0), row.withoutFont);
    EXPECT_EQ(with(stale), row.withoutFont);
  }
  Font* d = Display().GetFont(device);
  Font* o = Display().GetFont(outline);
  EXPECT_EQ(d->Logical().underline, 1);
  EXPECT_EQ(d->Logical().quality, 4);
  EXPECT_EQ(static_cast<OutlineFont*>(o)->Cache().Capacity(), 0x20u) << "the low 16 bits";
  EXPECT_EQ(static_cast<OutlineFont*>(o)->EdgeStrength(), 3);
  // The device font takes the whole background; the outline font its colour only.
  EXPECT_EQ(d->backgroundMode, 0);
  EXPECT_EQ(o->backgroundMode, 1);
  EXPECT_EQ(o->backgroundRed, 9);
  EXPECT_EQ(o->textBlue, 3);
  EXPECT_EQ(o->lineSpacing, 4);
  EXPECT_EQ(o->PixelHeight(), 20);
}

TEST_F(FontsAndScreenNativesTest, DeletingFontsClearsTheVariableAndTheDefault) {
  const uint32_t font = MakeFont("NativeCreateOutlineFont");
  EXPECT_EQ(Result("NativeSetDefaultTextFont", {Arg::Int(0)}), 0);
  EXPECT_EQ(Result("NativeSetDefaultTextFont", {Arg::Int(font)}), 1);
  EXPECT_EQ(DefaultFont(), Display().GetFont(font));
  NativeCall call = Call("NativeDeleteFont", {Arg::OutInt(font)});
  EXPECT_EQ(call.result, 0u);
  EXPECT_EQ(call.ints[0], 0u);
  EXPECT_EQ(DefaultFont(), nullptr) << "nothing may draw with a deleted font";
  call = Call("NativeDeleteFont", {Arg::OutInt(font)});
  EXPECT_EQ(call.result, 2u);
  EXPECT_EQ(call.ints[0], font);
  const uint32_t other = MakeFont("NativeCreateGdiFont");
  ASSERT_EQ(Result("NativeSetDefaultTextFont", {Arg::Int(other)}), 1);
  EXPECT_EQ(Result("NativeDeleteAllFonts"), 0);
  EXPECT_EQ(Display().FontCount(), 0u);
  EXPECT_EQ(DefaultFont(), nullptr);
  // However the display lets its fonts go, the default goes with them.
  ASSERT_EQ(Result("NativeSetDefaultTextFont", {Arg::Int(MakeFont("NativeCreateOutlineFont"))}), 1);
  Display().DeleteAllFonts();
  EXPECT_EQ(DefaultFont(), nullptr);
  // A default font the scripts did not list stays.
  OutlineFont own;
  SetDefaultFont(&own);
  EXPECT_EQ(Result("NativeDeleteAllFonts"), 0);
  EXPECT_EQ(DefaultFont(), &own);
  SetDefaultFont(nullptr);
}

TEST_F(FontsAndScreenNativesTest, MeasuresWriteOnlyTheOutputsGiven) {
  const uint32_t font = MakeFont("NativeCreateOutlineFont", 16);
  ASSERT_EQ(Result("NativeSetFontEffect", {Arg::Int(font), Arg::Int(1), Arg::Int(-2), Arg::Int(3)}), 1);
  const uint32_t kUntouched = 0xABCD;
  NativeCall call = Call("NativeMeasureText", {Arg::Int(font), Arg::Text("Ab"), Arg::OutInt(kUntouched),
                                               Arg::OutInt(kUntouched), Arg::OutInt(kUntouched), Arg::Int(0)});
  EXPECT_EQ(call.result, 1u);
  const uint32_t width = call.ints[2], height = call.ints[3];
  EXPECT_GT(width, 2u);
  EXPECT_GE(height, 19u) << "the shadow offset is part of the box";
  EXPECT_EQ(int32_t(call.ints[4]), -2) << "a negative shadow offset moves the text right";
  // No text measures no line: no output is written.
  call = Call("NativeMeasureText",
              {Arg::Int(font), Arg::Int(0), Arg::OutInt(kUntouched), Arg::OutInt(kUntouched)});
  EXPECT_EQ(call.result, 0u);
  EXPECT_EQ(call.ints[2], kUntouched);
  EXPECT_EQ(Result("NativeMeasureText", {Arg::Int(0), Arg::Text("Ab"), Arg::OutInt(), Arg::OutInt()}), -1);

  // Turned a quarter: the rotated measure swaps the sides.
  ASSERT_EQ(Result("NativeSetFontAngle", {Arg::Int(font), Arg::Int(900)}), 0);
  call = Call("NativeMeasureRotatedText", {Arg::Int(font), Arg::Text("Ab"), Arg::OutInt(kUntouched),
                                           Arg::OutInt(kUntouched), Arg::OutInt(kUntouched), Arg::Int(0)});
  EXPECT_EQ(call.result, 1u);
  EXPECT_NEAR(double(call.ints[2]), double(height), 2.0);
  EXPECT_NEAR(double(call.ints[3]), double(width), 2.0);
  EXPECT_NE(call.ints[4], kUntouched);
}

TEST_F(FontsAndScreenNativesTest, OutlineTextWithEdgeAndShadow) {
  const uint32_t canvas =
      uint32_t(Result("NativeCreateSurface", {Arg::Int(96), Arg::Int(40), Arg::Int(32), Arg::Int(0)}));
  Surface* surface = GetObjectSurface(canvas);
  ASSERT_NE(surface, nullptr);
  // Opaque: the glyph blend keeps the picture's alpha.
  for (int32_t y = 0; y < 40; ++y) {
    for (int32_t x = 0; x < 96; ++x) std::memcpy(surface->GetScanLine(y) + 4 * x, "\x60\x30\x20\xFF", 4);
  }
  const uint32_t edged = MakeFont("NativeCreateOutlineFont", 20);
  const uint32_t shadowed = MakeFont("NativeCreateOutlineFont", 14);
  // Two-level glyphs: every covered pixel takes its colour whole.
  for (uint32_t f : {edged, shadowed}) ASSERT_EQ(Result("NativeSetFontAntialias", {Arg::Int(f), Arg::Int(0)}), 1);
  ASSERT_EQ(Result("NativeSetFontColor", {Arg::Int(edged), Arg::Int(255), Arg::Int(240), Arg::Int(64)}), 1);
  ASSERT_EQ(Result("NativeSetFontEffect", {Arg::Int(edged), Arg::Int(2), Arg::Int(0), Arg::Int(0)}), 1);
  ASSERT_EQ(Result("NativeSetFontEdge", {Arg::Int(edged), Arg::Int(4), Arg::Int(2)}), 1);
  ASSERT_EQ(Result("NativeSetFontEffectColor", {Arg::Int(shadowed), Arg::Int(0), Arg::Int(0), Arg::Int(0)}), 1);
  ASSERT_EQ(Result("NativeSetFontEffect", {Arg::Int(shadowed), Arg::Int(1), Arg::Int(2), Arg::Int(2)}), 1);
  EXPECT_EQ(Result("NativeDrawOutlineText", {Arg::Int(canvas), Arg::Int(4), Arg::Int(2), Arg::Text("Edge"),
                                             Arg::Int(edged)}),
            0);
  EXPECT_EQ(Result("NativeDrawOutlineText", {Arg::Int(canvas), Arg::Int(8), Arg::Int(22), Arg::Text("Shadow"),
                                             Arg::Int(shadowed)}),
            0);
  // Without an image, or with a picture of no surface, nothing is drawn.
  EXPECT_EQ(Result("NativeDrawOutlineText", {Arg::Int(0), Arg::Int(0), Arg::Int(0), Arg::Text("x"), Arg::Int(edged)}),
            -1);
  EXPECT_EQ(Result("NativeDrawText", {Arg::Int(StaleFont()), Arg::Int(0), Arg::Int(0), Arg::Text("x"), Arg::Int(0)}),
            -1);
  test::ExpectGolden(*surface, "outline_text_edge_and_shadow", "natives");
}

TEST_F(FontsAndScreenNativesTest, FormattedTextIsCutAt511Characters) {
  const uint32_t font = MakeFont("NativeCreateGdiFont", 8);
  ASSERT_EQ(Result("NativeSetDefaultTextFont", {Arg::Int(font)}), 1);
  Font* f = Display().GetFont(font);
  Size kept{}, whole{};
  ASSERT_EQ(f->MeasureText(std::string(511, 'W').c_str(), &kept, nullptr, nullptr, false, nullptr), 1);
  ASSERT_EQ(f->MeasureText(std::string(600, 'W').c_str(), &whole, nullptr, nullptr, false, nullptr), 1);
  ASSERT_GT(whole.width, kept.width + 8);
  const uint32_t picture = uint32_t(
      Result("NativeCreateSurface", {Arg::Int(whole.width + 8), Arg::Int(12), Arg::Int(32), Arg::Int(1)}));
  Surface* surface = GetObjectSurface(picture);
  ASSERT_NE(surface, nullptr);
  surface->FillRgb(0, 0, 0, nullptr);
  EXPECT_EQ(Result("NativeDrawFormattedText",
                   {Arg::Int(picture), Arg::Int(0), Arg::Int(0), Arg::Text("%s%s"), Arg::Text(std::string(300, 'W')),
                    Arg::Text(std::string(300, 'W'))}),
            0);
  const auto columnInked = [&](int32_t x) {
    for (int32_t y = 0; y < 12; ++y) {
      if (PixelAt(surface, x, y) != 0) return true;
    }
    return false;
  };
  bool inkBefore = false;
  for (int32_t x = kept.width - 6; x < kept.width; ++x) inkBefore |= columnInked(x);
  EXPECT_TRUE(inkBefore) << "the 511th character is drawn";
  for (int32_t x = kept.width + 2; x < whole.width; ++x) ASSERT_FALSE(columnInked(x)) << x;
}

TEST_F(FontsAndScreenNativesTest, FaceListEntries) {
  FontFaceList reference;
  const int32_t count = reference.EnumFontFaces(0, 128);
  EXPECT_EQ(Result("NativeEnumFontFaces", {Arg::Int(0), Arg::Int(0)}), count);
  if (count > 0) {
    const NativeCall call = Call("NativeGetFontFaceName", {Arg::Int(0), Arg::Buffer(64, "old")});
    EXPECT_EQ(call.result, 1u);
    EXPECT_EQ(call.texts.at(1), std::string(reference.Faces()[0].faceName));
    EXPECT_NE(Result("NativeGetFontFaceNamePointer", {Arg::Int(0)}), 0);
  }
  const NativeCall outside = Call("NativeGetFontFaceName", {Arg::Int(count), Arg::Buffer(64, "old")});
  EXPECT_EQ(outside.result, 0u);
  EXPECT_EQ(outside.texts.at(1), "");
  EXPECT_EQ(Result("NativeGetFontFaceNamePointer", {Arg::Int(count)}), 0);
}

TEST_F(FontsAndScreenNativesTest, ScreenSettingsAndGroups) {
  EXPECT_EQ(Result("NativeSetPresentSync", {Arg::Int(0x102)}), 0);
  EXPECT_EQ(Display().VsyncMode(), 2);
  EXPECT_EQ(Result("NativeGetPresentSync"), 2);
  EXPECT_EQ(Result("NativeSetClearEachFrame", {Arg::Int(3)}), 0);
  EXPECT_TRUE(Display().ClearEachFrame());
  EXPECT_EQ(Result("NativeSetBackgroundColor", {Arg::Int(0x110), Arg::Int(0x20), Arg::Int(0x30)}), 0);
  EXPECT_EQ(Display().BackgroundColor(), 0x102030u);
  EXPECT_EQ(Result("NativeGetScreenModeFlag"), 0);

  // The previous group id comes back, so a script can restore it.
  EXPECT_EQ(Result("NativeSetGroupId", {Arg::Int(7)}), 0);
  const uint32_t seven = Canvas(4, 4);
  EXPECT_EQ(Result("NativeSetGroupId", {Arg::Int(8)}), 7);
  const uint32_t eight = Canvas(4, 4);
  EXPECT_EQ(Result("NativeSetGroupId", {Arg::Int(0)}), 8);
  // Bit 1 turns the choice round: every other group goes.
  EXPECT_EQ(Result("NativeDeleteGroup", {Arg::Int(7), Arg::Int(3)}), 0);
  EXPECT_NE(Display().GetImage(seven), nullptr);
  EXPECT_EQ(Display().GetImage(eight), nullptr);
  EXPECT_EQ(Result("NativeDeleteGroup", {Arg::Int(7), Arg::Int(1)}), 0);
  EXPECT_EQ(Display().GetImage(seven), nullptr);
  Canvas(4, 4);
  EXPECT_EQ(Result("NativeDeleteAllDisplayObjects"), 0);
  EXPECT_EQ(Display().ImageCount(), 0u);
}

TEST_F(FontsAndScreenNativesTest, ImageCacheAndLoaderPlugins) {
  loaders_.SetPhysicalMemorySource([] { return uint64_t(8) << 30; });
  ImageLoaderManager reference;
  reference.SetPhysicalMemorySource([] { return uint64_t(8) << 30; });
  reference.SetCacheLimit(-1);
  EXPECT_EQ(Result("NativeSetImageCacheLimit", {Arg::Int(-1)}), 0);
  EXPECT_EQ(loaders_.Cache().LimitBytes(), reference.Cache().LimitBytes());
  AppPort().boot[10] = 3;
  EXPECT_EQ(Result("NativeSetImageCacheLimit", {Arg::Int(-2)}), 0);
  EXPECT_EQ(loaders_.Cache().LimitBytes(), uint64_t(8) << 20);
  AppPort().boot[10] = 0;
  EXPECT_EQ(Result("NativeSetImageCacheLimit", {Arg::Int(0)}), 0);
  EXPECT_EQ(Result("NativeReleaseCachedImage", {Arg::Text("CG\\A.BMP")}), 1) << "the cache is off";
  EXPECT_EQ(Result("NativeLoadImageLoaderPlugins", {Arg::Text("no such folder")}), -1);

  loaders_.RegisterBuiltInDecoders();
  ASSERT_EQ(loaders_.Records().size(), 2u);
  EXPECT_EQ(Result("NativeUnloadImageLoaderPlugins", {Arg::Int(ImageLoaderManager::kElgType)}), 0);
  ASSERT_EQ(loaders_.Records().size(), 1u);
  EXPECT_EQ(loaders_.Records()[0].type, ImageLoaderManager::kBmpType);
  EXPECT_EQ(Result("NativeUnloadImageLoaderPlugins", {Arg::Int(-1)}), 0);
  EXPECT_TRUE(loaders_.Records().empty());
  EXPECT_EQ(Result("NativeCallImageLoaderAssist", {Arg::Int(1), Arg::Int(2)}), -2);
}

// A loader's second assist entry: sees the cells from cell 1 on, answers
// their sum and writes its own values back into the first two.
int32_t SummingAssist(uint32_t* cells) {
  const int32_t sum = int32_t(cells[0] + cells[1]);
  cells[0] = 0x51;
  cells[1] = uint32_t(sum);
  return sum;
}

TEST_F(FontsAndScreenNativesTest, LoaderAssistGetsTheCellsAndItsWritesReachTheScript) {
  ASSERT_EQ(loaders_.RegisterDecoder(new BmpDecoder(), {"XBM"}, "assisted", 7, nullptr,
                                     reinterpret_cast<GllProc>(&SummingAssist), nullptr),
            0);
  NativeSession session;
  const uint32_t block = session.Block(4 * 4);
  for (uint32_t i = 0; i < 4; ++i) session.Space().Write32(block + 4 * i, std::vector<uint32_t>{7, 30, 12, 99}[i]);
  NativeArgs args(session.Space(), nullptr, block);
  EXPECT_EQ(session.Host().Natives()[ScriptNativeNumber(205)](args), 42u);
  EXPECT_FALSE(args.Failed());
  EXPECT_EQ(session.Word(block), 7u) << "the loader type stays";
  EXPECT_EQ(session.Word(block + 4), 0x51u);
  EXPECT_EQ(session.Word(block + 8), 42u);
  EXPECT_EQ(session.Word(block + 12), 99u) << "untouched cells stay";
  // Another type has no assist entry.
  EXPECT_EQ(session.CallInt("NativeCallImageLoaderAssist", {1, 2}), -2);
}

TEST_F(FontsAndScreenNativesTest, TasksByHandleAndByType) {
  auto* a = new CountingTask(5);
  auto* b = new CountingTask(5);
  auto* c = new CountingTask(6);
  for (TimedTask* task : {static_cast<TimedTask*>(a), static_cast<TimedTask*>(b), static_cast<TimedTask*>(c)}) {
    ASSERT_EQ(timers_.Add(task, 0, 16, 0), 0);
  }
  const uint32_t ha = a->Handle(), hb = b->Handle(), hc = c->Handle();
  EXPECT_EQ(Result("NativeTaskExists", {Arg::Int(ha)}), 1);
  EXPECT_EQ(Result("NativeTaskExists", {Arg::Int(0)}), 0);

  EXPECT_EQ(Result("NativePauseTask", {Arg::Int(ha)}), 1);
  EXPECT_EQ(a->PauseCount(), 1);
  EXPECT_EQ(Result("NativeResumeTask", {Arg::Int(ha)}), 1);
  EXPECT_EQ(a->PauseCount(), 0);
  EXPECT_EQ(Result("NativePauseTasksOfType", {Arg::Int(5)}), 0);
  EXPECT_EQ(b->PauseCount(), 1);
  EXPECT_EQ(c->PauseCount(), 0);
  EXPECT_EQ(Result("NativeResumeTasksOfType", {Arg::Int(-1)}), 0);
  EXPECT_EQ(a->PauseCount() + b->PauseCount(), 0);
  EXPECT_EQ(Result("NativePauseTasksOfType", {Arg::Int(-3)}), 0);
  EXPECT_EQ(c->PauseCount(), 1) << "negative: every task";
  EXPECT_EQ(Result("NativeResumeTasksOfType", {Arg::Int(-1)}), 0);

  NativeCall call = Call("NativeStopTask", {Arg::OutInt(ha)});
  EXPECT_EQ(call.result, 1u);
  EXPECT_EQ(call.ints[0], 0u);
  EXPECT_EQ(a->stops, 1);
  EXPECT_EQ(Result("NativeStopTasksOfType", {Arg::Int(6)}), 0);
  EXPECT_EQ(c->stops, 1);
  EXPECT_EQ(b->stops, 0);
  timers_.Step(1000);
  // The finished tasks are gone: their handles name nothing, and the
  // variable is still cleared.
  call = Call("NativeStopTask", {Arg::OutInt(ha)});
  EXPECT_EQ(call.result, 0u);
  EXPECT_EQ(call.ints[0], 0u);
  for (const char* native : {"NativeTaskExists", "NativePauseTask", "NativeResumeTask"}) {
    SCOPED_TRACE(native);
    EXPECT_EQ(Result(native, {Arg::Int(hc)}), 0);
  }
  EXPECT_EQ(Result("NativeTaskExists", {Arg::Int(hb)}), 1);
}

TEST_F(FontsAndScreenNativesTest, LayerActionsByNameAndHandle) {
  const uint32_t canvas = Canvas(8, 8);
  const uint32_t action =
      uint32_t(Result("NativeStartLayerAction", {Arg::Int(canvas), Arg::Text("rec"), Arg::Int(4), Arg::Int(5)}));
  ASSERT_NE(action, 0u);
  EXPECT_EQ(RecordingAction::target, GetCanvasPart(canvas));
  EXPECT_EQ(RecordingAction::firstCell, 4);
  EXPECT_TRUE(timers_.Contains(action));
  EXPECT_EQ(Result("NativeControlLayerAction", {Arg::Int(action), Arg::Int(3)}), 30);
  EXPECT_EQ(Result("NativeQueryLayerAction", {Arg::Int(action), Arg::Int(3)}), 4);
  EXPECT_EQ(Result("NativeCallLayerActionAssist", {Arg::Text("rec"), Arg::Int(3), Arg::Int(4)}), 7);
  EXPECT_EQ(Result("NativeCallLayerActionAssist", {Arg::Text("nothing"), Arg::Int(3)}), -1);
  // The task natives control it by the same handle.
  EXPECT_EQ(Result("NativePauseTask", {Arg::Int(action)}), 1);
  EXPECT_EQ(Call("NativeStopTask", {Arg::OutInt(action)}).result, 1u);
  timers_.Step(1000);
  EXPECT_EQ(Result("NativeControlLayerAction", {Arg::Int(action), Arg::Int(3)}), -1);

  // Refusals: no canvas, an unknown name, a refused set-up.
  const uint32_t picture =
      uint32_t(Result("NativeCreateSurface", {Arg::Int(4), Arg::Int(4), Arg::Int(32), Arg::Int(0)}));
  EXPECT_EQ(Result("NativeStartLayerAction", {Arg::Int(picture), Arg::Text("rec"), Arg::Int(1)}), 0);
  EXPECT_EQ(Result("NativeStartLayerAction", {Arg::Int(canvas), Arg::Text("none"), Arg::Int(1)}), 0);
  EXPECT_EQ(Result("NativeStartLayerAction", {Arg::Int(canvas), Arg::Text("rec"), Arg::Int(-1)}), 0);
  EXPECT_EQ(timers_.Size(), 0u);
}

}  // namespace
}  // namespace orrivel::testing
