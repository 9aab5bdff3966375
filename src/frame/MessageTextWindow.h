#pragma once
// The window in which the text-adventure frame shows one page of text. It
// is a text window of the widget set with a two-pass page layout on top: a
// measuring pass walks the page (running the page commands embedded in it)
// and records one box per line; a drawing pass then draws every character
// where the measuring pass put it, either straight into the window's own
// surface or into an off-screen page surface from which the timed reveal
// copies it onto the window, line by line, with a soft leading edge.
//
// Beside the layout it keeps the page text, the speaker name (written into
// a linked name window) and the voice cue, ruby over spans of the page, a
// hanging indent for pages that open with a quotation mark, auto-sizing and
// anchored placement, and animated click-wait cursors.
//
// Main thread only.
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Rect.h"
#include "raster/RampBuffer.h"
#include "raster/Surface.h"
#include "scene/WindowControl.h"

namespace orrivel {

class FrameStepper;

// One line of a measured page. During the measuring pass: the window
// rectangle covered by the line's glyphs. After it: left, top, then the
// width and height with the font effect's margins (relative to the page
// surface when the page is drawn off-screen).
struct LineBox {
  int32_t left = 0;
  int32_t top = 0;
  int32_t right = 0;
  int32_t bottom = 0;
  uint8_t hasRuby = 0;
};

// How a click-wait cursor strip animates: its frame count and the time of
// one frame; the strip picture is that many frames side by side.
struct ClickWaitFrames {
  int32_t frameCount = 1;
  uint32_t frameMs = 200;
};

struct ClickWaitCursor {
  Surface* image = nullptr;  // borrowed strip picture
  ClickWaitFrames frames;
  std::unique_ptr<FrameStepper> stepper;
  int32_t width = 0;         // reserved after the last line when sizing
  bool followText = false;   // placed after the end of the text
  ClickWaitCursor();
  ~ClickWaitCursor();
};

class MessageTextWindow : public WindowControl {
 public:
  // Layout modes.
  enum LayoutMode : int32_t { kPlain = 0, kMeasuring = 1, kDrawingPage = 2, kDrawingWindow = 3 };
  // Reveal states.
  enum RevealState : uint8_t { kRevealNone = 0, kRevealPrepared = 1, kRevealRunning = 2, kRevealFinish = 3 };
  // ShowPage: a page command asked to stop while the page was measured.
  static constexpr int32_t kStopRequested = 3;
  static constexpr size_t kNameBytes = 16;   // without the terminator
  static constexpr size_t kVoiceBytes = 15;
  static constexpr int32_t kMaxEdgeStrips = 4;
  // Where a follow-text cursor sits after the end of the text.
  static constexpr int32_t kCursorGap = 4;

  // Runs one page command met in the page text: the bytes from its length
  // field on. Sets taken to the record's bytes from there; returns the
  // command's result (above 0: stop the measuring pass), or -1 for a
  // damaged record (which ends the page).
  using CommandRunner = std::function<int32_t(const uint8_t* record, size_t available, size_t& taken)>;
  // The frame's pacing: 0 normal, 1 auto, 2 choice, 3 skipping.
  using PacingSource = std::function<int32_t()>;

  MessageTextWindow();
  ~MessageTextWindow() override;

  // --- links --------------------------------------------------------------------------
  void SetNameWindow(WindowControl* window) { nameWindow_ = window; }
  WindowControl* NameWindow() const { return nameWindow_; }
  void SetNameStyle(uint8_t style) { nameStyle_ = style; }
  void SetCommandRunner(CommandRunner runner) { commandRunner_ = std::move(runner); }
  void SetPacingSource(PacingSource pacing) { pacing_ = std::move(pacing); }
  // Called after each pass over a page: puts back fonts that page
  // commands changed.
  void SetColourRestorer(std::function<void()> restore) { restoreColours_ = std::move(restore); }

  // --- settings -------------------------------------------------------------------------
  void SetTimePerChar(uint32_t ms) { timePerChar_ = ms; }
  uint32_t TimePerChar() const { return timePerChar_; }
  void SetCursorAfterText(bool on) { cursorAfterText_ = on; }
  void SetFixedLinePitch(bool on) { fixedLinePitch_ = on; }
  void SetAnchored(bool on) { anchored_ = on; }
  bool IsAnchored() const { return anchored_; }
  void SetAnchor(uint8_t alignment, int32_t x, int32_t y) { anchorAlign_ = alignment, anchorX_ = x, anchorY_ = y; }
  // A left of -1 means no clamping.
  void SetClampRect(const Rect& rect) { clamp_ = rect; }
  // The characters that open a hanging indent; null or empty clears.
  void SetIndentChars(const char* chars);
  bool IsIndentChar(const char* p) const;

