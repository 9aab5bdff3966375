#include "display/DrawObjectManager.h"

#include <algorithm>

#include "display/D3DDevice.h"
#include "display/DrawObjectWatcher.h"
#include "display/DdSurface.h"
#include "display/LockedFrameSource.h"
#include "display/MediaImage.h"
#include "display/SurfaceImage.h"
#include "display/TextImage.h"
#include "text/SurfaceText.h"

namespace orrivel {

DrawObjectManager::DrawObjectManager(D3DDevice* device) : device_(device) {}

DrawObjectManager::~DrawObjectManager() {
  DeleteAll();
  DeleteAllFonts();
  // Watchers that outlive the manager must not reach back into it.
  for (DrawObjectWatcher* watcher : watchers_) watcher->watched_ = nullptr;
  watchers_.clear();
}

uint32_t DrawObjectManager::SetImageGroupId(uint32_t id) {
  const uint32_t old = imageGroupId_;
  imageGroupId_ = id;
  return old;
}

uint32_t DrawObjectManager::SetSpriteGroupId(uint32_t id) {
  const uint32_t old = spriteGroupId_;
  spriteGroupId_ = id;
  return old;
}

uint32_t DrawObjectManager::AddImage(std::unique_ptr<Image> image) {
  if (image) image->SetGroupId(int32_t(imageGroupId_));
  const uint8_t kind = image ? image->GetKind() : 0;
  return images_.Add(std::move(image), imageGroupId_, kind);
}

uint32_t DrawObjectManager::AddSceneObject(std::unique_ptr<SceneObject> object) {
  if (object) object->groupId = imageGroupId_;
  const uint8_t kind = object ? uint8_t(object->GetKind()) : 0;
  return sceneObjects_.Add(std::move(object), imageGroupId_, kind);
}

uint32_t DrawObjectManager::AddFont(std::unique_ptr<Font> font) {
  const uint8_t kind = font ? uint8_t(font->GetKind()) : 0;
  return fonts_.Add(std::move(font), 0, kind);
}

uint32_t DrawObjectManager::AddSprite(std::unique_ptr<Drawable> sprite) {
  const uint8_t kind = sprite ? uint8_t(sprite->GetKind()) : 0;
  return sprites_.Add(std::move(sprite), spriteGroupId_, kind);
}

Font* DrawObjectManager::GetFont(uint32_t handle) const {
  if (Font* listed = fonts_.Get(handle)) return listed;
  // A font the system hands the scripts without listing it (the
  // confirmation box's question font) is named in the same space under
  // the same family, with no list behind it: it draws and takes settings
  // like any other, but no list deletes it.
  const HandleSpace& space = HandleSpace::Process();
  if (space.Holder(handle, HandleFamily::Font) != nullptr) return nullptr;  // another manager's
  return static_cast<Font*>(space.Find(handle, HandleFamily::Font));
}

uint32_t DrawObjectManager::LendImage(Image* image, const void* lender) {
  if (image == nullptr) return 0;
  const uint32_t listed = images_.HandleOf(image);
  return listed != 0 ? listed : images_.Lend(image, imageGroupId_, lender, image->GetKind());
}

uint32_t DrawObjectManager::LendSprite(Drawable* sprite, const void* lender) {
  if (sprite == nullptr) return 0;
  const uint32_t listed = sprites_.HandleOf(sprite);
  return listed != 0 ? listed : sprites_.Lend(sprite, spriteGroupId_, lender, uint8_t(sprite->GetKind()));
}

const void* DrawObjectManager::LenderOfImage(const Image* image) const {
  for (const auto& entry : images_)
    if (entry.object.get() == image) return entry.lender;
  return nullptr;
}

bool DrawObjectManager::IsLent(uint32_t handle) const {
  if (const auto* entry = images_.Find(handle)) return entry->lender != nullptr;
  if (const auto* entry = sprites_.Find(handle)) return entry->lender != nullptr;
  return false;
}

int DrawObjectManager::CreateBlankSurfaceImage(uint32_t* out, int32_t width, int32_t height,
                                               uint8_t systemMemory, uint8_t texture,
                                               const platform::SurfacePixelFormat* format) {
  return CreateImage<SurfaceImage>(out, 5, [&](SurfaceImage& image) {
    return image.CreateBlank(width, height, systemMemory, texture, format);
  });
}

int DrawObjectManager::CreateSurfaceImageFromFile(uint32_t* out, const char* name,
                                                  const uint8_t* data, uint64_t size,
                                                  uint8_t systemMemory) {
  return CreateImage<SurfaceImage>(out, 7, [&](SurfaceImage& image) {
    return image.LoadFile(name, data, size, systemMemory);
  });
}

int DrawObjectManager::CreateMediaImage(uint32_t* out, uint32_t formatCode, const char* name,
                                        const uint8_t* data, uint64_t size, uint8_t createFlags) {
  return CreateImage<MediaImage>(out, 11, [&](MediaImage& image) {
    return image.Load(formatCode, name, data, size, createFlags);
  });
}

int DrawObjectManager::CreateTextImage(uint32_t* out, const char* text, uint32_t fontHandle,
                                       uint32_t formatCode) {
  Font* font = GetFont(fontHandle);
  return CreateImage<TextImage>(out, 2, [&](TextImage& image) { return image.Create(text, font, formatCode); });
}

int DrawObjectManager::CreateLockedFrameSource(uint32_t* out) {
  return CreateImage<LockedFrameSource>(out, 1, [](LockedFrameSource&) { return 0; });
}

TextureSource* DrawObjectManager::GetTextureSource(uint32_t handle) const {
  return dynamic_cast<TextureSource*>(images_.Get(handle));
}

int DrawObjectManager::CreateDdSurface(uint32_t* out, const char* text, uint32_t fontHandle) {
  Font* font = GetFont(fontHandle);
  return CreateImage<DdSurface>(out, 2, [&](DdSurface& image) { return image.SetText(text, font); });
}

uint32_t DrawObjectManager::GetSpriteGroupId(uint32_t handle) const {
  const auto* entry = sprites_.Find(handle);
  return entry != nullptr ? entry->groupId : 0;
}

namespace {

template <class List>
int RemoveFrom(List& list, uint32_t handle) {
  if (handle == 0) return 1;
  return list.Remove(handle) ? 0 : 2;
}

// Removal of one listed object, its watchers told first.
template <class List, class Announce>
int RemoveAnnounced(List& list, uint32_t handle, Announce announce) {
  if (auto* object = list.Get(handle)) announce(*object);
  return RemoveFrom(list, handle);
}

template <class List, class Announce>
int DeleteThrough(List& list, uint32_t* handle, Announce announce) {
  if (handle == nullptr) return 1;
  const int r = RemoveAnnounced(list, *handle, announce);
  if (r == 0) *handle = 0;
  return r;
}

// RemoveIf, with each chosen object announced before any is deleted: a
// watcher may look at the others while it lets go.
template <class List, class Pred, class Announce>
void RemoveIfAnnounced(List& list, Pred pred, Announce announce) {
  for (auto& entry : list)
    if (pred(entry)) announce(*entry.object);
  list.RemoveIf(pred);
}

}  // namespace

void DrawObjectManager::ForgetImage(const Image* image) {
  if (image != nullptr) {
    for (auto& entry : sceneObjects_) entry.object->ForgetImage(image);
    // A lent picture's own lender keeps showing it in its own sprites: they
    // go together.
    const void* lender = LenderOfImage(image);
    for (auto& entry : sprites_)
      if (lender == nullptr || entry.lender != lender) entry.object->ForgetImage(image);
  }
  for (auto& entry : images_) {
    if (auto* partner = dynamic_cast<ScreenImage*>(entry.object.get())) partner->ForgetImage(image);
  }
}

int DrawObjectManager::RemoveImage(uint32_t handle) {
  if (Image* image = images_.Get(handle)) {
    AnnounceImage(*image);
    ForgetImage(image);
  }
  return RemoveFrom(images_, handle);
}
int DrawObjectManager::RemoveSceneObject(uint32_t handle) {
  return RemoveAnnounced(sceneObjects_, handle, [this](const SceneObject& o) { AnnounceSceneObject(o); });
}
int DrawObjectManager::RemoveSprite(uint32_t handle) {
  return RemoveAnnounced(sprites_, handle, [this](const Drawable& d) { AnnounceSprite(d); });
}
int DrawObjectManager::DeleteImage(uint32_t* handle) {
  if (handle == nullptr) return 1;
  const int r = RemoveImage(*handle);
  if (r == 0) *handle = 0;
  return r;
}
int DrawObjectManager::DeleteSprite(uint32_t* handle) {
  return DeleteThrough(sprites_, handle, [this](const Drawable& d) { AnnounceSprite(d); });
}
namespace {
// Text drawn without a font of its own takes the default font: a listed
// font that goes stops being the default, so nothing draws with it after.
void LetGoOfDefaultFont(const Font& font) {
  if (DefaultFont() == &font) SetDefaultFont(nullptr);
  if (DdSurface::DefaultFont() == &font) DdSurface::SetDefaultFont(nullptr);
}
}  // namespace

int DrawObjectManager::RemoveFont(uint32_t* handle) {
  return DeleteThrough(fonts_, handle, LetGoOfDefaultFont);
}

void DrawObjectManager::DeleteAll() {
  const auto every = [](const auto&) { return true; };
  RemoveIfAnnounced(sceneObjects_, every, [this](const SceneObject& o) { AnnounceSceneObject(o); });
  DeleteAllSprites();
  for (auto& entry : images_) AnnounceImage(*entry.object);
  ForgetImage(nullptr);
  images_.Clear();
  registry_.Clear();
}

void DrawObjectManager::EndLoans(const void* lender) { EndLoan(lender, nullptr); }

void DrawObjectManager::EndLoan(const void* lender, const void* object) {
  if (lender == nullptr) return;
  const auto taken = [&](const auto& entry) {
    return entry.lender == lender && (object == nullptr || entry.object.get() == object);
  };
  RemoveIfAnnounced(sprites_, taken, [this](const Drawable& d) { AnnounceSprite(d); });
  for (auto& entry : images_) {
    if (!taken(entry)) continue;
    AnnounceImage(*entry.object);
    ForgetImage(entry.object.get());
  }
  images_.RemoveIf(taken);
}

void DrawObjectManager::DeleteAllSprites() {
  RemoveIfAnnounced(sprites_, [](const auto&) { return true; }, [this](const Drawable& d) { AnnounceSprite(d); });
}

void DrawObjectManager::DeleteAllFonts() {
  for (const auto& entry : fonts_) LetGoOfDefaultFont(*entry.object);
  fonts_.Clear();
}

void DrawObjectManager::DeleteByGroup(uint32_t group, uint32_t flags) {
  const bool invert = (flags & 2) != 0;
  RemoveIfAnnounced(
      sceneObjects_, [&](const auto& entry) { return (entry.object->groupId == group) != invert; },
      [this](const SceneObject& o) { AnnounceSceneObject(o); });
  if ((flags & 1) == 0) return;
  const auto chosen = [&](const auto& entry) { return (uint32_t(entry.object->GetGroupId()) == group) != invert; };
  for (auto& entry : images_) {
    if (!chosen(entry)) continue;
    AnnounceImage(*entry.object);
    ForgetImage(entry.object.get());
  }
  images_.RemoveIf(chosen);
}

void DrawObjectManager::DeleteSpritesByGroup(uint32_t group, uint8_t invert) {
  RemoveIfAnnounced(
      sprites_, [&](const auto& entry) { return (entry.groupId == group) != (invert != 0); },
      [this](const Drawable& d) { AnnounceSprite(d); });
}

// --- watchers ----------------------------------------------------------------------------

void DrawObjectManager::Attach(DrawObjectWatcher* watcher) {
  if (std::find(watchers_.begin(), watchers_.end(), watcher) == watchers_.end()) watchers_.push_back(watcher);
}

void DrawObjectManager::Detach(DrawObjectWatcher* watcher) {
  watchers_.erase(std::remove(watchers_.begin(), watchers_.end(), watcher), watchers_.end());
}

namespace {

// A watcher may detach itself while it is told: each call walks a copy of
// the list (none is made while nobody watches).
template <class Object>
void Tell(const std::vector<DrawObjectWatcher*>& watchers, void (DrawObjectWatcher::*hear)(const Object&),
          const Object& object) {
  if (watchers.empty()) return;
  for (DrawObjectWatcher* w : std::vector<DrawObjectWatcher*>(watchers)) (w->*hear)(object);
}

}  // namespace

void DrawObjectManager::AnnounceImage(const Image& image) const {
  Tell(watchers_, &DrawObjectWatcher::ImageDeleting, image);
}
void DrawObjectManager::AnnounceSceneObject(const SceneObject& object) const {
  Tell(watchers_, &DrawObjectWatcher::SceneObjectDeleting, object);
}
void DrawObjectManager::AnnounceSprite(const Drawable& sprite) const {
  Tell(watchers_, &DrawObjectWatcher::SpriteDeleting, sprite);
}

DrawObjectWatcher::~DrawObjectWatcher() { Watch(nullptr); }

void DrawObjectWatcher::Watch(DrawObjectManager* manager) {
  if (watched_ == manager) return;
  if (watched_ != nullptr) watched_->Detach(this);
  watched_ = manager;
  if (watched_ != nullptr) watched_->Attach(this);
}

int DrawObjectManager::RestoreAllObjects(uint8_t checkLost) {
  // One failing object must not leave the ones after it lost, nor the
  // device's states stale: everything is tried and the first failure kept.
  int first = 0;
  const auto keep = [&first](int code) {
    if (first == 0) first = code;
  };
  for (auto& entry : images_) keep(entry.object->Restore(checkLost));
  if (device_ != nullptr && device_->HasDevice()) keep(device_->ReapplyStates());
  for (size_t i = 0; i < registry_.GetCount(); ++i) {
    if (SceneObject* object = registry_.At(i)) keep(object->Restore());
  }
  return first;
}

}  // namespace orrivel
