#include "game/GameMenu.h"

#include <string>
#include <utility>

#include "platform/TextCodec.h"
#include "platform/WindowSystem.h"

namespace orrivel {

using platform::MenuItem;

namespace {

MenuItem Item(uint32_t id, const char* utf8Text, const char* shortcut = nullptr, bool enabled = true) {
  MenuItem item;
  item.id = id;
  item.text = platform::Utf8ToCp932Lossy(utf8Text);
  if (shortcut != nullptr) item.text += std::string("\t") + shortcut;
  item.enabled = enabled;
  return item;
}

MenuItem Separator() { return MenuItem{}; }

}  // namespace

platform::Menu GameMenu() {
  MenuItem system = Item(0, "システム(&M)");
  system.children = {
      Item(kCommandScreenMode, "画面モード変更(&D)", "Shift+D"),
      Item(kCommandReturnToTitle, "タイトルに戻る(&T)", "Shift+T", false),
      Item(kCommandSettingsFromMenu, "設定(&C)", "Shift+C"),
      Item(kCommandQuit, "終了(&Q)", "Alt+F4"),
      Separator(),
      Item(kCommandVersion, "バージョン情報(&V)", "Shift+V"),
  };
  platform::Menu menu;
  menu.Append(std::move(system));
  menu.Append(Item(kCommandSettings, "設定(&C)"));
  menu.Append(Item(kCommandSave, "セーブ(&S)", nullptr, false));
  menu.Append(Item(kCommandLoad, "ロード(&L)", nullptr, false));
  menu.Append(Item(kCommandQuit, "終了(&E)"));
  return menu;
}

platform::AcceleratorTable GameAccelerators() {
  using platform::FALT;
  using platform::FSHIFT;
  using platform::FVIRTKEY;
  return {
      {FVIRTKEY | FSHIFT, 'A', 40012},
      {FVIRTKEY | FALT, platform::VK_RETURN, kCommandScreenMode},
      {FVIRTKEY | FSHIFT, 'L', 40009},
      {FVIRTKEY | FSHIFT, 'G', 40011},
      {FVIRTKEY | FSHIFT, 'U', 40010},
      {FVIRTKEY | FSHIFT, 'V', kCommandVersion},
      {FVIRTKEY | FSHIFT, 'Z', 40013},
  };
}

void RegisterGameMenuResources(platform::WindowSystem& windows) {
  windows.RegisterMenuResource(kGameMenuId, GameMenu());
  windows.RegisterAcceleratorResource(kGameAcceleratorsId, GameAccelerators());
}

}  // namespace orrivel
