#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Reading and writing image files in the record's layout (4-byte RGBA, bottom
// row first). OpenImageIO does the work, Qt's reader and writer the types it
// lacks. Every failure fills `errtext` (KEP_ERRMSG_SIZE bytes, may be null)
// and returns non-zero; nothing throws.
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

// Every type of the table with its flags as the libraries report them; types
// neither readable nor writable here are left out.
const std::vector<Type>& Types();
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
