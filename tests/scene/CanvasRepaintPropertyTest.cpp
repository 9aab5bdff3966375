// Random scenes changed frame after frame: the banded and the simple repaint
// of dirty rectangles must leave exactly the bytes of a plain model that
// repaints everything each frame.
#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <vector>

#include "SceneTestSupport.h"
#include "raster/ColorBox.h"
#include "scene/ImageSprite.h"
#include "scene/SpriteCanvas.h"

namespace orrivel {
namespace {

using test::Bytes;
using test::MakeSolid32;
using test::MakeSurface32;

constexpr int kWidth = 96;
constexpr int kHeight = 64;
constexpr int kDrawables = 12;

struct Pictures {
  Pictures() {
    background = MakeSurface32(128, 96, [](int x, int y) {
      return 0xFF000000u | uint32_t(x * 2) << 16 | uint32_t(y * 2) << 8 | uint32_t((x ^ y) & 0xFF);
    });
    plain = MakeSurface32(20, 14, [](int x, int y) {
      return uint32_t(x * 12 + y * 3) << 24 | uint32_t(200 - x * 5) << 16 | uint32_t(y * 17) << 8 | 0x40u;
    });
    keyed = MakeSurface32(17, 11, [](int x, int y) {
      return (x + y) % 5 == 0 ? 0x00FF00FFu : 0xFF000000u | uint32_t(x * 15) << 8 | uint32_t(y * 23);
    });
    keyed->SetColorKeyRgb(0xFF, 0x00, 0xFF);
  }
  std::unique_ptr<Surface> background, plain, keyed;
};

// One copy of the scene: the same drawables with the same parameters.
struct World {
  explicit World(Pictures& p) {
    target = MakeSolid32(kWidth, kHeight, 0xFF000000u);
    for (int i = 0; i < kDrawables; ++i) {
      if (i % 3 == 2) {
        auto box = std::make_unique<ColorBox>();
        box->Init(10 + i, 7 + i, 0xC0406080u + uint32_t(i) * 0x0B0D11u, i * 5, i * 3);
        drawables.push_back(std::move(box));
      } else {
        auto sprite = std::make_unique<ImageSprite>();
        sprite->SetImage(i % 3 == 0 ? p.plain.get() : p.keyed.get(), nullptr, i * 6, i * 4);
        drawables.push_back(std::move(sprite));
      }
    }
  }
  std::unique_ptr<Surface> target;
  std::vector<std::unique_ptr<Drawable>> drawables;
};

// The plain model: everything from scratch.
void RepaintAll(World& w, SpriteList& order, Surface* background, int32_t ox, int32_t oy,
                uint32_t color) {
  if (background != nullptr) {
    w.target->Copy(background, -ox, -oy, nullptr, false);
  } else {
    w.target->FillRect(color, nullptr);
  }
  for (SpriteList::Node* n = order.Tail(); n != nullptr; n = n->prev)
    if (n->drawable->IsVisible() && n->drawable->GetOpacity() != 0) n->drawable->DrawTo(w.target.get());
}

class CanvasRepaintPropertyTest : public test::SceneTest {
 protected:
  void TearDown() override {
    SpriteCanvas::SetBandedRendering(true);
    test::SceneTest::TearDown();
  }
};

TEST_F(CanvasRepaintPropertyTest, BandedSimpleAndFullRepaintAgree) {
  Pictures pictures;
  for (uint32_t seed = 1; seed <= 12; ++seed) {
    std::mt19937 rng(seed);
    auto pick = [&rng](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
    World banded(pictures), simple(pictures), model(pictures);
    SpriteCanvas bandedCanvas, simpleCanvas;
    SpriteList modelOrder;
    ASSERT_EQ(bandedCanvas.SetTarget(banded.target.get(), 0), 0);
    ASSERT_EQ(simpleCanvas.SetTarget(simple.target.get(), 0), 0);
    const bool picture = seed % 2 == 0;
    const int32_t ox = picture ? pick(0, 32) : 0, oy = picture ? pick(0, 32) : 0;
    const uint32_t color = 0xFF000000u | uint32_t(seed) * 0x1F2F3Fu;
    for (SpriteCanvas* c : {&bandedCanvas, &simpleCanvas}) {
      if (picture)
        c->SetBackgroundImage(pictures.background.get(), ox, oy, 1);
      else
        c->SetBackgroundValue(color, 1);
    }
    std::vector<SpriteList*> lists = {&bandedCanvas.MainList(), &simpleCanvas.MainList(), &modelOrder};
    std::vector<World*> worlds = {&banded, &simple, &model};
    auto each = [&](auto fn) {
      for (size_t k = 0; k < 3; ++k) fn(*lists[k], *worlds[k]);
    };
    for (int i = 0; i < kDrawables; ++i) {
      const uint32_t key = uint32_t(pick(0, 6)) * 0x40000000u;
      each([&](SpriteList& l, World& w) { l.Add(w.drawables[size_t(i)].get(), key, 0); });
    }
    for (int frame = 0; frame < 25; ++frame) {
      const int changes = pick(0, 4);
      for (int c = 0; c < changes; ++c) {
        const size_t i = size_t(pick(0, kDrawables - 1));
        const int op = pick(0, 6);
        const int a = pick(-30, kWidth + 10), b = pick(-30, kHeight + 10);
        const uint8_t value = uint8_t(pick(0, 255));
        const uint8_t mode = uint8_t(std::vector<int>{0, 2, 4, 5, 3}[size_t(pick(0, 4))]);
        const uint32_t key = uint32_t(pick(0, 3));
        each([&](SpriteList& l, World& w) {
          Drawable* d = w.drawables[i].get();
          switch (op) {
            case 0: d->SetPosition(a, b); break;
            case 1: d->SetVisible(d->IsVisible() ? 0 : 1); break;
            case 2: d->SetOpacity(value < 40 ? 0 : value); break;
            case 3: d->SetDrawMode(d->GetKind() == 1 ? mode % 4 : mode); break;
            case 4:
              if (d->OwningList() != nullptr)
                l.Remove(d);
              else
                l.AddAfterEqual(d, key, 0);
              break;
            case 5: l.SetOrder(d, key, 0); break;
            default: d->MoveBy(a % 7, b % 5); break;
          }
        });
      }
      SpriteCanvas::SetBandedRendering(true);
      bandedCanvas.Render(nullptr, nullptr, 0, 0);
      SpriteCanvas::SetBandedRendering(false);
      simpleCanvas.Render(nullptr, nullptr, 0, 0);
      RepaintAll(model, modelOrder, picture ? pictures.background.get() : nullptr, ox, oy, color);
      const std::vector<uint8_t> expected = Bytes(*model.target);
      ASSERT_EQ(Bytes(*banded.target), expected) << "seed " << seed << " frame " << frame;
      ASSERT_EQ(Bytes(*simple.target), expected) << "seed " << seed << " frame " << frame;
    }
    // Drawables leave their lists before the canvases go.
    modelOrder.Clear();
  }
}

}  // namespace
}  // namespace orrivel

namespace orrivel {
namespace {

// Hundreds of boxes moving at once: their damage is recorded by tiles, and
// the repaint must still equal a full one.
TEST_F(CanvasRepaintPropertyTest, CrowdsOfMovingDrawablesStillRepaintExactly) {
  constexpr int kBoxes = 300;
  std::mt19937 rng(99);
  auto pick = [&rng](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
  auto crowdTarget = MakeSolid32(kWidth, kHeight, 0xFF000000u);
  auto modelTarget = MakeSolid32(kWidth, kHeight, 0xFF000000u);
  std::vector<ColorBox> crowd(kBoxes), model(kBoxes);
  SpriteCanvas canvas;
  SpriteList modelOrder;
  ASSERT_EQ(canvas.SetTarget(crowdTarget.get(), 0), 0);
  canvas.SetBackgroundValue(0xFF334455u, 1);
  for (int i = 0; i < kBoxes; ++i) {
    const uint32_t argb = 0x60000000u | uint32_t(i) * 0x010307u;
    const uint8_t mode = uint8_t(i % 3 == 1 ? 2 : 0);
    for (auto* set : {&crowd, &model}) {
      (*set)[size_t(i)].Init(5, 4, argb, i % kWidth, (i * 7) % kHeight);
      (*set)[size_t(i)].SetDrawMode(mode);
    }
    canvas.MainList().Add(&crowd[size_t(i)], uint32_t(i % 17), 0);
    modelOrder.Add(&model[size_t(i)], uint32_t(i % 17), 0);
  }
  for (int frame = 0; frame < 6; ++frame) {
    for (int i = 0; i < kBoxes; ++i) {
      if (pick(0, 3) == 0) continue;
      const int dx = pick(-3, 3), dy = pick(-3, 3);
      crowd[size_t(i)].MoveBy(dx, dy);
      model[size_t(i)].MoveBy(dx, dy);
    }
    SpriteCanvas::SetBandedRendering(frame % 2 == 0);
    canvas.Render(nullptr, nullptr, 0, 0);
    modelTarget->FillRect(0xFF334455u, nullptr);
    for (SpriteList::Node* n = modelOrder.Tail(); n != nullptr; n = n->prev)
      n->drawable->DrawTo(modelTarget.get());
    ASSERT_EQ(Bytes(*crowdTarget), Bytes(*modelTarget)) << "frame " << frame;
  }
  modelOrder.Clear();
}

}  // namespace
}  // namespace orrivel
