#pragma once
// File helpers over the archive manager's loose-file search: size, time and
// existence of loose files, copy-if-newer, running a program with its output
// captured, and showing a folder in the desktop's file manager.
#include <cstdint>
#include <string_view>

namespace orrivel {

// Size of a loose file (never an archive member), or -1.
int64_t GetLooseFileSize(std::string_view name);
bool LooseFileExists(std::string_view name);
// Local last-write time of a loose file through the given pointers (each
// may be null). 0; 3 without an archive manager; else the search's code.
int FileTimeToLocalSystemTime(std::string_view name, int* year, int* month, int* day, int* hour, int* minute,
                              int* second, int* dayOfWeek);
// Each file by its path (made absolute) or, with a null path, by the given
// last-write time (nanoseconds). -1 A missing, 1 B missing, 1 A strictly
// newer, else 0.
int CompareFileTimes(const char* pathA, const char* pathB, const int64_t* timeA, const int64_t* timeB);
// Mode 1 copies always; otherwise an existing destination is kept (mode 2
// answers 2, other modes answer 1) unless the source is newer. The
// destination is made writable first. 0 copied, -1 copy failed, 2 bad paths.
int CopyFileClearReadOnly(std::string_view destination, std::string_view source, int mode);
// The command line runs as a program with arguments, never through a
// shell. Without an output path: wait mode 1 waits for the end, 2 until ready,
// others not; 0 or 1 (cannot start). With one: wait mode must be 1 (else
// 2); 3 the pipe fails; 4 the output file cannot be made; else 0. x and y
// are accepted for the caller's sake and have no effect here.
int RunProcessCaptureOutput(std::string_view commandLine, int waitMode, int x, int y, const char* outputPath);
// 1 the path cannot be made absolute, 2 nothing could be started, else 0.
int OpenFolderInExplorer(std::string_view path);

}  // namespace orrivel
