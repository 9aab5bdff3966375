#pragma once
// The text form of the five settings files: one `field = value` line per
// named field or byte offset, `#` starts a comment. Every byte not given
// keeps its default; strings are UTF-8 in the text and CP932 in the file.
//
//   VQ_APP.SYS   width, height (u16), style, ex_style (u32), icon, menu,
//                accelerators (u16), single_instance, screen_modes,
//                removable, save_mode, frame_kind (u8), or an offset;
//                count = n writes n in the count word (bytes past the
//                block are zeros).
//   VQ_APP.INF   major, minor, build (u8), title, product, rights, web,
//                folder (strings).
//   USER.CFG     user.N, window.N, boot.N (u8 at offset N), user32.N,
//                window32.N (u32), folder (string).
//   APP_CFG.DAT  N (u8 at offset N), u32.N (u32), face (the font name).
//   SET_UP.IFG   key (string), per_user (0 or 1).
// Numbers are decimal, or hexadecimal after "0x"; negative numbers wrap.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace orrivel::tools {

enum class SettingsFileKind { System, Info, UserConfig, AppConfig, Setup };

// The kind of a file by its name (case ignored); false for other names.
bool SettingsKindFromName(std::string_view fileName, SettingsFileKind* kind);

// False with a message naming the line when a line cannot be used.
bool BuildSettingsFile(SettingsFileKind kind, std::string_view text, std::vector<uint8_t>* out, std::string* error);

// The file's fields in the text form (readable again by BuildSettingsFile),
// or a message starting with "error:" when the file does not read.
std::string DumpSettingsFile(SettingsFileKind kind, const std::vector<uint8_t>& bytes);

}  // namespace orrivel::tools
