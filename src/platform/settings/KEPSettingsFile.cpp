#include "platform/settings/KEPSettingsFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string_view>

#include "platform/KEPErrmsg.h"
#include "platform/KEPTrace.h"

namespace {

// The file named by initfic. One settings file per process: every reader
// and writer of defaults goes through the same name.
std::string& SettingsPath() {
  static std::string path;
  return path;
}

struct FileCloser {
  void operator()(std::FILE* f) const {
    if (f) std::fclose(f);
  }
};
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;

// How much of a line is held in memory at once. A line longer than this is
// still copied through whole when the file is rewritten; only the part that
// decides whether it holds a key, and a value read back, are bounded, so a
// stray multi-megabyte line costs no memory.
constexpr std::size_t kHeadSlack = 4096;
// Lines of text-list files (series, print commands) longer than this are cut:
// no file name or command is that long, and a binary file given by mistake
// must not be read into memory whole.
constexpr std::size_t kListLineLimit = 64 * 1024;
// The largest files read. The defaults are a few dozen short keys; 16 MB
// still takes a hand-edited file with a pasted blob in it, and costs well
// under a second although the file is read again for every key. A list of
// 64 MB holds hundreds of thousands of names.
constexpr std::uint64_t kSettingsFileLimit = std::uint64_t{16} << 20;
constexpr std::uint64_t kListFileLimit = std::uint64_t{64} << 20;

// A file opened for reading, read at most `left` bytes further: a file that
// grows while it is read still ends.
struct Source {
  FilePtr file;
  std::uint64_t left = 0;
  int Get() {
    if (left == 0) return EOF;
    int c = getc_unlocked(file.get());
    if (c != EOF) --left;
    return c;
  }
};

// Opens `path` for reading when it is a regular file of at most `limit`
// bytes. Otherwise false, with `why` saying what was refused ("is a FIFO",
// "is larger than ...", or the system's error) and `missing` set when there
// is no such file. Never waits: a FIFO is opened without a writer and then
// refused, and devices are refused before a byte is read.
bool OpenRegular(const std::string& path, std::uint64_t limit, Source& source, std::string& why,
                 bool& missing) {
  missing = false;
  int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  if (fd < 0) {
    missing = errno == ENOENT;
    why = std::strerror(errno);
    return false;
  }
  struct stat info;
  if (fstat(fd, &info) != 0) {
    why = std::strerror(errno);
  } else if (!S_ISREG(info.st_mode)) {
    why = std::string("is ") + FileKindText(info.st_mode) + ", not a regular file";
  } else if (static_cast<std::uint64_t>(info.st_size) > limit) {
    why = "is larger than " + std::to_string(limit >> 20) + " MB";
  } else {
    int flags = fcntl(fd, F_GETFL);
    if (flags >= 0) fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
    source.file.reset(fdopen(fd, "rb"));
    if (source.file) {
      source.left = limit;
      return true;
    }
    why = std::strerror(errno);
  }
  close(fd);
  return false;
}

// Reads the next line of `in` into `head`, line end included, up to `limit`
// bytes. `whole` is false when the line goes on past the limit. False at end
// of file with nothing read.
bool ReadHead(Source& in, std::string& head, std::size_t limit, bool& whole) {
  head.clear();
  whole = true;
  int c;
  while ((c = in.Get()) != EOF) {
    head.push_back(static_cast<char>(c));
    if (c == '\n') return true;
    if (head.size() >= limit) {
      whole = false;
      return true;
    }
  }
  return !head.empty();
}

// Passes the rest of a line that did not fit in its head to `out` (null:
// dropped); `last` receives the last byte copied. False when writing fails.
bool FinishLine(Source& in, std::FILE* out, int& last) {
  int c;
  while ((c = in.Get()) != EOF) {
    if (out) {
      if (putc_unlocked(c, out) == EOF) return false;
      last = c;
    }
    if (c == '\n') break;
  }
  return true;
}

bool IsBlank(char c) {
  return c == ' ' || c == '\t';
}

// A key is what may stand left of "=" on a line of its own.
bool ValidKey(const char* key) {
  if (!key || !*key) return false;
  for (const char* p = key; *p; ++p) {
    if (*p == '=' || *p == '\n' || *p == '\r' || IsBlank(*p) || *p == '#') return false;
  }
  return true;
}

// Whether `line` sets `key`; `valueStart` is then the offset just past "=".
// Blanks around the key are allowed, as a person editing the file may leave
// them; a byte-order mark that some editors put at the start of a file is
// skipped on the first line.
bool MatchKey(std::string_view line, std::string_view key, bool firstLine,
              std::size_t& valueStart) {
  std::size_t pos = 0;
  if (firstLine && line.substr(0, 3) == "\xEF\xBB\xBF") pos = 3;
  while (pos < line.size() && IsBlank(line[pos])) ++pos;
  if (line.substr(pos, key.size()) != key) return false;
  pos += key.size();
  while (pos < line.size() && IsBlank(line[pos])) ++pos;
  if (pos >= line.size() || line[pos] != '=') return false;
  valueStart = pos + 1;
  return true;
}

// A line without its line end ("\n" or "\r\n").
std::string_view WithoutLineEnd(std::string_view line) {
  if (!line.empty() && line.back() == '\n') line.remove_suffix(1);
  if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
  return line;
}

// The file actually written: a settings file that is a symbolic link (say
// into a dotfiles repository) stays a link, its target is rewritten.
std::string WriteTarget(const std::string& path) {
  struct stat st;
  if (lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode)) {
    if (char* real = realpath(path.c_str(), nullptr)) {
      std::string target = real;
      std::free(real);
      return target;
    }
  }
  return path;
}

