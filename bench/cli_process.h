// Times whole runs of the command-line program: one process per iteration,
// its standard output thrown away. Besides the wall time, the counter
// process_cpu_ms gives the processes' own processor time per run, which stays
// meaningful on a machine busy with other work.
#pragma once

#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>
#include <vector>

namespace xray::bench {

inline double ChildrenCpuMs() {
  rusage use{};
  getrusage(RUSAGE_CHILDREN, &use);
  return (use.ru_utime.tv_sec + use.ru_stime.tv_sec) * 1e3 + (use.ru_utime.tv_usec + use.ru_stime.tv_usec) / 1e3;
}

// Runs `exe args...` once per iteration; a run that cannot start or that does
// not exit with 0 stops the benchmark with an error naming the subcommand.
inline void TimeCliRuns(benchmark::State& state, const std::string& exe, std::vector<std::string> args) {
  std::vector<char*> argv;
  argv.push_back(const_cast<char*>(exe.c_str()));
  for (std::string& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  const std::string what = "xraycalc-cli " + (args.empty() ? std::string() : args.front());
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  const double cpu_before = ChildrenCpuMs();
  for (auto _ : state) {
    pid_t pid = 0;
    if (posix_spawn(&pid, exe.c_str(), &actions, nullptr, argv.data(), environ) != 0) {
      state.SkipWithError(("cannot start " + what).c_str());
      break;
    }
    int status = 0;
    waitpid(pid, &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
      state.SkipWithError((what + " failed").c_str());
      break;
    }
  }
  posix_spawn_file_actions_destroy(&actions);
  if (state.iterations() > 0) {
    state.counters["process_cpu_ms"] =
        benchmark::Counter((ChildrenCpuMs() - cpu_before) / static_cast<double>(state.iterations()));
  }
}

}  // namespace xray::bench
