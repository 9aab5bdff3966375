// A stand-in for one of the movie libraries, built once per library name:
// its version entry, its factory (unless built without it) and a control
// or movie object that records what the program asks of it.
#include "FakeMovieLibrary.h"

#include <stdexcept>

#include "resource/Stream.h"
#include "sound/MovieLibraryEntries.h"

using orrivel::Image;
using orrivel::MovieControl;
using orrivel::MovieObject;
using orrivel::Rect;
using orrivel::Stream;
using orrivel::testing::FakeMovieState;

namespace {

FakeMovieState& State() {
  static FakeMovieState state = [] {
    FakeMovieState s;
    s.version = FAKE_VERSION;
    return s;
  }();
  return state;
}

int32_t Record(const char* name) {
  FakeMovieState& s = State();
  s.calls.emplace_back(name);
  if (s.lockHeld != nullptr && !s.lockHeld()) ++s.unlockedCalls;
  return 0;
}

// A control or object owns the stream it was made with, as the libraries do.
class FakeControl final : public MovieControl {
 public:
  explicit FakeControl(Stream* stream) : stream_(stream) { ++State().live; }
  MovieControl* AddRef() override { return this; }
  int32_t Release() override {
    Record("Release");
    delete this;
    return 0;
  }
  int32_t Open(Stream*, int32_t, const char*, int32_t, int32_t, int32_t) override { return 0; }
  int32_t Play() override {
    Record("Play");
    State().playState = 1;
    State().endOfStream = 0;
    return 0;
  }
  int32_t Pause() override { return Record("Pause"); }
  int32_t Resume() override { return Record("Resume"); }
  int32_t Stop() override {
    Record("Stop");
    State().playState = 0;
    return 0;
  }
  int32_t GetDuration(int64_t* d) override {
    *d = 15000000;
    return 0;
  }
  int32_t Seek(int64_t) override { return Record("Seek"); }
  int32_t GetPosition(int64_t* p) override {
    *p = 0;
    return 0;
  }
  int32_t GetState(int32_t* state) override {
    *state = State().playState;
    return 0;
  }
  int32_t SetVolume(int32_t attenuation) override {
    State().attenuation = attenuation;
    return 0;
  }
  int32_t AdjustRate(double) override { return 0; }
  int32_t SetRate(double) override { return 0; }
  int32_t GetWidth() override { return State().width; }
  int32_t GetHeight() override { return State().height; }
  int32_t GetVolume() override { return State().attenuation; }
  uint8_t GetFrontIndex() override { return State().front; }
  int32_t IsEndOfStream() override { return State().endOfStream; }
  ~FakeControl() override {
    if (stream_ != nullptr) stream_->Release();
    --State().live;
  }

 private:
  Stream* stream_;
};

class FakeObject final : public MovieObject {
 public:
  explicit FakeObject(Stream* stream) : stream_(stream) { ++State().live; }
  int32_t Reserved1() override { return Record("Reserved1"); }
  int32_t Release() override {
    Record("Release");
    if (stream_ != nullptr) stream_->Release();
    --State().live;
    delete this;
    return 0;
  }
  int32_t Reserved3() override { return Record("Reserved3"); }
  int32_t Attach(uint32_t) override { return Record("Attach"); }
  int32_t AttachAgain(uint32_t) override { return Record("AttachAgain"); }
  int32_t SetRect(const Rect*) override { return Record("SetRect"); }
  int32_t Show(int32_t show) override { return Record(show ? "Show1" : "Show0"); }
  int32_t Run() override {
    Record("Run");
    State().playState = 1;
    return 0;
  }
  int32_t Pause() override { return Record("Pause"); }
  int32_t Resume() override { return Record("Resume"); }
  int32_t Stop() override {
    Record("Stop");
    if (State().stopResult == 0) State().playState = 0;
    return State().stopResult;
  }
  int32_t GetDuration(int64_t* d) override {
    Record("GetDuration");
    *d = 7;
    return 0;
  }
  int32_t Seek(int64_t) override {
    Record("Seek");
    return State().seekResult;
  }
  int32_t GetPosition(int64_t* p) override {
    Record("GetPosition");
    *p = 3;
    return 0;
  }
  int32_t GetState(int32_t* state) override {
    Record("GetState");
    *state = State().playState;
    return 0;
  }
  int32_t GetEvent(int32_t* code, intptr_t* p1, intptr_t* p2, uint8_t* got) override {
    Record("GetEvent");
    auto& events = State().events;
    *got = events.empty() ? 0 : 1;
    if (events.empty()) return 1;
    *code = events.front().code;
    *p1 = events.front().param1;
    *p2 = events.front().param2;
    events.pop_front();
    return 0;
  }
  int32_t SetVolume(int32_t attenuation) override {
    Record("SetVolume");
    State().attenuation = attenuation;
    return 0;
  }
  int32_t Reserved18() override { return Record("Reserved18"); }
  int32_t GetVolume() override {
    Record("GetVolume");
    return State().attenuation;
  }
  int32_t GetBalance(int32_t* b) override {
    Record("GetBalance");
    *b = 0;
    return 0;
  }
  int32_t AdjustRate(double) override { return Record("AdjustRate"); }
  int32_t SetRate(double) override { return Record("SetRate"); }
  int32_t VideoQuery() override { return Record("VideoQuery"); }
  int32_t PaintQuery() override {
    Record("PaintQuery");
    return State().paintQuery;
  }
  int32_t GetWidth() override { return State().width; }
  int32_t GetHeight() override { return State().height; }
  int32_t Reserved27() override { return Record("Reserved27"); }
  int32_t Paint(uint32_t) override { return Record("Paint"); }

