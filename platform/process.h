// Starting programs without a shell and without waiting for them.
#pragma once

#include <string>
#include <vector>

namespace krav {

// Splits a parameter text into arguments as a POSIX shell splits words:
// blanks separate, single quotes keep everything literally, double quotes
// keep blanks and let a backslash escape " \ $ ` and newline, a backslash
// outside quotes keeps the next character. Nothing is expanded.
std::vector<std::string> SplitArguments(const std::string& text);

// A path handed to another program as an argument: a relative path gets a
// leading "./", so that a file named "-x" can never be read as an option.
std::string PathArgument(const std::string& fsPath);

// Starts a program file with its parameter text (cp1251 texts). A file that
// is not executable is handed to the desktop's opener (xdg-open) instead.
// False when the file does not exist or nothing could be started.
bool StartProgram(const std::string& file, const std::string& parameters);

// Starts a command line "program arguments"; the program is looked up in PATH
// when it names no folder.
bool StartCommandLine(const std::string& commandLine);

// Starts argv[0] with its arguments (UTF-8), detached: the caller never waits
// and no zombie is left behind. False when the program could not be executed.
bool Spawn(const std::vector<std::string>& argv);

}  // namespace krav
