// The soak: hours of hall life in minutes. Every cycle runs each phase once
// (chat lines, the emoticon picker, animations and the number drawer,
// sounds, video windows, the browser dialog, the network service through
// every proxy kind, the channel with a game process, configuration files,
// ZavrelCom's components, timers); every N cycles it counts what the
// process holds and writes the series to a CSV file. After the warm-up
// (--warmup cycles, or a fifth of the run when longer) a series fails when
// it grows beyond its bound (final against after warm-up, and a straight
// line fitted over a second half that keeps rising: soak_verdict.h); the
// phases are then run one by one to name the one that grows.
//
//   soak.exe [--seconds S | --minutes M] [--csv FILE] [--every N]
//            [--warmup CYCLES] [--phases a,b,...] [--chat-lines N]
//            [--no-isolate]
//
// Phases: chat, picker, animation, sound, effects, video, browser, net,
// channel, config, components, timers; and leak (only when named), which
// leaks one GDI object and one kernel handle per round on purpose.
//
// Prints "SOAK ..." lines; the last one is "SOAK PASS ..." or
// "SOAK FAIL ...", and the exit code is 0 or 1.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "base/win_owners.h"
#include "bench/soak/soak_counts.h"
#include "bench/soak/soak_phases.h"
#include "bench/soak/soak_verdict.h"
#include "tests/testkit/testkit.h"

namespace {

struct Options {
  double seconds = 20;
  std::string csv = "soak.csv";
  long every = 1;
  long warmUp = 3;
  std::vector<std::string> phases;  // empty: all
  int chatLines = 12;
  bool isolate = true;
};

// One counter: its name in the CSV, its bound and how to read it.
struct Counter {
  const char* name;
  const char* unit;
  double bound;
  double (*read)(const SoakResourceCounts&);
};

const Counter kCounters[] = {
    {"gdi_objects", "", 8, [](const SoakResourceCounts& c) { return static_cast<double>(c.gdiObjects); }},
    {"user_objects", "", 4, [](const SoakResourceCounts& c) { return static_cast<double>(c.userObjects); }},
    {"kernel_handles", "", 8, [](const SoakResourceCounts& c) { return static_cast<double>(c.kernelHandles); }},
    {"threads", "", 2, [](const SoakResourceCounts& c) { return static_cast<double>(c.threads); }},
    // Apart from what the threads hold: the threads have their own bound,
    // and one thread holds megabytes (its stack above all).
    {"private_kb", " KB", 4096, [](const SoakResourceCounts& c) { return (c.privateBytes - c.threadBytes) / 1024; }},
    {"working_set_kb", " KB", 8192, [](const SoakResourceCounts& c) { return c.workingSet / 1024; }},
};
constexpr size_t kCounterCount = sizeof(kCounters) / sizeof(kCounters[0]);

// Samples the series has room for from the start (a 10-minute run takes
// about 800).
constexpr size_t kReservedSamples = 1 << 15;

struct Row {
  long cycle;
  double seconds;
  SoakResourceCounts counts;
};

double Now() {
  LARGE_INTEGER f, c;
  QueryPerformanceFrequency(&f);
  QueryPerformanceCounter(&c);
  return static_cast<double>(c.QuadPart) / static_cast<double>(f.QuadPart);
}

std::vector<std::string> SplitNames(const std::string& text) {
  std::vector<std::string> names;
  size_t start = 0;
  while (start <= text.size()) {
    const size_t end = text.find(',', start);
    const std::string name = text.substr(start, end == std::string::npos ? std::string::npos : end - start);
    if (!name.empty()) names.push_back(name);
    if (end == std::string::npos) break;
    start = end + 1;
  }
  return names;
}

bool ParseOptions(int argc, char** argv, Options& options) {
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    const bool hasValue = i + 1 < argc;
    if (arg == "--seconds" && hasValue) {
      options.seconds = std::atof(argv[++i]);
    } else if (arg == "--minutes" && hasValue) {
      options.seconds = 60 * std::atof(argv[++i]);
    } else if (arg == "--csv" && hasValue) {
      options.csv = argv[++i];
    } else if (arg == "--every" && hasValue) {
      options.every = std::max(1L, std::atol(argv[++i]));
    } else if (arg == "--warmup" && hasValue) {
      options.warmUp = std::max(0L, std::atol(argv[++i]));
    } else if (arg == "--phases" && hasValue) {
      options.phases = SplitNames(argv[++i]);
    } else if (arg == "--chat-lines" && hasValue) {
      options.chatLines = std::max(1, std::atoi(argv[++i]));
    } else if (arg == "--no-isolate") {
      options.isolate = false;
    } else {
      std::fprintf(stderr, "soak: unknown argument %s\n", arg.c_str());
      return false;
    }
  }
  return options.seconds > 0;
}

