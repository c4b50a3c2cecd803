#include "link/KEPAteloInterrupt.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>

#include "link/KEPAteloBridge.h"

namespace {
// Flushed at once: the terminal shows it even if the workbench then dies.
void Say(const char* line) {
  std::fputs(line, stdout);
  std::fflush(stdout);
}
}  // namespace

std::string KEPAteloInterruptPath() {
  const char* home = std::getenv("HOME");
  if (!home || !*home) {
    Say("VIRDA Visualization Atelo : Can not get home directory\n");
    home = "/tmp";
  }
  try {
    return std::string(home) + "/.virda_atelo.int";
  } catch (const std::bad_alloc&) {
    return {};
  }
}

int KEPAteloCreateInterruptFile() {
  std::string path = KEPAteloInterruptPath();
  if (path.empty()) {
    Say("VIRDA Visualization Atelo : not enough memory to interrupt\n");
    return -1;
  }
  // O_TRUNC on an existing file renews its time, which tells a renderer that
  // started after the previous interrupt that this one is new.
  int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd < 0) {
    Say("VIRDA Visualization Atelo : Can't interrupt Rendering process\n");
    return -1;
  }
  close(fd);
  return 0;
}

int KEPAteloInterruptRendering() {
  if (KEPAteloCreateInterruptFile() != 0) return -1;
  const char* text = "KEP 0.0 Int  : Interrupt performed \n";
  MessageRender(static_cast<int>(std::strlen(text)), text);
  return 0;
}