 private:
  Stream* stream_;
};

// The factory's common part: the answer to give, or a throw.
[[maybe_unused]] int32_t FactoryAnswer() {
  FakeMovieState& s = State();
  ++s.factoryCalls;
  if (s.throwInFactory) throw std::runtime_error("refused");
  return s.factoryResult;
}

[[maybe_unused]] void RememberSource(Stream* stream, int32_t kind, const char* fileName) {
  FakeMovieState& s = State();
  s.stream = stream;
  s.kind = kind;
  s.hadPath = fileName != nullptr;
  s.path = fileName != nullptr ? fileName : "";
}

}  // namespace

#define FAKE_EXPORT extern "C" __attribute__((visibility("default")))

FAKE_EXPORT FakeMovieState* FakeMovieLibraryState() { return &State(); }

FAKE_EXPORT int32_t GetDllVersion() { return State().version; }

#ifndef FAKE_NO_FACTORY
#if FAKE_LIBRARY == 0
FAKE_EXPORT int32_t GetDShowGdiSpriteCtrl(MovieControl** out, orrivel::PixelBuffer* images, orrivel::Drawable* notify,
                                          Stream* stream, int32_t kind, const char* fileName, int32_t a, int32_t b,
                                          int32_t c) {
  RememberSource(stream, kind, fileName);
  State().images = images;
  State().notify = notify;
  State().reserved[0] = a;
  State().reserved[1] = b;
  State().reserved[2] = c;
  if (const int32_t r = FactoryAnswer(); r != 0) return r;
  *out = new FakeControl(stream);
  return 0;
}
#elif FAKE_LIBRARY == 1
FAKE_EXPORT int32_t GetDShowPrimCtrl(MovieControl** out, Image** frameSources, Stream* stream, int32_t kind,
                                     const char* fileName, int32_t a, int32_t b, int32_t c) {
  RememberSource(stream, kind, fileName);
  State().images = frameSources;
  State().reserved[0] = a;
  State().reserved[1] = b;
  State().reserved[2] = c;
  if (const int32_t r = FactoryAnswer(); r != 0) return r;
  *out = new FakeControl(stream);
  if (State().onFrameSources != nullptr) State().onFrameSources(frameSources, State().width, State().height);
  return 0;
}
#else
FAKE_EXPORT int32_t GetMovieObject(MovieObject** out, uint32_t window, Stream* stream, int32_t kind,
                                   const char* fileName, void* directDraw, void* primary, uint8_t useDirectDraw) {
  RememberSource(stream, kind, fileName);
  State().window = window;
  State().directDraw = directDraw;
  State().primary = primary;
  State().useDirectDraw = useDirectDraw;
  if (const int32_t r = FactoryAnswer(); r != 0) return r;
  *out = new FakeObject(stream);
  return 0;
}
#endif
#endif
