#include "image/KEPImageFile.h"

#include <OpenImageIO/filesystem.h>
#include <OpenImageIO/imageio.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QBuffer>
#include <QImage>
#include <QImageReader>
#include <QImageWriter>
#include <algorithm>
#include <atomic>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <new>
#include <sstream>

#include "image/KEPAtelIma.h"
#include "image/KEPAtelImaFormat.h"
#include "image/KEPImagePixels.h"
#include "platform/KEPErrmsg.h"

namespace KEPImageFile {
namespace {

constexpr const char* kQt = "qt";

// The one table of types. `library` is OpenImageIO's format name, or "qt".
// `writable` false keeps a type read-only even when the library could write
// it, because its writer would change the pixels (palettes).
struct Entry {
  const char* extension;
  const char* library;
  const char* comment;
  bool writable;
};

constexpr Entry kTable[] = {
    {"tif", "tiff", "Tagged Image File Format", true},
    {"tiff", "tiff", "Tagged Image File Format", true},
    {"rgb", "sgi", "Silicon Graphics RGB image", true},
    {"rgba", "sgi", "Silicon Graphics RGB image with alpha", true},
    {"sgi", "sgi", "Silicon Graphics image", true},
    {"jpg", "jpeg", "JPEG File Interchange Format", true},
    {"jpeg", "jpeg", "JPEG File Interchange Format", true},
    {"bmp", "bmp", "Windows Bitmap", true},
    {"xpm", kQt, "X PixMap", true},
    {"png", "png", "Portable Network Graphics", true},
    {"ppm", "pnm", "Portable PixMap", true},
    {"pgm", "pnm", "Portable GreyMap (grey levels only)", true},
    {"tga", "targa", "Truevision Targa", true},
    {"rla", "rla", "Wavefront Run-Length Alpha image", true},
    {"pic", "softimage", "Softimage PIC image", false},
    {"exr", "openexr", "OpenEXR high dynamic range image", true},
    {"hdr", "hdr", "Radiance RGBE high dynamic range image", true},
    {"dpx", "dpx", "Digital Picture Exchange", true},
    {"iff", "iff", "Maya IFF image", true},
    {"gif", "gif", "Graphics Interchange Format", false},
    {"psd", "psd", "Photoshop document", false},
};

std::string Lower(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

std::vector<std::string> Split(const std::string& text, char separator) {
  std::vector<std::string> parts;
  std::stringstream stream(text);
  std::string part;
  while (std::getline(stream, part, separator)) parts.push_back(part);
  return parts;
}

bool Contains(const std::vector<std::string>& list, const std::string& item) {
  return std::find(list.begin(), list.end(), item) != list.end();
}

// Asks OpenImageIO what this machine's build reads and writes, rather than
// trusting the table: plugins are optional at its build time.
std::vector<Type> ProbeTypes() {
  std::string inputs, outputs, extensions;
  OIIO::getattribute("input_format_list", inputs);
  OIIO::getattribute("output_format_list", outputs);
  OIIO::getattribute("extension_list", extensions);
  const std::vector<std::string> readers = Split(inputs, ','), writers = Split(outputs, ',');
  // "tiff:tif,tiff;jpeg:jpg,jpe,..." : extensions each format claims.
  std::vector<std::pair<std::string, std::vector<std::string>>> claimed;
  for (const std::string& item : Split(extensions, ';')) {
    auto colon = item.find(':');
    if (colon == std::string::npos) continue;
    claimed.emplace_back(item.substr(0, colon), Split(item.substr(colon + 1), ','));
  }
  auto claims = [&](const std::string& format, const std::string& extension) {
    for (const auto& [name, list] : claimed)
      if (name == format) return Contains(list, extension);
    return false;
  };

  std::vector<std::string> qtReaders, qtWriters;
  for (const QByteArray& f : QImageReader::supportedImageFormats())
    qtReaders.push_back(Lower(f.toStdString()));
  for (const QByteArray& f : QImageWriter::supportedImageFormats())
    qtWriters.push_back(Lower(f.toStdString()));

  std::vector<Type> types;
  for (const Entry& e : kTable) {
    int flags = 0;
    if (e.library == std::string(kQt)) {
      if (Contains(qtReaders, e.extension)) flags |= KEPAtelImaFormat::READABLE;
      if (e.writable && Contains(qtWriters, e.extension)) flags |= KEPAtelImaFormat::WRITABLE;
    } else if (claims(e.library, e.extension)) {
      if (Contains(readers, e.library)) flags |= KEPAtelImaFormat::READABLE;
      if (e.writable && Contains(writers, e.library)) flags |= KEPAtelImaFormat::WRITABLE;
    }
    if (flags) types.push_back({e.extension, e.library, e.comment, flags});
  }
  return types;
}

void Fail(char* errtext, const char* format, const std::string& a, const std::string& b = "") {
  if (errtext) KEPFormatError(errtext, format, a.c_str(), b.c_str());
}

// OpenImageIO messages may span lines; the error text is shown on one.
std::string OneLine(std::string text) {
  while (!text.empty() && (text.back() == '\n' || text.back() == ' ')) text.pop_back();
  std::replace(text.begin(), text.end(), '\n', ' ');
  return text.empty() ? std::string("unknown error") : text;
}

void FailSize(char* errtext, const std::string& path, std::int64_t width, std::int64_t height) {
  if (!errtext) return;
  KEPFormatError(errtext,
                 "Image file '%s' claims %lld x %lld pixels: the limit is %d pixels a side and "
                 "%lld pixels in all",
                 path.c_str(), static_cast<long long>(width), static_cast<long long>(height),
                 KEPAtelIma::kMaxSide, static_cast<long long>(KEPAtelIma::kMaxPixels));
}

// Rows decoded or encoded at a time: enough for the libraries to spread the
// work of several strips over threads, few enough to stay small.
constexpr int kChunkRows = 256;

bool AllocateRows(std::vector<unsigned char>& rows, int width, int count, int channels) {
  try {
    rows.resize(static_cast<std::size_t>(width) * count * channels);
    return true;
  } catch (const std::exception&) {
    return false;
  }
}

bool Allocate(std::vector<unsigned char>& buffer, int width, int height) {
  try {
    buffer.assign(KEPImagePixels::BufferSize(width, height), 0);
    return true;
  } catch (const std::exception&) {  // bad_alloc, length_error
    return false;
  }
}

// The "width height colours chars" values line of an XPM file, the first
// quoted text; Qt's reader gives no size before decoding.
bool XpmHeaderSize(const std::string& path, std::int64_t& width, std::int64_t& height) {
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (!file) return false;
  char head[4096];
  const std::size_t n = std::fread(head, 1, sizeof head - 1, file);
  std::fclose(file);
  head[n] = 0;
  const char* quote = std::strchr(head, '"');
  long long w = 0, h = 0;
  if (!quote || std::sscanf(quote + 1, "%lld %lld", &w, &h) != 2) return false;
  width = w;
  height = h;
  return true;
}

int ReadWithQt(const std::string& path, const std::string& extension,
               std::vector<unsigned char>& pixels, int& width, int& height, char* errtext) {
  QImageReader reader(QString::fromStdString(path), QByteArray(extension.c_str()));
  reader.setAutoTransform(false);
  // Qt's own cap (256 MB) is below ours; ours is checked on the header.
  reader.setAllocationLimit(static_cast<int>(KEPAtelIma::kMaxPixels * 4 / (1024 * 1024)) + 1);
  std::int64_t claimedWidth = 0, claimedHeight = 0;
  if (extension == "xpm" && XpmHeaderSize(path, claimedWidth, claimedHeight) &&
      !SizeAllowed(claimedWidth, claimedHeight)) {
    FailSize(errtext, path, claimedWidth, claimedHeight);
    return 1;
  }
  QImage image = reader.read();
  if (image.isNull()) {
    Fail(errtext, "Can't read image file '%s': %s", path, reader.errorString().toStdString());
    return 1;
  }
  if (!SizeAllowed(image.width(), image.height())) {
    FailSize(errtext, path, image.width(), image.height());
    return 1;
  }
  image = image.convertToFormat(QImage::Format_RGBA8888);
  std::vector<unsigned char> buffer;
  if (!Allocate(buffer, image.width(), image.height())) {
    Fail(errtext, "Not enough memory to read image file '%s'", path);
    return 1;
  }
  const std::size_t run = static_cast<std::size_t>(image.width()) * 4;
  for (int r = 0; r < image.height(); ++r)
    std::memcpy(buffer.data() + (image.height() - 1 - r) * run, image.constScanLine(r), run);
  width = image.width();
  height = image.height();
  pixels.swap(buffer);
  return 0;
}

// Writes all of `bytes` to a new file, checking every call: the disk may
// fill up or a size limit strike at any point.
int WriteBytes(const std::string& path, const unsigned char* bytes, std::size_t size,
               char* errtext) {
  int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  if (fd < 0) {
    Fail(errtext, "Can't write image file '%s': %s", path, std::strerror(errno));
    return 1;
  }
  std::size_t done = 0;
  while (done < size) {
    ssize_t n = ::write(fd, bytes + done, size - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      const int error = n < 0 ? errno : ENOSPC;
      ::close(fd);
      Fail(errtext, "Can't write image file '%s': %s", path, std::strerror(error));
      return 1;
    }
    done += static_cast<std::size_t>(n);
  }
  if (::close(fd) != 0) {
    Fail(errtext, "Can't write image file '%s': %s", path, std::strerror(errno));
    return 1;
  }
  return 0;
}

int WriteWithQt(const std::string& path, const std::string& extension, const unsigned char* pixels,
                int width, int height, char* errtext) {
  QImage image(width, height, QImage::Format_ARGB32);
  if (image.isNull()) {
    Fail(errtext, "Not enough memory to write image file '%s'", path);
    return 1;
  }
  // Qt's XPM writer keeps transparency only from ARGB32 images.
  for (int r = 0; r < height; ++r) {
    const unsigned char* from = pixels + static_cast<std::size_t>(height - 1 - r) * width * 4;
    QRgb* to = reinterpret_cast<QRgb*>(image.scanLine(r));
    for (int c = 0; c < width; ++c, from += 4) to[c] = qRgba(from[0], from[1], from[2], from[3]);
  }
  QByteArray encoded;
  QBuffer buffer(&encoded);
  buffer.open(QIODevice::WriteOnly);
  QImageWriter writer(&buffer, QByteArray(extension.c_str()));
  if (!writer.write(image)) {
    Fail(errtext, "Can't write image file '%s': %s", path, writer.errorString().toStdString());
    return 1;
  }
  return WriteBytes(path, reinterpret_cast<const unsigned char*>(encoded.constData()),
                    static_cast<std::size_t>(encoded.size()), errtext);
}

// Largest side each writer takes; above it some abort the whole process
// instead of reporting an error (the JPEG library exits).
int MaxSideOf(const std::string& library) {
  return library == "jpeg" ? 65500 : KEPAtelIma::kMaxSide;
}

// Reads back a file that a writer wrote straight to the disk: those writers
// do not all report a short write, so the file is checked instead.
bool SameAsWritten(const std::string& path, const std::string& extension,
                   const unsigned char* pixels, int width, int height, bool exact) {
  std::vector<unsigned char> back;
  int w = 0, h = 0;
  if (Read(path, extension, back, w, h, nullptr) != 0 || w != width || h != height) return false;
  return !exact || std::memcmp(back.data(), pixels, back.size()) == 0;
}

}  // namespace

bool SizeAllowed(std::int64_t width, std::int64_t height) {
  return width > 0 && height > 0 && width <= KEPAtelIma::kMaxSide &&
         height <= KEPAtelIma::kMaxSide && width * height <= KEPAtelIma::kMaxPixels;
}

const std::vector<Type>& Types() {
  static const std::vector<Type> types = ProbeTypes();
  return types;
}

const Type* FindType(const std::string& extension) {
  const std::string key = Lower(extension);
  for (const Type& t : Types())
    if (t.extension == key) return &t;
  return nullptr;
}

std::string TypeOfExtension(const std::string& extension) {
  return extension.empty() ? std::string("tif") : Lower(extension);
}

int Read(const std::string& path, const std::string& extension, std::vector<unsigned char>& pixels,
         int& width, int& height, char* errtext) {
  struct stat info;
  if (::stat(path.c_str(), &info) != 0) {
    Fail(errtext, "Can't open image file '%s': %s", path, std::strerror(errno));
    return 1;
  }
  if (!S_ISREG(info.st_mode)) {
    Fail(errtext, "Can't open image file '%s': not a regular file", path);
    return 1;
  }
  const Type* type = FindType(TypeOfExtension(extension));
  if (!type || !(type->flags & KEPAtelImaFormat::READABLE)) {
    Fail(errtext, "Image type '%s' not supported on open", extension);
    return 1;
  }
  if (type->library == kQt)
    return ReadWithQt(path, type->extension, pixels, width, height, errtext);

  // Alpha is kept as stored: the record's pixels are not premultiplied.
  OIIO::ImageSpec config;
  config.attribute("oiio:UnassociatedAlpha", 1);
  auto input = OIIO::ImageInput::open(path, &config);
  if (!input) {
    Fail(errtext, "Can't read image file '%s': %s", path, OneLine(OIIO::geterror()));
    return 1;
  }
  const OIIO::ImageSpec& spec = input->spec();
  if (!SizeAllowed(spec.width, spec.height) || spec.depth > 1) {
    FailSize(errtext, path, spec.width, spec.height);
    return 1;
  }
  // The reader decodes every channel of a scanline even when four are asked
  // for, so a file claiming thousands of them is refused like a huge one.
  if (spec.nchannels < 1 || spec.nchannels > 64 || spec.deep) {
    Fail(errtext, "Can't read image file '%s': %s", path,
         spec.deep ? "deep images are not supported" : "unusable number of channels");
    return 1;
  }
  const int w = spec.width, h = spec.height, channels = std::min(spec.nchannels, 4);
  std::vector<unsigned char> buffer, rows;
  // Whole tile rows at a time, so that no tile is decoded twice.
  const int chunk = std::min(h, spec.tile_height > 0
                                    ? std::max(1, kChunkRows / spec.tile_height) * spec.tile_height
                                    : kChunkRows);
  if (!Allocate(buffer, w, h) || !AllocateRows(rows, w, chunk, channels)) {
    Fail(errtext, "Not enough memory to read image file '%s'", path);
    return 1;
  }
  // The file's top row goes to the end of the buffer, each next row before it.
  const std::ptrdiff_t row = static_cast<std::ptrdiff_t>(w) * 4;
  for (int y = 0; y < h; y += chunk) {
    const int n = std::min(chunk, h - y);
    // Tiled files are read by bands of tiles: reading them as scanlines
    // divides by zero inside OpenImageIO 2.4.
    bool ok = spec.tile_width > 0
                  ? input->read_tiles(0, 0, spec.x, spec.x + w, spec.y + y, spec.y + y + n, spec.z,
                                      spec.z + 1, 0, channels, OIIO::TypeDesc::UINT8, rows.data())
                  : input->read_scanlines(0, 0, spec.y + y, spec.y + y + n, 0, 0, channels,
                                          OIIO::TypeDesc::UINT8, rows.data());
    // Several readers only warn about a short file and fill the rest with
    // black: any error recorded during the read refuses the file.
    if (!ok || input->has_error()) {
      Fail(errtext, "Image file '%s' is corrupt or truncated: %s", path,
           OneLine(input->geterror()));
      input->close();
      return 1;
    }
    KEPImagePixels::UnpackRows(rows.data(), channels, w, n, buffer.data() + (h - 1 - y) * row,
                               -row);
  }
  input->close();
  pixels.swap(buffer);
  width = w;
  height = h;
  return 0;
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
  if (width > MaxSideOf(type->library) || height > MaxSideOf(type->library)) {
    if (errtext)
      KEPFormatError(errtext,
                     "Can't write image file '%s': type '%s' takes at most %d pixels a side",
                     path.c_str(), type->extension.c_str(), MaxSideOf(type->library));
    return 1;
  }
  if (type->library == kQt)
    return WriteWithQt(path, type->extension, pixels, width, height, errtext);

  auto output = OIIO::ImageOutput::create(type->library);
  if (!output) {
    Fail(errtext, "Can't write image file '%s': %s", path, OneLine(OIIO::geterror()));
    return 1;
  }
  int channels = output->supports("alpha") ? 4 : 3;
  if (type->extension == "pgm") channels = 1;
  OIIO::TypeDesc format = OIIO::TypeDesc::UINT8;
  if (type->library == "openexr") format = OIIO::TypeDesc::HALF;
  if (type->library == "hdr") format = OIIO::TypeDesc::FLOAT;
  OIIO::ImageSpec spec(width, height, channels, format);
  // No Exif data is carried, and libtiff 4.5 reports an empty Exif directory
  // as a write error.
  if (type->library == "tiff") spec.attribute("tiff:write_exif", 0);
  if (channels == 4) {
    spec.alpha_channel = 3;
    spec.attribute("oiio:UnassociatedAlpha", 1);
  }
  // Encoding into memory keeps every disk error in our hands (WriteBytes);
  // writers that cannot are checked by reading their file back.
  std::vector<unsigned char> encoded;
  // Room for an uncompressed file spares the copies of a growing buffer;
  // pages never written are never touched.
  encoded.reserve(KEPImagePixels::BufferSize(width, height) + 65536);
  OIIO::Filesystem::IOVecOutput memory(encoded);
  const bool inMemory = output->supports("ioproxy") && output->set_ioproxy(&memory);
  bool ok = false;
  try {
    if (!output->open(path, spec)) {
      Fail(errtext, "Can't write image file '%s': %s", path, OneLine(output->geterror()));
      return 1;
    }
    // Top row first, as files keep it: the buffer is read from its end.
    const std::ptrdiff_t row = static_cast<std::ptrdiff_t>(width) * 4;
    // A writer that stores tiles (IFF) takes the picture whole.
    const int chunk = output->spec().tile_width > 0 ? height : kChunkRows;
    std::vector<unsigned char> rows(static_cast<std::size_t>(width) * chunk * channels);
    ok = true;
    for (int y = 0; ok && y < height; y += chunk) {
      const int n = std::min(chunk, height - y);
      KEPImagePixels::PackRows(pixels + (height - 1 - y) * row, -row, width, n, channels,
                               rows.data());
      ok = chunk == height
               ? output->write_image(OIIO::TypeDesc::UINT8, rows.data())
               : output->write_scanlines(y, y + n, 0, OIIO::TypeDesc::UINT8, rows.data());
    }
    ok = output->close() && ok;
  } catch (const std::bad_alloc&) {
    Fail(errtext, "Not enough memory to write image file '%s'", path);
    return 1;
  }
  // Writers often go on after a failed write and only record the error.
  if (!ok || output->has_error()) {
    Fail(errtext, "Can't write image file '%s': %s", path, OneLine(output->geterror()));
    return 1;
  }
  if (inMemory) return WriteBytes(path, encoded.data(), encoded.size(), errtext);
  if (!SameAsWritten(path, type->extension, pixels, width, height, channels == 4)) {
    Fail(errtext, "Can't write image file '%s': %s", path, "the file written is incomplete");
    return 1;
  }
  return 0;
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
  int fd = ::open(temp.c_str(), O_RDONLY);
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
  int dirFd = ::open(dir.empty() ? "." : dir.c_str(), O_RDONLY | O_DIRECTORY);
  if (dirFd >= 0) {
    ::fsync(dirFd);
    ::close(dirFd);
  }
  return 0;
}

}  // namespace KEPImageFile
