#include "platform/link/KEPLinkDirectory.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>

std::string KEPLinkDirectory::Resolve() {
  const char* lnkDir = std::getenv("LNK_DIR");
  if (lnkDir && *lnkDir) return lnkDir;
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  if (runtime && *runtime) return std::string(runtime) + "/lnk";
  return "/tmp/lnk-" + std::to_string(static_cast<unsigned long>(getuid()));
}

int KEPLinkDirectory::Prepare(const std::string& directory) {
  if (directory.empty()) return CANNOT_CREATE;
  if (mkdir(directory.c_str(), 0700) != 0 && errno != EEXIST) return CANNOT_CREATE;
  // lstat: a symbolic link planted in /tmp must not lead us elsewhere.
  struct stat info;
  if (lstat(directory.c_str(), &info) != 0 || !S_ISDIR(info.st_mode)) return CANNOT_CREATE;
  if (info.st_uid != getuid()) return OTHER_OWNER;
  if (info.st_mode & (S_IWGRP | S_IWOTH)) return OTHERS_CAN_WRITE;
  return READY;
}

std::string KEPLinkDirectory::PadName(const char* name) {
  std::string padded;
  if (name) padded.assign(name, strnlen(name, 8));
  padded.resize(8, ' ');
  return padded;
}

std::string KEPLinkDirectory::TrimName(const std::string& name) {
  std::size_t end = name.find_last_not_of(' ');
  return end == std::string::npos ? std::string() : name.substr(0, end + 1);
}

bool KEPLinkDirectory::IsUsableName(const std::string& paddedName) {
  std::string trimmed = TrimName(paddedName);
  if (trimmed.empty() || trimmed[0] == '.') return false;
  for (unsigned char c : trimmed) {
    if (c == '/' || !std::isprint(c)) return false;
  }
  return true;
}

std::string KEPLinkDirectory::EntryPath(const std::string& directory,
                                        const std::string& paddedName) {
  return directory + "/" + TrimName(paddedName);
}

std::string KEPLinkDirectory::DefaultEndpoint(const std::string& directory,
                                              const std::string& paddedName) {
  return "ipc://" + directory + "/" + TrimName(paddedName) + ".sock";
}

int KEPLinkDirectory::WriteEntry(const std::string& directory, const std::string& paddedName,
                                 const std::string& endpoint, pid_t pid) {
  std::string final = EntryPath(directory, paddedName);
  std::string temporary =
      directory + "/." + TrimName(paddedName) + "." + std::to_string(getpid()) + ".tmp";
  int fd = open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
  if (fd < 0) return -1;
  std::string text = endpoint + "\n" + std::to_string(static_cast<long>(pid)) + "\n";
  bool written = write(fd, text.data(), text.size()) == static_cast<ssize_t>(text.size());
  written = close(fd) == 0 && written;
  if (!written || rename(temporary.c_str(), final.c_str()) != 0) {
    unlink(temporary.c_str());
    return -1;
  }
  return 0;
}

int KEPLinkDirectory::ReadEntry(const std::string& directory, const std::string& paddedName,
                                std::string& endpoint, pid_t& pid) {
  std::string path = EntryPath(directory, paddedName);
  struct stat info;
  if (stat(path.c_str(), &info) != 0) return errno == ENOENT ? -1 : -2;
  std::ifstream in(path);
  if (!in) return -2;
  std::string pidLine;
  if (!std::getline(in, endpoint) || !std::getline(in, pidLine) || endpoint.empty()) return -2;
  char* end = nullptr;
  long value = std::strtol(pidLine.c_str(), &end, 10);
  if (end == pidLine.c_str() || *end != '\0' || value <= 0) return -2;
  pid = static_cast<pid_t>(value);
  return 0;
}

void KEPLinkDirectory::RemoveEntry(const std::string& directory, const std::string& paddedName) {
  unlink(EntryPath(directory, paddedName).c_str());
}

bool KEPLinkDirectory::IsAlive(pid_t pid) {
  if (pid <= 0) return false;
  return kill(pid, 0) == 0 || errno == EPERM;
}