  // --- the page --------------------------------------------------------------------------
  // 1 for no bytes; else 0 with an owned copy (the name and cue emptied).
  int32_t SetPageText(const char* bytes, size_t length);
  void ClearPageText();
  bool HasPageText() const { return !pageText_.empty(); }
  // The stored page without its two closing zero bytes (what a save keeps).
  std::string_view PageText() const {
    return pageText_.size() < 2 ? std::string_view() : std::string_view(pageText_).substr(0, pageText_.size() - 2);
  }
  // A page command is a zero byte, "[", then a record that starts with its
  // own u32 length. The length of the record at `record`, or 0 when it is
  // damaged (no room for its length field, a length that does not cover
  // it, or one that runs past `available`): a damaged record ends the page.
  static size_t PageCommandLength(const uint8_t* record, size_t available);
  // Keeps at most 16 and 15 bytes, cut on a character boundary; null empties.
  void SetNames(const char* name, const char* voice);
  const std::string& SpeakerName() const { return speakerName_; }
  const std::string& VoiceCue() const { return voiceCue_; }
  // Lays out and draws the stored page: 0; 1 no page text; kStopRequested.
  int32_t ShowPage(bool clearFirst);
  // -1 null text, -2 a command asked to stop, 0 nothing measured, else the
  // line count with the union of the line boxes in *rect (when given).
  int32_t MeasurePage(const char* text, size_t length, Rect* rect, bool executeCommands, bool dropIdeographicSpace);
  int32_t MeasurePage(const char* text, Rect* rect, bool executeCommands, bool dropIdeographicSpace);
  // 0; 1 null text; 2 a command asked to stop while measuring. The page is
  // drawn into the window with the pen at (x, y) from the margins.
  int32_t DrawPage(const char* text, size_t length, int32_t x, int32_t y, bool executeCommands,
                   bool dropIdeographicSpace);

  // --- layout steps (also reached by the page commands) -----------------------------------
  void BeginMeasure();
  // 0; 2 the page surface cannot be resized, 3 made or the window resized.
  int32_t EndMeasure(bool autoSize, bool usePageSurface);
  void EndDraw();
  // Mode 1 only (else 1): measures the character at *text and moves past
  // it; -1 after a line break, 0 otherwise.
  int32_t MeasureChar(const char** text);
  bool NewLine() override;
  void BeginRuby();
  // 0; 1 layout mode 0; 2 no ruby font or text; 3 (vertical) or 4 the base
  // has no extent; 5 no ruby characters.
  int32_t DrawRuby(const char* text, Surface* target);

  // --- cursors ---------------------------------------------------------------------------
  // 0; 1 no image or frames; 2 the animation cannot be set up.
  int32_t AddCursor(Surface* image, const ClickWaitFrames* frames, int32_t width, bool followText);
  int32_t SelectCursor(int32_t index);
  void ShowCursor(bool show);
  void ClearCursors();
  bool IsCursorShown() const { return cursorShown_; }
  int32_t CursorCount() const { return int32_t(cursors_.size()); }
  int32_t SelectedCursor() const { return selectedCursor_; }
  const ClickWaitCursor* Cursor(int32_t index) const;

  // --- the reveal --------------------------------------------------------------------------
  // 1 no window surface; 2 narrower than the font height (the old edge
  // kept); 3 the ramp or 4 the strip surface cannot be made (the old edge
  // kept as well); else 0.
  int32_t SetRevealEdge(int32_t width);
  int32_t RevealEdgeWidth() const { return int32_t(ramp_.count); }
  // Opacities of the edge, from the hard part outwards.
  const RampBuffer& RevealRamp() const { return ramp_; }
  // Keeps the window pixels under the edge between frames.
  const Surface& RevealEdgeStrip() const { return edgeStrip_; }
  // The per-frame update with the current tick.
  int32_t Tick(uint32_t now) override;
  bool FinishReveal();
  // Reveals a page already in the page surface along the given boxes
  // (left, top, width, height on the page surface), its pixel (0, 0)
  // landing at (offsetX, offsetY) on the window, over duration ms.
  void PrepareReveal(const std::vector<LineBox>& boxes, int32_t offsetX, int32_t offsetY, uint32_t duration);
  void RevealSpan(int32_t amount, int32_t ox, int32_t oy);
  uint8_t RevealState() const { return revealState_; }
  uint32_t RevealDuration() const { return revealDuration_; }
  int32_t RevealTotal() const { return revealTotal_; }
  int32_t RevealPosition() const { return revealLast_; }
  int32_t Revealed() const { return revealed_; }
  int32_t RevealLine() const { return revealLine_; }
  int32_t RevealProgress() const { return revealProgress_; }
  int32_t PendingStripCount() const { return stripCount_; }
  const Rect& PendingStrip(int32_t i) const { return strips_[i]; }

  // --- overrides ---------------------------------------------------------------------------
  // The page takes no pointer input: clicks go through to the frame's hot
  // spot, which advances the text.
  bool HitTest(int32_t, int32_t) override { return false; }
  void SetVisible(bool show) override;
  void Release() override;
  int32_t SetBackground(uint8_t mode, uint32_t rgb, uint8_t alpha) override;
  // The base's pen home, and the page pen with it.
  void ResetCursor(bool redraw) override;
  // Base clear, then the name window cleared and hidden, the names emptied.
  void Clear(bool redraw);

