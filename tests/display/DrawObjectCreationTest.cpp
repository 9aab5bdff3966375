// Every creation operation of the screen device, as one table: what an
// allocation failure returns, what its create step's failure returns, and
// where a made object goes (which list, which group) and how its handle
// lives and dies.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "BoxFont.h"
#include "SurfaceImageRig.h"
#include "display/MediaImage.h"
#include "display/TextureSource.h"
#include "display/TransitionRunner.h"
#include "display/TransitionObject.h"
#include "raster/PixelFormat.h"
#include "scene/CanvasDrawImage.h"
#include "scene/DrawObjectCreation.h"

namespace orrivel::testing {
namespace {

enum class List { kImages, kSceneObjects, kFonts, kSprites };

struct Row {
  std::string name;
  List list;
  int allocationFailure;
  std::function<int(DrawObjectManager&, uint32_t*)> make;
  // The create step failing, with its code (none for kinds whose step
  // cannot fail).
  std::function<int(DrawObjectManager&, uint32_t*)> fail;
  int failCode;
};

size_t CountOf(DrawObjectManager& m, List list) {
  switch (list) {
    case List::kImages: return m.ImageCount();
    case List::kSceneObjects: return m.SceneObjectCount();
    case List::kFonts: return m.FontCount();
    case List::kSprites: return m.SpriteCount();
  }
  return 0;
}

bool Reachable(DrawObjectManager& m, List list, uint32_t handle) {
  switch (list) {
    case List::kImages: return m.GetImage(handle) != nullptr;
    case List::kSceneObjects: return m.GetSceneObject(handle) != nullptr;
    case List::kFonts: return m.GetFont(handle) != nullptr;
    case List::kSprites: return m.GetSprite(handle) != nullptr;
  }
  return false;
}

int Remove(DrawObjectManager& m, List list, uint32_t handle) {
  switch (list) {
    case List::kImages: return m.RemoveImage(handle);
    case List::kSceneObjects: return m.RemoveSceneObject(handle);
    case List::kFonts: return m.RemoveFont(&handle);
    case List::kSprites: return m.RemoveSprite(handle);
  }
  return -1;
}

class DrawObjectCreationTest : public SurfaceImageRig {
 protected:
  void SetUp() override {
    SurfaceImageRig::SetUp();
    direct3d_ = true;
    Boot(32);
    ASSERT_TRUE(device_->HasDevice());
    elg32_ = FixtureElg(32, 6, 4, false);
    elg8_ = FixtureElg(8, 6, 4, false);
    bmp_ = FixtureBmp(5, 3);
    font_ = device_->AddFont(std::make_unique<BoxFont>(kFontKindOutline, 8, 8));
    ASSERT_EQ(device_->CreateSurface(&picture_, 8, 8, 32, 0), 0);
    ASSERT_EQ(device_->CreateBlankSurfaceImage(&surfaceImage_, 8, 8, 1, 0, nullptr), 0);
  }

