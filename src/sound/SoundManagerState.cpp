// The sound state inside save data: music pan, names, volume and loop flag,
// then each channel's source, volume, pan, looping byte and kind. Packed,
// little-endian, no header.
#include <cstring>
#include <string_view>

#include "sound/SoundManager.h"

namespace orrivel {
namespace {

constexpr size_t kFixedStateBytes = 15;
constexpr size_t kFixedChannelBytes = 11;

enum ChannelSource : uint8_t { kSourceNone = 0, kSourceStream = 1, kSourceBuffer = 2 };

// The name a channel saves, or null. Names too long for a length byte were
// never loaded through the manager; they are left out rather than written
// with a wrapped length.
const std::string* SavedChannelName(const SoundChannel& channel, uint8_t* source) {
  const std::string* name = nullptr;
  *source = kSourceNone;
  if (channel.streamName) {
    name = &*channel.streamName;
    *source = kSourceStream;
  } else if (!channel.buffer.FileName().empty()) {
    name = &channel.buffer.FileName();
    *source = kSourceBuffer;
  }
  if (name && name->size() > SoundManager::kMaxNameBytes) {
    *source = kSourceNone;
    return nullptr;
  }
  return name;
}

const std::string* SavedName(const std::optional<std::string>& name) {
  return name && name->size() <= SoundManager::kMaxNameBytes ? &*name : nullptr;
}

class Writer {
 public:
  explicit Writer(uint8_t* at) : at_(at) {}
  void U8(uint8_t v) { *at_++ = v; }
  void I32(int32_t v) {
    const auto u = uint32_t(v);
    for (int i = 0; i < 4; ++i) *at_++ = uint8_t(u >> (8 * i));
  }
  void Name(const std::string* name) {
    if (!name) {
      U8(0);
      return;
    }
    U8(uint8_t(name->size() + 1));
    std::memcpy(at_, name->c_str(), name->size() + 1);
    at_ += name->size() + 1;
  }
  uint8_t* At() const { return at_; }

 private:
  uint8_t* at_;
};

// Reads the block without trusting any length in it.
class Reader {
 public:
  Reader(const uint8_t* data, size_t size) : at_(data), end_(data + size) {}
  bool Ok() const { return ok_; }
  size_t Remaining() const { return size_t(end_ - at_); }
  size_t Used(const uint8_t* start) const { return size_t(at_ - start); }
  uint8_t U8() {
    if (!Need(1)) return 0;
    return *at_++;
  }
  int32_t I32() {
    if (!Need(4)) return 0;
    uint32_t u = 0;
    for (int i = 0; i < 4; ++i) u |= uint32_t(*at_++) << (8 * i);
    return int32_t(u);
  }
  // A name whose length byte counts its terminating zero; the zero must be
  // the last byte and the only one.
  std::optional<std::string> Name() {
    const uint8_t length = U8();
    if (!ok_ || length == 0) return std::nullopt;
    if (!Need(length)) return std::nullopt;
    const std::string_view text(reinterpret_cast<const char*>(at_), length - 1u);
    if (at_[length - 1] != 0 || text.find('\0') != std::string_view::npos) ok_ = false;
    at_ += length;
    if (!ok_) return std::nullopt;
    return std::string(text);
  }

 private:
  bool Need(size_t bytes) {
    if (!ok_ || Remaining() < bytes) ok_ = false;
    return ok_;
  }