bool WriteCsv(const std::string& path, const std::vector<Row>& rows) {
  FILE* f = std::fopen(path.c_str(), "w");
  if (!f) return false;
  std::fprintf(f, "cycle,seconds");
  for (const Counter& c : kCounters) std::fprintf(f, ",%s", c.name);
  std::fprintf(f, ",thread_kb\n");
  for (const Row& row : rows) {
    std::fprintf(f, "%ld,%.2f", row.cycle, row.seconds);
    for (const Counter& c : kCounters) std::fprintf(f, ",%.0f", c.read(row.counts));
    std::fprintf(f, ",%.0f\n", row.counts.threadBytes / 1024);
  }
  return std::fclose(f) == 0;
}

std::vector<soak::Sample> Series(const std::vector<Row>& rows, const Counter& counter) {
  std::vector<soak::Sample> samples;
  for (const Row& row : rows) samples.push_back({row.cycle, counter.read(row.counts)});
  return samples;
}

// Runs the phases for cycles (at least minCycles, then until the time is
// up), sampling every `every` cycles from cycle 0. False with the failing
// phase's message.
bool RunCycles(std::vector<soak::Phase*>& phases, double seconds, long minCycles, long every, std::vector<Row>& rows,
               std::vector<long>& rounds, std::vector<double>& phaseSeconds, std::string& failure) {
  const double start = Now();
  rows.push_back({0, 0, TakeSoakResourceCounts()});
  for (long cycle = 1;; ++cycle) {
    for (size_t p = 0; p < phases.size(); ++p) {
      std::string error;
      const double phaseStart = Now();
      const bool worked = phases[p]->Cycle(error);
      phaseSeconds[p] += Now() - phaseStart;
      if (!worked) {
        failure =
            std::string("phase ") + phases[p]->Name() + " failed in cycle " + std::to_string(cycle) + ": " + error;
        return false;
      }
      ++rounds[p];
    }
    const double elapsed = Now() - start;
    const bool done = cycle >= minCycles && elapsed >= seconds;
    if (cycle % every == 0 || done) rows.push_back({cycle, elapsed, TakeSoakResourceCounts()});
    if (done) return true;
  }
}

void PrintCounts(const char* label, const SoakResourceCounts& c) {
  std::printf(
      "SOAK %s gdi_objects=%ld user_objects=%ld kernel_handles=%ld threads=%ld private_kb=%.0f "
      "working_set_kb=%.0f thread_kb=%.0f\n",
      label, c.gdiObjects, c.userObjects, c.kernelHandles, c.threads, (c.privateBytes - c.threadBytes) / 1024,
      c.workingSet / 1024, c.threadBytes / 1024);
}

// Names the threads that run now and did not at the start, by where they
// started: the system libraries start workers on first need.
void PrintNewThreads(std::vector<std::string> before, const std::vector<std::string>& now) {
  std::string added;
  for (const std::string& origin : now) {
    const auto found = std::find(before.begin(), before.end(), origin);
    if (found != before.end())
      before.erase(found);
    else
      added += " " + origin;
  }
  if (!added.empty()) std::printf("SOAK threads started since the start:%s\n", added.c_str());
}

