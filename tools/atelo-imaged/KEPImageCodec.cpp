#include "KEPImageCodec.h"

#include <OpenImageIO/imageio.h>
#include <fcntl.h>
#include <unistd.h>

#include <QBuffer>
#include <QImage>
#include <QImageReader>
#include <QImageWriter>
#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <sstream>
#include <thread>
#include <vector>

#include "image/KEPAtelImaFormat.h"
#include "image/KEPImagePixels.h"
#include "image/KEPImageTypes.h"
#include "platform/KEPErrmsg.h"

namespace KEPImageCodec {
namespace {

using KEPImageTypes::kQt;

// Rows decoded or encoded at a time: enough for the libraries to spread the
// work of several strips over threads, few enough to stay small.
constexpr int kChunkRows = 256;

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

void Fail(char* errtext, const char* format, const std::string& a, const std::string& b = "") {
  KEPFormatError(errtext, format, a.c_str(), b.c_str());
}

// OpenImageIO messages may span lines; the error text is shown on one.
std::string OneLine(std::string text) {
  while (!text.empty() && (text.back() == '\n' || text.back() == ' ')) text.pop_back();
  std::replace(text.begin(), text.end(), '\n', ' ');
  return text.empty() ? std::string("unknown error") : text;
}

void FailSize(char* errtext, const std::string& path, long long width, long long height) {
  KEPFormatError(errtext,
                 "Image file '%s' claims %lld x %lld pixels: the limit is %d pixels a side and "
                 "%lld pixels in all",
                 path.c_str(), width, height, KEPImageTypes::kMaxSide,
                 static_cast<long long>(KEPImageTypes::kMaxPixels));
}

// The "width height colours chars" values line of an XPM file, the first
// quoted text; Qt's reader gives no size before decoding.
bool XpmHeaderSize(const std::string& path, long long& width, long long& height) {
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (!file) return false;
  char head[4096];
  const std::size_t n = std::fread(head, 1, sizeof head - 1, file);
  std::fclose(file);
  head[n] = 0;
  const char* quote = std::strchr(head, '"');
  return quote && std::sscanf(quote + 1, "%lld %lld", &width, &height) == 2;
}

// Writes all of `bytes` to a file, checking every call.
int WriteBytes(const std::string& output, const std::string& name, const char* bytes,
               std::size_t size, char* errtext) {
  int fd = ::open(output.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  if (fd < 0) {
    Fail(errtext, "Can't write image file '%s': %s", name, std::strerror(errno));
    return 1;
  }
  for (std::size_t done = 0; done < size;) {
    const ssize_t n = ::write(fd, bytes + done, size - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      const int error = n < 0 ? errno : ENOSPC;
      ::close(fd);
      Fail(errtext, "Can't write image file '%s': %s", name, std::strerror(error));
      return 1;
    }
    done += static_cast<std::size_t>(n);
  }
  ::close(fd);
  return 0;
}

int EncodeWithQt(const std::string& output, const std::string& name, const std::string& extension,
                 const unsigned char* pixels, int width, int height, char* errtext) {
  QImage image(width, height, QImage::Format_ARGB32);
  if (image.isNull()) {
    Fail(errtext, "Not enough memory to write image file '%s'", name);
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
    Fail(errtext, "Can't write image file '%s': %s", name, writer.errorString().toStdString());
    return 1;
  }
  return WriteBytes(output, name, encoded.constData(), static_cast<std::size_t>(encoded.size()),
                    errtext);
}

// The reader of the file's type; when that fails, the readers of the
// workbench's other types that recognise the file by its content (a PNG
// named .jpg opens). The library's own fallback would also try the readers
// of every other type it knows, video and camera formats among them: a
// larger target for a hostile file, and seconds spent on each tiny one.
std::unique_ptr<OIIO::ImageInput> OpenInput(const std::string& path, const std::string& library,
                                            std::string& error) {
  // Alpha is kept as stored: the record's pixels are not premultiplied.
  OIIO::ImageSpec config, spec;
  config.attribute("oiio:UnassociatedAlpha", 1);
  auto input = OIIO::ImageInput::create(library);
  if (input && input->open(path, spec, config)) return input;
  error = input ? input->geterror() : OIIO::geterror();
  std::vector<std::string> tried = {library, kQt};
  for (const KEPImageTypes::Entry& e : KEPImageTypes::kTable) {
    if (Contains(tried, e.library)) continue;
    tried.push_back(e.library);
    auto other = OIIO::ImageInput::create(e.library);
    if (other && other->valid_file(path) && other->open(path, spec, config)) return other;
  }
  OIIO::geterror();  // what the other readers said is not the file's error
  if (error.empty()) error = "not a readable image file";
  return nullptr;
}

}  // namespace

void StartThreads(std::int64_t pixels) {
  const int threads =
      pixels < (1 << 20)
          ? 1
          : static_cast<int>(std::clamp(std::thread::hardware_concurrency(), 1u, 8u));
  OIIO::attribute("threads", threads);
  OIIO::attribute("exr_threads", threads);
}

void Initialise() {
  // The library's own guards, below ours where ours are known to suffice:
  // the reader decodes every channel of a scanline even when four are asked
  // for, and a float picture of the largest size is 4 GiB.
  OIIO::attribute("limits:channels", 64);
  OIIO::attribute("limits:imagesize_MB", 4096);
  OIIO::attribute("try_all_readers", 0);
}

std::string ReportTypes() {
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

  std::string report;
  for (const KEPImageTypes::Entry& e : KEPImageTypes::kTable) {
    int flags = 0;
    if (e.library == std::string(kQt)) {
      if (Contains(qtReaders, e.extension)) flags |= KEPAtelImaFormat::READABLE;
      if (e.writable && Contains(qtWriters, e.extension)) flags |= KEPAtelImaFormat::WRITABLE;
    } else if (claims(e.library, e.extension)) {
      if (Contains(readers, e.library)) flags |= KEPAtelImaFormat::READABLE;
      if (e.writable && Contains(writers, e.library)) flags |= KEPAtelImaFormat::WRITABLE;
    }
    report += std::string(e.extension) + "=" + std::to_string(flags) + ";";
  }
  return report;
}

// --- reading -------------------------------------------------------------------

struct Decoder::Library {
  std::unique_ptr<OIIO::ImageInput> input;  // null for Qt's reader
};

Decoder::Decoder() : _library(std::make_unique<Library>()) {}
Decoder::~Decoder() {
  if (_library->input) _library->input->close();
}

int Decoder::Open(const std::string& path, const std::string& library, char* errtext) {
  _path = path;
  if (library == kQt) {
    long long w = 0, h = 0;
    if (!XpmHeaderSize(path, w, h)) {
      Fail(errtext, "Can't read image file '%s': %s", path, "no XPM header");
      return 1;
    }
    if (!KEPImageTypes::SizeAllowed(w, h)) {
      FailSize(errtext, path, w, h);
      return 1;
    }
    _width = static_cast<int>(w);
    _height = static_cast<int>(h);
    _channels = 4;
    _format = "xpm";
    return 0;
  }
  std::string error;
  _library->input = OpenInput(path, library, error);
  if (!_library->input) {
    Fail(errtext, "Can't read image file '%s': %s", path, OneLine(error));
    return 1;
  }
  const OIIO::ImageSpec& spec = _library->input->spec();
  if (!KEPImageTypes::SizeAllowed(spec.width, spec.height) || spec.depth > 1) {
    FailSize(errtext, path, spec.width, spec.height);
    return 1;
  }
  if (spec.nchannels < 1 || spec.nchannels > 64 || spec.deep) {
    Fail(errtext, "Can't read image file '%s': %s", path,
         spec.deep ? "deep images are not supported" : "unusable number of channels");
    return 1;
  }
  _width = spec.width;
  _height = spec.height;
  _channels = spec.nchannels;
  _format = _library->input->format_name();
  return 0;
}

int Decoder::Decode(unsigned char* rgba, char* errtext) {
  const std::ptrdiff_t row = static_cast<std::ptrdiff_t>(_width) * 4;
  if (!_library->input) {
    QImageReader reader(QString::fromStdString(_path), QByteArray("xpm"));
    reader.setAutoTransform(false);
    // Qt's own cap (256 MB) is below ours; ours was checked on the header.
    reader.setAllocationLimit(static_cast<int>(KEPImageTypes::kMaxPixels * 4 / (1024 * 1024)) + 1);
    QImage image = reader.read();
    if (image.isNull()) {
      Fail(errtext, "Can't read image file '%s': %s", _path, reader.errorString().toStdString());
      return 1;
    }
    if (image.width() != _width || image.height() != _height) {
      Fail(errtext, "Image file '%s' is corrupt or truncated: %s", _path,
           "its size differs from its header's");
      return 1;
    }
    image = image.convertToFormat(QImage::Format_RGBA8888);
    for (int r = 0; r < _height; ++r)
      std::memcpy(rgba + (_height - 1 - r) * row, image.constScanLine(r), row);
    return 0;
  }

  OIIO::ImageInput& input = *_library->input;
  const OIIO::ImageSpec spec = input.spec();
  const int w = _width, h = _height, channels = std::min(spec.nchannels, 4);
  // Whole tile rows at a time, so that no tile is decoded twice.
  const int chunk = std::min(h, spec.tile_height > 0
                                    ? std::max(1, kChunkRows / spec.tile_height) * spec.tile_height
                                    : kChunkRows);
  // Three or four channels go straight into the shared pixels, the file's
  // top row to the end of the buffer (the library turns the rows over
  // through a negative row stride); fewer are spread out afterwards.
  const bool direct = channels >= 3;
  std::vector<unsigned char> rows;
  if (!direct) rows.resize(static_cast<std::size_t>(w) * chunk * channels);
  for (int y = 0; y < h; y += chunk) {
    const int n = std::min(chunk, h - y);
    unsigned char* top = rgba + (h - 1 - y) * row;
    void* into = direct ? static_cast<void*>(top) : static_cast<void*>(rows.data());
    const OIIO::stride_t xstride = direct ? 4 : channels;
    const OIIO::stride_t ystride = direct ? -row : static_cast<OIIO::stride_t>(w) * channels;
    // Tiled files are read by bands of tiles: reading them as scanlines
    // divides by zero inside OpenImageIO 2.4.
    const bool ok = spec.tile_width > 0
                        ? input.read_tiles(0, 0, spec.x, spec.x + w, spec.y + y, spec.y + y + n,
                                           spec.z, spec.z + 1, 0, channels, OIIO::TypeDesc::UINT8,
                                           into, xstride, ystride)
                        : input.read_scanlines(0, 0, spec.y + y, spec.y + y + n, 0, 0, channels,
                                               OIIO::TypeDesc::UINT8, into, xstride, ystride);
    // Several readers only warn about a short file and fill the rest with
    // black: any error recorded during the read refuses the file.
    if (!ok || input.has_error()) {
      Fail(errtext, "Image file '%s' is corrupt or truncated: %s", _path,
           OneLine(input.geterror()));
      return 1;
    }
    if (!direct) {
      KEPImagePixels::UnpackRows(rows.data(), channels, w, n, top, -row);
    } else if (channels == 3) {
      for (int r = 0; r < n; ++r)
        for (unsigned char *p = top - r * row + 3, *end = p + row; p < end; p += 4) *p = 255;
    }
  }
  return 0;
}

// --- writing -------------------------------------------------------------------

int Encode(const std::string& output, const std::string& name, const std::string& library,
           const std::string& extension, const unsigned char* pixels, int width, int height,
           char* errtext) {
  if (library == kQt) return EncodeWithQt(output, name, extension, pixels, width, height, errtext);
  auto writer = OIIO::ImageOutput::create(library);
  if (!writer) {
    Fail(errtext, "Can't write image file '%s': %s", name, OneLine(OIIO::geterror()));
    return 1;
  }
  int channels = writer->supports("alpha") ? 4 : 3;
  if (extension == "pgm") channels = 1;
  OIIO::TypeDesc format = OIIO::TypeDesc::UINT8;
  if (library == "openexr") format = OIIO::TypeDesc::HALF;
  if (library == "hdr") format = OIIO::TypeDesc::FLOAT;
  OIIO::ImageSpec spec(width, height, channels, format);
  // No Exif data is carried, and libtiff 4.5 reports an empty Exif directory
  // as a write error.
  if (library == "tiff") spec.attribute("tiff:write_exif", 0);
  if (channels == 4) {
    spec.alpha_channel = 3;
    spec.attribute("oiio:UnassociatedAlpha", 1);
  }
  if (!writer->open(output, spec)) {
    Fail(errtext, "Can't write image file '%s': %s", name, OneLine(writer->geterror()));
    return 1;
  }
  // Top row first, as files keep it: the buffer is read from its end.
  const std::ptrdiff_t row = static_cast<std::ptrdiff_t>(width) * 4;
  // A writer that stores tiles (IFF) takes the picture whole.
  const int chunk = writer->spec().tile_width > 0 ? height : kChunkRows;
  std::vector<unsigned char> rows(static_cast<std::size_t>(width) * chunk * channels);
  bool ok = true;
  for (int y = 0; ok && y < height; y += chunk) {
    const int n = std::min(chunk, height - y);
    KEPImagePixels::PackRows(pixels + (height - 1 - y) * row, -row, width, n, channels,
                             rows.data());
    ok = chunk == height ? writer->write_image(OIIO::TypeDesc::UINT8, rows.data())
                         : writer->write_scanlines(y, y + n, 0, OIIO::TypeDesc::UINT8, rows.data());
  }
  ok = writer->close() && ok;
  // Writers often go on after a failed write and only record the error.
  if (!ok || writer->has_error()) {
    Fail(errtext, "Can't write image file '%s': %s", name, OneLine(writer->geterror()));
    return 1;
  }
  return 0;
}

}  // namespace KEPImageCodec
