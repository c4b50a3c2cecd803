#include "support/TempDir.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

TempDir::TempDir() {
  std::string pattern = (std::filesystem::temp_directory_path() / "atelo-test-XXXXXX").string();
  char* made = mkdtemp(pattern.data());
  _path = made ? made : pattern;
}

TempDir::~TempDir() {
  std::error_code ignored;
  std::filesystem::permissions(_path, std::filesystem::perms::owner_all,
                               std::filesystem::perm_options::add, ignored);
  std::filesystem::remove_all(_path, ignored);
}

std::string TempDir::File(const std::string& name) const {
  return _path + "/" + name;
}

ScopedHome::ScopedHome(const std::string& directory) {
  const char* home = std::getenv("HOME");
  const char* pwd = std::getenv("PWD");
  _hadHome = home != nullptr;
  _hadPwd = pwd != nullptr;
  if (home) _oldHome = home;
  if (pwd) _oldPwd = pwd;
  setenv("HOME", directory.c_str(), 1);
  setenv("PWD", directory.c_str(), 1);
}

ScopedHome::~ScopedHome() {
  if (_hadHome)
    setenv("HOME", _oldHome.c_str(), 1);
  else
    unsetenv("HOME");
  if (_hadPwd)
    setenv("PWD", _oldPwd.c_str(), 1);
  else
    unsetenv("PWD");
}

std::string ReadWholeFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream out;
  out << in.rdbuf();
  return out.str();
}

void WriteWholeFile(const std::string& path, const std::string& contents) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << contents;
}