  std::vector<Row> Rows() {
    const uint8_t* elg = elg32_.data();
    const uint64_t elgSize = elg32_.size();
    const uint32_t font = font_;
    const uint32_t picture = picture_;
    const uint32_t surfaceImage = surfaceImage_;
    const auto bmp = bmp_;
    const auto elg8 = elg8_;
    return {
        {"blank surface image", List::kImages, 5,
         [](auto& m, auto* out) { return m.CreateBlankSurfaceImage(out, 4, 4, 1, 0, nullptr); },
         [](auto& m, auto* out) { return m.CreateBlankSurfaceImage(out, 0, 4, 1, 0, nullptr); }, 1},
        {"surface image from a picture", List::kImages, 7,
         [=](auto& m, auto* out) { return m.CreateSurfaceImageFromFile(out, nullptr, elg, elgSize, 1); },
         [](auto& m, auto* out) { return m.CreateSurfaceImageFromFile(out, "CG\\NONE.ELG", nullptr, 0, 1); },
         1},
        {"text surface", List::kImages, 2,
         [=](auto& m, auto* out) { return m.CreateDdSurface(out, "ab", font); },
         [](auto& m, auto* out) { return m.CreateDdSurface(out, "ab", 0); }, 5},
        {"picture in a texture", List::kImages, 11,
         [=](auto& m, auto* out) {
           return m.CreateMediaImage(out, kPixelFormatX8R8G8B8, nullptr, elg, elgSize, 0);
         },
         [](auto& m, auto* out) {
           return m.CreateMediaImage(out, kPixelFormatX8R8G8B8, "CG\\NONE.ELG", nullptr, 0, 0);
         },
         -1},
        {"canvas draw object of a size", List::kImages, 2,
         [](auto& m, auto* out) { return CreateCanvasDrawObject(m, out, 8, 8, 32, 1); },
         [](auto& m, auto* out) { return CreateCanvasDrawObject(m, out, 0, 8, 32, 1); }, -1},
        {"canvas draw object for a source", List::kImages, 2,
         [](auto& m, auto* out) { return CreateCanvasDrawObjectForSource(m, out, 8, 8, 32, 1); },
         [](auto& m, auto* out) { return CreateCanvasDrawObjectForSource(m, out, 0, 8, 32, 1); }, -1},
        {"memory picture", List::kImages, 4,
         [](auto& m, auto* out) { return m.CreateSurface(out, 4, 4, 32, 0); },
         [](auto& m, auto* out) { return m.CreateSurface(out, 4, 4, 7, 0); }, 1},
        {"memory picture from a file", List::kImages, 6,
         [=](auto& m, auto* out) { return m.CreateSurfaceFromFile(out, nullptr, bmp.data(), bmp.size(), 0); },
         [](auto& m, auto* out) { return m.CreateSurfaceFromFile(out, "CG\\NONE.BMP", nullptr, 0, 0); }, -1},
        {"indexed memory picture", List::kImages, 6,
         [=](auto& m, auto* out) {
           return m.CreateSurfaceFromFileIndexed(out, nullptr, elg8.data(), elg8.size(), 0);
         },
         [](auto& m, auto* out) { return m.CreateSurfaceFromFileIndexed(out, "CG\\NONE.ELG", nullptr, 0, 0); },
         -1},
        {"memory picture of a text", List::kImages, 6,
         [=](auto& m, auto* out) { return m.CreateSurfaceFromText(out, "abc", font, 0xFF0000); },
         [=](auto& m, auto* out) { return m.CreateSurfaceFromText(out, "", font, 0); }, 1},
        {"memory picture like another", List::kImages, 4,
         [=](auto& m, auto* out) { return m.CreateSurfaceLike(out, picture, 0); },
         [](auto& m, auto* out) { return m.CreateSurfaceLike(out, 0, 0); }, 1},
        {"transition object", List::kSceneObjects, 2,
         [=](auto& m, auto* out) { return m.CreateTransitionObject(out, surfaceImage, 0, 3, 0, 0, 0); },
         [=](auto& m, auto* out) { return m.CreateTransitionObject(out, surfaceImage, 0x7FFF0001u, 3, 0, 0, 0); },
         2},
        {"render state set", List::kSceneObjects, 1,
         [](auto& m, auto* out) { return m.CreateRenderStateSet(out); }, nullptr, 0},
        {"stage state set", List::kSceneObjects, 1,
         [](auto& m, auto* out) { return m.CreateStageStateSet(out); }, nullptr, 0},
        {"device font", List::kFonts, 2, nullptr, nullptr, 0},
        {"outline font", List::kFonts, 2, nullptr, nullptr, 0},
        {"colour box", List::kSprites, 1,
         [](auto& m, auto* out) { return m.CreateColorBox(out, 4, 4, 0x80FF0000u, 1, 2); }, nullptr, 0},
        {"image sprite", List::kSprites, 3, nullptr,
         [](auto& m, auto* out) { return CreateImageSprite(m, out, 0, nullptr, 0, 0); }, 1},
        {"image sprite copy", List::kSprites, 2, nullptr,
         [](auto& m, auto* out) { return CreateImageSpriteCopy(m, out, 0); }, 1},
    };
  }

