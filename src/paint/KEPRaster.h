#pragma once

#include <span>
#include <vector>

class KEPAtelIma;

// Raster drawing on a raw pixel buffer: 4 bytes per pixel, rows one after the
// other, pixel (x, y) at byte (y * width + x) * 4. Nothing here knows the
// toolkit or the document; no state is kept between calls.
//
// Common arguments:
// - buffer, width, height: the pixels and their size. A buffer smaller than
//   width * height * 4 bytes, or a size that is not positive, draws nothing.
// - colour: four ints, one per byte; 0..255 is the value to paint and 256
//   leaves that byte as it is.
// - blend: the weight of the pixel already there. A painted byte becomes the
//   low 8 bits of trunc(blend * old + (1 - blend) * paint) in float, so 0
//   paints the colour itself and 1 changes nothing.
// - thickness: compared with the 15 x 15 motif table; 0 is one pixel, 1 a
//   3 x 3 square, 8 and more the full 15 x 15 square.
// - points: float arrays of (x, y) pairs in view coordinates; with an offset
//   (the view position of pixel (0, 0)) a point stands for pixel
//   (floor(x - offsetX), floor(y - offsetY)).
// Positions outside the image are skipped one by one: a shape near a border
// is cut, never moved.

using KEPPaintColour = std::span<const int, 4>;

// Polygon modes of DrawPolygon and DrawCircle; any other value draws an open
// polyline.
enum : int { KEP_POLYGON_OPEN = 0, KEP_POLYGON_FILLED = 1, KEP_POLYGON_CLOSED = 2 };

// The motif table entry for offset (i, j), both 0..14, of a motif centred at
// (7, 7): a motif of thickness t covers the entries <= t.
int MotifEntry(int i, int j);

// (min x, min y, max x, max y) of the points; empty when there is none.
std::vector<float> GetMinMaxOfPointArray(std::span<const float> points);

// Seed fill of the 4-connected region of pixels equal to oldColour in all four
// bytes, starting at the seed. oldColour is the seed pixel's own bytes.
void Paint(std::span<unsigned char> buffer, int width, int height, int seedX, int seedY,
           KEPPaintColour oldColour, KEPPaintColour newColour);

// One burst of `count` dots, normally distributed around (cx, cy) with a
// standard deviation of radius / 2 and cut off at the radius. Draws from
// drand48, which is never seeded here.
void Spray(std::span<unsigned char> buffer, int width, int height, int cx, int cy,
           KEPPaintColour colour, int radius, int count, float blend);
// The same burst with another source of uniform draws in [0, 1), for callers
// that need a reproducible result.
void SprayWithSource(double (*draw)(), std::span<unsigned char> buffer, int width, int height,
                     int cx, int cy, KEPPaintColour colour, int radius, int count, float blend);
// A burst at every position of the segment but the first, which the previous
// call of the same stroke has sprayed.
void SpraySegment(std::span<unsigned char> buffer, int width, int height, int x1, int y1, int x2,
                  int y2, KEPPaintColour colour, int radius, int count, float blend);
// The same with another source of uniform draws (the two images of a stereo
// pair must receive the same dots).
void SpraySegmentWithSource(double (*draw)(), std::span<unsigned char> buffer, int width,
                            int height, int x1, int y1, int x2, int y2, KEPPaintColour colour,
                            int radius, int count, float blend);

void DrawMotif(std::span<unsigned char> buffer, int width, int height, KEPPaintColour colour, int x,
               int y, int thickness, float blend);
// A motif at every step of the integer line, both ends included.
void DrawSegment(std::span<unsigned char> buffer, int width, int height, KEPPaintColour colour,
                 int x1, int y1, int x2, int y2, int thickness, float blend);
// The positions of the same line that lie inside the image, in order from
// (x1, y1), as (x, y) pairs.
std::vector<int> GetSegment(int width, int height, int x1, int y1, int x2, int y2);

// mode KEP_POLYGON_FILLED fills (thickness unused, boundary painted),
// KEP_POLYGON_CLOSED draws the closed outline, anything else the open one.
void DrawPolygon(std::span<unsigned char> buffer, int width, int height, float offsetX,
                 float offsetY, std::span<const float> points, KEPPaintColour colour, int thickness,
                 float blend, int mode);

// Edge mask values.
enum : unsigned char { KEP_EDGE_NONE = 1, KEP_EDGE_FLIP = 3, KEP_EDGE_BOUNDARY = 4 };
// Edge mask of a polygon in pixel coordinates over the whole image: one byte
// per pixel; empty when there is no point. A pixel belongs to the polygon
// when, scanning its row from the left with an inside flag starting false, it
// is KEP_EDGE_FLIP (the flag then flips), KEP_EDGE_BOUNDARY, or the flag is
// set.
std::vector<unsigned char> MarkPolygonEdges(int width, int height, std::span<const float> points);

// The polygon in pixel coordinates cut to the image, rows first then columns;
// empty when nothing survives.
std::vector<float> ClipPolygone(std::span<const float> points, int width, int height, float offsetX,
                                float offsetY);

// Clip codes: 0 nothing moved, 4 rejected (both ends beyond one border),
// else 1 when end 1 was moved plus 2 when end 2 was moved.
int ClipHorizontalLine(int& x1, int& y1, int& x2, int& y2, int height);
int ClipVerticalLine(int& x1, int& y1, int& x2, int& y2, int width);
// Moves (bx, by) onto the border named by outcode (8 top, 16 bottom, 2 left,
// 4 right) along the line from the fixed end (ax, ay).
void Inter(int ax, int ay, int& bx, int& by, int outcode, int limit);

// A digital circle as a closed chain of 8-connected pixels, straight runs
// reduced to their ends, in the coordinates of the centre; the last point is
// next to the first. Empty when the circle cannot touch the image, for a
// radius of 0, and for a radius beyond KEP_MAX_CIRCLE_RADIUS.
inline constexpr double KEP_MAX_CIRCLE_RADIUS = 1 << 20;
std::vector<float> ComputeCircle(int width, int height, float offsetX, float offsetY,
                                 double centreX, double centreY, double radius);
void DrawCircle(std::span<unsigned char> buffer, int width, int height, float offsetX,
                float offsetY, double centreX, double centreY, double radius, KEPPaintColour colour,
                int thickness, float blend, int mode);

// Restore the motif around (x, y) from the image's undo copy.
void ErasePt(KEPAtelIma& image, int x, int y, int thickness);
void EraseSegment(KEPAtelIma& image, int x1, int y1, int x2, int y2, int thickness);

// Selection mask of a polygon: one byte per pixel of its clipped bounding
// box, 0 inside or on the boundary, 1 outside. Empty (and the out values 0)
// when the polygon misses the image.
std::vector<unsigned char> ComputeMaskFromPts(std::span<const float> points, int width, int height,
                                              float offsetX, float offsetY, int& maskWidth,
                                              int& maskHeight, int& originX, int& originY);
