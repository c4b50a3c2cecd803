#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "image/KEPAtelIma.h"
#include "platform/KEPClock.h"

namespace {

// Pixel bytes that differ from one pixel and channel to the next.
std::vector<unsigned char> Pattern(int width, int height, int seed = 0) {
  std::vector<unsigned char> pixels(static_cast<std::size_t>(width) * height * 4);
  for (std::size_t i = 0; i < pixels.size(); ++i)
    pixels[i] = static_cast<unsigned char>((i * 7 + seed * 13 + i / 4) & 0xFF);
  return pixels;
}

const unsigned char* At(const KEPAtelIma& image, int x, int y) {
  int w, h;
  image.GetSize(w, h);
  return image.GetPixels() + (static_cast<std::size_t>(y) * w + x) * 4;
}

class FakeClock {
 public:
  FakeClock() {
    KEPClock::SetSourceForTesting([this] { return now; });
  }
  ~FakeClock() { KEPClock::SetSourceForTesting(nullptr); }
  double now = 1000.0;
};

}  // namespace

TEST(FrameParts, TenBySevenFrame) {
  int w, h;
  KEPAtelIma::FramePartSize(4, 10, 7, w, h);
  EXPECT_EQ(w, 4);
  EXPECT_EQ(h, 1);
  KEPAtelIma::FramePartSize(13, 10, 7, w, h);
  EXPECT_EQ(w, 2);
  EXPECT_EQ(h, 4);
  KEPAtelIma::FramePartSize(16, 10, 7, w, h);
  EXPECT_EQ(w, 4);
  EXPECT_EQ(h, 4);
  KEPAtelIma::FramePartSize(0, 10, 7, w, h);
  EXPECT_EQ(w, 10);
  EXPECT_EQ(h, 7);

  const std::uint32_t code = KEPAtelIma::MakeFramePartCode(16, 10, 7);
  EXPECT_EQ(code, 16u + (2u * 16u + 3u) * (1u << 24));
  KEPAtelIma part(KEPAtelIma::STATE_IN_MEMORY, code);
  EXPECT_EQ(part.GetFramePart(), 16);
  int wr, hr;
  part.GetFramePartRemainder(wr, hr);
  EXPECT_EQ(wr, 2);
  EXPECT_EQ(hr, 3);

  KEPAtelIma whole(KEPAtelIma::STATE_IN_MEMORY, 0);
  EXPECT_EQ(whole.GetFramePart(), 0);
  whole.GetFramePartRemainder(wr, hr);
  EXPECT_EQ(wr + hr, 0);
}

TEST(FrameParts, PatchesOfTheWholeFrameLandInEachPart) {
  // Every frame pixel, sent as a one-pixel patch in frame coordinates to all
  // 16 parts, must land in exactly one part, and the parts must tile the
  // frame.
  const int frameW = 10, frameH = 7;
  std::vector<int> hits(frameW * frameH, 0);
  for (int p = 1; p <= 16; ++p) {
    KEPAtelIma part(KEPAtelIma::STATE_IN_MEMORY, KEPAtelIma::MakeFramePartCode(p, frameW, frameH));
    int w, h;
    KEPAtelIma::FramePartSize(p, frameW, frameH, w, h);
    ASSERT_EQ(part.AllocatePixels(w, h), 0);
    for (int y = 0; y < frameH; ++y)
      for (int x = 0; x < frameW; ++x) {
        int lx, ly;
        part.FrameToLocal(x, y, lx, ly);
        if (lx >= 0 && ly >= 0 && lx < w && ly < h) ++hits[y * frameW + x];
      }
  }
  for (int i = 0; i < frameW * frameH; ++i) EXPECT_EQ(hits[i], 1) << "pixel " << i;

  KEPAtelIma p16(KEPAtelIma::STATE_IN_MEMORY, KEPAtelIma::MakeFramePartCode(16, frameW, frameH));
  ASSERT_EQ(p16.AllocatePixels(4, 4), 0);
  int lx, ly;
  p16.FrameToLocal(6, 3, lx, ly);
  EXPECT_EQ(lx, 0);
  EXPECT_EQ(ly, 0);
  KEPAtelIma whole(KEPAtelIma::STATE_IN_MEMORY, 0);
  whole.FrameToLocal(6, 3, lx, ly);
  EXPECT_EQ(lx, 6);
  EXPECT_EQ(ly, 3);
}

