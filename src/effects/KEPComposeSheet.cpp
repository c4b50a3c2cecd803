#include "effects/KEPComposeSheet.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <memory>

#include "image/KEPAtelIma.h"
#include "platform/KEPErrmsg.h"

namespace {

std::string Format(const char* format, ...) __attribute__((format(printf, 1, 2)));

std::string Format(const char* format, ...) {
  char text[KEP_ERRMSG_SIZE + 64];
  va_list arguments;
  va_start(arguments, format);
  std::vsnprintf(text, sizeof text, format, arguments);
  va_end(arguments);
  return text;
}

void DrawBackground(KEPAtelIma& sheet, KEPComposeSheet::Options& options,
                    const KEPComposeSheet::Report& report) {
  const int width = options.grid.width, height = options.grid.height;
  std::unique_ptr<KEPAtelIma> background;
  int bw = 0, bh = 0;
  if (!options.background.empty()) {
    report(Format("Reading background image: %s\n", options.background.c_str()));
    background =
        std::make_unique<KEPAtelIma>(options.background.c_str(), KEPAtelIma::STATE_FROM_FILE, 0u);
    char error[KEP_ERRMSG_SIZE] = {0};
    if (background->LoadPixels(bw, bh, error) != 0) {
      report("Read failed: ");
      report(std::string(error) + "\n");
      background.reset();
    } else if (options.fit && (bw != width || bh != height)) {
      std::vector<unsigned char> fitted;
      if (background->Resample(1, width, height, fitted) == 0) {
        const int size[2] = {width, height};
        background->ReplacePixels(std::move(fitted), size);
        bw = width;
        bh = height;
      }
    }
  }
  if (!background || (bw < width && bh < height))
    KEPCompose::FillGradient(sheet.GetPixels(), width, height, options.top, options.bottom);
  if (background) {
    const int x = bw < width ? (width - bw) / 2 : 0;
    const int y = bh < height ? (height - bh) / 2 : 0;
    sheet.PutPatch(x, y, bw, bh, background->GetPixels(), 0);
  }
}

// The piece of an image that goes into a patch; empty when it cannot be made.
std::vector<unsigned char> PatchPixels(KEPAtelIma& image, const KEPComposeSheet::Options& options,
                                       int& width, int& height,
                                       const KEPComposeSheet::Report& report) {
  const KEPCompose::Grid& grid = options.grid;
  int iw = 0, ih = 0;
  image.GetSize(iw, ih);
  std::vector<unsigned char> pixels;
  if (!options.clip) {
    report(Format("    Sub-image actual size is: (%d,%d)\n", iw, ih));
    report("    Zooming...\n");
    KEPCompose::ZoomSize(iw, ih, grid.patchWidth, grid.patchHeight, width, height);
    if (image.Resample(1, width, height, pixels) != 0) return {};
    report(Format("    Sub-image new size is: (%d,%d)\n", width, height));
    return pixels;
  }
  int x = 0, y = 0;
  KEPCompose::CutAxis(iw, grid.patchWidth, x, width);
  KEPCompose::CutAxis(ih, grid.patchHeight, y, height);
  pixels = image.CopyRect(x, y, width, height);
  for (std::size_t i = 3; i < pixels.size(); i += 4) pixels[i] = 255;
  return pixels;
}

}  // namespace

namespace KEPComposeSheet {

int Build(KEPAtelIma& sheet, const std::vector<KEPAtelIma*>& images, Options& options,
          const Report& report, const Failure& failure) {
  KEPCompose::Grid& grid = options.grid;
  KEPCompose::ComputeGaps(grid);
  DrawBackground(sheet, options, report);
  report("Background completed.\n\nBuilding patches:\n");

  const std::size_t cells = static_cast<std::size_t>(grid.countX) * grid.countY;
  const int total = static_cast<int>(std::min(images.size(), cells));
  int placed = 0;
  for (std::size_t i = 0; i < images.size() && static_cast<std::size_t>(placed) < cells; ++i) {
    KEPAtelIma* image = images[i];
    report(Format("    Inserting patch number %d of %d\n", placed + 1, total));
    report(Format("    Image name: %s\n", image->GetName()));
    const bool loaded = !image->GetPixels();
    if (loaded) {
      int w = 0, h = 0;
      char error[KEP_ERRMSG_SIZE] = {0};
      if (image->LoadPixels(w, h, error) != 0) {
        failure(error);
        continue;
      }
    }
    int width = 0, height = 0;
    std::vector<unsigned char> pixels = PatchPixels(*image, options, width, height, report);
    if (loaded) image->UnloadPixels();
    if (pixels.empty()) continue;
    int x = 0, y = 0;
    KEPCompose::PatchPosition(grid, placed, width, height, x, y);
    report(Format("    Position: (%d,%d)\n", x, y));
    sheet.PutPatch(x, y, width, height, pixels.data(), 0);
    report("    patch completed.\n");
    ++placed;
  }
  return placed;
}

}  // namespace KEPComposeSheet
