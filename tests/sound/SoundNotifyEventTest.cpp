// A refill thread woken by position notifications, driven by the virtual
// device: each advance returns only after the woken thread's pass, so the
// capture is exact whatever the threads' timing.
#include <atomic>
#include <thread>

#include <gtest/gtest.h>

#include "platform/audio/VirtualAudioDevice.h"
#include "sound/SoundNotifyEvent.h"

namespace orrivel {
namespace {

using namespace platform;

constexpr uint32_t kHalfFrames = 441;  // one mixing quantum at 44.1 kHz
constexpr uint32_t kHalfBytes = kHalfFrames * 2;

void FillHalf(SoundBuffer& buffer, uint32_t half, int16_t value) {
  void *p1, *p2;
  uint32_t n1, n2;
  ASSERT_EQ(buffer.Lock(half * kHalfBytes, kHalfBytes, &p1, &n1, &p2, &n2, 0), kAudioOk);
  auto* samples = static_cast<int16_t*>(p1);
  for (uint32_t i = 0; i < kHalfFrames; ++i) samples[i] = value;
  buffer.Unlock(p1, n1, p2, n2);
}

TEST(SoundNotifyEventTest, RefillThreadKeepsTheRingExactlyOneHalfAhead) {
  VirtualAudioDevice device;
  int32_t result;
  auto buffer = device.CreateBuffer(WaveFormat::Pcm(44100, 1, 16), kBufferCtrlPositionNotify, 2 * kHalfBytes,
                                    &result);
  ASSERT_TRUE(buffer);
  FillHalf(*buffer, 0, 0);
  FillHalf(*buffer, 1, 1);
  SoundNotifyEvent event;
  ASSERT_EQ(buffer->SetNotificationPositions({{0, &event}, {kHalfBytes, &event}, {kNotifyAtStop, &event}}),
            kAudioOk);
  std::atomic<bool> stop{false};
  event.AttachWaiter();
  std::thread refill([&] {
    int16_t next = 2;
    while (event.Wait(Event::kInfinite) == 0 && !stop) {
      uint32_t play = 0;
      buffer->GetCurrentPosition(&play, nullptr);
      // Refill the half the play cursor has just left.
      FillHalf(*buffer, play < kHalfBytes ? 1 : 0, next++);
    }
    event.DetachWaiter();
  });
  device.StartCapture();
  buffer->Play(kPlayLooping);
  device.Advance(kHalfFrames);  // plays half 0, crossing offset 0
  for (int i = 0; i < 6; ++i) device.Advance(kHalfFrames);
  stop = true;
  buffer->Stop();  // the stop notification wakes the thread to see the flag
  refill.join();
  ASSERT_EQ(device.Capture().size(), 7u * kHalfFrames * 2);
  for (uint32_t frame = 0; frame < 7 * kHalfFrames; ++frame) {
    ASSERT_EQ(device.Capture()[frame * 2], int16_t(frame / kHalfFrames)) << frame;
  }
}

TEST(SoundNotifyEventTest, EventWithoutAThreadIsSettledAndKeepsItsSignal) {
  SoundNotifyEvent event;
  event.Wake();
  EXPECT_TRUE(event.WaitSettled(0));
  EXPECT_TRUE(event.IsSet());
  EXPECT_EQ(event.Wait(0), 0);
  EXPECT_EQ(event.Wait(0), 1);
  event.AttachWaiter();
  event.Wake();
  EXPECT_FALSE(event.WaitSettled(1));  // attached but nobody waiting
  event.DetachWaiter();
  EXPECT_TRUE(event.WaitSettled(0));
}

}  // namespace
}  // namespace orrivel
