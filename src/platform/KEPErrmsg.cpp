#include "platform/KEPErrmsg.h"

#include <cstdarg>
#include <cstdio>

char errmsg[KEP_ERRMSG_SIZE] = {0};

void KEPFormatError(char* buffer, const char* format, ...) {
  va_list args;
  va_start(args, format);
  std::vsnprintf(buffer, KEP_ERRMSG_SIZE, format, args);
  va_end(args);
}
