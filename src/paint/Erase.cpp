// The eraser: the motif's pixels go back to the image's undo copy.
#include "image/KEPAtelIma.h"
#include "paint/KEPRaster.h"
#include "paint/detail/KEPMotifSpans.h"
#include "paint/detail/RasterDetail.h"

namespace {

void EraseMotif(KEPAtelIma& image, int width, int height, const KEPMotifSpans& motif, int x,
                int y) {
  motif.ForEachRow(x, y, width, height, [&](int row, int x0, int x1) {
    for (int px = x0; px <= x1; ++px) image.ErasePixel(px, row);
  });
}

}  // namespace

void ErasePt(KEPAtelIma& image, int x, int y, int thickness) {
  int width = 0, height = 0;
  image.GetSize(width, height);
  if (!kep_raster::Inside(x, y, width, height)) return;
  EraseMotif(image, width, height, KEPMotifSpans(thickness), x, y);
}

void EraseSegment(KEPAtelIma& image, int x1, int y1, int x2, int y2, int thickness) {
  if (x1 == x2 && y1 == y2) return;
  int width = 0, height = 0;
  image.GetSize(width, height);
  if (!kep_raster::Inside(x1, y1, width, height) && !kep_raster::Inside(x2, y2, width, height)) {
    return;
  }
  const std::vector<int> positions = GetSegment(width, height, x1, y1, x2, y2);
  if (positions.size() < 4) return;
  const KEPMotifSpans motif(thickness);
  // The first position was erased by the previous call of the stroke.
  for (std::size_t k = 2; k + 1 < positions.size(); k += 2) {
    EraseMotif(image, width, height, motif, positions[k], positions[k + 1]);
  }
}
