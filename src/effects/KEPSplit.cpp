#include "effects/KEPSplit.h"

#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>

#include "effects/KEPLargeArrays.h"
#include "image/KEPAtelIma.h"
#include "platform/KEPErrmsg.h"

namespace {

constexpr double kSmallestTile = 50.0;
// Samples a side for one thumbnail pixel.
constexpr int kSamples = 4;

}  // namespace

namespace KEPSplit {

std::vector<Proposal> Proposals(int width, int height) {
  std::vector<Proposal> proposals;
  if (width <= 0 || height <= 0) return proposals;
  const float aspect = static_cast<float>(width) / static_cast<float>(height);
  double lastWidth = width;
  for (int d = 1;; ++d) {
    const double h = static_cast<double>(height) / d;
    if (height % d == 0) {
      const float across = static_cast<float>(d) * aspect;
      const int low = static_cast<int>(std::floor(across));
      const int high = static_cast<int>(std::ceil(across));
      const int counts[2] = {low, high};
      for (int i = 0; i < (high != low ? 2 : 1); ++i) {
        const int c = counts[i];
        if (c < 1) continue;
        lastWidth = static_cast<double>(width) / c;
        if (width % c == 0 && !(c == 1 && d == 1)) proposals.push_back({width / c, height / d});
      }
    }
    if (h < kSmallestTile || lastWidth < kSmallestTile) break;
  }
  return proposals;
}

std::vector<unsigned char> Thumbnail(const unsigned char* pixels, int width, int height,
                                     int maxSide, int& thumbWidth, int& thumbHeight) {
  thumbWidth = thumbHeight = 0;
  if (!pixels || width <= 0 || height <= 0 || maxSide <= 0) return {};
  const double scale = std::min(1.0, static_cast<double>(maxSide) / std::max(width, height));
  thumbWidth = std::max(1, static_cast<int>(width * scale));
  thumbHeight = std::max(1, static_cast<int>(height * scale));
  std::vector<unsigned char> thumb(static_cast<std::size_t>(thumbWidth) * thumbHeight * 4);
  for (int ty = 0; ty < thumbHeight; ++ty) {
    for (int tx = 0; tx < thumbWidth; ++tx) {
      unsigned sum[4] = {0, 0, 0, 0};
      for (int j = 0; j < kSamples; ++j) {
        const std::int64_t y = (static_cast<std::int64_t>(ty) * kSamples + j) * height /
                               (static_cast<std::int64_t>(thumbHeight) * kSamples);
        for (int i = 0; i < kSamples; ++i) {
          const std::int64_t x = (static_cast<std::int64_t>(tx) * kSamples + i) * width /
                                 (static_cast<std::int64_t>(thumbWidth) * kSamples);
          const unsigned char* p = pixels + (y * width + x) * 4;
          for (int c = 0; c < 4; ++c) sum[c] += p[c];
        }
      }
      unsigned char* out = thumb.data() + (static_cast<std::size_t>(ty) * thumbWidth + tx) * 4;
      for (int c = 0; c < 4; ++c)
        out[c] = static_cast<unsigned char>(sum[c] / (kSamples * kSamples));
    }
  }
  return thumb;
}

void ReleaseRows(unsigned char* pixels, std::size_t rowBytes, int rows) {
  if (!pixels || rows <= 0) return;
  const auto page = static_cast<std::uintptr_t>(sysconf(_SC_PAGESIZE));
  const auto begin = reinterpret_cast<std::uintptr_t>(pixels);
  const std::uintptr_t end = begin + rowBytes * static_cast<std::size_t>(rows);
  const std::uintptr_t first = (begin + page - 1) / page * page;
  const std::uintptr_t last = end / page * page;
  if (last > first) madvise(reinterpret_cast<void*>(first), last - first, MADV_DONTNEED);
}

int CutTiles(KEPAtelIma& image, const Proposal& tile, const Place& place) {
  int width = 0, height = 0;
  image.GetSize(width, height);
  if (!image.GetPixels() || tile.width <= 0 || tile.height <= 0 || width % tile.width != 0 ||
      height % tile.height != 0) {
    KEPFormatError(errmsg, "Tiles of %d x %d do not divide the image (%d x %d).", tile.width,
                   tile.height, width, height);
    return 1;
  }
  const int columns = width / tile.width, rows = height / tile.height;
  const std::string directory = image.GetDirectory(), base = image.GetBaseName(),
                    extension = image.GetExtension();
  for (int r = 0; r < rows; ++r) {
    for (int c = 0; c < columns; ++c) {
      char name[KEP_ERRMSG_SIZE];
      std::snprintf(name, sizeof name, "%s_%d_%d", base.c_str(), r, c);
      auto piece = std::make_unique<KEPAtelIma>(directory.c_str(), name, extension.c_str(), "", 0,
                                                KEPAtelIma::STATE_IN_MEMORY, 0u);
      // The rectangle's rows, copied into memory advised for large pages:
      // a thousand tiles of fresh memory otherwise cost a page fault per
      // 4 KiB.
      const std::size_t run = static_cast<std::size_t>(tile.width) * 4;
      std::vector<unsigned char> pixels = KEPLargeArrays::Make<unsigned char>(run * tile.height);
      for (int y = 0; y < tile.height; ++y)
        std::memcpy(
            pixels.data() + y * run,
            image.GetPixels() +
                (static_cast<std::size_t>(r * tile.height + y) * width + c * tile.width) * 4,
            run);
      const int size[2] = {tile.width, tile.height};
      piece->ReplacePixels(std::move(pixels), size);
      if (!piece->GetPixels()) {
        KEPFormatError(errmsg, "Can't allocate image data structure");
        return 1;
      }
      piece->SetDone();
      if (!place(std::move(piece), r, c)) return 1;
    }
    // The rows just cut are not needed any more: their memory goes back
    // before the next tiles take theirs.
    ReleaseRows(image.GetPixels(), static_cast<std::size_t>(width) * 4, (r + 1) * tile.height);
  }
  return 0;
}

}  // namespace KEPSplit
