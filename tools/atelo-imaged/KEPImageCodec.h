#pragma once

#include <cstdint>
#include <memory>
#include <string>

// The image libraries inside the image service: OpenImageIO for most types,
// Qt's reader and writer for XPM. Pixels are 4-byte RGBA rows, bottom row
// first; files keep their top row first. Error texts are complete messages
// naming the file, in buffers of KEP_ERRMSG_SIZE bytes.
namespace KEPImageCodec {

// Sets the libraries up: their own size limits and which readers they try.
// No thread is started: the process forks a child for each file.
void Initialise();
// Gives the libraries their threads, in the child that handles a file: one
// for a small picture (threads cost more than they save there), up to eight
// for a large one.
void StartThreads(std::int64_t pixels);

// "ext=flags;..." for every type of the workbench's table, with the flags
// (KEPAtelImaFormat READABLE / WRITABLE) the libraries here allow.
std::string ReportTypes();

// One file being read: Open reads the header, Decode the pixels.
class Decoder {
 public:
  Decoder();
  ~Decoder();
  int Open(const std::string& path, const std::string& library, char* errtext);
  int Width() const { return _width; }
  int Height() const { return _height; }
  int Channels() const { return _channels; }
  const std::string& FormatName() const { return _format; }
  // Fills width * height * 4 bytes.
  int Decode(unsigned char* rgba, char* errtext);

 private:
  struct Library;
  std::unique_ptr<Library> _library;
  std::string _path, _format;
  int _width = 0, _height = 0, _channels = 0;
};

// Encodes the pixels as a file of this type into `output` (a path the
// writer may open, here the service's output memory file). `name` only
// names the file in messages.
int Encode(const std::string& output, const std::string& name, const std::string& library,
           const std::string& extension, const unsigned char* pixels, int width, int height,
           char* errtext);

}  // namespace KEPImageCodec
