#include <cstdlib>
#include <string>

#include "base/DecimalRange.h"
#include "base/Cp932.h"
#include "natives/AppNativePort.h"
#include "natives/NativeBinder.h"
#include "natives/ScriptNativeFamilies.h"
#include "natives/ScriptTextFormat.h"
#include "script/ScriptAddressSpace.h"

namespace orrivel {

namespace {

constexpr uint32_t kStrCopy = 56;
constexpr uint32_t kStrMid = 57;
constexpr uint32_t kStrCopyUntil = 58;
constexpr uint32_t kStrCat = 59;
constexpr uint32_t kStrLen = 60;
constexpr uint32_t kStrCmp = 61;
constexpr uint32_t kStrCmpI = 62;
constexpr uint32_t kStrCompareCount = 63;
constexpr uint32_t kFormatString = 64;
constexpr uint32_t kStrToInt = 65;
constexpr uint32_t kStrToFloat = 66;
constexpr uint32_t kStrUpper = 67;
constexpr uint32_t kStrLower = 68;
constexpr uint32_t kSetClipboardText = 69;
constexpr uint32_t kAskText = 70;
constexpr uint32_t kSetTextInputRequest = 71;

// The string at a script address; false (and a failed call) when it does not
// lie in the arena.
bool ReadAt(NativeArgs& args, uint32_t address, std::string& out) {
  if (args.Space().ReadString(address, out)) return true;
  args.Fail();
  return false;
}

// The string that starts start bytes into the one whose address is in cell.
bool ReadFrom(NativeArgs& args, uint32_t cell, int32_t start, std::string& out) {
  const uint32_t base = args.Cell(cell);
  return !args.Failed() && ReadAt(args, base + uint32_t(start), out);
}

int Sign(int value) { return (value > 0) - (value < 0); }

// Folds a script string in place (null: nothing); the double-byte
// characters keep their trail bytes.
uint32_t FoldInPlace(NativeArgs& args, bool upper) {
  const uint32_t address = args.Cell(0);
  std::string text;
  if (args.Failed() || address == 0 || !ReadAt(args, address, text)) return 0;
  text = upper ? cp932::ToUpper(text) : cp932::ToLower(text);
  args.Space().WriteBytes(address, text.data(), text.size());
  return 0;
}

// Bytes of a and b from their starts that agree, at most count, stopping at
// the first difference or zero byte.
uint32_t CompareCount(NativeArgs& args) {
  const int32_t count = args.Int(4);
  if (args.Failed() || count <= 0) return uint32_t(count);
  std::string a, b;
  if (!ReadFrom(args, 0, args.Int(2), a) || !ReadFrom(args, 1, args.Int(3), b)) return 0;
  int32_t equal = 0;
  while (equal < count && size_t(equal) < a.size() && size_t(equal) < b.size() && a[equal] == b[equal]) ++equal;
  return uint32_t(count - equal);
}

}  // namespace

// Byte strings in script buffers. Every copy goes through WriteText, so it
// stops at the end of the destination variable (or arena block) on a
// character boundary and is always terminated.
void BindStringNatives(NativeBinder& binder) {
  binder.Bind(kStrCopy, [](NativeArgs& args) -> uint32_t {
    std::string src;
    if (!ReadFrom(args, 1, 0, src)) return 0;
    args.WriteText(0, src);
    return args.Cell(0);
  });
  binder.Bind(kStrMid, [](NativeArgs& args) -> uint32_t {
    const int32_t max = args.Int(3);
    std::string src;
    if (max > 0 && !ReadFrom(args, 2, args.Int(1), src)) return 0;
    if (max <= 0) src.clear();
    else if (src.size() > size_t(max)) src.resize(size_t(max));
    args.WriteText(0, src);
    return 0;
  });
  binder.Bind(kStrCopyUntil, [](NativeArgs& args) -> uint32_t {
    const char stop = char(args.Byte(3));
    std::string src;
    if (!ReadFrom(args, 2, args.Int(1), src)) return 0;
    args.WriteText(0, src.substr(0, src.find(stop)));
    return 0;
  });
  binder.Bind(kStrCat, [](NativeArgs& args) -> uint32_t {
    std::string dst, src;
    if (!ReadFrom(args, 0, 0, dst) || !ReadFrom(args, 1, 0, src)) return 0;
    args.WriteText(0, dst + src);
    return args.Cell(0);
  });
  binder.Bind(kStrLen, [](NativeArgs& args) -> uint32_t {
    std::string s;
    return ReadFrom(args, 0, 0, s) ? uint32_t(s.size()) : 0;
  });
  binder.Bind(kStrCmp, [](NativeArgs& args) -> uint32_t {
    std::string a, b;
    if (!ReadFrom(args, 0, 0, a) || !ReadFrom(args, 1, 0, b)) return 0;
    return uint32_t(Sign(a.compare(b)));
  });
  binder.Bind(kStrCmpI, [](NativeArgs& args) -> uint32_t {
    std::string a, b;
    if (!ReadFrom(args, 0, 0, a) || !ReadFrom(args, 1, 0, b)) return 0;
    return uint32_t(Sign(cp932::CompareNoCase(a, b)));
  });
  binder.Bind(kStrCompareCount, CompareCount);
  binder.Bind(kFormatString, [](NativeArgs& args) -> uint32_t {
    std::string format;
    if (!ReadFrom(args, 1, 0, format)) return 0;
    auto text = FormatScriptText(args, format, 2);
    if (text) args.WriteText(0, *text);
    return 0;
  });
  binder.Bind(kStrToInt, [](NativeArgs& args) -> uint32_t { return uint32_t(args.DecimalText(0, 0)); });
  binder.Bind(kStrToFloat, [](NativeArgs& args) -> uint32_t {
    const uint32_t address = args.Cell(0);
    std::string text;
    if (args.Failed() || address == 0 || !ReadAt(args, address, text)) return 0;
    return NativeArgs::FloatBits(float(kFloatDecimals.Read(text, 0.0)));
  });
  binder.Bind(kStrUpper, [](NativeArgs& args) { return FoldInPlace(args, true); });
  binder.Bind(kStrLower, [](NativeArgs& args) { return FoldInPlace(args, false); });
  binder.Bind(kSetClipboardText, [](NativeArgs& args) -> uint32_t {
    const uint32_t address = args.Cell(0);
    const int32_t length = args.Int(1);
    std::string text;
    if (args.Failed()) return 0;
    if (address == 0) return 1;
    if (!ReadAt(args, address, text)) return 0;
    // A given length counts the bytes placed, the terminating zero included.
    if (length > 0 && size_t(length) <= text.size()) text.resize(size_t(length) - 1);
    AppPort().clipboardText = text;
    if (AppPort().setClipboard) AppPort().setClipboard(text);
    return 0;
  });
  // The text-input dialog: until it is there, the dialog answers as a
  // player who gave no text, and the request is kept for it.
  binder.Bind(kAskText, [](NativeArgs& args) -> uint32_t {
    const uint32_t address = args.Cell(0);
    if (args.Failed()) return 0;
    if (address == 0) return 2;
    std::string initial;
    if (!ReadAt(args, address, initial)) return 0;
    if (!AppPort().askText) return 1;
    const std::string result = AppPort().askText(initial);
    if (result.empty()) return 1;
    args.WriteText(0, result);
    return 0;
  });
  binder.Bind(kSetTextInputRequest, [](NativeArgs& args) -> uint32_t {
    TextInputRequestCells& request = AppPort().textInput;
    // A null text keeps what the request held; an empty one empties it.
    if (args.Cell(0) != 0) request.caption = args.String(0);
    if (args.Cell(1) != 0) request.prompt = args.String(1);
    request.fullWidthOnly = args.Flag(2);
    request.maxLength = args.Byte(3);
    request.openIme = args.Flag(4);
    request.width = args.Int(5);
    request.x = args.Int(6);
    request.y = args.Int(7);
    return 0;
  });
}

}  // namespace orrivel