std::string DirectoryOf(const std::string& path) {
  std::size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

// Permissions for a new settings file: what a plain creation would give.
mode_t NewFileMode() {
  mode_t mask = umask(0);
  umask(mask);
  return 0666 & ~mask;
}

int WriteFailed(const std::string& path, const std::string& temp, const char* why) {
  if (!temp.empty()) unlink(temp.c_str());
  KEPFormatError(errmsg, "Unable to write defaults file %s (%s)", path.c_str(), why);
  KEP_TRACE(2, "(ecritfic) %s", errmsg);
  return 1;
}

// Reads the lines of a text file; with `imagesOnly`, empty and comment lines
// are left out. -1 when the file cannot be read, errmsg then saying why.
int ReadLines(const char* file, bool imagesOnly, std::vector<std::string>* lines) {
  if (!file || !*file) {
    KEPFormatError(errmsg, "No file named");
    return -1;
  }
  Source in;
  std::string why;
  bool missing = false;
  if (!OpenRegular(file, kListFileLimit, in, why, missing)) {
    if (missing)
      KEPFormatError(errmsg, "File '%s' not found", file);
    else
      KEPFormatError(errmsg, "File '%s' %s: not read", file, why.c_str());
    return -1;
  }
  int count = 0;
  std::string head;
  bool whole;
  while (ReadHead(in, head, kListLineLimit, whole)) {
    int last = 0;
    if (!whole) FinishLine(in, nullptr, last);
    head.resize(WithoutLineEnd(head).size());
    if (imagesOnly) {
      if (head.find_first_not_of(" \t") == std::string::npos || head[0] == '#') continue;
    }
    if (count == INT_MAX) break;
    ++count;
    if (lines) lines->push_back(head);
  }
  if (std::ferror(in.file.get())) {
    if (lines) lines->clear();
    KEPFormatError(errmsg, "Unable to read file %s", file);
    return -1;
  }
  return count;
}

}  // namespace

int initfic(const char* path) {
  if (!path || !*path) return 1;
  SettingsPath() = path;
  KEP_TRACE(6, "(initfic) %s", path);
  Source in;
  std::string why;
  bool missing = false;
  if (OpenRegular(path, kSettingsFileLimit, in, why, missing) || missing) return 0;
  // Said once, at start-up: every later read and write of a key refuses the
  // file again, quietly.
  std::fprintf(stderr,
               "Warning: defaults file %s %s: it is neither read nor written.\n"
               "         Predefined values will be used.\n",
               path, why.c_str());
  return 2;
}

