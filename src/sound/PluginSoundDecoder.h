#pragma once
// A decoder made by a plug-in's codec, wrapped so that the plug-in's
// library stays loaded until the decoder is gone (a decoder can outlive the
// record of the codec that made it).
#include "resource/PluginLibrary.h"
#include "sound/SoundDecoder.h"

namespace orrivel {

class PluginSoundDecoder final : public SoundDecoder {
 public:
  PluginSoundDecoder(PluginLibraryPtr library, SoundDecoder* inner) : library_(std::move(library)), inner_(inner) {}
  ~PluginSoundDecoder() override { inner_.reset(); }  // before the library can go

  uint32_t GetLengthMs() override { return inner_->GetLengthMs(); }
  uint32_t GetTotalBytes() override { return inner_->GetTotalBytes(); }
  int32_t SeekMs(uint32_t ms) override { return inner_->SeekMs(ms); }
  uint32_t TellMs() override { return inner_->TellMs(); }
  bool IsEnd() override { return inner_->IsEnd(); }
  uint32_t Read(void* buffer, uint32_t bytes) override { return inner_->Read(buffer, bytes); }
  const platform::WaveFormat* GetFormat() override { return inner_->GetFormat(); }

 private:
  PluginLibraryPtr library_;
  SoundDecoderPtr inner_;
};

}  // namespace orrivel
