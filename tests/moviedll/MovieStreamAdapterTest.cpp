#include "moviedll/MovieStreamAdapter.h"

#include <gtest/gtest.h>

#include <vector>

#include "MovieFixtures.h"

namespace orrivel {
namespace {

using testing::NewMemoryStream;

// Counts its own deletion so that ownership can be checked.
class CountedStream final : public PositionedStream {
 public:
  explicit CountedStream(int* deleted) : deleted_(deleted) { size_ = 100; }
  ~CountedStream() override { ++*deleted_; }
  uint32_t Read(void*, uint32_t) override { return 0; }

 private:
  int MoveTo(uint32_t position) override {
    position_ = position;
    return 0;
  }
  int* deleted_;
};

TEST(MovieStreamAdapterTest, ReadsSeeksAndSizes) {
  std::vector<uint8_t> bytes(40);
  for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = uint8_t(i);
  MemoryStream* stream = NewMemoryStream(bytes);
  MovieStreamAdapter adapter(stream);
  int64_t available = 0;
  EXPECT_EQ(adapter.Size(&available), 40);
  EXPECT_EQ(available, 40);
  EXPECT_EQ(adapter.Alignment(), 1u);

  // Only the low 32 bits of a position reach the stream.
  ASSERT_EQ(adapter.SetPointer(int64_t(1) << 32 | 30), media::kMediaOk);
  uint8_t buffer[16] = {};
  uint32_t got = 99;
  EXPECT_EQ(adapter.Read(buffer, 16, true, &got), media::kMediaOk) << "a short read succeeds";
  EXPECT_EQ(got, 10u);
  EXPECT_EQ(buffer[0], 30);
  EXPECT_EQ(adapter.Read(buffer, 16, false, &got), media::kMediaFail) << "nothing left at the end";
  EXPECT_EQ(got, 0u);

  adapter.Lock();  // the lock is the adapter's own and re-entrant
  EXPECT_EQ(adapter.SetPointer(4), media::kMediaOk);
  EXPECT_EQ(adapter.Read(buffer, 2, false, &got), media::kMediaOk);
  adapter.Unlock();
  EXPECT_EQ(buffer[0], 4);
  stream->Release();
}

TEST(MovieStreamAdapterTest, ReleasesTheStreamOnlyOnceOwned) {
  int deleted = 0;
  auto* stream = new CountedStream(&deleted);
  { MovieStreamAdapter notOwned(stream); }
  EXPECT_EQ(deleted, 0);
  EXPECT_EQ(stream->ExtraHolders(), 0u);

  // A stream with a second holder is left alive with one holder fewer.
  stream->AddHolder();
  {
    MovieStreamAdapter owned(stream);
    owned.TakeOwnership();
  }
  EXPECT_EQ(deleted, 0);
  EXPECT_EQ(stream->ExtraHolders(), 0u);
  {
    MovieStreamAdapter owned(stream);
    owned.TakeOwnership();
  }
  EXPECT_EQ(deleted, 1);
}

}  // namespace
}  // namespace orrivel
