#pragma once

#include <string>

// A fresh directory under the system's temporary directory, removed with
// everything in it when the object goes.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::string& Path() const { return _path; }
  // Path + "/" + name.
  std::string File(const std::string& name) const;

 private:
  std::string _path;
};

// Points HOME (and PWD) at a directory for the life of the object and
// restores them afterwards.
class ScopedHome {
 public:
  explicit ScopedHome(const std::string& directory);
  ~ScopedHome();

 private:
  std::string _oldHome, _oldPwd;
  bool _hadHome, _hadPwd;
};

std::string ReadWholeFile(const std::string& path);
void WriteWholeFile(const std::string& path, const std::string& contents);