  std::vector<uint8_t> elg32_;
  std::vector<uint8_t> elg8_;
  std::vector<uint8_t> bmp_;
  uint32_t font_ = 0;
  uint32_t picture_ = 0;
  uint32_t surfaceImage_ = 0;
};

// Each operation's allocation failure, by the kinds' own allocation calls.
int AllocationFailureOf(DrawObjectManager& m, const std::string& name, uint32_t* out) {
  if (name == "device font") return m.CreateGdiFont(out, "face", 16);
  if (name == "outline font") return m.CreateOutlineFont(out, "face", 16);
  if (name == "image sprite") return CreateImageSprite(m, out, 0, nullptr, 0, 0);
  if (name == "image sprite copy") return CreateImageSpriteCopy(m, out, 0);
  return -99;
}

TEST_F(DrawObjectCreationTest, EveryOperation) {
  device_->SetImageGroupId(7);
  device_->SetSpriteGroupId(9);
  for (const Row& row : Rows()) {
    SCOPED_TRACE(row.name);
    DrawObjectManager& m = *device_;
    const size_t before = CountOf(m, row.list);
    uint32_t out = 0xDEAD;
    // Allocation failure: its code, nothing listed, the handle cleared.
    m.FailNextAllocation();
    const int allocationCode = row.make ? row.make(m, &out) : AllocationFailureOf(m, row.name, &out);
    EXPECT_EQ(allocationCode, row.allocationFailure);
    EXPECT_EQ(out, 0u);
    EXPECT_EQ(CountOf(m, row.list), before);
    // The create step failing: its own code, nothing listed.
    if (row.fail) {
      out = 0xDEAD;
      const int code = row.fail(m, &out);
      if (row.failCode >= 0) {
        EXPECT_EQ(code, row.failCode);
      } else {
        EXPECT_NE(code, 0);
      }
      EXPECT_EQ(out, 0u);
      EXPECT_EQ(CountOf(m, row.list), before);
    }
    if (!row.make) continue;
    // Made: listed at the tail with the group of its kind, by a handle
    // that dies with the object.
    ASSERT_EQ(row.make(m, &out), 0);
    ASSERT_NE(out, 0u);
    EXPECT_EQ(CountOf(m, row.list), before + 1);
    switch (row.list) {
      case List::kImages: EXPECT_EQ(m.GetImage(out)->GetGroupId(), 7); break;
      case List::kSceneObjects: EXPECT_EQ(m.GetSceneObject(out)->groupId, 7u); break;
      case List::kSprites: EXPECT_EQ(m.GetSpriteGroupId(out), 9u); break;
      case List::kFonts: break;
    }
    const uint32_t handle = out;
    EXPECT_EQ(Remove(m, row.list, handle), 0);
    EXPECT_FALSE(Reachable(m, row.list, handle));
    EXPECT_EQ(Remove(m, row.list, handle), 2);
    EXPECT_EQ(CountOf(m, row.list), before);
  }
}

TEST_F(DrawObjectCreationTest, TexturesAreListedAsImagesAndHandedOutAsTextures) {
  uint32_t media = 0;
  ASSERT_EQ(device_->CreateMediaImage(&media, kPixelFormatX8R8G8B8, nullptr, elg32_.data(),
                                      elg32_.size(), 0),
            0);
  Image* image = device_->GetImage(media);
  ASSERT_NE(image, nullptr);
  EXPECT_EQ(image->GetKind(), kImageKindMediaImage);
  TextureSource* texture = device_->GetTextureSource(media);
  ASSERT_NE(texture, nullptr);
  EXPECT_EQ(dynamic_cast<Image*>(texture), image);
  // Plain pictures have no texture side.
  EXPECT_EQ(device_->GetTextureSource(picture_), nullptr);
  EXPECT_EQ(device_->GetTextureSource(0), nullptr);
}

TEST_F(DrawObjectCreationTest, TransitionObjectsTakeTheirImagesByHandle) {
  struct AlwaysDone final : TransitionRunner {
    int Run(uint32_t, Image*, Image*, int32_t, int32_t, int32_t, int32_t, int32_t) override { return 0; }
  } runner;
  uint32_t out = 0;
  // Without a library a first step into an image cannot be drawn.
  EXPECT_EQ(device_->CreateTransitionObject(&out, surfaceImage_, picture_, 0, 0, 0, 0), 3);
  device_->SetTransitionRunner(&runner);
  // An unknown source is an invalid source (1) before the destination.
  EXPECT_EQ(device_->CreateTransitionObject(&out, 0x7FFF0001u, 0x7FFF0002u, 0, 0, 0, 0), 1);
  ASSERT_EQ(device_->CreateTransitionObject(&out, surfaceImage_, picture_, 0, 0, 0, 0), 0);
  auto* object = dynamic_cast<TransitionObject*>(device_->GetSceneObject(out));
  ASSERT_NE(object, nullptr);
  EXPECT_EQ(object->Source(), device_->GetImage(surfaceImage_));
  EXPECT_EQ(object->Destination(), device_->GetImage(picture_));
  EXPECT_EQ(object->DrawStep(10), 0);
  device_->DeleteAll();
  device_->SetTransitionRunner(nullptr);
}

}  // namespace
}  // namespace orrivel::testing
