#include "support/AteloProcess.h"

#include <cstdlib>
#include <fstream>
#include <sstream>

#include "support/TempDir.h"

AteloProcess::AteloProcess(const std::string& home)
    : _home(home), _env(QProcessEnvironment::systemEnvironment()) {
  _env.insert("HOME", QString::fromStdString(home));
  _env.insert("PWD", QString::fromStdString(home));
  _env.insert("LNK_DIR", QString::fromStdString(home + "/lnk"));
  _env.insert("QT_QPA_PLATFORM", "offscreen");
  _env.insert("ATELO_SCRIPT_LOG", QString::fromStdString(home + "/script.log"));
  _env.remove("XDG_RUNTIME_DIR");
  _process.setWorkingDirectory(QString::fromStdString(home));
}

std::string AteloProcess::Program(const char* name) {
  const char* binary = std::getenv("ATELO_BINARY_DIR");
  return std::string(binary ? binary : ".") + "/bin/" + name;
}

bool AteloProcess::Start(const std::vector<std::string>& args,
                         const std::vector<std::string>& script) {
  std::remove((_home + "/script.log").c_str());
  if (!script.empty()) {
    std::ofstream out(_home + "/script.atelo");
    for (const std::string& line : script) out << line << "\n";
    _env.insert("ATELO_SCRIPT", QString::fromStdString(_home + "/script.atelo"));
  } else {
    _env.remove("ATELO_SCRIPT");
  }
  QStringList arguments;
  for (const std::string& arg : args) arguments << QString::fromStdString(arg);
  _process.setProcessEnvironment(_env);
  _process.start(QString::fromStdString(Program("atelo")), arguments);
  return _process.waitForStarted(10000);
}

bool AteloProcess::WaitForEnd(int milliseconds) {
  bool ended = _process.waitForFinished(milliseconds);
  if (!ended) {
    _process.kill();
    _process.waitForFinished(5000);
  }
  _crashed = _process.exitStatus() == QProcess::CrashExit;
  _exitCode = _process.exitCode();
  _out += _process.readAllStandardOutput().toStdString();
  _err += _process.readAllStandardError().toStdString();
  return ended;
}

bool AteloProcess::Run(const std::vector<std::string>& args, const std::vector<std::string>& script,
                       int milliseconds) {
  return Start(args, script) && WaitForEnd(milliseconds);
}

std::string AteloProcess::Log() const {
  std::ifstream in(_home + "/script.log");
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

std::vector<std::string> AteloProcess::LogLines(const std::string& prefix) const {
  std::vector<std::string> lines;
  std::istringstream in(Log());
  const std::string start = "atelo-script: " + prefix;
  for (std::string line; std::getline(in, line);)
    if (line.compare(0, start.size(), start) == 0) lines.push_back(line);
  return lines;
}
