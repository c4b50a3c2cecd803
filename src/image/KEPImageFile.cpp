#include "image/KEPImageFile.h"

#include <fcntl.h>
#include <sys/sendfile.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <mutex>

#include "image/KEPAtelImaFormat.h"
#include "image/KEPImageService.h"
#include "image/KEPImageTypes.h"
#include "platform/KEPErrmsg.h"

namespace KEPImageFile {
namespace {

std::string Lower(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

// The table with the flags in force. Entries are never added or removed, so
// that FindType's pointers stay valid; only their flags change once the
// service has said what it really handles.
struct Table {
  Table() {
    for (const KEPImageTypes::Entry& e : KEPImageTypes::kTable)
      types.push_back({e.extension, e.library, e.comment,
                       KEPAtelImaFormat::READABLE | (e.writable ? KEPAtelImaFormat::WRITABLE : 0)});
  }
  std::mutex mutex;
  std::vector<Type> types;
  std::uint64_t generation = 0;
};

Table& Known() {
  static Table table;
  return table;
}

// Takes the service's report in, when there is a new one.
Table& Refreshed() {
  Table& table = Known();
  std::lock_guard lock(table.mutex);
  std::uint64_t generation = 0;
  const std::map<std::string, int> reported =
      KEPImageService::Instance().Reported(&generation, table.generation);
  if (generation != table.generation) {
    for (Type& type : table.types) {
      auto found = reported.find(type.extension);
      type.flags = found == reported.end() ? 0 : found->second;
    }
    table.generation = generation;
  }
  return table;
}

void Fail(char* errtext, const char* format, const std::string& a, const std::string& b = "") {
  if (errtext) KEPFormatError(errtext, format, a.c_str(), b.c_str());
}

void FailSize(char* errtext, const std::string& path, std::int64_t width, std::int64_t height) {
  if (!errtext) return;
  KEPFormatError(errtext,
                 "Image file '%s' claims %lld x %lld pixels: the limit is %d pixels a side and "
                 "%lld pixels in all",
                 path.c_str(), static_cast<long long>(width), static_cast<long long>(height),
                 KEPImageTypes::kMaxSide, static_cast<long long>(KEPImageTypes::kMaxPixels));
}

// The file and type checks every read makes before asking the service:
// a missing file or an unknown type never starts it.
const Type* Readable(const std::string& path, const std::string& extension, char* errtext) {
  struct stat info;
  if (::stat(path.c_str(), &info) != 0) {
    Fail(errtext, "Can't open image file '%s': %s", path, std::strerror(errno));
    return nullptr;
  }
  if (!S_ISREG(info.st_mode)) {
    Fail(errtext, "Can't open image file '%s': not a regular file", path);
    return nullptr;
  }
  const Type* type = FindType(TypeOfExtension(extension));
  if (!type || !(type->flags & KEPAtelImaFormat::READABLE)) {
    Fail(errtext, "Image type '%s' not supported on open", extension);
    return nullptr;
  }
  return type;
}

// Copies the encoded bytes into a new file, checking every call: the disk
// may fill up or a size limit strike at any point.
int WriteEncoded(const std::string& path, int encoded, char* errtext) {
  struct stat info;
  if (::fstat(encoded, &info) != 0 || info.st_size <= 0) {
    Fail(errtext, "Can't write image file '%s': %s", path, "nothing was encoded");
    return 1;
  }
  int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  if (fd < 0) {
    Fail(errtext, "Can't write image file '%s': %s", path, std::strerror(errno));
    return 1;
  }
  off_t offset = 0;
  while (offset < info.st_size) {
    // The kernel moves the bytes from the memory file to the disk file
    // without passing them through this process.
    const ssize_t n =
        ::sendfile(fd, encoded, &offset, static_cast<std::size_t>(info.st_size - offset));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      const int error = n < 0 ? errno : ENOSPC;
      ::close(fd);
      Fail(errtext, "Can't write image file '%s': %s", path, std::strerror(error));
      return 1;
    }
  }
  if (::close(fd) != 0) {
    Fail(errtext, "Can't write image file '%s': %s", path, std::strerror(errno));
    return 1;
  }
  return 0;
}

}  // namespace

bool SizeAllowed(std::int64_t width, std::int64_t height) {
  return KEPImageTypes::SizeAllowed(width, height);
}

std::vector<Type> Types() {
  Table& table = Refreshed();
  std::lock_guard lock(table.mutex);
  std::vector<Type> types;
  for (const Type& t : table.types)
    if (t.flags) types.push_back(t);
  return types;
}

const Type* FindType(const std::string& extension) {
  const std::string key = Lower(extension);
  Table& table = Refreshed();
  std::lock_guard lock(table.mutex);
  for (const Type& t : table.types)
    if (t.extension == key) return t.flags ? &t : nullptr;
  return nullptr;
}

std::string TypeOfExtension(const std::string& extension) {
  return extension.empty() ? std::string("tif") : Lower(extension);
}

int Read(const std::string& path, const std::string& extension, KEPPixelBuffer& pixels, int& width,
         int& height, char* errtext, const Admit& admit) {
  const Type* type = Readable(path, extension, errtext);
  if (!type) return 1;
  // The service checks the size too; a wrong answer from it must not make
  // this side map more than an image may hold.
  auto check = [&](int w, int h, char* text) {
    if (!SizeAllowed(w, h)) {
      FailSize(text, path, w, h);
      return 1;
    }
    return admit ? admit(w, h, text) : 0;
  };
  KEPPixelBuffer buffer;
  int w = 0, h = 0;
  if (int status =
          KEPImageService::Instance().Read(path, type->library, buffer, w, h, errtext, check))
    return status;
  pixels = std::move(buffer);
  width = w;
  height = h;
  return 0;
}

int Read(const std::string& path, const std::string& extension, std::vector<unsigned char>& pixels,
         int& width, int& height, char* errtext) {
  KEPPixelBuffer buffer;
  if (int status = Read(path, extension, buffer, width, height, errtext)) return status;
  pixels = buffer.TakeVector();
  return 0;
}

int Probe(const std::string& path, const std::string& extension, int& width, int& height,
          char* errtext) {
  const Type* type = Readable(path, extension, errtext);
  if (!type) return 1;
  int channels = 0;
  std::string format;
  return KEPImageService::Instance().Probe(path, type->library, width, height, channels, format,
                                           errtext);
}

int Write(const std::string& path, const std::string& extension, const unsigned char* pixels,
          int width, int height, char* errtext) {
  const Type* type = FindType(TypeOfExtension(extension));
  if (!type || !(type->flags & KEPAtelImaFormat::WRITABLE)) {
    Fail(errtext, "Image type '%s' not supported on save", extension);
    return 1;
  }
  if (!pixels || width <= 0 || height <= 0) {
    Fail(errtext, "Can't write image file '%s': %s", path, "no pixels in memory");
    return 1;
  }
  const int maxSide =
      type->library == "jpeg" ? KEPImageTypes::kMaxJpegSide : KEPImageTypes::kMaxSide;
  if (width > maxSide || height > maxSide) {
    if (errtext)
      KEPFormatError(errtext,
                     "Can't write image file '%s': type '%s' takes at most %d pixels a side",
                     path.c_str(), type->extension.c_str(), maxSide);
    return 1;
  }
  int encoded = -1;
  if (int status = KEPImageService::Instance().Encode(path, type->library, type->extension, pixels,
                                                      width, height, encoded, errtext))
    return status;
  const int status = WriteEncoded(path, encoded, errtext);
  ::close(encoded);
  return status;
}

std::string FreeName(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  const std::size_t start = slash == std::string::npos ? 0 : slash + 1;
  std::size_t dot = path.rfind('.');
  if (dot == std::string::npos || dot <= start) dot = path.size();
  const std::string stem = path.substr(0, dot), suffix = path.substr(dot);
  for (int n = 1;; ++n) {
    std::string candidate = stem + "_" + std::to_string(n) + suffix;
    struct stat info;
    if (::lstat(candidate.c_str(), &info) != 0) return candidate;
  }
}

int SafeWrite(const std::string& target, const std::string& extension, const unsigned char* pixels,
              int width, int height, char* errtext) {
  std::string destination = target;
  struct stat info;
  bool exists = ::lstat(target.c_str(), &info) == 0;
  // Saving over a link replaces the file it points to, not the link.
  if (exists && S_ISLNK(info.st_mode)) {
    if (char* real = ::realpath(target.c_str(), nullptr)) {
      destination = real;
      std::free(real);
    }
    exists = ::stat(destination.c_str(), &info) == 0;
  }
  if (exists && S_ISDIR(info.st_mode)) {
    Fail(errtext, "Can't save image '%s': %s", target, "a directory has that name");
    return 1;
  }

  const std::size_t slash = destination.rfind('/');
  const std::string dir =
      slash == std::string::npos ? std::string() : destination.substr(0, slash + 1);
  const std::string file = destination.substr(dir.size());
  // The temporary keeps the extension so that nothing guesses another type.
  static std::atomic<int> counter{0};
  const std::string ext = extension.empty() ? std::string() : "." + extension;
  std::string temp;
  struct stat taken;
  do {
    temp = dir + "." + file + ".tmp" + std::to_string(::getpid()) + "_" +
           std::to_string(counter++) + ext;
  } while (::lstat(temp.c_str(), &taken) == 0);

  if (int status = Write(temp, extension, pixels, width, height, errtext)) {
    ::unlink(temp.c_str());
    // The user knows the file by its own name, not by the temporary one.
    if (errtext) {
      std::string text = errtext;
      for (std::size_t at; (at = text.find(temp)) != std::string::npos;)
        text.replace(at, temp.size(), target);
      KEPFormatError(errtext, "%s", text.c_str());
    }
    return status;
  }
  int fd = ::open(temp.c_str(), O_RDONLY | O_CLOEXEC);
  bool synced = fd >= 0 && ::fsync(fd) == 0;
  int syncError = errno;
  if (fd >= 0) {
    if (exists) ::fchmod(fd, info.st_mode & 07777);
    ::close(fd);
  }
  if (!synced) {
    Fail(errtext, "Can't save image '%s': %s", target, std::strerror(syncError));
    ::unlink(temp.c_str());
    return 1;
  }
  if (::rename(temp.c_str(), destination.c_str()) != 0) {
    Fail(errtext, "Can't save image '%s': %s", target, std::strerror(errno));
    ::unlink(temp.c_str());
    return 1;
  }
  // The rename itself reaches the disk with the directory.
  int dirFd = ::open(dir.empty() ? "." : dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dirFd >= 0) {
    ::fsync(dirFd);
    ::close(dirFd);
  }
  return 0;
}

}  // namespace KEPImageFile