int litfic(const char* key, char* buffer, std::size_t size) {
  if (!ValidKey(key) || !buffer || size == 0 || SettingsPath().empty()) return 1;
  Source in;
  std::string why;
  bool missing = false;
  if (!OpenRegular(SettingsPath(), kSettingsFileLimit, in, why, missing)) return 1;
  std::string_view keyView(key);
  std::string head;
  bool whole, first = true;
  // The first line that sets the key wins; ecritfic replaces that same line,
  // so what is written is what is read back, and later duplicates a person
  // may have left are kept untouched.
  while (ReadHead(in, head, kHeadSlack + keyView.size() + size, whole)) {
    std::size_t valueStart;
    if (MatchKey(head, keyView, first, valueStart)) {
      std::string_view value = WithoutLineEnd(std::string_view(head).substr(valueStart));
      std::size_t n = std::min(value.size(), size - 1);
      std::memcpy(buffer, value.data(), n);
      buffer[n] = '\0';
      return 0;
    }
    first = false;
    int last = 0;
    if (!whole) FinishLine(in, nullptr, last);
  }
  return 1;
}

int ecritfic(const char* key, const char* value) {
  if (!value) value = "";
  if (!ValidKey(key) || std::strpbrk(value, "\r\n")) {
    KEPFormatError(errmsg, "Invalid defaults entry '%s'", key ? key : "");
    return 1;
  }
  if (SettingsPath().empty()) {
    KEPFormatError(errmsg, "No defaults file named");
    return 1;
  }
  const std::string path = WriteTarget(SettingsPath());

  // A file that exists but cannot be read is left alone: rewriting it from
  // nothing would lose every line it holds. So is anything but a regular
  // file: a FIFO or a device put in its place is not ours to replace.
  Source in;
  std::string why;
  bool missing = false;
  if (!OpenRegular(path, kSettingsFileLimit, in, why, missing) && !missing)
    return WriteFailed(path, "", why.c_str());
  // Nor is one its owner made read-only, though the rename could replace it.
  if (in.file && access(path.c_str(), W_OK) != 0)
    return WriteFailed(path, "", std::strerror(errno));
  struct stat st;
  mode_t mode =
      (in.file && fstat(fileno(in.file.get()), &st) == 0) ? (st.st_mode & 07777) : NewFileMode();

  // The new contents go to a temporary file next to the old one and replace
  // it by rename, which is atomic within one file system: whenever the write
  // stops, the old file or the complete new one is in place.
  std::string temp = DirectoryOf(path) + "/." + path.substr(path.rfind('/') + 1) + ".XXXXXX";
  int fd = mkstemp(temp.data());
  if (fd < 0) return WriteFailed(path, "", std::strerror(errno));
  FilePtr out(fdopen(fd, "wb"));
  if (!out) {
    close(fd);
    return WriteFailed(path, temp, std::strerror(errno));
  }
  fchmod(fd, mode);

  std::string_view keyView(key);
  const std::string line = std::string(key) + "=" + value + "\n";
  bool replaced = false, first = true, ok = true;
  int last = '\n';
  std::string head;
  bool whole;
  while (ok && in.file && ReadHead(in, head, kHeadSlack + keyView.size(), whole)) {
    std::size_t valueStart;
    if (!replaced && MatchKey(head, keyView, first, valueStart)) {
      ok = std::fwrite(line.data(), 1, line.size(), out.get()) == line.size();
      last = '\n';
      replaced = true;
      if (!whole) FinishLine(in, nullptr, last);
    } else {
      ok = std::fwrite(head.data(), 1, head.size(), out.get()) == head.size();
      last = static_cast<unsigned char>(head.back());
      if (ok && !whole) ok = FinishLine(in, out.get(), last);
    }
    first = false;
  }
  if (in.file && std::ferror(in.file.get())) return WriteFailed(path, temp, "read error");
  if (ok && !replaced) {
    if (last != '\n') ok = std::fputc('\n', out.get()) != EOF;
    if (ok) ok = std::fwrite(line.data(), 1, line.size(), out.get()) == line.size();
  }
  if (!ok || std::fflush(out.get()) != 0) return WriteFailed(path, temp, std::strerror(errno));
  if (fsync(fd) != 0) return WriteFailed(path, temp, std::strerror(errno));
  if (std::fclose(out.release()) != 0) return WriteFailed(path, temp, std::strerror(errno));
  if (std::rename(temp.c_str(), path.c_str()) != 0) {
    return WriteFailed(path, temp, std::strerror(errno));
  }
  // The rename itself reaches the disk with the directory.
  int dirFd = open(DirectoryOf(path).c_str(), O_RDONLY | O_DIRECTORY);
  if (dirFd >= 0) {
    fsync(dirFd);
    close(dirFd);
  }
  KEP_TRACE(6, "(ecritfic) %s=%s", key, value);
  return 0;
}

