#pragma once

#include <cstddef>

// The process-wide text of the last error: a failing operation writes it and
// its caller shows it (the document's DisplayError).
inline constexpr std::size_t KEP_ERRMSG_SIZE = 257;
extern char errmsg[KEP_ERRMSG_SIZE];

// printf-style write into a caller's error buffer of KEP_ERRMSG_SIZE bytes,
// cut rather than overrun.
void KEPFormatError(char* buffer, const char* format, ...) __attribute__((format(printf, 2, 3)));
