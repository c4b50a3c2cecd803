#pragma once

#include <string>

#include "platform/KEPRawCollPV.h"

// One image file type: its extension (without the dot), a second text, a
// readable comment, and flags (bit 0 readable, bit 1 writable).
class KEPAtelImaFormat {
 public:
  enum : int { READABLE = 1, WRITABLE = 2 };

  KEPAtelImaFormat(const char* extension = nullptr, const char* second = nullptr,
                   const char* comment = nullptr, int flags = 0);
  virtual ~KEPAtelImaFormat() = default;

  void Init(const char* extension, const char* second, const char* comment, int flags);

  const std::string& GetExtension() const { return _extension; }
  const std::string& GetSecond() const { return _second; }
  const std::string& GetComment() const { return _comment; }
  int GetFlags() const { return _flags; }
  bool IsReadable() const { return _flags & READABLE; }
  bool IsWritable() const { return _flags & WRITABLE; }
  void SetExtension(const char* extension) { _extension = extension ? extension : ""; }

 private:
  std::string _extension, _second, _comment;
  int _flags = 0;
};

class KEPListPtrKEPAtelImaFormat : public KEPListPtr<KEPAtelImaFormat> {
 public:
  using KEPListPtr<KEPAtelImaFormat>::KEPListPtr;
};