std::string litextension(const char* name) {
  if (!name) return "";
  std::string_view file(name);
  std::size_t slash = file.rfind('/');
  if (slash != std::string_view::npos) file.remove_prefix(slash + 1);
  std::size_t dot = file.rfind('.');
  // A leading dot marks a hidden file, not an extension.
  if (dot == std::string_view::npos || dot == 0) return "";
  return std::string(file.substr(dot + 1));
}

int litelements(const char* name, std::string& directory, std::string& base, int& number,
                std::string& suffix, std::string& extension) {
  directory.clear();
  base.clear();
  suffix.clear();
  extension.clear();
  number = 0;
  if (!name || !*name) return 1;
  std::string_view file(name);
  std::size_t slash = file.rfind('/');
  if (slash != std::string_view::npos) {
    directory = std::string(file.substr(0, slash + 1));
    file.remove_prefix(slash + 1);
  }
  if (file.empty()) return 1;
  extension = litextension(name);
  std::string_view stem = extension.empty() && file.back() != '.'
                              ? file
                              : file.substr(0, file.size() - extension.size() - 1);

  // The number is the last "_<digits>" group of the stem after which no
  // digit follows; what follows it is the suffix ("shot_3_left": "shot", 3,
  // "_left"), so that incrementing changes the number only.
  std::size_t searchEnd = stem.size();
  while (searchEnd > 0) {
    std::size_t underscore = stem.rfind('_', searchEnd - 1);
    if (underscore == std::string_view::npos) break;
    std::size_t digitsEnd = underscore + 1;
    while (digitsEnd < stem.size() && stem[digitsEnd] >= '0' && stem[digitsEnd] <= '9') {
      ++digitsEnd;
    }
    std::string_view tail = stem.substr(digitsEnd);
    bool tailHasDigit = tail.find_first_of("0123456789") != std::string_view::npos;
    if (tailHasDigit) break;
    std::size_t digits = digitsEnd - underscore - 1;
    if (digits > 0 && digits <= 9) {
      number = std::atoi(std::string(stem.substr(underscore + 1, digits)).c_str());
      base = std::string(stem.substr(0, underscore));
      suffix = std::string(tail);
      return 0;
    }
    searchEnd = underscore;
  }
  base = std::string(stem);
  return 0;
}

int litnbchaines(const char* file) {
  return ReadLines(file, false, nullptr);
}

std::vector<std::string> litchaines(const char* file) {
  std::vector<std::string> lines;
  ReadLines(file, false, &lines);
  return lines;
}

int litnbimages(const char* file) {
  return ReadLines(file, true, nullptr);
}

std::vector<std::string> litimages(const char* file) {
  std::vector<std::string> lines;
  ReadLines(file, true, &lines);
  return lines;
}

int litimages(const char* file, std::vector<std::string>& lines) {
  lines.clear();
  return ReadLines(file, true, &lines);
}

const char* FileKindText(unsigned mode) {
  if (S_ISFIFO(mode)) return "a FIFO";
  if (S_ISCHR(mode)) return "a character device";
  if (S_ISBLK(mode)) return "a block device";
  if (S_ISDIR(mode)) return "a directory";
  if (S_ISSOCK(mode)) return "a socket";
  return "not a regular file";
}
