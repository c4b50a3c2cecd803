#pragma once

#include <string>
#include <vector>

// A frame to send: width x height pixels of 4 bytes (red, green, blue,
// alpha), rows bottom first as the workbench keeps them.
struct KEPRenderPicture {
  int width = 0, height = 0;
  std::vector<unsigned char> pixels;
};

// A moving pattern of colour waves: frame `frame` of an animation, so that
// consecutive frames play as a smooth loop of `period` frames.
KEPRenderPicture KEPGeneratePicture(int width, int height, int frame, int period);

// Reads an image file with OpenImageIO into the workbench's layout (grey
// and missing alpha filled in, rows turned over). False with `error` set
// when it cannot be read.
bool KEPReadPicture(const std::string& file, KEPRenderPicture& picture, std::string& error);

// The bytes of one rectangle of the picture, rows bottom first.
std::vector<unsigned char> KEPCutPatch(const KEPRenderPicture& picture, int x, int y, int width,
                                       int height);
