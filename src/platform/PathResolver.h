#pragma once
// Internal paths keep the Windows form the game data and scripts use
// ("Z:\\home\\user\\GAME\\SCRIPT\\A.SOB", CP932 bytes). The machine's root is
// shown to the engine as the pseudo drive Z:, so the engine's own rules for
// absolute names (a colon, or a leading "\\\\") hold unchanged. This layer
// turns such a path into a name on disk: each component is matched
// case-insensitively (ASCII letters of single-byte characters only) against
// the UTF-8 names in the folder, so a game copied with any letter case is
// found.
#include <optional>
#include <string>
#include <string_view>

namespace orrivel::platform {

// The drive letter that stands for the machine's root folder.
constexpr char kRootDrive = 'Z';

enum class ResolveMode {
  Existing,  // every component must exist
  Create,    // folders must exist; a missing last component is taken as given
};

// Host (UTF-8) path for an internal path, or nullopt when a component is
// missing (Existing), cannot be converted, or the path names a drive other
// than the root drive or a network share. '\\' and '/' both separate; "."
// and ".." components are applied. A relative path stays relative to the
// current folder.
std::optional<std::string> ResolveHostPath(std::string_view internalPath, ResolveMode mode);

// The absolute host path an absolute internal path leads to on disk: every
// existing component matched as ResolveHostPath matches it and every
// symbolic link on the way followed (a ".." steps up from where a link
// led, as the system steps), the components that do not exist yet taken
// as given. Nullopt for a relative path, a drive other than the root
// drive, a share, a name with no host form, or a link that leads nowhere
// (dangling or looping: what it would create cannot be told).
std::optional<std::string> ResolveHostPathThroughLinks(std::string_view internalPath);

// Internal form of a host path: "/a/b" becomes "Z:\\a\\b" in CP932; a
// relative host path keeps its components with backslashes. Nullopt when a
// name has no CP932 form.
std::optional<std::string> ToInternalPath(std::string_view hostPath);

// A path as the program's messages name it: the host path when it exists,
// else the machine's own form of the internal one ("Z:\\tmp\\GAME\\" is
// "/tmp/GAME/"), in UTF-8. Never the internal form.
std::string HostPathForMessage(std::string_view internalPath);

}  // namespace orrivel::platform
