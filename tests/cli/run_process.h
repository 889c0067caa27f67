// Runs a program as a child process with a given standard input and collects
// its exit status, standard output and standard error.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace xray::test {

struct ProcessResult {
  int status = -1;  // the exit status; -1 when the process ended by a signal
  std::string out;
  std::string err;
};

// Runs program with the arguments (argv[1...]); stdin_text is its whole
// standard input. Output goes through files, so no pipe can fill up and block.
ProcessResult RunProcess(const std::string& program, const std::vector<std::string>& args,
                         std::string_view stdin_text = "");

}  // namespace xray::test
