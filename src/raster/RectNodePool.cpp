#include "raster/RectNodePool.h"

#include <cstdlib>

namespace orrivel {

namespace {

void ReleaseSharedReserve() { RectNodePool::Shared().ReleaseReserve(); }

}  // namespace

RectNodePool& RectNodePool::Shared() {
  static RectNodePool* const pool = [] {
    auto* p = new RectNodePool;
    p->registerExitHandler_ = true;
    return p;
  }();
  return *pool;
}

RectNodePool::~RectNodePool() {
  delete reserve_;
  reserve_ = nullptr;
  FreeAll();
}

RectNode* RectNodePool::Take() {
  if (!freeNodes_) freeNodes_ = std::make_unique<std::vector<RectNode*>>();
  if (freeNodes_->empty()) Grow();
  RectNode* node = freeNodes_->back();
  freeNodes_->pop_back();
  if (reserve_ == nullptr && total_ > 0) {
    if (freeNodes_->empty()) Grow();
    reserve_ = freeNodes_->back();
    freeNodes_->pop_back();
    if (registerExitHandler_) {
      registerExitHandler_ = false;
      std::atexit(ReleaseSharedReserve);
    }
  }
  return node;
}

void RectNodePool::Give(RectNode* node) {
  if (!freeNodes_) freeNodes_ = std::make_unique<std::vector<RectNode*>>();
  freeNodes_->push_back(node);
  if (freeNodes_->size() == size_t(total_)) FreeAll();
}

void RectNodePool::Grow() {
  if (!freeNodes_) freeNodes_ = std::make_unique<std::vector<RectNode*>>();
  freeNodes_->reserve(freeNodes_->size() + 256);
  for (int i = 0; i < 256; ++i) freeNodes_->push_back(new RectNode);
  total_ += 256;
}

void RectNodePool::ReleaseReserve() {
  if (reserve_ == nullptr) return;
  RectNode* node = reserve_;
  reserve_ = nullptr;
  Give(node);
}

void RectNodePool::FreeAll() {
  if (freeNodes_) {
    for (RectNode* node : *freeNodes_) delete node;
  }
  freeNodes_.reset();
  total_ = 0;
}

}  // namespace orrivel
