#pragma once
// The one lifetime rule for objects the scripts can delete while something
// else still points at them (pictures and canvases, fonts, sprites, scene
// objects, controls): such an object is a LinkTarget, and a holder that
// did not make it keeps a WeakLink<T> to it, never a bare pointer. However
// the object goes (its handle, its group, all at once, its owner's
// teardown), every link to it reads null from then on, and a holder that
// must do more than stop using it (redraw, give a screen back, stop an
// action) is told through the link's callback. A link never keeps its
// object alive.
//
// The callback runs while the object is being destroyed: it may drop or
// re-aim links (its own included) and delete its holder, but must not use
// the object. A class whose own destructor still reaches its holders calls
// BreakLinks() first.
//
// Main thread only.
#include <cstddef>
#include <functional>
#include <utility>

namespace orrivel {

class LinkBase;

class LinkTarget {
 public:
  LinkTarget() = default;
  // A copy is another object: nobody links to it yet.
  LinkTarget(const LinkTarget&) {}
  LinkTarget& operator=(const LinkTarget&) { return *this; }

  // Clears every link to this object, telling each holder that asked.
  void BreakLinks();
  size_t LinkCount() const;

 protected:
  ~LinkTarget() { BreakLinks(); }

 private:
  friend class LinkBase;
  LinkBase* head_ = nullptr;
};

class LinkBase {
 public:
  LinkBase(const LinkBase&) = delete;
  LinkBase& operator=(const LinkBase&) = delete;

 protected:
  LinkBase() = default;
  ~LinkBase() { Unhook(); }

  // Hooks onto the target (null: none), leaving any earlier one.
  void Hook(LinkTarget* target) {
    if (target == target_) return;
    Unhook();
    if (target == nullptr) return;
    target_ = target;
    next_ = target->head_;
    if (next_ != nullptr) next_->prev_ = this;
    target->head_ = this;
  }
  void Unhook() {
    if (target_ == nullptr) return;
    if (prev_ != nullptr) prev_->next_ = next_;
    else target_->head_ = next_;
    if (next_ != nullptr) next_->prev_ = prev_;
    prev_ = next_ = nullptr;
    target_ = nullptr;
  }
  bool Hooked() const { return target_ != nullptr; }

  // The target went: the link is already clear.
  virtual void Broken() = 0;

 private:
  friend class LinkTarget;
  LinkTarget* target_ = nullptr;
  LinkBase* prev_ = nullptr;
  LinkBase* next_ = nullptr;
};

inline void LinkTarget::BreakLinks() {
  while (head_ != nullptr) {
    LinkBase* link = head_;
    link->Unhook();
    link->Broken();  // may delete the link's holder: not touched after
  }
}

inline size_t LinkTarget::LinkCount() const {
  size_t count = 0;
  for (const LinkBase* link = head_; link != nullptr; link = link->next_) ++count;
  return count;
}

// A pointer to a T (a LinkTarget) that turns null when the T goes.
template <class T>
class WeakLink final : public LinkBase {
 public:
  using OnBroken = std::function<void()>;

  WeakLink() = default;
  explicit WeakLink(T* object, OnBroken onBroken = {}) : onBroken_(std::move(onBroken)) { Reset(object); }
  // A copy links to the same object, without the callback (that belongs
  // to the holder that set it).
  WeakLink(const WeakLink& other) : LinkBase() { Reset(other.object_); }
  WeakLink& operator=(const WeakLink& other) {
    if (this != &other) Reset(other.object_);
    return *this;
  }
  WeakLink& operator=(T* object) {
    Reset(object);
    return *this;
  }
  ~WeakLink() = default;

  void Reset(T* object = nullptr) {
    Hook(object);
    object_ = object;
  }
  // Called after the link cleared when its object goes.
  void SetOnBroken(OnBroken onBroken) { onBroken_ = std::move(onBroken); }

  T* Get() const { return object_; }
  T* operator->() const { return object_; }
  T& operator*() const { return *object_; }
  explicit operator bool() const { return object_ != nullptr; }
  bool operator==(const T* object) const { return object_ == object; }

 private:
  void Broken() override {
    object_ = nullptr;
    if (onBroken_) {
      // A copy: the callback may reset or destroy this link.
      OnBroken call = onBroken_;
      call();
    }
  }

  T* object_ = nullptr;
  OnBroken onBroken_;
};

}  // namespace orrivel
