#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "platform/KEPTrace.h"
#include "platform/link/lnk.h"

namespace {

bool IsExecutableFile(const std::string& path) {
  struct stat info;
  return stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) && access(path.c_str(), X_OK) == 0;
}

// The path execv needs, found here rather than in the child: after fork only
// async-signal-safe calls are allowed, and a PATH search allocates.
std::string ResolveProgram(const char* program) {
  if (std::strchr(program, '/')) return IsExecutableFile(program) ? program : "";
  const char* path = std::getenv("PATH");
  std::string directories = path && *path ? path : "/usr/local/bin:/usr/bin:/bin";
  std::size_t start = 0;
  while (start <= directories.size()) {
    std::size_t end = directories.find(':', start);
    if (end == std::string::npos) end = directories.size();
    std::string directory = directories.substr(start, end - start);
    std::string candidate = (directory.empty() ? "." : directory) + "/" + program;
    if (IsExecutableFile(candidate)) return candidate;
    start = end + 1;
  }
  return "";
}

bool IsLocalHost(const char* host) {
  if (!host || !*host || std::strcmp(host, "$LOCAL") == 0 || std::strcmp(host, "localhost") == 0)
    return true;
  char name[256] = {0};
  return gethostname(name, sizeof name - 1) == 0 && std::strcmp(name, host) == 0;
}

// In the child, between fork and exec (async-signal-safe calls only): its
// own process group, so that a time-out kills everything the program
// started; stdin from /dev/null. An exec failure sends errno through the
// pipe, which exec closes on success.
[[noreturn]] void ExecChild(const char* path, char* const* argv, int errorPipe) {
  setpgid(0, 0);
  // The workbench ignores the terminal's signals; the program must not
  // inherit that, nor a mask of the thread that forked.
  struct sigaction standard = {};
  standard.sa_handler = SIG_DFL;
  for (int signal : {SIGHUP, SIGINT, SIGQUIT, SIGPIPE, SIGTERM})
    sigaction(signal, &standard, nullptr);
  sigset_t none;
  sigemptyset(&none);
  sigprocmask(SIG_SETMASK, &none, nullptr);
  int null = open("/dev/null", O_RDONLY);
  if (null >= 0) {
    dup2(null, STDIN_FILENO);
    if (null != STDIN_FILENO) close(null);
  }
  execv(path, argv);
  int error = errno;
  ssize_t written = write(errorPipe, &error, sizeof error);
  (void)written;
  _exit(127);
}

// errno of a failed exec, 0 once the program runs.
int ReadExecError(int errorPipe) {
  int error = 0;
  ssize_t got;
  do {
    got = read(errorPipe, &error, sizeof error);
  } while (got < 0 && errno == EINTR);
  close(errorPipe);
  return got == static_cast<ssize_t>(sizeof error) ? error : 0;
}

int StatusCode(int status) {
  if (WIFEXITED(status)) return WEXITSTATUS(status);
  if (WIFSIGNALED(status)) return 128 + WTERMSIG(status);
  return 255;
}

pid_t WaitNoHang(pid_t child, int& status) {
  pid_t done;
  do {
    done = waitpid(child, &status, WNOHANG);
  } while (done < 0 && errno == EINTR);
  return done;
}

}  // namespace

int lnkexe(const char* host, const char* const* argv, int timeout, int& pid) {
  pid = 0;
  if (!argv || !argv[0] || !*argv[0]) return LNKEXE_ERR_ARGUMENT;
  KEP_TRACE(6, "(lnkexe) %s %s timeout %d", host ? host : "$LOCAL", argv[0], timeout);
  if (!IsLocalHost(host)) return LNKEXE_ERR_HOST;
  const std::string path = ResolveProgram(argv[0]);
  if (path.empty()) return LNKEXE_ERR_NOT_FOUND;

  // execv wants non-const strings; copies keep the caller's untouched.
  std::vector<std::string> copies;
  for (const char* const* arg = argv; *arg; ++arg) copies.emplace_back(*arg);
  std::vector<char*> args;
  for (std::string& copy : copies) args.push_back(copy.data());
  args.push_back(nullptr);

  int pipeEnds[2];
  if (pipe2(pipeEnds, O_CLOEXEC) != 0) return LNKEXE_ERR_START;
  const bool detached = timeout <= 0;
  // A program not waited for is handed to init by a short-lived middle
  // process, so that it leaves no zombie behind; the middle reports the
  // program's id on a pipe of its own.
  int idEnds[2] = {-1, -1};
  if (detached && pipe2(idEnds, O_CLOEXEC) != 0) {
    close(pipeEnds[0]);
    close(pipeEnds[1]);
    return LNKEXE_ERR_START;
  }
  auto closeAll = [&] {
    for (int fd : {pipeEnds[0], pipeEnds[1], idEnds[0], idEnds[1]})
      if (fd >= 0) close(fd);
  };
  pid_t child = fork();
  if (child < 0) {
    closeAll();
    return LNKEXE_ERR_START;
  }
  if (child == 0) {
    close(pipeEnds[0]);
    if (detached) {
      close(idEnds[0]);
      setsid();
      pid_t grandchild = fork();
      if (grandchild != 0) {
        ssize_t written = write(idEnds[1], &grandchild, sizeof grandchild);
        (void)written;
        _exit(0);
      }
    }
    ExecChild(path.c_str(), args.data(), pipeEnds[1]);
  }
  close(pipeEnds[1]);
  pipeEnds[1] = -1;

  if (detached) {
    close(idEnds[1]);
    pid_t grandchild = -1;
    ssize_t got;
    do {
      got = read(idEnds[0], &grandchild, sizeof grandchild);
    } while (got < 0 && errno == EINTR);
    close(idEnds[0]);
    int status = 0;
    while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    if (got != static_cast<ssize_t>(sizeof grandchild) || grandchild <= 0) {
      close(pipeEnds[0]);
      return LNKEXE_ERR_START;
    }
    int error = ReadExecError(pipeEnds[0]);
    if (error) return error == ENOENT || error == EACCES ? LNKEXE_ERR_NOT_FOUND : LNKEXE_ERR_START;
    pid = grandchild;
    return LNKEXE_STARTED;
  }

  // Both sides set the group, whichever runs first.
  setpgid(child, child);
  int error = ReadExecError(pipeEnds[0]);
  int status = 0;
  if (error) {
    while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    return error == ENOENT || error == EACCES ? LNKEXE_ERR_NOT_FOUND : LNKEXE_ERR_START;
  }
  pid = child;

  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(timeout);
  auto pause = std::chrono::milliseconds(1);
  while (true) {
    pid_t done = WaitNoHang(child, status);
    if (done == child) return StatusCode(status);
    if (done < 0) return LNKEXE_ERR_START;
    if (std::chrono::steady_clock::now() >= deadline) break;
    std::this_thread::sleep_for(pause);
    // Quick programs are seen at once; long ones are not polled busily.
    if (pause < std::chrono::milliseconds(20)) pause *= 2;
  }
  KEP_TRACE(4, "(lnkexe) %s still running after %d s: killed", argv[0], timeout);
  kill(-child, SIGKILL);
  kill(child, SIGKILL);
  while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
  }
  return LNKEXE_ERR_TIMEOUT;
}
