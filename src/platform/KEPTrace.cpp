#include "platform/KEPTrace.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>

KEPTrace& KEPTrace::Instance() {
  static KEPTrace trace;
  return trace;
}

KEPTrace::KEPTrace() : _name("AteloTrace"), _level(0) {
  if (const char* value = std::getenv("ATELO_TRACE")) _level = std::atoi(value);
}

void KEPTrace::Write(int level, const char* format, ...) {
  if (!IsOn(level)) return;
  // One line at most 1024 bytes, written in one call so that lines of
  // different sources never interleave.
  char line[1024];
  va_list args;
  va_start(args, format);
  int n = std::vsnprintf(line, sizeof line - 1, format, args);
  va_end(args);
  if (n < 0) return;
  std::size_t len = static_cast<std::size_t>(n) < sizeof line - 1 ? n : sizeof line - 2;
  if (len == 0 || line[len - 1] != '\n') line[len++] = '\n';
  std::fwrite(line, 1, len, stderr);
}
