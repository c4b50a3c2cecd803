#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <vector>

#include "image/KEPAtelIma.h"
#include "platform/KEPClock.h"

namespace {

std::vector<unsigned char> Pattern(int width, int height) {
  std::vector<unsigned char> pixels(static_cast<std::size_t>(width) * height * 4);
  for (std::size_t i = 0; i < pixels.size(); ++i)
    pixels[i] = static_cast<unsigned char>((i * 7 + i / 4) & 0xFF);
  return pixels;
}

const unsigned char* At(const KEPAtelIma& image, int x, int y) {
  int w, h;
  image.GetSize(w, h);
  return image.GetPixels() + (static_cast<std::size_t>(y) * w + x) * 4;
}

}  // namespace

TEST(FrameParts, TenBySevenFrame) {
  struct {
    int part, width, height;
  } const expected[] = {{4, 4, 1}, {13, 2, 4}, {16, 4, 4}, {1, 2, 1}, {0, 10, 7}};
  for (const auto& e : expected) {
    int w, h;
    KEPAtelIma::FramePartSize(e.part, 10, 7, w, h);
    EXPECT_EQ(std::pair(w, h), std::pair(e.width, e.height)) << e.part;
  }
  const std::uint32_t code = KEPAtelIma::MakeFramePartCode(16, 10, 7);
  EXPECT_EQ(KEPAtelIma::MakeFramePartCode(0, 10, 7), 0u);
  KEPAtelIma part(KEPAtelIma::STATE_IN_MEMORY, code);
  int wr, hr;
  part.GetFramePartRemainder(wr, hr);
  EXPECT_EQ(std::tuple(part.GetFramePart(), wr, hr), std::tuple(16, 2, 3));
}

TEST(FrameParts, EveryFramePixelLandsInExactlyOnePart) {
  for (auto [frameW, frameH] : {std::pair{10, 7}, std::pair{8, 8}, std::pair{13, 6}}) {
    std::vector<int> hits(frameW * frameH, 0);
    for (int p = 1; p <= 16; ++p) {
      KEPAtelIma part(KEPAtelIma::STATE_IN_MEMORY,
                      KEPAtelIma::MakeFramePartCode(p, frameW, frameH));
      int w, h;
      KEPAtelIma::FramePartSize(p, frameW, frameH, w, h);
      ASSERT_EQ(part.AllocatePixels(w, h), 0);  // placement follows the part's own size
      for (int i = 0; i < frameW * frameH; ++i) {
        int lx, ly;
        part.FrameToLocal(i % frameW, i / frameW, lx, ly);
        hits[i] += lx >= 0 && ly >= 0 && lx < w && ly < h;
      }
    }
    for (int i = 0; i < frameW * frameH; ++i)
      ASSERT_EQ(hits[i], 1) << frameW << "x" << frameH << " pixel " << i;
  }
  KEPAtelIma whole(KEPAtelIma::STATE_IN_MEMORY, 0);
  int lx, ly;
  whole.FrameToLocal(6, 3, lx, ly);
  EXPECT_EQ(std::pair(lx, ly), std::pair(6, 3));
}

TEST(Record, StatesAndNames) {
  KEPAtelIma fromFile("/data/shots/frame.0001.TIF", KEPAtelIma::STATE_FROM_FILE, 0);
  EXPECT_TRUE(fromFile.IsSaved() && fromFile.IsDone());
  EXPECT_FALSE(fromFile.IsEditable());
  EXPECT_EQ(fromFile.GetDirectory() + "|" + fromFile.GetBaseName() + "|" + fromFile.GetExtension(),
            "/data/shots/|frame.0001|TIF");
  KEPAtelImaFormat format;
  EXPECT_TRUE(fromFile.GetFormat(format));

  KEPAtelIma rendered("out", "shot", "png", "_L", 0, KEPAtelIma::STATE_IN_MEMORY, 0);
  EXPECT_STREQ(rendered.GetName(), "out/shot_L.png");
  EXPECT_FALSE(rendered.IsSaved() || rendered.IsDone());
  KEPAtelIma withSlash("/tmp/", "shot", "tif", "", 0, KEPAtelIma::STATE_IN_MEMORY, 0);
  EXPECT_STREQ(withSlash.GetName(), "/tmp/shot.tif");

  KEPAtelIma bare("noext", KEPAtelIma::STATE_IN_MEMORY, 0);
  EXPECT_EQ(bare.GetDirectory() + bare.GetExtension(), "");
  EXPECT_TRUE(bare.GetFormat(format));  // counts as tif
  KEPAtelIma hidden("/a.b/.hidden", KEPAtelIma::STATE_IN_MEMORY, 0);
  EXPECT_EQ(hidden.GetBaseName() + "|" + hidden.GetExtension(), ".hidden|");
  EXPECT_FALSE(KEPAtelIma("x.abc", 4, 0).GetFormat(format));
}

