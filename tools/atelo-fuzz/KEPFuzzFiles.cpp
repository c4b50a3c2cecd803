#include "KEPFuzzFiles.h"

#include <cstdint>
#include <cstring>

namespace KEPFuzzFiles {
namespace {

void Big16(std::string& out, unsigned value) {
  out += static_cast<char>((value >> 8) & 0xFF);
  out += static_cast<char>(value & 0xFF);
}

void Big32(std::string& out, std::uint32_t value) {
  Big16(out, value >> 16);
  Big16(out, value & 0xFFFF);
}

// Header of a Softimage PIC: magic, version, comment, "PICT", size, pixel
// ratio, fields (3 = both), padding; then one channel packet per entry of
// `packets` (chained flag, 8 bits, compression, channel mask).
std::string PicHeader(int width, int height, unsigned compression, unsigned channels) {
  std::string out;
  Big32(out, 0x5380F634);
  float version = 3.71f, ratio = 1.0f;
  std::uint32_t bits;
  std::memcpy(&bits, &version, 4);
  Big32(out, bits);
  out.append(80, '\0');
  out += "PICT";
  Big16(out, width);
  Big16(out, height);
  std::memcpy(&bits, &ratio, 4);
  Big32(out, bits);
  Big16(out, 3);
  Big16(out, 0);
  out += {'\0', '\x08', static_cast<char>(compression), static_cast<char>(channels)};
  return out;
}

std::string PsdHeader(int width, int height, std::uint32_t colourData) {
  std::string out = "8BPS";
  Big16(out, 1);
  out.append(6, '\0');
  Big16(out, 3);  // channels
  Big32(out, height);
  Big32(out, width);
  Big16(out, 8);  // bits a channel
  Big16(out, 3);  // RGB
  Big32(out, colourData);
  return out;
}

}  // namespace

std::string GoodPic() {
  std::string out = PicHeader(4, 3, 2, 0xF0);
  for (int row = 0; row < 3; ++row) {
    out += '\x03';  // a raw run of four pixels
    for (int c = 0; c < 4; ++c)
      out += {static_cast<char>(c * 60), static_cast<char>(row * 100), '\x40', '\xFF'};
  }
  return out;
}

std::string GoodPsd() {
  std::string out = PsdHeader(4, 3, 0);
  Big32(out, 0);  // image resources
  Big32(out, 0);  // layers and masks
  Big16(out, 0);  // raw planes follow
  for (int plane = 0; plane < 3; ++plane)
    for (int i = 0; i < 12; ++i) out += static_cast<char>(plane * 80 + i * 10);
  return out;
}

std::string GoodGif() {
  static const unsigned char bytes[] = {'G', 'I',  'F',  '8',  '9', 'a', 1, 0,    1,    0, 0x80, 0,
                                        0,   0xFF, 0xFF, 0xFF, 0,   0,   0, 0x2C, 0,    0, 0,    0,
                                        1,   0,    1,    0,    0,   2,   2, 0x44, 0x01, 0, 0x3B};
  return std::string(reinterpret_cast<const char*>(bytes), sizeof bytes);
}

std::string OverrunPic() {
  // A run of one pixel repeated 65535 times, in a picture one pixel wide.
  std::string out = PicHeader(1, 1, 2, 0xE0);
  out += {'\x80', '\xFF', '\xFF', '\x01', '\x02'};
  return out;
}

std::string HugeColourDataPsd() {
  std::string out = PsdHeader(1, 1, 0xFFFFFFFE);
  out.append(1000, '\0');
  return out;
}

}  // namespace KEPFuzzFiles
