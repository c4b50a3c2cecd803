#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "image/KEPPixelBuffer.h"

// Reading and writing image files in the record's layout (4-byte RGBA, bottom
// row first). The image service (KEPImageService) decodes and encodes; this
// side checks names, types and sizes and does all writing to the disk, so
// that a save is safe whatever happens to the service. Every failure fills
// `errtext` (KEP_ERRMSG_SIZE bytes, may be null) and returns non-zero;
// nothing throws.
namespace KEPImageFile {

// One file type the workbench offers: its extension (lower case), the
// library that handles it, a readable comment, and the READABLE / WRITABLE
// flags of KEPAtelImaFormat as found on this machine.
struct Type {
  std::string extension;
  std::string library;
  std::string comment;
  int flags = 0;
};

// Every type the workbench knows with its flags: those of its own table until
// the image service has run, then those the service reported (so asking
// never starts the service). Types neither readable nor writable are left
// out.
std::vector<Type> Types();
// The type of an extension, matched without regard to case; null if unknown.
const Type* FindType(const std::string& extension);
// The type used for a file name's extension: "tif" when it has none.
std::string TypeOfExtension(const std::string& extension);

// Whether an image of this size may be held: each side within
// KEPAtelIma::kMaxSide and no more than KEPAtelIma::kMaxPixels in all.
bool SizeAllowed(std::int64_t width, std::int64_t height);

// Reads `path` as a file of type `extension`. The pixels are replaced only
// on success.
int Read(const std::string& path, const std::string& extension, std::vector<unsigned char>& pixels,
         int& width, int& height, char* errtext);
// The same without a copy: `pixels` takes the service's shared mapping.
// `admit`, when given, sees the size before anything is decoded and may
// refuse it with a non-zero status (and errtext filled).
using Admit = std::function<int(int width, int height, char* errtext)>;
int Read(const std::string& path, const std::string& extension, KEPPixelBuffer& pixels, int& width,
         int& height, char* errtext, const Admit& admit = {});

// The size a file's header claims, nothing decoded.
int Probe(const std::string& path, const std::string& extension, int& width, int& height,
          char* errtext);

// Writes the pixels to `path` in type `extension`, straight into that file.
int Write(const std::string& path, const std::string& extension, const unsigned char* pixels,
          int width, int height, char* errtext);

// Writes to a temporary file beside `target`, flushes it to the disk and
// renames it over `target` once complete; on failure `target` is untouched
// and no temporary file is left.
int SafeWrite(const std::string& target, const std::string& extension, const unsigned char* pixels,
              int width, int height, char* errtext);

// The first of name_1.ext, name_2.ext, ... that does not exist.
std::string FreeName(const std::string& path);

}  // namespace KEPImageFile
