#pragma once
// Open, save and folder dialogs at the platform edge. Texts and paths come
// and go as CP932 internal paths. A real display shows the desktop's own
// dialog tool when one is installed and answers "cancelled" otherwise; a
// headless run answers from a script that tests fill.
#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "platform/Messages.h"

namespace orrivel::platform {

enum class FileDialogKind : uint8_t { Open, Save, Folder };

struct FileDialogFilter {
  std::string description;  // CP932
  std::string patterns;     // "*.txt;*.doc"
};

struct FileDialogRequest {
  FileDialogKind kind = FileDialogKind::Open;
  WindowId owner = kNoWindow;
  std::string title;            // CP932
  std::string initialFolder;    // internal path, empty for none
  std::string proposedName;     // internal path or bare name (save)
  std::vector<FileDialogFilter> filters;
  uint32_t filterIndex = 0;     // 1-based, 0 for the first
  std::string defaultExtension;
  bool overwritePrompt = false;
};

struct FileDialogAnswer {
  bool chosen = false;
  std::string path;          // internal path of the chosen file or folder
  uint32_t filterIndex = 0;  // 1-based filter the choice was made with
};

class FileDialogService {
 public:
  virtual ~FileDialogService() = default;
  // Blocks until the user answers.
  virtual FileDialogAnswer Show(const FileDialogRequest& request) = 0;
};

// Answers from a queue; an empty queue answers "cancelled". Every request
// is kept for checks.
class ScriptedFileDialogs : public FileDialogService {
 public:
  FileDialogAnswer Show(const FileDialogRequest& request) override;
  void QueueAnswer(FileDialogAnswer answer) { answers_.push_back(std::move(answer)); }
  const std::vector<FileDialogRequest>& Requests() const { return requests_; }

 private:
  std::deque<FileDialogAnswer> answers_;
  std::vector<FileDialogRequest> requests_;
};

// Runs zenity or kdialog, whichever is found first on the program search
// path; "cancelled" when neither is.
class DesktopFileDialogs : public FileDialogService {
 public:
  FileDialogAnswer Show(const FileDialogRequest& request) override;
  // The command line that would be run (UTF-8), empty without a tool.
  static std::string CommandLine(const std::string& tool, const FileDialogRequest& request);
};

// The service in use: the installed one, else the scripted one of a
// headless back end or the desktop one of a real display.
FileDialogService& CurrentFileDialogs();
// Installs a service (not owned); nullptr returns to the default. Returns
// the previous one.
FileDialogService* SetFileDialogs(FileDialogService* service);

class ScopedFileDialogs {
 public:
  explicit ScopedFileDialogs(FileDialogService& service) : previous_(SetFileDialogs(&service)) {}
  ~ScopedFileDialogs() { SetFileDialogs(previous_); }
  ScopedFileDialogs(const ScopedFileDialogs&) = delete;
  ScopedFileDialogs& operator=(const ScopedFileDialogs&) = delete;

 private:
  FileDialogService* previous_;
};

}  // namespace orrivel::platform