TEST(Record, AllocationLimitsAndPutPatchClips) {
  KEPAtelIma image(KEPAtelIma::STATE_IN_MEMORY, 0);
  for (auto [w, h] : {std::pair{0, 10}, std::pair{-3, 10}, std::pair{KEPAtelIma::kMaxSide + 1, 1},
                      std::pair{40000, 40000}})
    EXPECT_NE(image.AllocatePixels(w, h), 0) << w << "x" << h;
  EXPECT_EQ(image.GetPixels(), nullptr);
  EXPECT_EQ(image.AllocatePixels(KEPAtelIma::kMaxSide, 2), 0);

  ASSERT_EQ(image.AllocatePixels(5, 4), 0);
  const std::vector<unsigned char> patch = Pattern(3, 3);
  image.PutPatch(3, 2, 3, 3, patch.data(), 1);  // sticks out right and top
  for (int k = 0; k < 4; ++k)
    EXPECT_EQ(std::memcmp(At(image, 3 + k % 2, 2 + k / 2), &patch[(k / 2 * 3 + k % 2) * 4], 4), 0);
  EXPECT_EQ(At(image, 2, 2)[0], 0);
  image.PutPatch(-2, -2, 3, 3, patch.data(), 1);  // only source (2, 2) lands
  EXPECT_EQ(std::memcmp(At(image, 0, 0), &patch[32], 4), 0);
  EXPECT_EQ(At(image, 1, 0)[3], 0);
  image.PutPatch(10, 10, 3, 3, patch.data(), 1);
}

TEST(Record, ReplaceCopyRectAndCopy) {
  KEPAtelIma image("a.tif", KEPAtelIma::STATE_IN_MEMORY, 7);
  const std::vector<unsigned char> original = Pattern(6, 5);
  int size[2] = {6, 5};
  image.ReplacePixels(std::vector<unsigned char>(original), size);
  image.ReplacePixels(std::vector<unsigned char>(10));  // wrong size: refused
  ASSERT_EQ(image.GetMemorySize(), original.size());
  EXPECT_EQ(std::memcmp(image.GetPixels(), original.data(), original.size()), 0);

  std::vector<unsigned char> rect = image.CopyRect(2, 1, 3, 2);
  ASSERT_EQ(rect.size(), 24u);
  EXPECT_EQ(std::memcmp(rect.data(), At(image, 2, 1), 12), 0);
  EXPECT_EQ(std::memcmp(rect.data() + 12, At(image, 2, 2), 12), 0);
  EXPECT_TRUE(image.CopyRect(4, 0, 3, 1).empty());
  EXPECT_TRUE(image.CopyRect(-1, 0, 2, 2).empty());

  // A copy takes pixels, placement and stereo side but not the partner.
  KEPAtelIma partner("b.tif", KEPAtelIma::STATE_IN_MEMORY, 0);
  image.SetCoupledImage(&partner);
  image.SetStereoSide(1);
  image.SetOrigin(1.5f, -2.0f);
  KEPAtelIma copy(image);
  float ox, oy;
  copy.GetOrigin(ox, oy);
  EXPECT_EQ(copy.GetCoupledImage(), nullptr);
  EXPECT_EQ(std::tuple(copy.GetStereoSide(), copy.GetFramePart(), ox, oy),
            std::tuple(1, 7, 1.5f, -2.0f));
  copy.GetPixels()[0] ^= 0xFF;
  EXPECT_EQ(image.GetPixels()[0], original[0]);
}

TEST(Record, Resample) {
  KEPAtelIma image(KEPAtelIma::STATE_IN_MEMORY, 0);
  std::vector<unsigned char> out;
  EXPECT_NE(image.Resample(1, 4, 4, out), 0);  // no pixels

  // Left half black, right half white: the halves stay (but for the ringing
  // of the high-quality filter), the middle blends.
  ASSERT_EQ(image.AllocatePixels(4, 2), 0);
  for (int y = 0; y < 2; ++y) std::memset(image.GetPixels() + (y * 4 + 2) * 4, 255, 8);
  for (int quality : {1, 2}) {
    ASSERT_EQ(image.Resample(quality, 8, 3, out), 0);
    ASSERT_EQ(out.size(), 96u);
    for (int y = 0; y < 3; ++y) {
      EXPECT_LE(out[(y * 8) * 4], 10) << quality;
      EXPECT_GE(out[(y * 8 + 7) * 4], 245) << quality;
      EXPECT_GT(out[(y * 8 + 4) * 4], out[(y * 8 + 3) * 4]) << quality;
    }
  }
  // A flat picture stays flat through both filters, both ways.
  ASSERT_EQ(image.AllocatePixels(33, 17), 0);
  for (std::size_t i = 0; i < image.GetMemorySize(); ++i) image.GetPixels()[i] = 10 + i % 4 * 80;
  for (int quality : {1, 2})
    for (auto [nw, nh] : {std::pair{100, 50}, std::pair{7, 5}}) {
      ASSERT_EQ(image.Resample(quality, nw, nh, out), 0);
      ASSERT_EQ(out.size(), static_cast<std::size_t>(nw) * nh * 4);
      for (std::size_t i = 0; i < out.size(); ++i) ASSERT_NEAR(out[i], 10 + i % 4 * 80, 1);
    }
  EXPECT_NE(image.Resample(2, 0, 5, out), 0);
  EXPECT_NE(image.Resample(2, KEPAtelIma::kMaxSide + 1, 5, out), 0);
}

