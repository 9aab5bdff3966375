#include "base/SystemInfoProvider.h"

#include <chrono>
#include <mutex>

#include "base/Application.h"
#include "base/CpuClock.h"
#include "base/InputManager.h"
#include "platform/Backend.h"
#include "platform/MachineInfo.h"
#include "platform/SystemFacts.h"
#include "platform/TextCodec.h"

namespace orrivel {
namespace {

constexpr const char* kSystemFolder = "/usr";

// The machine's own facts: the platform's, and those of the running
// application (monitors, input method, screen mode, base folder).
class MachineSystemInfo : public SystemInfoProvider {
 public:
  platform::LocalTime Now() override {
    auto now = std::chrono::system_clock::now().time_since_epoch();
    int64_t ns = std::chrono::duration_cast<std::chrono::nanoseconds>(now).count();
    return platform::ToLocalTime(ns).value_or(platform::LocalTime{});
  }

  MachineFacts Machine() override {
    MachineFacts m;
    platform::SystemFacts facts = platform::ReadSystemFacts();
    // The distribution's name where the system gives one, with the kernel
    // and its release as the version; Windows names do not exist here.
    const std::string kernel = facts.systemName.empty() ? "Unknown" : facts.systemName;
    m.osName = platform::Utf8ToCp932Lossy(facts.distribution.empty() ? kernel : facts.distribution);
    m.osVersion = platform::Utf8ToCp932Lossy(facts.distribution.empty() ? facts.release
                                                                         : kernel + " " + facts.release);
    m.language = platform::Utf8ToCp932Lossy(platform::SystemLanguageName());
    m.totalMemory = facts.totalMemory;
    m.availableMemory = facts.availableMemory;
    platform::ReadSwapSpace(&m.pageFileTotal, &m.pageFileAvailable);
    m.programPath = platform::ProgramPath().value_or("");
    Application* app = CurrentApplication();
    m.baseFolder = app ? app->baseFolder : platform::CurrentFolder().value_or("");
    m.systemFolder = kSystemFolder;
    m.processorCount = facts.processorCount;
    platform::DisplayMode desktop = platform::CurrentBackend().DesktopMode();
    m.screenWidth = desktop.width;
    m.screenHeight = desktop.height;
    m.screenDepth = desktop.depth;
    m.screenRefresh = desktop.refresh;
    return m;
  }

  std::vector<MonitorRecord> Monitors() override {
    std::vector<MonitorRecord> records;
    Application* app = CurrentApplication();
    const MonitorList* list = app ? &app->monitors : CurrentMonitorList();
    if (list) {
      for (size_t i = 0; i < list->GetCount(); ++i) records.push_back((*list)[i]);
    }
    return records;
  }

  const ProcessorInfo& Processor() override { return orrivel::Processor(); }

  uint32_t CpuClockMhz() override { return uint32_t(MeasureCpuClock()); }

  InputFacts Input() override {
    if (Application* app = CurrentApplication()) return InputFactsOf(app->Input());
    return InputFacts{};
  }

  DisplayFacts Display() override {
    DisplayFacts facts;
    Application* app = CurrentApplication();
    platform::DisplayMode desktop = platform::CurrentBackend().DesktopMode();
    facts.width = desktop.width;
    facts.height = desktop.height;
    facts.depth = desktop.depth;
    if (!app) return facts;
    ScreenDevice& screen = app->Screen();
    facts.initialised = CurrentScreenDevice() == &screen;
    facts.fullScreen = screen.mode == 1;
    if (facts.fullScreen && !screen.monitorRect.IsEmpty()) {
      facts.width = screen.monitorRect.Width();
      facts.height = screen.monitorRect.Height();
    }
    return facts;
  }

  std::vector<DriveFacts> Drives() override {
    std::vector<DriveFacts> drives;
    std::vector<platform::MountedDrive> mounts = platform::ListDrives();
    // The drive holding the system folder is the one with the longest
    // mount point that is a prefix of it.
    size_t systemDrive = mounts.size();
    size_t longest = 0;
    const std::string system = kSystemFolder;
    for (size_t i = 0; i < mounts.size(); ++i) {
      const std::string& root = mounts[i].root;
      bool prefix = root == "/" || (system.rfind(root, 0) == 0 &&
                                    (system.size() == root.size() || system[root.size()] == '/'));
      if (prefix && root.size() >= longest) {
        longest = root.size();
        systemDrive = i;
      }
    }
    for (size_t i = 0; i < mounts.size(); ++i) {
      DriveFacts d;
      d.root = platform::Utf8ToCp932Lossy(mounts[i].root);
      d.kind = mounts[i].kind;
      d.holdsSystemFolder = i == systemDrive;
      uint64_t freeBytes = 0, totalBytes = 0;
      if (d.kind == platform::DriveKind::Fixed && platform::GetDiskSpace(mounts[i].root, &freeBytes, &totalBytes)) {
        d.spaceKnown = true;
        d.freeMb = freeBytes / 1048576;
        d.totalMb = totalBytes / 1048576;
      }
      drives.push_back(std::move(d));
    }
    return drives;
  }

  // Other programs' windows are not visible through the display library,
  // so the list is empty.
  std::optional<std::vector<std::string>> WindowTitles() override { return std::vector<std::string>{}; }

  std::optional<std::vector<std::string>> Processes(bool fullPaths) override {
    auto names = platform::ListProcesses(fullPaths);
    if (!names) return std::nullopt;
    std::vector<std::string> out;
    for (const std::string& name : *names) out.push_back(platform::Utf8ToCp932Lossy(name));
    return out;
  }
};

std::mutex g_mutex;
SystemInfoProvider* g_installed = nullptr;

}  // namespace

InputFacts InputFactsOf(const InputManager& input) {
  InputFacts facts;
  facts.method = input.Method();
  if (const KeyboardDevice* keyboard = input.Keyboard()) facts.keyboardKeys = keyboard->KeyCount();
  if (const MouseDevice* mouse = input.Mouse()) {
    facts.mouseAxes = mouse->AxisCount();
    facts.mouseButtons = mouse->ButtonCount();
  }
  if (const JoystickDevice* joystick = input.GetJoystick(0)) {
    JoystickFacts& j = facts.joystick.emplace();
    j.number = uint32_t(joystick->DeviceNumber());
    j.name = joystick->Name();
    j.axes = joystick->AxisCount();
    j.buttons = joystick->ButtonCount();
  }
  return facts;
}

SystemInfoProvider& CurrentSystemInfoProvider() {
  {
    std::lock_guard lock(g_mutex);
    if (g_installed) return *g_installed;
  }
  static MachineSystemInfo machine;
  return machine;
}

SystemInfoProvider* SetSystemInfoProvider(SystemInfoProvider* provider) {
  std::lock_guard lock(g_mutex);
  SystemInfoProvider* previous = g_installed;
  g_installed = provider;
  return previous;
}

}  // namespace orrivel
