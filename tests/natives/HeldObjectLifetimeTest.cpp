// A script hands an object (a font, a picture, a sprite) to something that
// keeps it (a control, a sprite, a canvas, the message text), deletes the
// object through any of the natives that delete its kind (by handle, by
// group, all at once), then keeps using the holder: drawing, measuring,
// adding text, rendering the canvas, running the controls, deleting the
// holder. Nothing may reach the freed object, and the holder answers as
// one that never had it: measures and added lines refused, and not one
// pixel of the deleted picture on the canvas.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "../scene/SceneTestSupport.h"
#include "ControlNativeRig.h"
#include "NativeSession.h"
#include "base/TimerList.h"
#include "base/TickSource.h"
#include "natives/DisplayObjectArguments.h"
#include "raster/Surface.h"

namespace orrivel::testing {
namespace {

constexpr uint32_t kMinusOne = uint32_t(-1);
// The colour of every pixel of the lent picture, found nowhere else.
constexpr uint32_t kLentColour = 0xFF10E020u;
// The group the lent objects are made in; the canvas stays in group 0.
constexpr uint32_t kLentGroup = 5;

enum class Lent { kFont, kPicture, kSprite };

class HeldObjectLifetimeTest;
using Step = std::function<void(HeldObjectLifetimeTest&)>;

// A native that makes a holder keep the lent object, and the natives that
// use that holder afterwards.
struct Holder {
  const char* name;
  Lent lent;
  Step make;
  Step use;
};

// A native that deletes the lent object's kind.
struct Deleter {
  const char* name;
  Lent lent;
  Step remove;
};

class HeldObjectLifetimeTest : public ControlNativeRig,
                               public ::testing::WithParamInterface<std::tuple<Holder, Deleter>> {
 public:
  uint32_t Call(uint32_t number, const std::vector<uint32_t>& cells) { return S().Call(number, cells); }
  NativeSession& S() { return *session_; }

  // What the script lent, the holder it made and the canvas its controls
  // and sprites are drawn on.
  uint32_t font = 0;
  uint32_t picture = 0;
  uint32_t sprite = 0;
  uint32_t holder = 0;
  uint32_t canvas = 0;
  // A picture of the script's own that effects draw on (group 0: it
  // stays), and the effect's handle.
  uint32_t other = 0;
  uint32_t effect = 0;

  // Holder uses shared by every control.
  void RunControls() {
    Call(703, {});
    Call(700, {1, 0, 0, 0});
  }
  void Render() {
    Call(422, {canvas});
    Call(425, {canvas});
  }
  // The object timers run on past every effect's end.
  void RunTimers() {
    const uint32_t now = CurrentTickMs();
    for (uint32_t ms : {0u, 40u, 400u, 4000u}) timers_.Step(now + ms);
  }
  void DeleteHolder() {
    if (holder == 0) return;
    EXPECT_EQ(Call(712, {S().Var(holder)}), 0u);
  }
  // A measure answers its size while the font lives, and is refused (0,
  // nothing written) once it went.
  void ExpectMeasureRefused() {
    const uint32_t width = S().Var(kMinusOne), height = S().Var(kMinusOne);
    EXPECT_EQ(Call(753, {holder, width, height, S().Text("AB"), 0}) != 0, !FontGone());
    EXPECT_EQ(S().Word(width) == kMinusOne, FontGone());
    EXPECT_EQ(S().Word(height) == kMinusOne, FontGone());
  }

  bool FontGone() const { return ScriptDisplayObjects()->GetFont(font) == nullptr; }
  // The canvas (when it is left) shows nothing of the deleted picture.
  void ExpectNoLentPixels() {
    Surface* surface = GetObjectSurface(canvas);
    if (surface == nullptr || GetObjectSurface(picture) != nullptr) return;
    for (int32_t y = 0; y < surface->GetHeight(); ++y)
      for (int32_t x = 0; x < surface->GetWidth(); ++x)
        ASSERT_NE(test::Pixel32(*surface, x, y), kLentColour) << "at " << x << ", " << y;
  }

 protected:
  void SetUp() override {
    ControlNativeRig::SetUp();
    GameHostSetup setup;
    setup.objectTimers = &timers_;
    session_ = std::make_unique<NativeSession>(std::move(setup));
    canvas = Call(236, {96, 48, 32, 1});
    ASSERT_NE(canvas, 0u);
    ASSERT_EQ(Call(699, {canvas}), 0u);
    EXPECT_EQ(Call(198, {kLentGroup}), 0u);
    EXPECT_EQ(Call(403, {kLentGroup}), 0u);
    font = Call(165, {S().Text(""), 16});
    ASSERT_NE(font, 0u);
    picture = Call(228, {24, 12, 32, 0});
    ASSERT_NE(picture, 0u);
    GetObjectSurface(picture)->FillRect(kLentColour, nullptr);
    sprite = Call(399, {picture, 65535});
    ASSERT_NE(sprite, 0u);
    Call(198, {0});
    Call(403, {0});
    other = Call(228, {24, 12, 32, 0});
    ASSERT_NE(other, 0u);
  }
  void TearDown() override {
    objects_.Reset();
    timers_.Clear();
    session_.reset();
    ControlNativeRig::TearDown();
  }

  // The scripts start over under a new host; the timers and the display
  // objects stay.
  void RestartScripts() {
    session_.reset();
    GameHostSetup setup;
    setup.objectTimers = &timers_;
    session_ = std::make_unique<NativeSession>(std::move(setup));
  }

  TimerList timers_;
  std::unique_ptr<NativeSession> session_;
};

void PrintTo(const Holder& holder, std::ostream* out) { *out << holder.name; }
void PrintTo(const Deleter& deleter, std::ostream* out) { *out << deleter.name; }

using T = HeldObjectLifetimeTest;


const Holder kHolders[] = {
    {"Window", Lent::kFont,
     [](T& t) { t.holder = t.Call(693, {0, 0, 64, 32, 0, 0, 0, t.font, 0, 0}); },
     [](T& t) {
       t.ExpectMeasureRefused();
       t.Call(752, {t.holder});
       t.Call(760, {t.holder, 1, 0, 0, 1, 0, 0});
     }},
    {"MessageWindow", Lent::kFont,
     [](T& t) { t.holder = t.Call(694, {0, 0, 64, 32, 0, 0, 0, t.font, 0, 0}); },
     [](T& t) {
       t.ExpectMeasureRefused();
       t.Call(770, {t.holder});
     }},
    {"TextList", Lent::kFont,
     [](T& t) { t.holder = t.Call(695, {0, 0, 60, 16, 2, t.font, 0}); },
     [](T& t) {
       t.ExpectMeasureRefused();
       EXPECT_EQ(t.Call(784, {t.holder, t.S().Text("line"), 0, kMinusOne}), t.FontGone() ? 1u : 0u);
       t.Call(785, {t.holder, 0, 1});
     }},
    {"TextEntry", Lent::kFont,
     [](T& t) { t.holder = t.Call(688, {0, 0, t.font, 8, 65535}); },
     [](T& t) {
       t.Call(705, {t.holder});
       t.Call(735, {t.holder, 0});
     }},
    {"TextButton", Lent::kFont,
     [](T& t) { t.holder = t.Call(682, {0, 0, 48, 16, 0, t.S().Text("OK"), t.font, 0}); },
     [](T& t) { t.Call(735, {t.holder, 1}); }},
    {"MessageText", Lent::kFont,
     [](T& t) {
       ASSERT_EQ(t.Call(467, {t.picture, 0, 2, 2, t.font, 1, 0, 0}), 0u);
       ASSERT_EQ(t.Call(465, {t.S().Text("ABCD")}), 0u);
     },
     [](T& t) {
       EXPECT_EQ(t.Call(470, {0}), t.FontGone() ? 1u : 0u);
       t.Call(473, {});
       t.Call(469, {0, 0, 0, 0, 255, 0});
     }},
    {"SurfaceButton", Lent::kPicture,
     [](T& t) { t.holder = t.Call(684, {0, 0, t.picture, 65535}); },
     [](T& t) {
       t.Call(729, {t.holder, 3});
       t.Call(734, {t.holder, 0});
     }},
    {"SurfaceCheckButton", Lent::kPicture,
     [](T& t) { t.holder = t.Call(686, {0, 0, t.picture, 0, 65535}); },
     [](T& t) {
       t.Call(740, {t.holder, 1});
       t.Call(729, {t.holder, 3});
       t.Call(734, {t.holder, 0});
     }},
    {"CanvasBackground", Lent::kPicture,
     [](T& t) { ASSERT_EQ(t.Call(415, {t.canvas, t.picture, 0, 0, 1}), 1u); },
     [](T& t) {
       t.Call(419, {t.canvas, 4, 0, 0});
       const uint32_t out = t.S().Block(24);
       t.Call(421, {t.canvas, out, out + 4, out + 8, out + 12, out + 16, out + 20});
     }},
    {"MessageTextPicture", Lent::kPicture,
     [](T& t) {
       ASSERT_EQ(t.Call(467, {t.picture, 0, 2, 2, t.font, 1, 0, 0}), 0u);
       ASSERT_EQ(t.Call(465, {t.S().Text("ABCD")}), 0u);
     },
     [](T& t) {
       t.Call(470, {0});
       t.Call(473, {});
     }},
    // Transition effects on the picture and from it: the timers run them
    // past their end, and a completion asked for by handle.
    {"EffectOnPicture", Lent::kPicture,
     [](T& t) { t.effect = t.Call(383, {0, 1000, t.picture, 0, 65535, 0, 0, 65535}); ASSERT_NE(t.effect, 0u); },
     [](T& t) {
       t.RunTimers();
       t.Call(384, {t.effect});
       t.Call(386, {t.effect});
     }},
    {"EffectFromPicture", Lent::kPicture,
     [](T& t) { t.effect = t.Call(383, {3, 1000, t.other, t.picture, 65535, 0, 0, 65535}); ASSERT_NE(t.effect, 0u); },
     [](T& t) {
       t.RunTimers();
       t.Call(384, {t.effect});
     }},
    {"SpriteOnPicture", Lent::kPicture,
     [](T& t) { ASSERT_EQ(t.Call(406, {t.canvas, t.sprite, kMinusOne}), 0u); },
     [](T& t) {
       t.Call(451, {t.sprite, 0, 0, 8, 8});
       t.Call(442, {t.canvas, t.sprite});
     }},
    {"SpriteOnCanvas", Lent::kSprite,
     [](T& t) { ASSERT_EQ(t.Call(406, {t.canvas, t.sprite, kMinusOne}), 0u); },
     [](T& t) {
       t.Call(411, {t.canvas, t.sprite, 2, 0});
       t.Call(414, {t.canvas, 1, 65535});
     }},
};

const Deleter kDeleters[] = {
    {"DeleteFont", Lent::kFont, [](T& t) { EXPECT_EQ(t.Call(166, {t.S().Var(t.font)}), 0u); }},
    {"DeleteAllFonts", Lent::kFont, [](T& t) { EXPECT_EQ(t.Call(163, {}), 0u); }},
    {"DeleteImage", Lent::kPicture, [](T& t) { EXPECT_EQ(t.Call(240, {t.S().Var(t.picture)}), 0u); }},
    {"DeleteImageGroup", Lent::kPicture, [](T& t) { EXPECT_EQ(t.Call(199, {kLentGroup, 1}), 0u); }},
    {"DeleteAllDisplayObjects", Lent::kPicture, [](T& t) { EXPECT_EQ(t.Call(197, {}), 0u); }},
    {"DeleteSprite", Lent::kSprite, [](T& t) { EXPECT_EQ(t.Call(405, {t.S().Var(t.sprite)}), 0u); }},
    {"DeleteSpriteGroup", Lent::kSprite, [](T& t) { EXPECT_EQ(t.Call(404, {kLentGroup, 0}), 0u); }},
    {"DeleteAllSprites", Lent::kSprite, [](T& t) { EXPECT_EQ(t.Call(402, {}), 0u); }},
};

TEST_P(HeldObjectLifetimeTest, TheHolderLetsGoOfTheDeletedObject) {
  const auto& [holder, deleter] = GetParam();
  holder.make(*this);
  if (HasFatalFailure()) return;
  // Used once while the object lives, so that whatever it caches is made.
  holder.use(*this);
  RunControls();
  Render();
  deleter.remove(*this);
  holder.use(*this);
  RunControls();
  Render();
  ExpectNoLentPixels();
  DeleteHolder();
  Render();
}

// The scripts that started transition effects restart, and the new ones
// delete the pictures the effects work with before starting anything that
// watches display objects: the effects still end without reaching them.
TEST_F(HeldObjectLifetimeTest, EffectsOutliveTheScriptsThatStartedThem) {
  ASSERT_NE(Call(383, {0, 1000, picture, 0, 65535, 0, 0, 65535}), 0u);
  ASSERT_NE(Call(383, {3, 1000, other, picture, 65535, 0, 0, 65535}), 0u);
  ASSERT_NE(Call(383, {3, 1000, picture, other, 65535, 0, 0, 65535}), 0u);
  timers_.Step(CurrentTickMs() + 40);
  ASSERT_EQ(timers_.Size(), 3u);
  RestartScripts();
  EXPECT_EQ(Call(197, {}), 0u);
  RunTimers();
  EXPECT_EQ(timers_.Size(), 0u);
}

// Every holder with every deletion of the kind it holds.
std::vector<std::tuple<Holder, Deleter>> Rows() {
  std::vector<std::tuple<Holder, Deleter>> rows;
  for (const Holder& holder : kHolders)
    for (const Deleter& deleter : kDeleters)
      if (holder.lent == deleter.lent) rows.emplace_back(holder, deleter);
  return rows;
}

std::string RowName(const ::testing::TestParamInfo<std::tuple<Holder, Deleter>>& info) {
  return std::string(std::get<0>(info.param).name) + "_" + std::get<1>(info.param).name;
}

INSTANTIATE_TEST_SUITE_P(EveryHolderAndDeletion, HeldObjectLifetimeTest,
                         ::testing::ValuesIn(Rows()), RowName);

}  // namespace
}  // namespace orrivel::testing
