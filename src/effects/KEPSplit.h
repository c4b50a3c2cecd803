#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <vector>

class KEPAtelIma;

// Cutting a large image into an exact grid of equal tiles.
namespace KEPSplit {

struct Proposal {
  int width = 0, height = 0;  // of one tile
};

// The ways to cut a width x height image, in the order found: for 1, 2, 3,
// ... rows of tiles whose height is whole, the column counts nearest the
// image's shape whose tile width is whole (the whole image itself is no
// proposal). The search ends with the first row count whose tile height, or
// whose last tile width, is below 50 pixels.
std::vector<Proposal> Proposals(int width, int height);

// A copy of an RGBA image no larger than maxSide a side, of the same shape,
// each pixel the mean of a few samples of the area it covers.
std::vector<unsigned char> Thumbnail(const unsigned char* pixels, int width, int height,
                                     int maxSide, int& thumbWidth, int& thumbHeight);

// Gives the memory of the first `rows` rows of a buffer of rows of
// `rowBytes` bytes back to the system; those rows read as zero afterwards.
// For a picture being cut up and then dropped, so that it and its tiles are
// not held whole at the same time. Only whole pages inside the rows go.
void ReleaseRows(unsigned char* pixels, std::size_t rowBytes, int rows);

// Takes a tile made by CutTiles; false stops the cutting.
using Place = std::function<bool(std::unique_ptr<KEPAtelIma> tile, int row, int column)>;

// Cuts `image` into tiles of the proposal's size, row after row from its
// first (bottom) row, each row left to right: new images named "%s_%d_%d"
// (the image's base name, row, column) beside it with its extension, holding
// their pixels, done. The rows of the image already cut give their memory
// back as the cutting goes (their pixels read as zero afterwards): the image
// is meant to be dropped. Non-zero when the tiles do not divide the image
// (nothing is cut) or a tile could not be made or placed; errmsg says why,
// except for a refused placing.
int CutTiles(KEPAtelIma& image, const Proposal& tile, const Place& place);

}  // namespace KEPSplit
