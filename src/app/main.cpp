#include <QApplication>
#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "app/KEPAteloApplication.h"
#include "platform/KEPScript.h"

namespace {

std::string WorkingDirectory() {
  if (const char* pwd = std::getenv("PWD")) return pwd;
  std::error_code error;
  return std::filesystem::current_path(error).string();
}

bool HasDisplay() {
  return std::getenv("DISPLAY") || std::getenv("WAYLAND_DISPLAY") || std::getenv("QT_QPA_PLATFORM");
}

}  // namespace

int main(int argc, char** argv) {
  KEPAteloCommandLine line;
  if (ParseCommandLine(argc, argv, WorkingDirectory(), line) != 0) {
    std::fputs(UsageText(argv[0]).c_str(), stdout);
    return 0;
  }
  if (!HasDisplay()) {
    if (!line.IsBatch()) {
      std::fprintf(stderr,
                   "%s: no display (DISPLAY is not set). Start it from a desktop session, "
                   "or use -b for a batch run.\n",
                   argv[0]);
      return 1;
    }
    // A batch run shows no window, so it needs no display server.
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
  }

  QApplication toolkit(argc, argv);
  KEPScript* script = KEPScript::LoadFromEnvironment();
  KEPAteloApplication application;
  if (int status = application.BeginApplication(line); status != 0) {
    application.EndApplication();
    return status;
  }
  if (script) script->Start();
  int status = toolkit.exec();
  application.EndApplication();
  return status;
}
