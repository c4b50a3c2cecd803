#pragma once

#include <cstdint>

// The file types the workbench knows, shared by the workbench (which offers
// them before the image service ever runs) and the service (which reports
// which of them its libraries really handle).
namespace KEPImageTypes {

// Name of the library family that handles a type: OpenImageIO's format
// name, or kQt for Qt's own reader and writer.
inline constexpr const char* kQt = "qt";

// `writable` false keeps a type read-only even when a library could write
// it, because its writer would change the pixels (palettes).
struct Entry {
  const char* extension;
  const char* library;
  const char* comment;
  bool writable;
};

inline constexpr Entry kTable[] = {
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

inline constexpr int kCount = static_cast<int>(sizeof kTable / sizeof kTable[0]);

// Largest image accepted from a file or by allocation: each side at most
// 65535 pixels and at most 2^28 pixels (1 GiB of pixel bytes) in all.
inline constexpr int kMaxSide = 65535;
inline constexpr std::int64_t kMaxPixels = std::int64_t{1} << 28;

inline constexpr bool SizeAllowed(std::int64_t width, std::int64_t height) {
  return width > 0 && height > 0 && width <= kMaxSide && height <= kMaxSide &&
         width * height <= kMaxPixels;
}

// Largest side each writer takes; above it some end the whole process
// instead of reporting an error (the JPEG library exits).
inline constexpr int kMaxJpegSide = 65500;

}  // namespace KEPImageTypes
