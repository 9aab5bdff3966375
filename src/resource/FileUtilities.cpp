#include "resource/FileUtilities.h"

#include <string>

#include "platform/FileSystem.h"
#include "platform/Process.h"
#include "resource/ArchiveManager.h"
#include "resource/FileObject.h"
#include "resource/Paths.h"

namespace orrivel {
namespace {

// Last-write time of the file at a path made absolute, when it exists.
bool TimeOf(const char* path, const int64_t* given, int64_t* time) {
  if (path) {
    std::string full;
    if (MakeFullPath(full, path) == 0) return false;
    const auto info = platform::StatPath(full);
    if (!info || info->isFolder) return false;
    *time = info->writeTimeNs;
    return true;
  }
  if (!given) return false;
  *time = *given;
  return true;
}

}  // namespace

int64_t GetLooseFileSize(std::string_view name) {
  ArchiveManager* manager = GetArchiveManager();
  platform::FileInfo info;
  if (!manager || manager->FindFile(nullptr, name, &info) != 0) return -1;
  return int64_t(info.size);
}

bool LooseFileExists(std::string_view name) {
  ArchiveManager* manager = GetArchiveManager();
  return manager && manager->FindFile(nullptr, name, nullptr) == 0;
}

int FileTimeToLocalSystemTime(std::string_view name, int* year, int* month, int* day, int* hour, int* minute,
                              int* second, int* dayOfWeek) {
  ArchiveManager* manager = GetArchiveManager();
  if (!manager) return 3;
  platform::FileInfo info;
  const int found = manager->FindFile(nullptr, name, &info);
  if (found != 0) return found;
  const auto local = platform::ToLocalTime(info.writeTimeNs);
  if (!local) return 3;
  if (year) *year = local->year;
  if (month) *month = local->month;
  if (day) *day = local->day;
  if (hour) *hour = local->hour;
  if (minute) *minute = local->minute;
  if (second) *second = local->second;
  if (dayOfWeek) *dayOfWeek = local->dayOfWeek;
  return 0;
}

int CompareFileTimes(const char* pathA, const char* pathB, const int64_t* timeA, const int64_t* timeB) {
  int64_t a = 0, b = 0;
  if (!TimeOf(pathA, timeA, &a)) return -1;
  if (!TimeOf(pathB, timeB, &b)) return 1;
  return a > b ? 1 : 0;
}

int CopyFileClearReadOnly(std::string_view destination, std::string_view source, int mode) {
  std::string to, from;
  if (MakeFullPath(to, destination) == 0 || MakeFullPath(from, source) == 0) return 2;
  if (mode != 1) {
    if (const auto existing = platform::StatPath(to)) {
      if (mode == 2) return 2;
      const int64_t destinationTime = existing->writeTimeNs;
      if (CompareFileTimes(from.c_str(), nullptr, nullptr, &destinationTime) != 1) return 1;
    }
  }
  if (platform::PathExists(to)) platform::MakeWritable(to);
  return platform::CopyFileData(from, to, true) ? 0 : -1;
}

int RunProcessCaptureOutput(std::string_view commandLine, int waitMode, int, int, const char* outputPath) {
  if (!outputPath) {
    const platform::ProcessWait wait = waitMode == 1   ? platform::ProcessWait::Exit
                                       : waitMode == 2 ? platform::ProcessWait::Idle
                                                       : platform::ProcessWait::None;
    return platform::StartProgram(commandLine, wait);
  }
  if (waitMode != 1) return 2;
  FileObject output;
  if (output.OpenForWrite(outputPath, true) != 0) {
    platform::StartProgram(commandLine, platform::ProcessWait::Exit);
    return 4;
  }
  // The output goes through the object's own handle: reopen it raw.
  const std::string path = output.GetName();
  output.Close();
  platform::File file = platform::File::Open(path, platform::File::Access::Write,
                                             platform::File::Disposition::CreateAlways);
  if (!file.IsOpen()) return 4;
  const int result = platform::RunProgramToFile(commandLine, file);
  return result == 0 ? 0 : result;
}

int OpenFolderInExplorer(std::string_view path) {
  std::string full;
  if (MakeFullPath(full, path) == 0) return 1;
  return platform::OpenInFileManager(full) == 0 ? 0 : 2;
}

}  // namespace orrivel
