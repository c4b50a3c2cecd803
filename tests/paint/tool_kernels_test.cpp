// The colour chooser's kernels and the tool samples.
#include <gtest/gtest.h>

#include <vector>

#include "paint/KEPColourMatch.h"
#include "paint/KEPToolSample.h"
#include "paint/RasterImage.h"

namespace {

using Pixel = RasterImage::Pixel;

// 6 x 4 pixels, (x % 2, 5, 9, 255): two colours in columns.
RasterImage Columns() {
  RasterImage image(6, 4);
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 6; ++x) image.Set(x, y, {static_cast<unsigned char>(x % 2), 5, 9, 255});
  return image;
}

TEST(MatchColor, ReplacesExactMatchesInThePaintedChannelsOnly) {
  const Colour paint = {100, 256, 200, 255};
  const struct {
    Colour match;
    int changed;
  } cases[] = {
      {{1, 5, 9, 255}, 12},      // the odd columns
      {{256, 5, 256, 255}, 24},  // a channel off in the match: any value there
      {{256, 256, 256, 256}, 24},
      {{1, 5, 9, 254}, 0},  // no tolerance
  };
  for (const auto& c : cases) {
    RasterImage image = Columns();
    EXPECT_EQ(MatchColor(image.Span(), 6, 4, 0, 0, 6, 4, nullptr, 0, c.match, paint, true),
              c.changed);
    EXPECT_EQ(image.bytes, Columns().bytes);  // counted, not written
    EXPECT_EQ(MatchColor(image.Span(), 6, 4, 0, 0, 6, 4, nullptr, 0, c.match, paint), c.changed);
    EXPECT_EQ(image.CountEqual({100, 5, 200, 255}), c.changed);  // green kept
    // Again: what was painted does not match any more, or is already the
    // paint colour.
    EXPECT_EQ(MatchColor(image.Span(), 6, 4, 0, 0, 6, 4, nullptr, 0, c.match, paint), 0);
  }
}

TEST(MatchColor, KeepsToTheSelectedSideOfAMask) {
  // A 2 x 2 mask at (2, 1) whose shape is its left column.
  const std::vector<unsigned char> bytes = {0, 1, 0, 1};
  const KEPSelectionMask mask{bytes, 2, 1, 2, 2};
  const Colour all = {256, 256, 256, 256}, paint = {50, 50, 50, 50};
  RasterImage in = Columns(), out = Columns();
  EXPECT_EQ(MatchColor(in.Span(), 6, 4, 2, 1, 2, 2, &mask, 0, all, paint), 2);
  EXPECT_EQ(in.At(2, 1), (Pixel{50, 50, 50, 50}));
  EXPECT_EQ(in.At(3, 1), (Pixel{1, 5, 9, 255}));
  EXPECT_EQ(MatchColor(out.Span(), 6, 4, 0, 0, 6, 4, &mask, 1, all, paint), 22);
  EXPECT_EQ(out.At(2, 2), (Pixel{0, 5, 9, 255}));
  // A rectangle reaching off the picture is cut to it.
  EXPECT_EQ(MatchColor(out.Span(), 6, 4, -10, -10, 100, 100, nullptr, 0, all, Colour{7, 7, 7, 7}),
            24);
}

TEST(ColourSwatch, ChannelsSwitchedOffShowGradients) {
  const struct {
    Colour colour;
    Pixel at00, at43_21;  // row 0 column 0; row 43 column 21
  } cases[] = {
      {{10, 20, 30, 255}, {10, 20, 30, 255}, {10, 20, 30, 255}},
      {{256, 20, 30, 0}, {0, 20, 30, 0}, {249, 20, 30, 0}},          // red rises by row
      {{10, 256, 256, 255}, {10, 0, 0, 255}, {10, 249, 121, 255}},   // then by column
      {{256, 256, 256, 255}, {0, 0, 0, 255}, {249, 121, 185, 255}},  // the third: their mean
  };
  for (const auto& c : cases) {
    RasterImage swatch(44, 44);
    FillColourSwatch(swatch.Span(), 44, 44, c.colour);
    EXPECT_EQ(swatch.At(0, 0), c.at00);
    EXPECT_EQ(swatch.At(21, 43), c.at43_21);
  }
}

TEST(ToolSample, DrawsTheToolsLayoutAndNothingForTheOthers) {
  const Colour black = {0, 0, 0, 255};
  const KEPToolParameters p{3, 0.0f, 10, 12};
  RasterImage sample(160, 100, kWhitePixel), expected(160, 100, kWhitePixel);
  DrawToolSample(sample.Span(), 160, 100, KEP_SAMPLE_RECTANGLE, black, p);
  const float corners[] = {40, 25, 120, 25, 120, 75, 40, 75};
  DrawPolygon(expected.Span(), 160, 100, 0, 0, corners, black, 3, 0.0f, KEP_POLYGON_CLOSED);
  EXPECT_EQ(sample.bytes, expected.bytes);
  for (int tool : {KEP_SAMPLE_PAINT, KEP_SAMPLE_SELECT_RECTANGLE, KEP_SAMPLE_COLOR, 0}) {
    RasterImage blank(160, 100, kWhitePixel);
    DrawToolSample(blank.Span(), 160, 100, tool, black, p);
    EXPECT_EQ(blank.CountEqual(kWhitePixel), 160 * 100) << tool;
  }
  // In the toolbar's picture the selection marks its side with dots, on
  // the other side for Out.
  RasterImage in(90, 80, kWhitePixel), out(90, 80, kWhitePixel);
  DrawToolbarSample(in.Span(), 90, 80, KEP_SAMPLE_SELECT_CIRCLE, black, p, 0, 255);
  DrawToolbarSample(out.Span(), 90, 80, KEP_SAMPLE_SELECT_CIRCLE, black, p, 1, 255);
  const Pixel grey = {128, 128, 128, 255};
  EXPECT_EQ(in.At(46, 42), grey);  // (46, 42) is next to the centre
  EXPECT_EQ(out.At(2, 2), grey);
  EXPECT_NE(in.At(2, 2), grey);
  // The fill's picture is an outline filled with the colour.
  RasterImage fill(90, 80, kWhitePixel);
  DrawToolbarSample(fill.Span(), 90, 80, KEP_SAMPLE_PAINT, Colour{255, 0, 0, 255}, p, 0, 255);
  EXPECT_EQ(fill.At(45, 40), (Pixel{255, 0, 0, 255}));
  EXPECT_EQ(fill.At(2, 2), kWhitePixel);
}

}  // namespace
