// The first byte picks the movie kind (0-5); the rest is served as an engine
// stream through the movie stream adapter. A movie that opens is played to
// its end on a clock stepped a second at a time, sound included.
#include <cstdint>
#include <cstring>

#include "moviedll/MovieFrameRenderer.h"
#include "moviedll/MovieKind.h"
#include "moviedll/MovieStreamAdapter.h"
#include "platform/media/MoviePipeline.h"
#include "raster/PixelBuffer.h"
#include "resource/MemoryBlock.h"
#include "resource/MemoryStream.h"

namespace {

class SilentSink final : public orrivel::media::AudioSink {
 public:
  bool Open(const orrivel::media::AudioFormat&) override { return true; }
  void Close() override {}
  void Write(const int16_t*, uint32_t) override {}
  void SetRunning(bool) override {}
  void Flush() override {}
  void SetVolume(int32_t) override {}
  int64_t PlayedMicroseconds() override { return -1; }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace orrivel;
  if (size < 1 || size > (1u << 22)) return 0;
  media::ContainerHint hint;
  if (!MovieKindToHint(data[0] % 6, &hint)) return 0;
  void* block = AllocGlobalMemory(size);
  std::memcpy(block, data + 1, size - 1);
  auto* stream = new MemoryStream();
  stream->Attach(block, uint32_t(size - 1));
  {
    PixelBuffer images[2];
    MovieFrameRenderer renderer(images, nullptr);
    SilentSink sound;
    media::ManualMediaClock clock;
    MovieStreamAdapter adapter(stream);
    media::MoviePipeline pipeline(renderer, &sound, clock);
    if (pipeline.OpenStream(adapter, hint) == media::PipelineOpenResult::kOk) {
      pipeline.Run();
      for (int step = 0; step < 300 && !pipeline.IsEndOfStream(); ++step) {
        if (!pipeline.WaitForIdle(20000)) __builtin_trap();  // a hang is a finding
        clock.AdvanceMs(1000);
      }
      pipeline.SetPosition(0);
      pipeline.Close();
    }
  }
  stream->Release();
  return 0;
}
