#pragma once
// Shift-JIS aware path routines over the engine's Windows-form paths. A lead
// byte and its trail byte always travel together, so a trail byte equal to
// '\\' is never taken for a separator, a dot or a colon. Results use '\\'.
// Paths are limited to kMaxPath bytes with the terminating NUL, like the
// buffers that store them; a result that would not fit is refused.
#include <cstddef>
#include <string>
#include <string_view>

namespace orrivel {

constexpr size_t kMaxPath = 260;

// 1: the name is already absolute (a colon anywhere, or a leading "\\\\")
//    and is copied with slashes turned into backslashes;
// 2: the name was joined to base (leading "." and ".." segments applied);
// 0: failure (empty base, ".." above the root, or a result of kMaxPath
//    bytes or more); destination is left unchanged.
int MakeFullPath(std::string& destination, std::string_view name, std::string_view base);
// The same against the process-wide base folder.
int MakeFullPath(std::string& destination, std::string_view name);

// Cuts the path just after a separator: a file path becomes its folder, a
// folder path (ending with a separator) its parent. 0 done, 1 impossible.
int CutToParentFolder(std::string& path);

// Cuts the path just after its last separator and gives what followed. A
// path that ends with a separator or has none (or a "\\\\server" path with
// no separator after the server) stays and the name is empty.
void CutFileName(std::string& path, std::string* fileName);

// The part after the last separator (the whole path when it has none). For
// a path ending with a separator: the last folder's name when
// wantFolderName is true, else an empty text.
std::string SplitPathName(std::string_view path, bool wantFolderName);

// Text after the last dot of the whole path; empty when there is no dot.
std::string GetFileExtension(std::string_view path);

// Cuts the path at its last dot and gives the text after it (empty, and the
// path unchanged, when there is no dot).
void RemoveFileExtension(std::string& path, std::string* extension);

// Looks for a file at the root of the mounted optical discs, in mount
// order; an empty name takes the first disc. 0 found (root gets the disc's
// root, ending with a separator), 1 no disc was examined, 2 discs exist but
// none holds the file. The name's last part may hold the wildcards '*'
// and '?': any file they match will do.
int FindFileOnAllDrives(std::string_view fileName, std::string* root);

// Separator test and last-separator search that respect two-byte characters.
bool IsPathSeparator(char c);
// Index of the last separator, or npos.
size_t FindLastSeparator(std::string_view path);
// True when the last character is a separator (a trail byte 0x5C is not).
bool EndsWithSeparator(std::string_view path);
// Appends a backslash unless the path already ends with a separator; false
// when the result would not fit in kMaxPath.
bool AppendSeparator(std::string& path);

}  // namespace orrivel
