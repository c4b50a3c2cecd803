#pragma once

#include <string>

// The diagnostic trace "AteloTrace". It writes to standard error and is
// silent unless ATELO_TRACE names a level: a line is written when its level
// is at most that value (2 construction and destruction, 4 user actions,
// 6 details).
class KEPTrace {
 public:
  static KEPTrace& Instance();

  const std::string& GetName() const { return _name; }
  int GetLevel() const { return _level; }
  void SetLevel(int level) { _level = level; }
  bool IsOn(int level) const { return level <= _level; }

  void Write(int level, const char* format, ...) __attribute__((format(printf, 3, 4)));

 private:
  KEPTrace();
  std::string _name;
  int _level;
};

#define KEP_TRACE(level, ...)                                                             \
  do {                                                                                    \
    if (KEPTrace::Instance().IsOn(level)) KEPTrace::Instance().Write(level, __VA_ARGS__); \
  } while (0)