  const uint8_t* at_;
  const uint8_t* end_;
  bool ok_ = true;
};

struct SavedChannel {
  uint8_t source = kSourceNone;
  std::optional<std::string> name;
  uint8_t bufferMode = 0;
  int32_t volume = 0;
  int32_t pan = 0;
  uint8_t looping = 0;
  uint8_t kind = 1;
};

struct SavedState {
  int32_t pan = 0;
  std::optional<std::string> file;
  std::optional<std::string> intro;
  int32_t volume = 0;
  uint8_t loop = 0;
  std::vector<SavedChannel> channels;
};

bool ReadState(Reader& in, SavedState& state) {
  state.pan = in.I32();
  state.file = in.Name();
  state.intro = in.Name();
  state.volume = in.I32();
  state.loop = in.U8();
  const int32_t count = in.I32();
  // Every channel takes at least its fixed bytes: a count beyond what is
  // left is damage, not a reason to allocate.
  if (!in.Ok() || count < 0 || size_t(count) > in.Remaining() / kFixedChannelBytes) return false;
  state.channels.resize(size_t(count));
  for (SavedChannel& channel : state.channels) {
    channel.source = in.U8();
    if (channel.source != kSourceNone) {
      channel.name = in.Name();
      if (!channel.name) return false;
      channel.bufferMode = in.U8();
    }
    channel.volume = in.I32();
    channel.pan = in.I32();
    channel.looping = in.U8();
    channel.kind = in.U8();
    if (!in.Ok()) return false;
  }
  return in.Ok();
}

}  // namespace

size_t SoundManager::GetStateSize() {
  const MusicStream& stream = ActiveMusic();
  size_t size = kFixedStateBytes;
  if (const std::string* file = SavedName(stream.file)) size += file->size() + 1;
  if (const std::string* intro = SavedName(stream.intro)) size += intro->size() + 1;
  for (const auto& channel : channels_) {
    size += kFixedChannelBytes;
    uint8_t source = 0;
    if (const std::string* name = SavedChannelName(*channel, &source)) size += name->size() + 3;
  }
  return size;
}

int32_t SoundManager::SaveState(uint8_t** cursor) {
  if (!cursor || !*cursor) return 1;
  const MusicStream& stream = ActiveMusic();
  Writer out(*cursor);
  out.I32(musicPan);
  out.Name(SavedName(stream.file));
  out.Name(SavedName(stream.intro));
  out.I32(stream.volume);
  out.U8(stream.loop);
  out.I32(int32_t(channels_.size()));
  for (const auto& channel : channels_) {
    uint8_t source = 0;
    const std::string* name = SavedChannelName(*channel, &source);
    out.U8(source);
    if (name) {
      out.Name(name);
      // The kept-sample width stands in for the mode, as saves have always
      // held it: a 16-bit sound kept raw comes back with its envelope.
      out.U8(source == kSourceBuffer ? channel->buffer.KeptSampleWidth() : 0);
    }
    out.I32(channel->volume);
    out.I32(channel->pan);
    out.U8(channel->playState == 2 ? 1 : 0);
    out.U8(channel->kind);
  }
  *cursor = out.At();
  return 0;
}

int32_t SoundManager::LoadState(const uint8_t* data, size_t size, size_t* consumed) {
  if (!data) return 1;
  Reader in(data, size);
  SavedState state;
  try {
    if (!ReadState(in, state)) return 1;
  } catch (const std::bad_alloc&) {
    return 1;
  }
  if (consumed) *consumed = in.Used(data);

  StopMusic();
  SwapMusicStreams();
  StopMusic();
  musicPan = state.pan;
  SetMusicVolume(state.volume, -1, true);
  if (state.file) PlayMusic(state.file->c_str(), state.intro ? state.intro->c_str() : nullptr, state.loop != 0);
  // A state without channels leaves none.
  if (state.channels.empty()) {
    FreeChannels();
  } else {
    SetChannelCount(int32_t(state.channels.size()));
  }
  for (size_t i = 0; i < state.channels.size(); ++i) {
    const SavedChannel& saved = state.channels[i];
    const auto ch = int32_t(i);
    SetChannelVolume(ch, saved.volume, -1);
    SetChannelPan(ch, saved.pan);
    if (saved.name) {
      StopChannel(ch);
      // The load gives the channel full volume and its kind's level again.
      LoadChannel(ch, saved.name->c_str(), saved.bufferMode, saved.source == kSourceStream);
      if (saved.looping) PlayChannel(ch, true);
    } else {
      UnloadChannel(ch);
    }
    // Stored last: the load above used the kind the channel had before.
    if (SoundChannel* channel = GetChannel(ch)) channel->kind = saved.kind;
  }
  return 0;
}

}  // namespace orrivel
