// The workbench as a user starts it: the usage text (`atelo -h`, goal under
// 0.05 s), the window ready for its first command and a batch run ready on
// the link (goal under 0.15 s each), and the resident memory of a batch run
// before and after one 3840 x 2160 frame from atelo-render (and that of the
// image service that saves it).
//
// The programs are taken beside this one (build/bin); ATELO_BENCH_PROGRAM
// names another atelo to compare with.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

std::string Beside(const char* name) {
  char self[4096];
  const ssize_t n = ::readlink("/proc/self/exe", self, sizeof self - 1);
  std::string path(self, n > 0 ? static_cast<std::size_t>(n) : 0);
  return path.substr(0, path.rfind('/') + 1) + name;
}

std::string Atelo() {
  const char* other = std::getenv("ATELO_BENCH_PROGRAM");
  return other && *other ? other : Beside("atelo");
}

// A private home with the defaults of a batch run, a link directory, and a
// script that notes when the window takes its first command.
class Home {
 public:
  Home() {
    char pattern[] = "/tmp/atelo-app-bench-XXXXXX";
    _dir = ::mkdtemp(pattern);
    std::filesystem::create_directories(_dir + "/out");
    std::ofstream(_dir + "/.virda_atelo.env")
        << "DEF_PATH=" << _dir << "/out\nDEF_NAME=frame\nDEF_TYPE=tif\nDEF_AUTOSAVE=NO\n";
    std::ofstream(_dir + "/script") << "log ready\ntrigger exitItem\n";
  }
  ~Home() {
    std::error_code ignored;
    std::filesystem::remove_all(_dir, ignored);
  }
  std::string File(const std::string& name) const { return _dir + "/" + name; }
  const std::string& Path() const { return _dir; }

 private:
  std::string _dir;
};

// Starts a program with the environment changed as given ("NAME=value", or
// "NAME=" to remove it) and its output thrown away.
pid_t Spawn(const std::vector<std::string>& args, const std::vector<std::string>& changes) {
  std::vector<std::string> env;
  for (char** e = environ; *e; ++e) {
    const std::string entry = *e;
    bool changed = false;
    for (const std::string& c : changes)
      changed = changed || entry.compare(0, c.find('=') + 1, c, 0, c.find('=') + 1) == 0;
    if (!changed) env.push_back(entry);
  }
  for (const std::string& c : changes)
    if (c.back() != '=') env.push_back(c);
  std::vector<char*> argv, envp;
  for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  for (const std::string& e : env) envp.push_back(const_cast<char*>(e.c_str()));
  argv.push_back(nullptr);
  envp.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
  pid_t pid = 0;
  if (::posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), envp.data()) != 0) pid = -1;
  posix_spawn_file_actions_destroy(&actions);
  return pid;
}

bool Exists(const std::string& path) {
  struct stat info;
  return ::stat(path.c_str(), &info) == 0;
}

bool FileHas(const std::string& path, const std::string& text) {
  std::ifstream in(path);
  std::stringstream all;
  all << in.rdbuf();
  return all.str().find(text) != std::string::npos;
}

// Waits (polling every 200 microseconds) until `ready` holds or `pid` ends;
// the seconds taken, or a negative value when it ended first.
template <typename Ready>
double Until(pid_t pid, Clock::time_point start, const Ready& ready) {
  for (;;) {
    if (ready()) return std::chrono::duration<double>(Clock::now() - start).count();
    int status;
    if (::waitpid(pid, &status, WNOHANG) == pid) return -1;
    std::this_thread::sleep_for(std::chrono::microseconds(200));
  }
}

