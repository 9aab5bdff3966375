#pragma once
// Running other programs: a command line started through the shell, with or
// without its standard output captured, and the desktop's file manager.
#include <chrono>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

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

// A command line (CP932) as a program and its arguments, the way the
// system the games were made for splits one: blanks separate, double quotes
// group (a quote inside is written as \"), 2n backslashes before a quote
// stand for n. Nothing else is special: no variables, no redirection, no
// command separators. UTF-8 out; nullopt for text with no UTF-8 form.
std::optional<std::vector<std::string>> SplitCommandLine(std::string_view commandLine);

// Runs the command line as a program with arguments, never through a
// shell. A program named by an internal path is found on disk; a bare name
// on the program search path. Same results as StartProcess and
// RunProcessToFile.
int StartProgram(std::string_view commandLine, ProcessWait wait);
int RunProgramToFile(std::string_view commandLine, File& output);

// Starts a program found on the search path with these arguments (UTF-8,
// the program's name first), never through a shell, and returns at once;
// the child is reaped in the background. 0 started, 1 it could not start.
int StartProgramArguments(const std::vector<std::string>& args);
// Runs such a program (standard output thrown away) and waits for it to end,
// at most for the limit: its exit status, or -1 when it could not start, was
// ended by a signal, or was still running at the limit (it is then killed).
int RunProgramArgumentsFor(const std::vector<std::string>& args, std::chrono::milliseconds limit);
// True when a program of this name is on the search path.
bool ProgramOnSearchPath(std::string_view name);

// Shows a folder (internal path) in the desktop's file manager. 0 started,
// 2 there is no file manager to start or the path has no host form.
int OpenInFileManager(std::string_view internalFolder);

}  // namespace orrivel::platform
