// Natives 463 to 506: scripts run their own message text through the host's
// shared MarkupText: they hand it text and item records, draw it typewriter
// style onto a display object with an outline font, read its pieces back
// into their buffers, walk its history ring, and keep per-item flags. The
// registered message window is told when the page or the items change.
// Natives 492 and 493 reach the scene-flag file of the script machine.
//
// Every copy into a script buffer stops at the end of the variable or block
// the address lies in, is cut on a character boundary and terminated.
#include <string>
#include <vector>

#include "display/DrawObjectManager.h"
#include "natives/DisplayObjectArguments.h"
#include "natives/GameScriptHost.h"
#include "natives/NativeBinder.h"
#include "script/ScriptAddressSpace.h"
#include "text/Font.h"
#include "text/MarkupText.h"

namespace orrivel {

namespace {

constexpr uint32_t kFailed = uint32_t(-1);
constexpr size_t kItemTextLimit = 4096;
// Item modes that name a flag array of the scene-flag table.
constexpr uint8_t kCurrentSceneFlags = 0;
constexpr uint8_t kSharedSceneFlags = 1;

// Tells the registered window what the items' flags are now.
void NotifyTextWindow(GameScriptHost& host) {
  if (!host.MessageWindow()) return;
  const MarkupText& text = host.Message();
  const BitArray* flags = nullptr;
  if (text.ItemFlagMode() == kCurrentSceneFlags) flags = host.SceneFlagArrayB(false);
  if (text.ItemFlagMode() == kSharedSceneFlags) flags = host.SceneFlagArrayB(true);
  host.MessageWindow()(flags, text.ItemFlagBase(), 0);
}

// Before the items or the whole text are reset.
void NotifyTextWindowReset(GameScriptHost& host) {
  if (host.MessageWindow()) host.MessageWindow()(nullptr, 0, 0);
}

// A text or item record: the bytes from its address to the end of the
// arena block that holds it. Null (refused by the text object) for 0 or an
// address in no live block.
struct Record {
  const uint8_t* data = nullptr;
  size_t size = 0;
};
Record RecordAt(NativeArgs& args, uint32_t i) {
  const uint32_t address = args.Cell(i);
  if (args.Failed() || address == 0) return {};
  const uint64_t size = args.Space().LiveBytesAt(address);
  if (size == 0) return {};
  return Record{args.Space().Bytes(address, size), size_t(size)};
}

// The drawing surface a script names: -1 when cell i is non-zero but names
// nothing drawable. Cell value 0 keeps the text object's own surface.
bool TargetAt(NativeArgs& args, uint32_t i, Surface** out) {
  const uint32_t handle = args.Cell(i);
  *out = nullptr;
  if (args.Failed()) return false;
  if (handle == 0) return true;
  *out = GetObjectSurface(handle);
  return *out != nullptr;
}

// An outline font of the display's list; null for 0 or any other font.
Font* OutlineFontAt(NativeArgs& args, uint32_t i) {
  const uint32_t handle = args.Cell(i);
  const DrawObjectManager* objects = ScriptDisplayObjects();
  if (args.Failed() || handle == 0 || objects == nullptr) return nullptr;
  Font* font = objects->GetFont(handle);
  return font != nullptr && font->GetKind() == kFontKindOutline ? font : nullptr;
}

uint32_t WrittenLength(int64_t written) { return written < 0 ? 0 : uint32_t(written); }

// --- page and history -------------------------------------------------------------------------

uint32_t SetMessageText(GameScriptHost& host, NativeArgs& args) {
  const Record record = RecordAt(args, 0);
  if (args.Failed()) return kFailed;
  return uint32_t(host.Message().SetText(record.data, record.size));
}

// Cells 1 and 6 have no role in the drawing; cell 7 is the letter spacing.
uint32_t SetupTextDrawing(GameScriptHost& host, NativeArgs& args) {
  Surface* surface = nullptr;
  const bool drawable = TargetAt(args, 0, &surface) && surface != nullptr;
  const int32_t x = args.Int(2), y = args.Int(3);
  Font* font = OutlineFontAt(args, 4);
  const uint8_t outlinePath = args.Byte(5), squareCells = args.Byte(6);
  const int32_t spacing = args.Int(7);
  if (args.Failed() || !drawable) return 1;
  if (font == nullptr) return 2;
  return uint32_t(host.Message().Setup(surface, nullptr, x, y, font, outlinePath, squareCells, spacing));
}

uint32_t GetTextComponent(GameScriptHost& host, NativeArgs& args) {
  const int32_t n = args.Int(1);
  if (args.Failed()) return 0;
  const MarkupText& text = host.Message();
  const size_t measured = text.GetComponent(n, nullptr, 0);
  std::string component(measured > 0 ? measured : 1, '\0');
  if (measured > 0) text.GetComponent(n, component.data(), component.size());
  component.resize(measured > 0 ? measured - 1 : 0);
  return WrittenLength(args.WriteText(0, component));
}

// Mode 255 draws with the text object's own mode and font, whatever font
// cell 5 names.
template <class Draw>
uint32_t DrawPiece(NativeArgs& args, Draw&& draw) {
  const int32_t x = args.Int(0), y = args.Int(1), which = args.Int(2);
  Surface* surface = nullptr;
  const bool resolved = TargetAt(args, 3, &surface);
  const uint8_t mode = args.Byte(4);
  const bool ownMode = mode == MarkupText::kOwnMode;
  const bool fontGiven = !ownMode && args.Cell(5) != 0;
  Font* font = ownMode ? nullptr : OutlineFontAt(args, 5);
  if (args.Failed() || !resolved) return kFailed;
  if (fontGiven && font == nullptr) return uint32_t(-2);
  return uint32_t(draw(which, x, y, surface, font, mode));
}

uint32_t CopySourceText(GameScriptHost& host, NativeArgs& args) {
  const MarkupText& text = host.Message();
  if (!text.HasText()) return 0;
  return args.WriteText(0, text.Body()) < 0 ? 0 : 1;
}

// The character the tokenizer read last, its bytes packed from the low
// byte up; 0 after any other token.
uint32_t GetTextTokenValue(GameScriptHost& host) {
  const MarkupText& text = host.Message();
  const MarkupToken& token = text.LastToken();
  if (token.kind != kTokenCharacter || token.characterLength == 0) return 0;
  uint32_t value = 0;
  const std::string& body = text.Body();
  for (size_t i = 0; i < token.characterLength && i < 4 && token.character + i < body.size(); ++i) {
    value |= uint32_t(uint8_t(body[token.character + i])) << (8 * i);
  }
  return value;
}

uint32_t GetPlainText(GameScriptHost& host, NativeArgs& args) {
  const MarkupText& text = host.Message();
  std::string plain(text.GetPlainText(nullptr, 0, true), '\0');
  if (!plain.empty()) {
    text.GetPlainText(plain.data(), plain.size(), true);
    plain.resize(plain.size() - 1);
  }
  return WrittenLength(args.WriteText(0, plain));
}

// A recall that worked tells the window; a refused one leaves it alone.
uint32_t Recalled(GameScriptHost& host, int code) {
  if (code == 0) NotifyTextWindow(host);
  return uint32_t(code);
}

uint32_t GetTextCursor(GameScriptHost& host, NativeArgs& args) {
  const MarkupText& text = host.Message();
  args.SetOptionalInt(0, uint32_t(text.GetCursorX()));
  args.SetOptionalInt(1, uint32_t(text.GetCursorY()));
  return 0;
}

uint32_t ResetTextDrawing(GameScriptHost& host) {
  NotifyTextWindowReset(host);
  host.Message().Clear();
  return 0;
}

uint32_t SetSceneFlagFileName(GameScriptHost& host, NativeArgs& args) {
  if (args.Cell(0) == 0) return 0;
  const std::string name = args.String(0, 259);
  if (!args.Failed()) host.SetFlagFileName(name.c_str());
  return 0;
}

// --- items ----------------------------------------------------------------------------------------

// The number of items set, or the refusal; below 1 the window is told.
uint32_t SetTextItems(GameScriptHost& host, NativeArgs& args) {
  const Record record = RecordAt(args, 0);
  if (args.Failed()) return kFailed;
  MarkupText& text = host.Message();
  const int code = text.SetItems(record.data, record.size);
  const int32_t result = code < 0 ? code : code == 0 ? text.ItemCount() : 0;
  if (result < 1) NotifyTextWindow(host);
  return uint32_t(result);
}

uint32_t AddTextItem(GameScriptHost& host, NativeArgs& args) {
  NotifyTextWindowReset(host);
  if (args.Cell(0) == 0) return uint32_t(host.Message().AddItem(nullptr));
  const std::string item = args.String(0, kItemTextLimit);
  if (args.Failed()) return kFailed;
  return uint32_t(host.Message().AddItem(item.c_str()));
}

// The buffer's size is held to the extent its address lies in.
uint32_t CopyTextItem(GameScriptHost& host, NativeArgs& args) {
  const int32_t n = args.Int(0);
  const uint32_t size = args.Cell(2);
  const uint64_t room = args.OutputCapacity(1);
  if (args.Failed()) return kFailed;
  const size_t usable = size_t(size < room ? size : room);
  std::vector<char> copy(usable > 0 ? usable : 1, '\0');
  const int code = host.Message().CopyItem(n, copy.data(), usable);
  if (code == 0) args.WriteText(1, copy.data());
  return uint32_t(code);
}

// The item string as a host-owned copy in the arena, never the text
// object's own memory.
uint32_t GetTextItem(GameScriptHost& host, NativeArgs& args) {
  const int32_t n = args.Int(0);
  if (args.Failed()) return 0;
  const char* item = host.Message().GetItem(n);
  return item == nullptr ? 0 : host.HostString("message text item", item);
}

}  // namespace

void BindMessageTextNatives(NativeBinder& binder) {
  GameScriptHost& host = binder.Host();
  MarkupText& text = host.Message();
  binder.Bind(463, [&text](NativeArgs& args) {
    const uint8_t capacity = args.Byte(0);
    if (!args.Failed()) text.SetHistoryCapacity(capacity);
    return 0u;
  });
  binder.Bind(464, [&text](NativeArgs& args) {
    const bool on = args.Flag(0);
    if (!args.Failed()) text.historyEnabled = on;
    return 0u;
  });
  binder.Bind(465, [&host](NativeArgs& args) { return SetMessageText(host, args); });
  binder.Bind(466, [&text](NativeArgs& args) {
    const uint8_t on = args.Byte(0);
    if (!args.Failed()) text.textEnabled = on != 0;
    return 0u;
  });
  binder.Bind(467, [&host](NativeArgs& args) { return SetupTextDrawing(host, args); });
  binder.Bind(468, [&host](NativeArgs& args) { return GetTextComponent(host, args); });
  binder.Bind(469, [&text](NativeArgs& args) {
    return DrawPiece(args, [&](int32_t n, int32_t x, int32_t y, Surface* s, Font* f, uint8_t m) {
      return text.DrawString(x, y, n, s, f, m);
    });
  });
  binder.Bind(470, [&text](NativeArgs& args) {
    const bool skip = args.Byte(0) != 0;
    return args.Failed() ? kFailed : uint32_t(text.Advance(skip));
  });
  binder.Bind(471, [&text](NativeArgs&) { return text.Seek(-1, true) == 0 ? 1u : 0u; });
  binder.Bind(472, [&text](NativeArgs& args) {
    const int32_t position = args.Int(0);
    const bool draw = args.Flag(1);
    return args.Failed() ? kFailed : uint32_t(text.Seek(position, draw));
  });
  binder.Bind(473, [&text](NativeArgs&) { return uint32_t(uint8_t(text.DrawAll())); });
  binder.Bind(474, [&host](NativeArgs& args) { return GetTextCursor(host, args); });
  binder.Bind(475, [&host](NativeArgs& args) { return CopySourceText(host, args); });
  binder.Bind(476, [&host](NativeArgs&) { return GetTextTokenValue(host); });
  binder.Bind(477, [&text](NativeArgs&) { return text.RecallPosition() > 0 ? 1u : 0u; });
  binder.Bind(478, [&text](NativeArgs&) { return text.RecallPosition() < text.HistoryCount() - 1 ? 1u : 0u; });
  binder.Bind(479, [&host](NativeArgs& args) { return GetPlainText(host, args); });
  binder.Bind(480, [&text](NativeArgs&) { return uint32_t(text.HistoryCount()); });
  binder.Bind(481, [&text](NativeArgs&) { return uint32_t(text.RecallPosition()); });
  binder.Bind(482, [&host](NativeArgs&) { return Recalled(host, host.Message().RecallPrevious()); });
  binder.Bind(483, [&host](NativeArgs&) { return Recalled(host, host.Message().RecallNext()); });
  binder.Bind(484, [&host](NativeArgs&) { return Recalled(host, host.Message().RecallFirst()); });
  binder.Bind(485, [&host](NativeArgs&) { return Recalled(host, host.Message().RecallLast()); });
  binder.Bind(486, [&host](NativeArgs& args) {
    const int32_t n = args.Int(0);
    return args.Failed() ? kFailed : Recalled(host, host.Message().RecallAt(n));
  });
  binder.Bind(487, [&host](NativeArgs& args) {
    const int32_t delta = args.Int(0);
    return args.Failed() ? kFailed : Recalled(host, host.Message().RecallRelative(delta));
  });
  binder.Bind(488, [&text](NativeArgs&) { return uint32_t(uint8_t(text.SaveCursor())); });
  binder.Bind(489, [&text](NativeArgs&) { return uint32_t(uint8_t(text.RestoreCursor())); });
  binder.Bind(490, [&host](NativeArgs&) { return ResetTextDrawing(host); });
  binder.Bind(491, [&text](NativeArgs&) { return uint32_t(text.TextMode()); });
  binder.Bind(492, [&host](NativeArgs& args) { return SetSceneFlagFileName(host, args); });
  binder.Bind(493, [&host](NativeArgs&) { return uint32_t(host.LoadSceneFlags(nullptr)); });
  binder.Bind(494, [&host](NativeArgs& args) { return SetTextItems(host, args); });
  binder.Bind(495, [&text](NativeArgs& args) {
    const uint8_t on = args.Byte(0);
    if (!args.Failed()) text.acceptingItems = on != 0;
    return 0u;
  });
  binder.Bind(496, [&host](NativeArgs& args) {
    NotifyTextWindowReset(host);
    const int32_t capacity = args.Int(0);
    return args.Failed() ? kFailed : uint32_t(uint8_t(host.Message().SetItemCapacity(capacity)));
  });
  binder.Bind(497, [&host](NativeArgs&) {
    NotifyTextWindowReset(host);
    host.Message().ClearItemFlagBase();
    return 0u;
  });
  binder.Bind(498, [&host](NativeArgs& args) { return AddTextItem(host, args); });
  binder.Bind(499, [&host](NativeArgs&) {
    NotifyTextWindowReset(host);
    host.Message().ClearItems();
    return 0u;
  });
  binder.Bind(500, [&text](NativeArgs&) { return uint32_t(text.ItemCount()); });
  binder.Bind(501, [&text](NativeArgs& args) {
    return DrawPiece(args, [&](int32_t n, int32_t x, int32_t y, Surface* s, Font* f, uint8_t m) {
      return text.DrawItem(n, x, y, s, f, m);
    });
  });
  binder.Bind(502, [&host](NativeArgs& args) { return CopyTextItem(host, args); });
  binder.Bind(503, [&host](NativeArgs& args) { return GetTextItem(host, args); });
  binder.Bind(504, [&text](NativeArgs& args) {
    const uint8_t n = args.Byte(0);
    return args.Failed() ? 0u : uint32_t(uint8_t(text.SetItemFlag(n)));
  });
  binder.Bind(505, [&text](NativeArgs&) { return uint32_t(uint8_t(text.GetFlagMode())); });
  binder.Bind(506, [&text](NativeArgs& args) {
    const uint8_t n = args.Byte(0);
    return args.Failed() ? 0u : uint32_t(uint8_t(text.GetItemFlag(n)));
  });
}

}  // namespace orrivel
