#include <optional>
#include <string>

#include "natives/AppNativePort.h"
#include "natives/GameScriptHost.h"
#include "natives/NativeBinder.h"
#include "natives/ScriptNativeFamilies.h"

namespace orrivel {

namespace {

constexpr uint32_t kResetVariables = 23;
constexpr uint32_t kClearVariables = 24;
constexpr uint32_t kStoreVariableSnapshot = 25;
constexpr uint32_t kRestoreVariableSnapshot = 26;
constexpr uint32_t kStoreOneVariableSnapshot = 27;
constexpr uint32_t kWriteStateFile = 28;
constexpr uint32_t kReadStateFileInfo = 29;
constexpr uint32_t kReadStateFile = 30;
constexpr uint32_t kSetVariableFileName = 31;
constexpr uint32_t kSaveTextFrameValues = 32;
constexpr uint32_t kLoadVariableFile = 33;

// A file name cell: its text, or none for a null address (the host then
// answers "no name").
std::optional<std::string> Name(NativeArgs& args, uint32_t cell) {
  if (args.Cell(cell) == 0) return std::nullopt;
  return args.String(cell);
}

const char* CString(const std::optional<std::string>& name) { return name ? name->c_str() : nullptr; }

// A bulk operation over the variables chosen by scope and kind.
template <typename Operation>
ScriptNative Bulk(GameScriptHost& host, Operation operation) {
  return [&host, operation](NativeArgs& args) -> uint32_t {
    const uint8_t scope = args.Byte(0);
    const uint8_t kind = args.Byte(1);
    if (!args.Failed()) operation(host, scope, kind);
    return 0;
  };
}

}  // namespace

// The script variables: bulk resets and snapshots, the state files and the
// variable file.
void BindVariableNatives(NativeBinder& binder) {
  GameScriptHost& host = binder.Host();
  binder.Bind(kResetVariables, Bulk(host, [](GameScriptHost& h, uint8_t s, uint8_t k) { h.ResetVariables(s, k); }));
  binder.Bind(kClearVariables, Bulk(host, [](GameScriptHost& h, uint8_t s, uint8_t k) { h.ClearVariables(s, k); }));
  binder.Bind(kStoreVariableSnapshot,
              Bulk(host, [](GameScriptHost& h, uint8_t s, uint8_t k) { h.StoreSnapshot(s, k); }));
  binder.Bind(kRestoreVariableSnapshot,
              Bulk(host, [](GameScriptHost& h, uint8_t s, uint8_t k) { h.RestoreSnapshot(s, k); }));
  binder.Bind(kStoreOneVariableSnapshot, [&host](NativeArgs& args) -> uint32_t {
    const uint32_t address = args.Cell(0);
    return args.Failed() ? 0 : uint32_t(host.StoreVariableSnapshot(address));
  });
  // Name, save selector, then the addresses of the header's int and STR
  // variables (0: that field is not written).
  binder.Bind(kWriteStateFile, [&host](NativeArgs& args) -> uint32_t {
    const auto name = Name(args, 0);
    const uint8_t selector = args.Byte(1);
    const uint32_t headerInt = args.Cell(2);
    const uint32_t headerStr = args.Cell(3);
    if (args.Failed()) return 0;
    return uint32_t(host.WriteStateFile(CString(name), selector, headerInt, headerStr, false));
  });
  binder.Bind(kReadStateFileInfo, [&host](NativeArgs& args) -> uint32_t {
    const auto name = Name(args, 0);
    const uint32_t headerInt = args.Cell(1);
    const uint32_t headerStr = args.Cell(2);
    if (args.Failed()) return 0;
    return uint32_t(host.ReadStateFileInfo(CString(name), headerInt, headerStr));
  });
  binder.Bind(kReadStateFile, [&host](NativeArgs& args) -> uint32_t {
    const auto name = Name(args, 0);
    return args.Failed() ? 0 : uint32_t(host.ReadStateFile(CString(name)));
  });
  binder.Bind(kSetVariableFileName, [&host](NativeArgs& args) -> uint32_t {
    const auto name = Name(args, 0);
    if (!args.Failed()) host.SetVariableFileName(CString(name));
    return 0;
  });
  binder.Bind(kSaveTextFrameValues, [&host](NativeArgs&) -> uint32_t {
    if (AppPort().saveFrameReadFlags) AppPort().saveFrameReadFlags();
    return uint32_t(host.SaveAll());
  });
  binder.Bind(kLoadVariableFile, [&host](NativeArgs&) { return uint32_t(host.LoadVariableFile(nullptr)); });
}

}  // namespace orrivel