TEST(Record, ConstructionStatesAndNames) {
  KEPAtelIma fromFile("/data/shots/frame.0001.TIF", KEPAtelIma::STATE_FROM_FILE, 0);
  EXPECT_TRUE(fromFile.IsSaved());
  EXPECT_TRUE(fromFile.IsDone());
  EXPECT_FALSE(fromFile.IsEditable());
  EXPECT_EQ(fromFile.GetPixels(), nullptr);
  EXPECT_EQ(fromFile.GetDirectory(), "/data/shots/");
  EXPECT_EQ(fromFile.GetBaseName(), "frame.0001");
  EXPECT_EQ(fromFile.GetExtension(), "TIF");
  KEPAtelImaFormat format;
  EXPECT_TRUE(fromFile.GetFormat(format));
  EXPECT_EQ(format.GetComment(), "Tagged Image File Format");

  KEPAtelIma rendered("out", "shot", "png", "_L", 0, KEPAtelIma::STATE_IN_MEMORY, 0);
  EXPECT_STREQ(rendered.GetName(), "out/shot_L.png");
  EXPECT_FALSE(rendered.IsSaved());
  EXPECT_FALSE(rendered.IsDone());
  KEPAtelIma withSlash("/tmp/", "shot", "tif", "", 0, KEPAtelIma::STATE_IN_MEMORY, 0);
  EXPECT_STREQ(withSlash.GetName(), "/tmp/shot.tif");

  KEPAtelIma bare("noext", KEPAtelIma::STATE_IN_MEMORY, 0);
  EXPECT_EQ(bare.GetDirectory(), "");
  EXPECT_EQ(bare.GetExtension(), "");
  EXPECT_TRUE(bare.GetFormat(format));  // counts as tif
  KEPAtelIma hidden("/a.b/.hidden", KEPAtelIma::STATE_IN_MEMORY, 0);
  EXPECT_EQ(hidden.GetBaseName(), ".hidden");
  EXPECT_EQ(hidden.GetExtension(), "");
  KEPAtelIma unknown("x.abc", KEPAtelIma::STATE_IN_MEMORY, 0);
  EXPECT_FALSE(unknown.GetFormat(format));
}

TEST(Record, PutPatchClipsAndKeepsRowOrder) {
  KEPAtelIma image(KEPAtelIma::STATE_IN_MEMORY, 0);
  ASSERT_EQ(image.AllocatePixels(5, 4), 0);
  EXPECT_EQ(image.GetMemorySize(), 5u * 4u * 4u);
  const std::vector<unsigned char> patch = Pattern(3, 3, 1);
  image.PutPatch(3, 2, 3, 3, patch.data(), 1);  // sticks out right and top
  for (int j = 0; j < 3; ++j)
    for (int i = 0; i < 3; ++i) {
      if (3 + i >= 5 || 2 + j >= 4) continue;
      EXPECT_EQ(std::memcmp(At(image, 3 + i, 2 + j), &patch[(j * 3 + i) * 4], 4), 0);
    }
  EXPECT_EQ(At(image, 2, 2)[0], 0);  // left of the patch untouched

  image.PutPatch(-2, -2, 3, 3, patch.data(), 1);  // only its source (2, 2) lands
  EXPECT_EQ(std::memcmp(At(image, 0, 0), &patch[(2 * 3 + 2) * 4], 4), 0);
  EXPECT_EQ(At(image, 1, 0)[3], 0);
  image.PutPatch(10, 10, 3, 3, patch.data(), 1);  // wholly outside: nothing
}

TEST(Record, AllocationLimits) {
  KEPAtelIma image(KEPAtelIma::STATE_IN_MEMORY, 0);
  EXPECT_NE(image.AllocatePixels(0, 10), 0);
  EXPECT_NE(image.AllocatePixels(-3, 10), 0);
  EXPECT_NE(image.AllocatePixels(KEPAtelIma::kMaxSide + 1, 1), 0);
  EXPECT_NE(image.AllocatePixels(40000, 40000), 0);  // sides fine, too many pixels
  EXPECT_EQ(image.GetPixels(), nullptr);
  ASSERT_EQ(image.AllocatePixels(KEPAtelIma::kMaxSide, 2), 0);
  int w, h;
  image.GetSize(w, h);
  EXPECT_EQ(w, KEPAtelIma::kMaxSide);
  EXPECT_EQ(h, 2);
}