// Xvfb runs no window manager, and Wine's X11 driver waits up to 2 s for
// one whenever a managed top-level window is hidden (the picker after a
// pick, the browser dialog at its end). Wine reads this program's setting
// when its display driver starts, after this runs.
void LeaveWindowsUnmanaged() {
  UniqueRegKey key;
  if (RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Wine\\AppDefaults\\soak.exe\\X11 Driver", 0, nullptr, 0,
                      KEY_SET_VALUE, nullptr, key.put(), nullptr) == ERROR_SUCCESS) {
    RegSetValueExA(key.get(), "Managed", 0, REG_SZ, reinterpret_cast<const BYTE*>("N"), 2);
  }
}

}  // namespace

int main(int argc, char** argv) {
  Options options;
  if (!ParseOptions(argc, argv, options)) return 2;
  LeaveWindowsUnmanaged();
  std::setvbuf(stdout, nullptr, _IONBF, 0);
  OleInitialize(nullptr);

  testkit::TempDir folder;
  soak::HallWindow hall;
  if (!hall.CreateEx(0, nullptr, "soak hall", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 640, 400, nullptr, nullptr)) {
    std::printf("SOAK FAIL: cannot make the hall window\n");
    return 1;
  }
  soak::HallEnvironment env;
  env.hall = &hall;
  env.folder = folder.path().string();
  env.binaryDir = testkit::TestBinaryDir();
  env.chatLines = options.chatLines;
  env.serverLifetimeSeconds = static_cast<int>(3 * options.seconds) + 300;

  std::vector<std::unique_ptr<soak::Phase>> all = soak::MakePhases(env);
  std::vector<soak::Phase*> phases;
  for (const auto& phase : all) {
    if (options.phases.empty()
            ? phase->InDefaultRun()
            : std::find(options.phases.begin(), options.phases.end(), phase->Name()) != options.phases.end())
      phases.push_back(phase.get());
  }
  if (phases.empty() || (!options.phases.empty() && phases.size() != options.phases.size())) {
    std::printf("SOAK FAIL: unknown phase among --phases\n");
    return 1;
  }
  for (soak::Phase* phase : phases) {
    std::string error;
    if (!phase->Start(error)) {
      std::printf("SOAK FAIL: phase %s did not start: %s\n", phase->Name(), error.c_str());
      return 1;
    }
  }

  // Enough cycles for the warm-up and four samples after it.
  const long minCycles = options.warmUp + 4 * options.every;
  std::vector<Row> rows;
  // Room for the series before the first count: the soak's own record
  // grows by a sample per cycle, and would show as growth (a step at each
  // doubling) with thousands of cycles.
  rows.reserve(kReservedSamples);
  std::vector<long> rounds(phases.size(), 0);
  std::vector<double> phaseSeconds(phases.size(), 0);
  std::string failure;
  const std::vector<std::string> threadsAtStart = SoakThreadOrigins();
  const bool ran = RunCycles(phases, options.seconds, minCycles, options.every, rows, rounds, phaseSeconds, failure);
  if (!WriteCsv(options.csv, rows)) std::printf("SOAK note: cannot write %s\n", options.csv.c_str());
  const long cycles = rows.back().cycle;
  // Wine starts some of its own threads late (a worker and its memory
  // appear about a minute into a run): the warm-up is a fifth of the run
  // when that is longer than --warmup.
  const long isolatedWarmUp = options.warmUp;
  options.warmUp = std::max(options.warmUp, cycles / 5);
  std::printf("SOAK ran %ld cycles in %.1f s (samples every %ld cycles, warm-up %ld cycles), series in %s\n", cycles,
              rows.back().seconds, options.every, options.warmUp, options.csv.c_str());
  for (size_t p = 0; p < phases.size(); ++p)
    std::printf("SOAK phase %s rounds=%ld seconds=%.1f\n", phases[p]->Name(), rounds[p], phaseSeconds[p]);
  if (!ran) {
    for (soak::Phase* phase : phases) phase->Finish();
    std::printf("SOAK FAIL: %s\n", failure.c_str());
    return 1;
  }
  std::printf("SOAK one more thread holds %.0f KB (private_kb leaves it out, the threads count it)\n",
              SoakThreadCost() / 1024);
  PrintCounts("start", rows.front().counts);
  const Row* afterWarmUp = &rows.back();
  for (const Row& row : rows) {
    if (row.cycle >= options.warmUp) {
      afterWarmUp = &row;
      break;
    }
  }
  PrintCounts("after-warm-up", afterWarmUp->counts);
  PrintCounts("end", rows.back().counts);
  PrintNewThreads(threadsAtStart, SoakThreadOrigins());

  std::vector<const Counter*> grown;
  for (const Counter& counter : kCounters) {
    const soak::SeriesVerdict v = soak::JudgeSeries(Series(rows, counter), options.warmUp, counter.bound);
    std::printf(
        "SOAK series %s after-warm-up=%.0f end=%.0f growth=%.0f fit=%.3f/cycle projected=%.1f rises=%d bound=%.0f%s "
        "%s\n",
        counter.name, v.afterWarmUp, v.final, v.growth, v.slope, v.projected, v.rises, counter.bound, counter.unit,
        !v.measured ? "unmeasured"
        : v.grew    ? "GREW"
                    : "flat");
    if (!v.measured || v.grew) grown.push_back(&counter);
  }

  std::string culprits;
  if (!grown.empty() && options.isolate && phases.size() > 1) {
    // Each phase alone, so that the one whose rounds grow is named.
    const long isolatedCycles = std::max(isolatedWarmUp + 4, std::min(cycles, 12L));
    for (soak::Phase* phase : phases) {
      std::vector<soak::Phase*> one = {phase};
      std::vector<Row> alone;
      std::vector<long> aloneRounds(1, 0);
      std::vector<double> aloneSeconds(1, 0);
      std::string error;
      if (!RunCycles(one, 0, isolatedCycles, 1, alone, aloneRounds, aloneSeconds, error)) {
        std::printf("SOAK isolate %s: %s\n", phase->Name(), error.c_str());
        continue;
      }
      for (const Counter* counter : grown) {
        const soak::SeriesVerdict v = soak::JudgeSeries(Series(alone, *counter), isolatedWarmUp, counter->bound);
        // The phase's growth per round, projected over the whole run.
        const double perRound =
            v.measured ? std::max(v.growth, 0.0) / static_cast<double>(isolatedCycles - isolatedWarmUp) : 0;
        const double projected = perRound * static_cast<double>(cycles);
        std::printf("SOAK isolate %s %s growth=%.0f over %ld rounds, %.2f/round, projected %.0f%s\n", phase->Name(),
                    counter->name, v.growth, isolatedCycles - isolatedWarmUp, perRound, projected, counter->unit);
        if (projected > counter->bound) {
          const std::string entry = std::string(phase->Name()) + " (" + counter->name + ")";
          if (culprits.find(entry) == std::string::npos) culprits += (culprits.empty() ? "" : ", ") + entry;
        }
      }
    }
  }
  for (soak::Phase* phase : phases) phase->Finish();

  if (!grown.empty()) {
    std::string names;
    for (const Counter* counter : grown) names += (names.empty() ? "" : ", ") + std::string(counter->name);
    std::printf(
        "SOAK FAIL: %s grew beyond the bound over %ld cycles; growing phase: %s\n", names.c_str(), cycles,
        culprits.empty() ? (phases.size() == 1 ? phases[0]->Name() : "none alone (run longer)") : culprits.c_str());
    return 1;
  }
  std::printf("SOAK PASS: %ld cycles, %zu phases, every counter flat\n", cycles, phases.size());
  return 0;
}
