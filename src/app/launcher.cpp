// The `atelo` command. It answers "-h" (and a command line it cannot read)
// itself and otherwise becomes the workbench, atelo-workbench beside it, by
// exec: the usage text then costs no toolkit libraries, and the workbench
// keeps the process, its id and its arguments.
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "app/KEPAteloCommandLine.h"

namespace {

std::string ProgramDirectory(const char* argv0) {
  char self[PATH_MAX];
  ssize_t length = readlink("/proc/self/exe", self, sizeof self - 1);
  std::string path = length > 0 ? std::string(self, static_cast<std::size_t>(length)) : argv0;
  std::size_t slash = path.rfind('/');
  return slash == std::string::npos ? "." : path.substr(0, slash);
}

}  // namespace

int main(int argc, char** argv) {
  KEPAteloCommandLine line;
  const char* pwd = std::getenv("PWD");
  if (ParseCommandLine(argc, argv, pwd ? pwd : "", line) != 0) {
    std::fputs(UsageText(argv[0]).c_str(), stdout);
    return 0;
  }
  const std::string workbench = ProgramDirectory(argv[0]) + "/atelo-workbench";
  execv(workbench.c_str(), argv);
  std::fprintf(stderr, "%s: cannot start the workbench '%s': %s. Reinstall atelo.\n", argv[0],
               workbench.c_str(), std::strerror(errno));
  return 1;
}