TEST(Record, ReplaceCopyRectAndCopy) {
  KEPAtelIma image("a.tif", KEPAtelIma::STATE_IN_MEMORY, 7);
  std::vector<unsigned char> pixels = Pattern(6, 5);
  const std::vector<unsigned char> original = pixels;
  int size[2] = {6, 5};
  image.ReplacePixels(std::move(pixels), size);
  int w, h;
  image.GetSize(w, h);
  ASSERT_EQ(w, 6);
  ASSERT_EQ(h, 5);
  EXPECT_EQ(std::memcmp(image.GetPixels(), original.data(), original.size()), 0);

  // A buffer of the wrong size is refused and the pixels kept.
  image.ReplacePixels(std::vector<unsigned char>(10));
  EXPECT_EQ(std::memcmp(image.GetPixels(), original.data(), original.size()), 0);

  std::vector<unsigned char> rect = image.CopyRect(2, 1, 3, 2);
  ASSERT_EQ(rect.size(), 3u * 2u * 4u);
  EXPECT_EQ(std::memcmp(rect.data(), At(image, 2, 1), 12), 0);
  EXPECT_EQ(std::memcmp(rect.data() + 12, At(image, 2, 2), 12), 0);
  EXPECT_TRUE(image.CopyRect(4, 0, 3, 1).empty());
  EXPECT_TRUE(image.CopyRect(-1, 0, 2, 2).empty());

  KEPAtelIma partner("b.tif", KEPAtelIma::STATE_IN_MEMORY, 0);
  image.SetCoupledImage(&partner);
  image.SetStereoSide(1);
  image.SetOrigin(1.5f, -2.0f);
  image.SetTiffVariant("TIFF");
  KEPAtelIma copy(image);
  EXPECT_EQ(copy.GetCoupledImage(), nullptr);
  EXPECT_EQ(copy.GetStereoSide(), 1);
  EXPECT_EQ(copy.GetFramePart(), 7);
  EXPECT_EQ(copy.GetTiffVariant(), "TIFF");
  float ox, oy;
  copy.GetOrigin(ox, oy);
  EXPECT_EQ(ox, 1.5f);
  EXPECT_EQ(oy, -2.0f);
  ASSERT_NE(copy.GetPixels(), image.GetPixels());
  copy.GetPixels()[0] ^= 0xFF;
  EXPECT_EQ(image.GetPixels()[0], original[0]);
}

TEST(Record, Resample) {
  KEPAtelIma image(KEPAtelIma::STATE_IN_MEMORY, 0);
  std::vector<unsigned char> out;
  EXPECT_NE(image.Resample(1, 4, 4, out), 0);  // no pixels

  // Left half black, right half white: bilinear keeps the halves and blends
  // only the two middle columns.
  ASSERT_EQ(image.AllocatePixels(4, 2), 0);
  for (int y = 0; y < 2; ++y)
    for (int x = 2; x < 4; ++x) std::memset(image.GetPixels() + (y * 4 + x) * 4, 255, 4);
  ASSERT_EQ(image.Resample(1, 8, 3, out), 0);
  ASSERT_EQ(out.size(), 8u * 3u * 4u);
  for (int y = 0; y < 3; ++y) {
    EXPECT_EQ(out[(y * 8 + 0) * 4], 0);
    EXPECT_EQ(out[(y * 8 + 7) * 4], 255);
    EXPECT_GT(out[(y * 8 + 4) * 4], out[(y * 8 + 3) * 4]);
  }

  // A flat image stays flat through both filters, in both directions.
  KEPAtelIma flat(KEPAtelIma::STATE_IN_MEMORY, 0);
  ASSERT_EQ(flat.AllocatePixels(33, 17), 0);
  for (std::size_t i = 0; i < flat.GetMemorySize(); i += 4) {
    unsigned char* p = flat.GetPixels() + i;
    p[0] = 10, p[1] = 128, p[2] = 250, p[3] = 255;
  }
  for (int quality : {1, 2})
    for (auto [nw, nh] : {std::pair{100, 50}, std::pair{7, 5}}) {
      ASSERT_EQ(flat.Resample(quality, nw, nh, out), 0);
      ASSERT_EQ(out.size(), static_cast<std::size_t>(nw) * nh * 4);
      for (std::size_t i = 0; i < out.size(); i += 4) {
        ASSERT_NEAR(out[i], 10, 1) << quality;
        ASSERT_NEAR(out[i + 1], 128, 1);
        ASSERT_NEAR(out[i + 2], 250, 1);
        ASSERT_NEAR(out[i + 3], 255, 1);
      }
    }
  int w, h;
  flat.GetSize(w, h);
  EXPECT_EQ(w, 33);  // the record is unchanged
  EXPECT_NE(flat.Resample(2, 0, 5, out), 0);
  EXPECT_NE(flat.Resample(2, KEPAtelIma::kMaxSide + 1, 5, out), 0);
}

