// Runs a program as a child process with a given standard input and collects
// its exit status, standard output and standard error.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace xray::test {

struct ProcessResult {
  int status = -1;  // the exit status; -1 when the process ended by a signal
  int signal = 0;   // the signal that ended it, 0 when it exited
  std::string out;
  std::string err;
};

// Where the program's standard output goes: a file, read back into out, or a
// pipe whose reading end is closed before the program starts (a reader that
// has gone, as "| head -1" leaves it once head has ended).
enum class StdoutTo { kFile, kClosedPipe };

// Runs program with the arguments (argv[1...]); stdin_text is its whole
// standard input. Output goes through files, so no pipe can fill up and block.
ProcessResult RunProcess(const std::string& program, const std::vector<std::string>& args,
                         std::string_view stdin_text = "", StdoutTo stdout_to = StdoutTo::kFile);

// The lines of printed text, each ended by "\n" (the last one too); a text
// that does not end with a line break fails the running test.
std::vector<std::string> Lines(const std::string& text);

}  // namespace xray::test