// The high-quality filter: a ramp stays a ramp (no shift by half a pixel,
// weights that sum to one), and detail finer than the smaller image can
// hold is smoothed away rather than folded into false stripes.
TEST(Record, LanczosKeepsRampsAndFiltersWhenShrinking) {
  KEPAtelIma ramp(KEPAtelIma::STATE_IN_MEMORY, 0);
  ASSERT_EQ(ramp.AllocatePixels(32, 3), 0);
  for (int i = 0; i < 32 * 3; ++i) std::memset(ramp.GetPixels() + i * 4, 40 + (i % 32) * 5, 4);
  std::vector<unsigned char> out;
  ASSERT_EQ(ramp.Resample(2, 96, 3, out), 0);
  // Output column c samples the source at (c + 0.5) / 3 - 0.5, away from
  // the edges where the filter is cut.
  for (int c = 12; c < 84; ++c)
    EXPECT_NEAR(out[(96 + c) * 4], 40 + 5 * ((c + 0.5) / 3 - 0.5), 1.0) << c;

  KEPAtelIma stripes(KEPAtelIma::STATE_IN_MEMORY, 0);
  ASSERT_EQ(stripes.AllocatePixels(90, 2), 0);
  for (int i = 0; i < 90 * 2; ++i) std::memset(stripes.GetPixels() + i * 4, i % 2 ? 255 : 0, 4);
  ASSERT_EQ(stripes.Resample(2, 30, 2, out), 0);
  for (int c = 3; c < 27; ++c) EXPECT_NEAR(out[c * 4], 128, 16) << c;
}

TEST(Record, RenderingTimeRunsFromCreationToDone) {
  double now = 1000.0;
  KEPClock::SetSourceForTesting([&now] { return now; });
  KEPAtelIma image("r.tif", KEPAtelIma::STATE_IN_MEMORY, 0);
  KEPAtelIma ended("e.tif", KEPAtelIma::STATE_IN_MEMORY, 0);
  KEPAtelIma opened("o.tif", KEPAtelIma::STATE_FROM_FILE, 0);
  now += 41.7;
  EXPECT_EQ(image.GetRenderingTime(), 0);
  image.SetDone();
  now += 100;
  image.SetDone();  // a second call does not move the time
  image.EndRendering();
  ended.EndRendering();
  KEPClock::SetSourceForTesting(nullptr);
  EXPECT_EQ(image.GetRenderingTime(), 42);
  EXPECT_TRUE(ended.IsDone());
  EXPECT_EQ(ended.GetRenderingTime(), 142);
  EXPECT_EQ(opened.GetRenderingTime(), 0);
}

TEST(Record, UndoAndErase) {
  KEPAtelIma image(KEPAtelIma::STATE_IN_MEMORY, 0);
  EXPECT_EQ(image.SwapUndo(), 0);
  ASSERT_EQ(image.AllocatePixels(3, 2), 0);
  image.GetPixels()[0] = 11;
  image.SaveForUndo(1);
  EXPECT_EQ(image.GetUndoState(), 1);
  image.GetPixels()[0] = 99;  // pixels (0, 0) and (1, 0) painted
  image.GetPixels()[4] = 77;
  image.ErasePixel(0, 0);
  image.ErasePixel(-1, 0);
  EXPECT_EQ(image.GetPixels()[0], 11);
  EXPECT_EQ(image.GetPixels()[4], 77);

  // Undo brings back the copy and its size and offers redo.
  int size[2] = {5, 5};
  image.ReplacePixels(std::vector<unsigned char>(100, 1), size);
  EXPECT_FALSE(image.CanErase());  // size differs from the copy
  EXPECT_EQ(image.SwapUndo(), 2);
  int w, h, uw, uh;
  image.GetSize(w, h);
  image.GetUndoSize(uw, uh);
  EXPECT_EQ(std::tuple(w, h, uw, uh), std::tuple(3, 2, 5, 5));
  EXPECT_FALSE(image.CanErase());  // the copy now holds the undone change
  EXPECT_EQ(image.SwapUndo(), 1);
  image.SaveForUndo(0);
  EXPECT_FALSE(image.CanErase());
  image.ErasePixel(0, 0);
  EXPECT_EQ(image.GetPixels()[0], 1);
}

// Whichever way two records point at each other, neither may keep a partner
// that has gone.
TEST(Record, APartnerThatGoesIsForgotten) {
  auto left = std::make_unique<KEPAtelIma>(KEPAtelIma::STATE_IN_MEMORY, 0u);
  auto right = std::make_unique<KEPAtelIma>(KEPAtelIma::STATE_IN_MEMORY, 0u);
  KEPAtelIma one_way(KEPAtelIma::STATE_IN_MEMORY, 0u);
  left->SetCoupledImage(right.get());
  right->SetCoupledImage(left.get());
  one_way.SetCoupledImage(right.get());
  right.reset();
  EXPECT_EQ(left->GetCoupledImage(), nullptr);
  EXPECT_EQ(one_way.GetCoupledImage(), nullptr);
}