TEST(Record, RenderingTimeRunsFromCreationToDone) {
  FakeClock clock;
  KEPAtelIma image("r.tif", KEPAtelIma::STATE_IN_MEMORY, 0);
  clock.now += 41.7;
  EXPECT_EQ(image.GetRenderingTime(), 0);
  image.SetDone();
  EXPECT_TRUE(image.IsDone());
  clock.now += 100;
  image.SetDone();  // a second call does not move the time
  image.EndRendering();
  EXPECT_EQ(image.GetRenderingTime(), 42);

  KEPAtelIma opened("o.tif", KEPAtelIma::STATE_FROM_FILE, 0);
  EXPECT_EQ(opened.GetRenderingTime(), 0);
  KEPAtelIma ended("e.tif", KEPAtelIma::STATE_IN_MEMORY, 0);
  clock.now += 3;
  ended.EndRendering();
  EXPECT_TRUE(ended.IsDone());
  EXPECT_EQ(ended.GetRenderingTime(), 3);

  image.ClearSaved();
  EXPECT_FALSE(image.IsSaved());
  image.SetSaved();
  EXPECT_TRUE(image.IsSaved());
  EXPECT_FALSE(image.HasLogo());
}

TEST(Record, UndoAndErase) {
  KEPAtelIma image(KEPAtelIma::STATE_IN_MEMORY, 0);
  EXPECT_EQ(image.SwapUndo(), 0);
  ASSERT_EQ(image.AllocatePixels(3, 2), 0);
  image.GetPixels()[0] = 11;
  image.SaveForUndo(1);
  EXPECT_EQ(image.GetUndoState(), 1);
  EXPECT_TRUE(image.CanErase());

  image.GetPixels()[0] = 99;  // pixel (0, 0) painted
  image.GetPixels()[4] = 77;  // pixel (1, 0) painted
  image.ErasePixel(0, 0);
  image.ErasePixel(-1, 0);  // outside: ignored
  EXPECT_EQ(image.GetPixels()[0], 11);
  EXPECT_EQ(image.GetPixels()[4], 77);

  // Undo brings back the copy (and its size) and offers redo.
  std::vector<unsigned char> bigger(5 * 5 * 4, 1);
  int size[2] = {5, 5};
  image.ReplacePixels(std::move(bigger), size);
  EXPECT_FALSE(image.CanErase());  // size differs from the copy
  EXPECT_EQ(image.SwapUndo(), 2);
  int w, h;
  image.GetSize(w, h);
  EXPECT_EQ(w, 3);
  EXPECT_EQ(h, 2);
  image.GetUndoSize(w, h);
  EXPECT_EQ(w, 5);
  EXPECT_FALSE(image.CanErase());
  EXPECT_EQ(image.SwapUndo(), 1);
  image.GetSize(w, h);
  EXPECT_EQ(w, 5);

  image.SaveForUndo(0);
  EXPECT_FALSE(image.CanErase());
  image.ErasePixel(0, 0);
  EXPECT_EQ(image.GetPixels()[0], 1);
}
