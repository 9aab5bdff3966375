// The text opcodes of the frame (12 to 31): message ids and read marking,
// choices, page ends, the save caption, names and voices, and the page
// commands for line feeds, ruby and font changes.
#include <algorithm>

#include "base/BitArray.h"
#include "base/Cp932.h"
#include "base/SystemTextFormat.h"
#include "frame/MessageTextWindow.h"
#include "frame/MessageWindowState.h"
#include "frame/TgsFrame.h"
#include "text/FontFaceList.h"
#include "text/OutlineFont.h"

namespace orrivel {

namespace {

constexpr size_t kSettingSkipReadOnly = 5;
constexpr size_t kSettingFace = 36;
constexpr size_t kSettingFaceBytes = 32;
constexpr size_t kSettingWeight = 71;
constexpr int32_t kDefaultFontSize = 26;
constexpr uint32_t kWhite = 0xFFFFFF;
constexpr uint8_t kFontsSizeOrColour = 1;
constexpr uint8_t kFontsFace = 2;
// The installed faces a page may ask for: those of the Shift-JIS set.
constexpr uint8_t kShiftJisCharSet = 128;
// A face name fills at most 31 bytes of its record.
constexpr size_t kFaceNameLimit = 32;

// At most limit bytes of text, never ending inside a two-byte character;
// a lone lead byte at the end goes too, so that no reader of the text
// takes the terminator for its second byte.
std::string CutText(const std::string& text, size_t limit) {
  std::string cut = CutAtCharacter(text, limit);
  size_t at = 0;
  while (at < cut.size()) {
    if (cp932::IsLeadByte(uint8_t(cut[at])) && at + 1 == cut.size()) {
      cut.pop_back();
      break;
    }
    at += cp932::IsLeadByte(uint8_t(cut[at])) ? 2 : 1;
  }
  return cut;
}

void SetTextColour(OutlineFont* font, uint32_t colour) {
  if (!font) return;
  font->textRed = uint8_t(colour);
  font->textGreen = uint8_t(colour >> 8);
  font->textBlue = uint8_t(colour >> 16);
}

void SetEdgeColour(OutlineFont* font, uint32_t colour) {
  if (!font) return;
  font->effectRed = uint8_t(colour);
  font->effectGreen = uint8_t(colour >> 8);
  font->effectBlue = uint8_t(colour >> 16);
}

// A resumed run reads its page again from the message's start, while the
// load has already shown that page: what was read goes, so the next page
// starts empty instead of behind it.
void DropReReadPage(TgsFrame& frame) {
  frame.Page().Rewind();
  frame.SpeakerName().clear();
  frame.VoiceName().clear();
}

}  // namespace

int32_t TgsFrame::MessageId(const TgsArguments& arguments) {
  messageId_ = int32_t(arguments.Value(0));
  alreadyRead_ = IsMessageRead(messageId_);
  if (!alreadyRead_ && Setting(kSettingSkipReadOnly)) {
    CancelSkipMode();
    SetButtonEnabled(kSkipToChoice, false);
  } else if (ButtonState(kSkipToChoice) == 0) {
    SetButtonEnabled(kSkipToChoice, true);
  }
  return 0;
}

bool TgsFrame::TakeResumed() {
  const bool resumed = resumed_;
  resumed_ = false;
  return resumed;
}

int32_t TgsFrame::ShowChoices(const TgsArguments& arguments) {
  bool showPage = true;
  if (!TakeResumed()) {
    choiceWait_ = true;
    if (FlushPage() != 0) {
      MarkMessageRead(messageId_);
      showPage = false;
    } else if (const int32_t stop = TakePageStop()) {
      return stop;
    }
  } else {
    DropReReadPage(*this);
  }
  if (showPage) {
    if (const int32_t result = OutputPage(MakeCall(13, {0, 1}))) return result;
  }

  BitArray* flags = nullptr;
  const int32_t entry = CurrentEntryIndex();
  if (entry >= 0 && size_t(entry) < ScriptTable().entries.size()) flags = &ScriptTable().entries[size_t(entry)].b;
  choices_.Reset(flags, arguments.Value(9), uint32_t(optionWords_[0]));
  uint32_t count = 0;
  while (count < TgsChoiceList::kMaxChoices && arguments.Given(count + 1)) ++count;
  choiceCount_ = count;
  for (uint32_t i = 0; i < count; ++i) choices_.Add(arguments.Text(i + 1), !ChoiceDisabled(i));
  if (history_.Capacity() > 0) AddHistoryChoices(TgsOpcodeTable::Describe(13, arguments));

  choiceDisabled_.fill(0);
  choiceWait_ = false;
  pageShown_ = false;
  return 0;
}

bool TgsFrame::TakeChoice(uint32_t index) { return choices_.Take(index, Space()); }

int32_t TgsFrame::PageNewLine(const TgsArguments& arguments) {
  if (!replaying_) return SerializeCommand(14, arguments);
  // While a page is measured for the history the feed goes to the history
  // window too, so its recorded height holds every line it draws.
  if (MessageTextWindow* window = CurrentWindow()) window->NewLine();
  return 0;
}

int32_t TgsFrame::PageEnd(const TgsArguments&) {
  bool shown = pageShown_;
  if (!TakeResumed()) {
    if (pageSerialPending_ && windowState_->GetPageDisplayMode() == 0)
      if (MessageTextWindow* window = windowState_->Window(0)) window->FinishReveal();
    shown = FlushPage() == 0;
    pageShown_ = shown;
    if (const int32_t stop = TakePageStop()) return stop;
  } else {
    DropReReadPage(*this);
  }
  if (const int32_t result = OutputPage(MakeCall(16, {2, shown ? 1 : 0}))) return result;
  AdvancePageSerial();
  return 0;
}

int32_t TgsFrame::AwaitChoice(const TgsArguments&) {
  if (!TakeResumed()) {
    if (!page_.Empty() || choiceCount_ == 0) return 0;
    choiceWait_ = true;
  }
  const int32_t result = WaitChoice(MakeCall(17, {}));
  choiceWait_ = false;
  if (result) return result;
  AdvancePageSerial();
  return 0;
}

int32_t TgsFrame::SetSaveCaption(const TgsArguments& arguments) {
  saveCaption_ = CutText(arguments.Text(0), kCaptionBytes);
  return 0;
}

int32_t TgsFrame::DisableChoice(const TgsArguments& arguments) {
  const int32_t index = int32_t(arguments.Value(0));
  if (index >= 0 && uint32_t(index) < kChoiceFlags) choiceDisabled_[size_t(index)] = 1;
  return 0;
}

int32_t TgsFrame::WaitOpcode(const TgsArguments& arguments) {
  const uint32_t ms = arguments.Value(0);
  return RunWaitRow(true, [this, ms] { return TimedWait(ms, true); }, [] {});
}

int32_t TgsFrame::PauseOpcode(const TgsArguments& arguments) {
  CancelSkipMode();
  return FixedWait(arguments.Value(0)) < 0 ? -1 : 0;
}

int32_t TgsFrame::CommitPageToHistory(const TgsArguments&) {
  if (pageSerialPending_) windowState_->ClearMessageWindow(0);
  if (history_.Capacity() > 0 && !page_.Empty()) AddHistoryPage(MakeCall(22, {pageSerialPending_ ? pageSerial_ : 0}));
  page_.Rewind();
  speakerName_.clear();
  voiceName_.clear();
  AdvancePageSerial();
  return 0;
}

int32_t TgsFrame::SetNameVoice(const TgsArguments& arguments) {
  speakerName_ = CutText(arguments.Text(0), kNameBytes);
  voiceName_ = CutText(arguments.Text(1), kVoiceBytes);
  return 0;
}

int32_t TgsFrame::PageRubyStart(const TgsArguments& arguments) {
  if (!replaying_) return SerializeCommand(27, arguments);
  if (MessageTextWindow* window = CurrentWindow()) window->BeginRuby();
  return 0;
}

int32_t TgsFrame::PageRubyText(const TgsArguments& arguments) {
  if (!replaying_) return SerializeCommand(28, arguments);
  if (MessageTextWindow* window = CurrentWindow()) window->DrawRuby(arguments.Text(0).c_str(), nullptr);
  return 0;
}

int32_t TgsFrame::PageFont(const TgsArguments& arguments) {
  if (!replaying_) return SerializeCommand(29, arguments);
  OutlineFont* first = FontInUse(0);
  OutlineFont* second = FontInUse(1);
  const bool sized = arguments.Given(0);
  int32_t size = int32_t(arguments.Value(0));
  if (size < 1) size = kDefaultFontSize;
  if (arguments.Given(1)) {
    const uint32_t colour = int32_t(arguments.Value(1)) == -1 ? kWhite : arguments.Value(1);
    SetTextColour(first, colour);
    SetTextColour(second, colour);
    MarkPageFonts(kFontsSizeOrColour);
  }
  if (arguments.Given(2)) {
    const uint32_t colour = int32_t(arguments.Value(2)) == -1 ? 0 : arguments.Value(2);
    SetEdgeColour(first, colour);
    SetEdgeColour(second, colour);
    MarkPageFonts(kFontsSizeOrColour);
  }
  if (arguments.Given(3) && !measuringHistory_) {
    std::string asked = arguments.Text(3);
    if (asked == "user") {
      asked.clear();
      for (size_t i = kSettingFace; i < kSettingFace + kSettingFaceBytes && Setting(i); ++i) asked += char(Setting(i));
    }
    std::string face;
    ResolveFontFace(face, asked, verticalWriting_, Faces());
    // A face that is not installed leaves the fonts' faces as they are.
    const char* name = face.empty() ? nullptr : face.c_str();
    if (first) {
      if (sized) first->SetFont(size, Setting(kSettingWeight), 0, name);
      else if (name) first->SetFaceName(name);
    }
    if (second && name) second->SetFaceName(name);
    MarkPageFonts(kFontsFace);
  } else if (sized && first) {
    first->SetHeight(size);
    MarkPageFonts(kFontsSizeOrColour);
  }
  return 0;
}

int32_t TgsFrame::WindowVisibleOpcode(const TgsArguments& arguments) {
  windowState_->SetWindowVisible(arguments.Value(0) != 0, int32_t(arguments.Value(1)));
  return 0;
}

int32_t TgsFrame::ClearWindowOpcode(const TgsArguments& arguments) {
  windowState_->ClearMessageWindow(int32_t(arguments.Value(0)));
  return 0;
}

MessageTextWindow* TgsFrame::CurrentWindow() const {
  if (InHistoryMode()) return historyWindow_.get();
  return windowState_->Window(windowState_->CurrentWindow());
}

int32_t TgsFrame::TakePageStop() {
  // A page that cannot be laid out (a damaged or refused command in it)
  // ends the run as the end of the text would.
  return windowState_->TakeStopRequest() ? kEndOfText : 0;
}

void TgsFrame::AdvancePageSerial() {
  pageSerial_ = pageSerial_ >= 255 ? 1 : uint8_t(pageSerial_ + 1);
  pageSerialPending_ = true;
}

int32_t TgsFrame::CancelSkipMode() {
  if (skipByKey_) {
    skipByKey_ = skipBySetting_ = false;
    SetButtonEnabled(kSkipToChoice, true);
    return 1;
  }
  skipBySetting_ = false;
  return 0;
}

FontFaceList& TgsFrame::Faces() {
  if (environment_.faces) return *environment_.faces;
  if (!ownFaces_) ownFaces_ = std::make_unique<FontFaceList>();
  return *ownFaces_;
}

int32_t TgsFrame::ResolveFontFace(std::string& result, const std::string& faceList, bool vertical,
                                  FontFaceList& installed) {
  result.clear();
  if (faceList.empty()) return 1;
  if (installed.Faces().empty()) installed.EnumFontFaces(FontFaceList::kCharSetOnly, kShiftJisCharSet);
  size_t at = 0;
  while (at < faceList.size()) {
    std::string name;
    while (at < faceList.size() && faceList[at] != ',') {
      const size_t step = std::min(cp932::CharLength(faceList, at), faceList.size() - at);
      name.append(faceList, at, step);
      at += step;
    }
    if (at < faceList.size()) ++at;  // the comma
    while (at < faceList.size() && faceList[at] == ' ') ++at;
    if (name.size() >= kFaceNameLimit) return 2;
    if (!name.empty() && name[0] == '@') name.erase(0, 1);
    for (const LogFont& face : installed.Faces()) {
      if (name != face.faceName) continue;
      result = vertical ? "@" + name : name;
      return 0;
    }
  }
  return 0;
}

}  // namespace orrivel
