#pragma once
// Running other programs: a command line started through the shell, with or
// without its standard output captured, and the desktop's file manager.
#include <string_view>

#include "platform/FileSystem.h"

namespace orrivel::platform {

enum class ProcessWait {
  None,     // return once started
  Exit,     // wait until it ends
  Idle,     // wait until it is ready for input (here: started)
};

// Starts the command line (CP932) through /bin/sh. 0 started (and waited as
// asked), 1 it could not start.
int StartProcess(std::string_view commandLine, ProcessWait wait);

// Starts the command line with its standard output going to a pipe, copies
// everything it writes into output and waits for it to end. 0 done, 1 it
// could not start, 3 the pipe could not be made.
int RunProcessToFile(std::string_view commandLine, File& output);

// Shows a folder (internal path) in the desktop's file manager. 0 started,
// 2 there is no file manager to start or the path has no host form.
int OpenInFileManager(std::string_view internalFolder);

}  // namespace orrivel::platform
