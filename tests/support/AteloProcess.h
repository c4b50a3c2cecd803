#pragma once

#include <QProcess>
#include <QProcessEnvironment>
#include <string>
#include <vector>

// The real `atelo` program run as a user runs it, offscreen, with its own
// HOME and link directory, driven by a script (see KEPScript): what it
// printed, how it ended, and the script's log.
class AteloProcess {
 public:
  // `home` becomes HOME (and PWD); the link directory is home/lnk.
  explicit AteloProcess(const std::string& home);

  // Path of a program built beside the tests (bin/<name>).
  static std::string Program(const char* name);

  QProcessEnvironment& Environment() { return _env; }

  // Starts atelo with the arguments and the script lines; false when it
  // could not start.
  bool Start(const std::vector<std::string>& args, const std::vector<std::string>& script = {});
  // Waits for the end; false on time-out, the process then being killed.
  bool WaitForEnd(int milliseconds = 30000);
  // Starts, waits; false when it did not end in time.
  bool Run(const std::vector<std::string>& args, const std::vector<std::string>& script,
           int milliseconds = 30000);

  bool Crashed() const { return _crashed; }
  int ExitCode() const { return _exitCode; }
  const std::string& Out() const { return _out; }
  const std::string& Err() const { return _err; }
  // The script's log (ask, filebox, run and error lines).
  std::string Log() const;
  // Lines of the log that start with "atelo-script: <prefix>".
  std::vector<std::string> LogLines(const std::string& prefix) const;
  QProcess& Process() { return _process; }

 private:
  std::string _home;
  QProcessEnvironment _env;
  QProcess _process;
  bool _crashed = false;
  int _exitCode = -1;
  std::string _out, _err;
};
