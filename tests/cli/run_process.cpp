#include "run_process.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

extern char** environ;

namespace xray::test {

namespace {

std::string Slurp(const std::filesystem::path& p) {
  std::ifstream in(p, std::ios::binary);
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

// A fresh directory for one run, removed when it goes out of scope.
struct ScratchDir {
  ScratchDir() {
    std::string templ = (std::filesystem::temp_directory_path() / "xraycalc-run-XXXXXX").string();
    if (!mkdtemp(templ.data())) throw std::runtime_error(std::string("mkdtemp: ") + std::strerror(errno));
    path = templ;
  }
  ~ScratchDir() {
    std::error_code ignored;
    std::filesystem::remove_all(path, ignored);
  }
  std::filesystem::path path;
};

}  // namespace

ProcessResult RunProcess(const std::string& program, const std::vector<std::string>& args,
                         std::string_view stdin_text, StdoutTo stdout_to) {
  ScratchDir dir;
  const std::string in = (dir.path / "stdin").string();
  const std::string out = (dir.path / "stdout").string();
  const std::string err = (dir.path / "stderr").string();
  std::ofstream(in, std::ios::binary) << stdin_text;

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, in.c_str(), O_RDONLY, 0);
  int dead_pipe[2] = {-1, -1};
  if (stdout_to == StdoutTo::kClosedPipe) {
    if (pipe2(dead_pipe, O_CLOEXEC) != 0) throw std::runtime_error(std::string("pipe: ") + std::strerror(errno));
    close(dead_pipe[0]);
    posix_spawn_file_actions_adddup2(&actions, dead_pipe[1], 1);
  } else {
    posix_spawn_file_actions_addopen(&actions, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  }
  posix_spawn_file_actions_addopen(&actions, 2, err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);

  std::vector<char*> argv;
  argv.push_back(const_cast<char*>(program.c_str()));
  for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);

  pid_t pid = 0;
  const int spawned = posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (dead_pipe[1] >= 0) close(dead_pipe[1]);
  if (spawned != 0) throw std::runtime_error("cannot start " + program + ": " + std::strerror(spawned));

  int wstatus = 0;
  while (waitpid(pid, &wstatus, 0) < 0) {
    if (errno != EINTR) throw std::runtime_error(std::string("waitpid: ") + std::strerror(errno));
  }
  ProcessResult r;
  r.status = WIFEXITED(wstatus) ? WEXITSTATUS(wstatus) : -1;
  r.signal = WIFSIGNALED(wstatus) ? WTERMSIG(wstatus) : 0;
  r.out = Slurp(out);
  r.err = Slurp(err);
  return r;
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  for (std::size_t nl; (nl = text.find('\n', start)) != std::string::npos; start = nl + 1) {
    lines.push_back(text.substr(start, nl - start));
  }
  EXPECT_EQ(start, text.size()) << "text does not end with a line break";
  return lines;
}

}  // namespace xray::test
