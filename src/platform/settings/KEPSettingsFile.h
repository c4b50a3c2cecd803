#pragma once

#include <cstddef>
#include <string>
#include <vector>

// Settings-file services.
//
// The settings file is plain text a person can read and edit: one KEY=value
// per line, the value taken verbatim to the end of the line (it may hold
// blanks and "="). Lines starting with "#" and keys nobody knows are kept as
// they are when a key is written. When a key stands on several lines, the
// first one is read and replaced and the others are kept as they are.

// Only regular files are read, up to a size bound (16 MB for the settings
// file, 64 MB for lists): a FIFO, a device or a huge file put in their place
// is refused without blocking or reading on for ever.

// Names the settings file used by litfic and ecritfic. 0 = success; 2 when
// the file exists but is refused (not a regular file, or too large), which
// is then said on standard error.
int initfic(const char* path);
// Reads the value of `key` into `buffer` (size bytes, always terminated).
// 0 = found; non-zero when the key is absent or the file unreadable, the
// buffer then untouched.
int litfic(const char* key, char* buffer, std::size_t size);
// Writes or replaces `key` at once; the file is rewritten atomically
// (temporary file in the same directory, then rename) and created when
// missing. 0 = success.
int ecritfic(const char* key, const char* value);

// What a file that is not a regular one is, for messages: "a FIFO", "a
// directory", "a character device"...; `mode` is a stat's st_mode.
const char* FileKindText(unsigned mode);

// Extension of a file name, without the dot; "" when it has none. Only the
// last name of the path counts, and a leading dot (".hidden") starts no
// extension.
std::string litextension(const char* name);
// Splits a file name into directory (with its trailing "/", or ""), base
// name, trailing number, suffix and extension (without the dot, "" when
// none), so that an incremented name can be rebuilt with
// "%s%s_%d%s.%s". The number is the last "_<digits>" group (at most 9
// digits) of the name without extension after which no digit follows; the
// suffix is what follows it: "shot_3_left.rgb" gives "shot", 3, "_left",
// "rgb". Without such a group the number is 0, the suffix "" and the base the
// whole name without extension. Non-zero when the name holds no file name.
int litelements(const char* name, std::string& directory, std::string& base, int& number,
                std::string& suffix, std::string& extension);

// Lines of a text file, in order, without their line ends ("\n" or "\r\n");
// -1 / empty when the file cannot be read, errmsg then saying why. A line
// longer than 64 KiB is cut there.
int litnbchaines(const char* file);
std::vector<std::string> litchaines(const char* file);
// Image file names of a series file: the lines that are neither empty nor
// begin with "#".
int litnbimages(const char* file);
std::vector<std::string> litimages(const char* file);
// Both at once: the number of lines, or -1 (errmsg says why).
int litimages(const char* file, std::vector<std::string>& lines);
