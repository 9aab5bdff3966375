#pragma once
// The one folder against which every relative name is made absolute. It is
// process-wide; tests replace it through SetBaseFolderForTest.
#include <string>
#include <string_view>

namespace orrivel {

// The current base folder (absolute, ending with a backslash once set).
const std::string& BaseFolder();

// The folder of the given module path (a program's full path). 0 done,
// 1 impossible (see CutToParentFolder).
int InitBaseFolder(std::string_view modulePath);
// The same for the running program.
int InitBaseFolder();

// Resolves path against the current base folder and makes it the new base
// folder, with a trailing backslash. 0 done, 1 failure (base unchanged).
int SetBaseFolder(std::string_view path);

// Puts a value in place as is (no resolving); returns the old one.
std::string SetBaseFolderForTest(std::string value);

}  // namespace orrivel