// Processor time of an ended child in milliseconds: on a busy machine the
// wall-clock time above it is waiting for a core.
double CpuMs(const rusage& usage) {
  return (usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1e3 +
         (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e3;
}

long StatusKb(pid_t pid, const char* field) {
  std::ifstream in("/proc/" + std::to_string(pid) + "/status");
  for (std::string line; std::getline(in, line);)
    if (line.rfind(field, 0) == 0) return std::atol(line.c_str() + std::strlen(field) + 1);
  return 0;
}

std::vector<std::string> Environment(const Home& home) {
  return {"HOME=" + home.Path(), "PWD=" + home.Path(), "LNK_DIR=" + home.File("lnk"),
          "XDG_RUNTIME_DIR=",    "ATELO_TRACE=",       "ATELO_SCRIPT=",
          "ATELO_SCRIPT_LOG="};
}

void BM_Usage(benchmark::State& state) {
  const std::string program = Atelo();
  double cpu = 0;
  for (auto _ : state) {
    const auto start = Clock::now();
    const pid_t pid = Spawn({program, "-h"}, {});
    int status;
    rusage usage{};
    ::wait4(pid, &status, 0, &usage);
    state.SetIterationTime(std::chrono::duration<double>(Clock::now() - start).count());
    cpu += CpuMs(usage);
  }
  state.counters["cpu_ms"] = cpu / state.iterations();
}

void BM_StartToWindow(benchmark::State& state) {
  Home home;
  std::vector<std::string> env = Environment(home);
  env.push_back("QT_QPA_PLATFORM=offscreen");
  env.push_back("ATELO_SCRIPT=" + home.File("script"));
  env.push_back("ATELO_SCRIPT_LOG=" + home.File("log"));
  double cpu = 0;
  for (auto _ : state) {
    ::unlink(home.File("log").c_str());
    const auto start = Clock::now();
    const pid_t pid = Spawn({Atelo()}, env);
    const double seconds =
        Until(pid, start, [&] { return FileHas(home.File("log"), "atelo-script: ready"); });
    int status;
    rusage usage{};
    ::wait4(pid, &status, 0, &usage);
    if (seconds < 0) state.SkipWithError("the window never took its first command");
    state.SetIterationTime(std::max(seconds, 0.0));
    cpu += CpuMs(usage);
  }
  state.counters["cpu_ms_with_exit"] = cpu / state.iterations();
}

void BM_StartToLinkEntry(benchmark::State& state) {
  Home home;
  const std::vector<std::string> env = Environment(home);
  int round = 0;
  double cpu = 0;
  for (auto _ : state) {
    const std::string id = "BENCH" + std::to_string(round++);
    const auto start = Clock::now();
    const pid_t pid = Spawn({Atelo(), "-b", "-id", id}, env);
    const double seconds = Until(pid, start, [&] { return Exists(home.File("lnk/" + id)); });
    ::kill(pid, SIGTERM);
    int status;
    rusage usage{};
    ::wait4(pid, &status, 0, &usage);
    if (seconds < 0) state.SkipWithError("the batch run never came on the link");
    state.SetIterationTime(std::max(seconds, 0.0));
    cpu += CpuMs(usage);
  }
  state.counters["cpu_ms_with_exit"] = cpu / state.iterations();
}

void BM_BatchFrameMemory(benchmark::State& state) {
  Home home;
  const std::vector<std::string> env = Environment(home);
  int round = 0;
  for (auto _ : state) {
    const std::string id = "FRAME" + std::to_string(round++);
    const auto start = Clock::now();
    const pid_t pid = Spawn({Atelo(), "-b", "-id", id}, env);
    if (Until(pid, start, [&] { return Exists(home.File("lnk/" + id)); }) < 0) {
      state.SkipWithError("the batch run never came on the link");
      break;
    }
    const long before = StatusKb(pid, "VmRSS:");
    const pid_t renderer = Spawn({Beside("atelo-render"), "-id", id, "--frames", "1", "--size",
                                  "3840x2160", "--delay", "0", "--quiet"},
                                 env);
    // The batch run ends with the renderer's END_DISP; the last sample of
    // its memory is taken just before.
    long after = before;
    rusage usage{};
    int status = 0;
    // The image service (a child of the workbench, saving the frame) is
    // sampled too: its memory is the price of keeping the libraries out.
    long service = 0;
    while (::wait4(pid, &status, WNOHANG, &usage) == 0) {
      if (const long rss = StatusKb(pid, "VmRSS:")) after = rss;
      std::ifstream children("/proc/" + std::to_string(pid) + "/task/" + std::to_string(pid) +
                             "/children");
      for (pid_t child; children >> child;) service = std::max(service, StatusKb(child, "VmHWM:"));
      std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    ::waitpid(renderer, nullptr, 0);
    state.SetIterationTime(std::chrono::duration<double>(Clock::now() - start).count());
    state.counters["rss_before_MB"] = before / 1024.0;
    state.counters["rss_after_MB"] = after / 1024.0;
    state.counters["peak_MB"] = usage.ru_maxrss / 1024.0;
    state.counters["service_peak_MB"] = service / 1024.0;
  }
}

BENCHMARK(BM_Usage)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(20);
BENCHMARK(BM_StartToWindow)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(10);
BENCHMARK(BM_StartToLinkEntry)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(10);
BENCHMARK(BM_BatchFrameMemory)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(2);

}  // namespace

BENCHMARK_MAIN();
