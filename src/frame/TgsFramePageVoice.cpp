// The page voice as the page output sees it: started when a voiced page is
// shown, ended with the page. The voice itself (channel 6, the speaker's
// pan, the music ducking) is the frame's sounds' work; until they speak it,
// a page has no voice and its wait does not wait for one.
#include "frame/TgsFrame.h"

namespace orrivel {

namespace {

// What the voice manager answers when it has no voice table.
constexpr int32_t kNoVoices = -5;

}  // namespace

int32_t TgsFrame::StartPageVoice(const std::string&) { return kNoVoices; }

void TgsFrame::EndPageVoice(bool) {}

}  // namespace orrivel
