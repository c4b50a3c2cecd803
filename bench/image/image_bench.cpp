// Load and save of a 3840 x 2160 picture through the image record, next to
// OpenImageIO's own ImageInput / ImageOutput calls on the same files as the
// reference (what `oiiotool in -o out` does underneath). The goal is a ratio
// of 1.2 or less to the reference. The record's load and save go through the
// image service, whose processor time is not in this process's.
#include <OpenImageIO/imagebuf.h>
#include <OpenImageIO/imagebufalgo.h>
#include <OpenImageIO/imageio.h>
#include <benchmark/benchmark.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "image/KEPAtelIma.h"
#include "platform/KEPErrmsg.h"

namespace {

constexpr int kWidth = 3840, kHeight = 2160;
const char* const kTypes[] = {"tif", "png", "jpg"};

// A picture that compresses like a rendering: smooth gradients with a little
// noise, opaque.
class Fixture {
 public:
  Fixture() {
    char pattern[] = "/tmp/atelo-bench-XXXXXX";
    _dir = ::mkdtemp(pattern);
    _image = std::make_unique<KEPAtelIma>(KEPAtelIma::STATE_IN_MEMORY, 0);
    _image->AllocatePixels(kWidth, kHeight);
    unsigned char* p = _image->GetPixels();
    unsigned seed = 12345;
    for (int y = 0; y < kHeight; ++y)
      for (int x = 0; x < kWidth; ++x, p += 4) {
        seed = seed * 1103515245u + 12345u;
        const int noise = static_cast<int>((seed >> 16) & 7) - 3;
        p[0] = static_cast<unsigned char>(std::clamp(x * 255 / kWidth + noise, 0, 255));
        p[1] = static_cast<unsigned char>(std::clamp(y * 255 / kHeight + noise, 0, 255));
        p[2] = static_cast<unsigned char>(std::clamp((x + y) % 512 / 2 + noise, 0, 255));
        p[3] = 255;
      }
    for (const char* type : kTypes) {
      _image->SetName(Source(type).c_str());
      char errtext[KEP_ERRMSG_SIZE] = {0};
      if (_image->SaveImage(0, errtext, 0) != 0) std::fprintf(stderr, "%s\n", errtext);
    }
  }
  ~Fixture() {
    std::error_code ignored;
    std::filesystem::remove_all(_dir, ignored);
  }
  std::string Source(const std::string& type) const { return _dir + "/in." + type; }
  std::string Target(const std::string& type) const { return _dir + "/out." + type; }
  KEPAtelIma& Image() { return *_image; }

 private:
  std::string _dir;
  std::unique_ptr<KEPAtelIma> _image;
};

Fixture& Shared() {
  static Fixture fixture;
  return fixture;
}

void BM_RecordLoad(benchmark::State& state) {
  const std::string type = kTypes[state.range(0)];
  state.SetLabel(type);
  const std::string name = Shared().Source(type);
  for (auto _ : state) {
    KEPAtelIma image(name.c_str(), KEPAtelIma::STATE_FROM_FILE, 0);
    int w, h;
    char errtext[KEP_ERRMSG_SIZE] = {0};
    if (image.LoadPixels(w, h, errtext) != 0) state.SkipWithError(errtext);
    benchmark::DoNotOptimize(image.GetPixels());
  }
}

void BM_OiioRead(benchmark::State& state) {
  const std::string type = kTypes[state.range(0)];
  state.SetLabel(type);
  const std::string name = Shared().Source(type);
  for (auto _ : state) {
    auto in = OIIO::ImageInput::open(name);
    const OIIO::ImageSpec& spec = in->spec();
    std::vector<unsigned char> pixels(spec.image_bytes());
    if (!in->read_image(0, 0, 0, spec.nchannels, spec.format, pixels.data()))
      state.SkipWithError("read failed");
    in->close();
    benchmark::DoNotOptimize(pixels.data());
  }
}

void BM_RecordSave(benchmark::State& state) {
  const std::string type = kTypes[state.range(0)];
  state.SetLabel(type);
  KEPAtelIma& image = Shared().Image();
  image.SetName(Shared().Target(type).c_str());
  for (auto _ : state) {
    char errtext[KEP_ERRMSG_SIZE] = {0};
    if (image.SaveImage(0, errtext, 0) != 0) state.SkipWithError(errtext);
  }
}

// What the reference writes: the file's own channels, as the record's
// writer chooses them (no alpha for JPEG), from a top-first buffer.
void BM_OiioWrite(benchmark::State& state) {
  const std::string type = kTypes[state.range(0)];
  state.SetLabel(type);
  auto in = OIIO::ImageInput::open(Shared().Source(type));
  OIIO::ImageSpec spec = in->spec();
  std::vector<unsigned char> pixels(spec.image_bytes());
  in->read_image(0, 0, 0, spec.nchannels, spec.format, pixels.data());
  in->close();
  const std::string name = Shared().Target(type);
  for (auto _ : state) {
    auto out = OIIO::ImageOutput::create(name);
    if (!out->open(name, spec) || !out->write_image(spec.format, pixels.data()) || !out->close())
      state.SkipWithError("write failed");
  }
}

// Resample quality 2 (our Lanczos3) of the picture to half and to one and a
// half times its size, next to OpenImageIO's lanczos3 resize that it
// replaces.
void BM_RecordResample(benchmark::State& state) {
  const int w = static_cast<int>(kWidth * state.range(0) / 4);
  const int h = static_cast<int>(kHeight * state.range(0) / 4);
  std::vector<unsigned char> out;
  for (auto _ : state)
    if (Shared().Image().Resample(2, w, h, out) != 0) state.SkipWithError("resample failed");
}

void BM_OiioResize(benchmark::State& state) {
  const int w = static_cast<int>(kWidth * state.range(0) / 4);
  const int h = static_cast<int>(kHeight * state.range(0) / 4);
  OIIO::ImageBuf source(OIIO::ImageSpec(kWidth, kHeight, 4, OIIO::TypeDesc::UINT8),
                        Shared().Image().GetPixels());
  std::vector<unsigned char> out(static_cast<std::size_t>(w) * h * 4);
  for (auto _ : state) {
    OIIO::ImageBuf result(OIIO::ImageSpec(w, h, 4, OIIO::TypeDesc::UINT8), out.data());
    if (!OIIO::ImageBufAlgo::resize(result, source, "lanczos3")) state.SkipWithError("failed");
  }
}

BENCHMARK(BM_RecordLoad)
    ->DenseRange(0, 2)
    ->Unit(benchmark::kMillisecond)
    ->MeasureProcessCPUTime()
    ->UseRealTime();
BENCHMARK(BM_OiioRead)
    ->DenseRange(0, 2)
    ->Unit(benchmark::kMillisecond)
    ->MeasureProcessCPUTime()
    ->UseRealTime();
BENCHMARK(BM_RecordSave)
    ->DenseRange(0, 2)
    ->Unit(benchmark::kMillisecond)
    ->MeasureProcessCPUTime()
    ->UseRealTime();
BENCHMARK(BM_OiioWrite)
    ->DenseRange(0, 2)
    ->Unit(benchmark::kMillisecond)
    ->MeasureProcessCPUTime()
    ->UseRealTime();

BENCHMARK(BM_RecordResample)
    ->Arg(2)
    ->Arg(6)
    ->Unit(benchmark::kMillisecond)
    ->MeasureProcessCPUTime()
    ->UseRealTime();
BENCHMARK(BM_OiioResize)
    ->Arg(2)
    ->Arg(6)
    ->Unit(benchmark::kMillisecond)
    ->MeasureProcessCPUTime()
    ->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
