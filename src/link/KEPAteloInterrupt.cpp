#include "link/KEPAteloInterrupt.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>

#include "link/KEPAteloBridge.h"

std::string KEPAteloInterruptPath() {
  const char* home = std::getenv("HOME");
  if (!home || !*home) {
    std::fputs("VIRDA Visualization Atelo : Can not get home directory\n", stdout);
    std::fflush(stdout);
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
    std::fputs("VIRDA Visualization Atelo : not enough memory to interrupt\n", stdout);
    std::fflush(stdout);
    return -1;
  }
  // O_TRUNC on an existing file renews its time, which tells a renderer that
  // started after the previous interrupt that this one is new.
  int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd < 0) {
    std::fputs("VIRDA Visualization Atelo : Can't interrupt Rendering process\n", stdout);
    std::fflush(stdout);
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
