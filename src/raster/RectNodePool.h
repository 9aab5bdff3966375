#pragma once
// The recycled nodes of every DirtyRegion. Nodes are never freed while the
// program runs; the pool lets go of them all once every node is back and its
// reserve node has been returned at exit.
#include <cstdint>
#include <memory>
#include <vector>

namespace orrivel {

// One rectangle of a region, in a circular doubly linked list.
struct RectNode {
  int32_t left = 0;
  int32_t top = 0;
  int32_t right = 0;
  int32_t bottom = 0;
  RectNode* prev = nullptr;
  RectNode* next = nullptr;
};

class RectNodePool {
 public:
  RectNodePool() = default;
  // Frees what the pool holds (a pool of its own, as tests make).
  ~RectNodePool();
  RectNodePool(const RectNodePool&) = delete;
  RectNodePool& operator=(const RectNodePool&) = delete;

  // The one pool of the process. It is never destroyed, so regions that
  // live in static storage can give their nodes back at any point of exit.
  static RectNodePool& Shared();

  // A free node (contents undefined). The first call also sets aside the
  // reserve node that keeps the pool alive until exit.
  RectNode* Take();
  // Takes a node back; when every node is back, frees them all.
  void Give(RectNode* node);
  // Adds 256 nodes.
  void Grow();
  // Gives the reserve node back (the exit handler of the shared pool).
  void ReleaseReserve();

  int32_t Total() const { return total_; }
  size_t FreeCount() const { return freeNodes_ ? freeNodes_->size() : 0; }
  bool HasReserve() const { return reserve_ != nullptr; }

 private:
  void FreeAll();

  int32_t total_ = 0;
  std::unique_ptr<std::vector<RectNode*>> freeNodes_;
  RectNode* reserve_ = nullptr;
  bool registerExitHandler_ = false;
};

}  // namespace orrivel