  // --- state ---------------------------------------------------------------------------------
  int32_t Mode() const { return mode_; }
  const std::deque<LineBox>& LineBoxes() const { return lines_; }
  int32_t LineCount() const { return lineCount_; }
  int32_t CharacterCount() const { return characterCount_; }
  Surface& PageSurface() { return pageSurface_; }
  int32_t PenX() const { return penX_; }
  int32_t PenY() const { return penY_; }
  int32_t HangingIndent() const { return indent_; }
  // Where page-surface pixels land on the window.
  int32_t PageOffsetX() const { return pageOffsetX_; }
  int32_t PageOffsetY() const { return pageOffsetY_; }

 private:
  enum class Walk { kDone, kStop };
  // Walks text of length bytes in the current mode: measures or draws each
  // character, runs page commands (stopping only while measuring when
  // allowed), handles the hanging indent and the ideographic space.
  Walk WalkPage(const char* text, size_t length, bool executeCommands, bool dropIdeographicSpace, bool mayStop);
  // Draws the character at *text where the measuring pass put it.
  void DrawChar(const char** text, Surface* target, size_t offset);
  // The glyph's size across and along the line.
  Size MeasureGlyph(const std::string& glyph) const;
  // Glyph anchor and advance of a measured glyph at the pen.
  void PlaceGlyph(bool wide, int32_t w, int32_t h, int32_t* x, int32_t* y, int32_t* advance) const;
  int32_t& Along() { return IsVertical() ? penY_ : penX_; }
  int32_t FontHeightPx() const;
  int32_t RubyHeightPx() const;
  int32_t RubyBand() const { return RubyGap() + RubyHeightPx(); }
  LineBox& CurrentBox();
  void StartBox(LineBox& box) const;
  void EffectMargins(int32_t* hm, int32_t* vm, int32_t* insetL, int32_t* insetT) const;
  int32_t CursorWidthFor(const Rect& extent) const;
  void PlaceAnchored();
  void WriteName();
  Surface* DrawTarget(Surface* target);
  // The reveal.
  void StartReveal(uint32_t now);
  void StepReveal(uint32_t now);
  void RestoreStrips();
  void DrawSoftEdge(int32_t p);
  void EndReveal();
  void CopyPageRect(const Rect& pageRect);
  int32_t LineExtentAlong(const LineBox& box) const;

  WindowControl* nameWindow_ = nullptr;
  uint8_t nameStyle_ = 1;
  bool rubyMarked_ = false;
  int32_t rubyMark_ = 0;
  Surface pageSurface_;
  int32_t mode_ = kPlain;
  int32_t currentLine_ = 0;
  std::deque<LineBox> lines_;
  int32_t lineCount_ = 0;
  // The pen at the start of each measured line, and the byte offset in the
  // page where each line starts (the drawing pass breaks there).
  std::vector<Point> linePens_;
  std::vector<size_t> lineStarts_;
  int32_t savedPenX_ = 0, savedPenY_ = 0;
  int32_t pageOriginX_ = 0, pageOriginY_ = 0;
  int32_t edgeInset_ = 0;
  int32_t drawLine_ = 0;
  int32_t penX_ = 0, penY_ = 0;
  int32_t lastCharStart_ = 0;
  int32_t lineExtent_ = 0;
  int32_t glyphDrop_ = 0;
  uint16_t prevChar_ = 0;
  int32_t indent_ = 0;
  bool fixedLinePitch_ = true;
  // Set while an auto-size re-creates the window: only the base lets go.
  bool resizing_ = false;
  size_t walkOffset_ = 0;
  CommandRunner commandRunner_;
  PacingSource pacing_;
  std::function<void()> restoreColours_;
  uint32_t timePerChar_ = 0;
  uint32_t revealDuration_ = 0;
  uint8_t revealState_ = kRevealNone;
  std::string pageText_;  // the bytes and two zero bytes
  int32_t characterCount_ = 0;
  std::string speakerName_;
  std::string voiceCue_;
  bool cursorAfterText_ = false;
  bool anchored_ = false;
  uint8_t anchorAlign_ = 0;
  int32_t anchorX_ = 0, anchorY_ = 0;
  Rect clamp_{-1, 0, 0, 0};
  std::string indentChars_;
  std::deque<std::unique_ptr<ClickWaitCursor>> cursors_;
  uint8_t selectedCursor_ = 0;
  bool cursorShown_ = false;
  int32_t textEndX_ = 0, textEndY_ = 0;
  RampBuffer ramp_;
  Surface edgeStrip_;
  Rect strips_[kMaxEdgeStrips];
  int32_t stripCount_ = 0;
  uint32_t revealStart_ = 0;
  int32_t revealTotal_ = 0;
  int32_t revealLast_ = 0;
  int32_t revealed_ = 0;
  int32_t revealLine_ = 0;
  int32_t revealProgress_ = 0;
  int32_t pageOffsetX_ = 0, pageOffsetY_ = 0;
};

}  // namespace orrivel
