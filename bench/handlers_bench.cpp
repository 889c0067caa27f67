// Benchmarks of the four handlers as a user meets them: one press each, on a
// window already created. Targets on a 2-core machine (median): "Spectl" at
// 149.9 kV, nested "Added" included, <= 3 ms; "DQE(u)" <= 0.2 ms; the command
// line's spectrum, as a whole process, <= 50 ms.
#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>

#include <string>

#include "form/headless_window.h"

extern char** environ;

namespace {

using namespace xray;

// A created window at the given tube voltage, speed-ups on or off.
struct Bench {
  Bench(const char* kv, bool fast) {
    w.form().SetSpeedups(fast);
    w.Create();
    w.SetField(Field::EditkV, kv);
  }
  HeadlessWindow w;
};

void Press(benchmark::State& state, const char* kv, Button b, bool fast) {
  Bench bench(kv, fast);
  if (b != Button::ButtonSpectl) bench.w.Click(Button::ButtonSpectl);
  if (b == Button::ButtonCalDQE) bench.w.Click(Button::ButtonCalDQE);  // first press fills the cache
  for (auto _ : state) {
    bench.w.Click(b);
    // Keep the "Added" line from growing press after press.
    bench.w.ClearSeries(Series::FastLineSeries6);
  }
  if (!bench.w.ErrorBoxes().empty()) state.SkipWithError(bench.w.ErrorBoxes().front().c_str());
}

void BM_Spectl80(benchmark::State& state) { Press(state, "80", Button::ButtonSpectl, true); }
void BM_Spectl149_9(benchmark::State& state) { Press(state, "149.9", Button::ButtonSpectl, true); }
void BM_Spectl149_9_NoSpeedups(benchmark::State& state) { Press(state, "149.9", Button::ButtonSpectl, false); }
void BM_Spectl80_NoSpeedups(benchmark::State& state) { Press(state, "80", Button::ButtonSpectl, false); }
void BM_AddedAlone(benchmark::State& state) { Press(state, "80", Button::ButtonAdded, true); }
void BM_Dqe(benchmark::State& state) { Press(state, "80", Button::ButtonCalDQE, true); }
void BM_Dqe_NoSpeedups(benchmark::State& state) { Press(state, "80", Button::ButtonCalDQE, false); }

void BM_FormCreate(benchmark::State& state) {
  HeadlessWindow w;
  for (auto _ : state) w.Create();
}

BENCHMARK(BM_Spectl80)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Spectl149_9)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Spectl149_9_NoSpeedups)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_Spectl80_NoSpeedups)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_AddedAlone)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Dqe)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Dqe_NoSpeedups)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_FormCreate)->Unit(benchmark::kMicrosecond);

#ifdef XRAYCALC_CLI
// The whole command-line process: start, "Spectl" at the default 80 kV, print.
void BM_CliSpectrumProcess(benchmark::State& state) {
  const std::string exe = XRAYCALC_CLI;
  char arg0[] = "xraycalc-cli";
  char arg1[] = "spectrum";
  char* argv[] = {arg0, arg1, nullptr};
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  for (auto _ : state) {
    pid_t pid = 0;
    if (posix_spawn(&pid, exe.c_str(), &actions, nullptr, argv, environ) != 0) {
      state.SkipWithError("cannot start xraycalc-cli");
      break;
    }
    int status = 0;
    waitpid(pid, &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
      state.SkipWithError("xraycalc-cli spectrum failed");
      break;
    }
  }
  posix_spawn_file_actions_destroy(&actions);
}
BENCHMARK(BM_CliSpectrumProcess)->Unit(benchmark::kMillisecond);
#endif

}  // namespace
