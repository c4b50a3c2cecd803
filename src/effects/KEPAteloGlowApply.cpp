// The glow applied to the document's image: an undo copy, a Progress window
// whose Interrupt stops the run, the computation at the next idle moment,
// and the result written into the selected area.
#include <algorithm>
#include <new>

#include "effects/KEPAteloGlow.h"
#include "effects/KEPAteloProgress.h"
#include "effects/KEPGlowKernels.h"
#include "effects/KEPGlowProgressWindow.h"
#include "image/KEPAtelIma.h"
#include "platform/KEPErrmsg.h"
#include "platform/KEPIdleWork.h"
#include "platform/KEPTrace.h"
#include "series/KEPAteloDocumentHost.h"

namespace {

constexpr const char* kNoImage = "No image on which do add glow !";

}  // namespace

void KEPAteloGlow::OkAction() {
  KEP_TRACE(4, "(KEPAteloGlow::OkAction)");
  if (_previewRunning) {
    _previewInterrupt = 1;
    _applyWhenDone = 1;
    return;
  }
  HideAction();
  StartApply();
}

void KEPAteloGlow::StartApply() {
  // One run at a time: the window can be opened again while one goes on.
  if (_applyRunning || !_host) return;
  KEPAtelIma* image = _host->GetPosImage(0);
  if (!image || !image->GetPixels()) {
    KEPFormatError(errmsg, "%s", kNoImage);
    _host->DisplayError();
    return;
  }
  // The glow keeps the image's size, so the eraser may take it back in
  // places.
  _host->SaveImageForUndo(image, 1);
  if (!_progress) {
    _progress = std::make_unique<KEPAteloProgress>(this);
    _progress->setObjectName("glowProgressBar");
    _progress->SetText("Glow Calculation In Progress...");
    _progress->AssociateToFlag(&_interrupt);
  }
  _progress->Init(0, 100, 1);
  _progress->show();
  _interrupt = 0;
  _applyRunning = true;
  _applyIdle = KEPIdleWork::Subscribe([this] { ExecuteGlow(); });
}

void KEPAteloGlow::ExecuteGlow() {
  // The run lets events through: it must not start again from within
  // itself.
  KEPIdleWork::RemoveSubscribe(_applyIdle);
  _applyIdle = 0;
  if (DoGlow() < 0) _host->DisplayError();
  _progress->hide();
  _interrupt = 0;
  _applyRunning = false;
}

int KEPAteloGlow::DoGlow() {
  KEPAtelIma* image = _host ? _host->GetPosImage(0) : nullptr;
  if (!image || !image->GetPixels()) {
    KEPFormatError(errmsg, "%s", kNoImage);
    return -1;
  }
  int imageW = 0, imageH = 0;
  image->GetSize(imageW, imageH);
  int x = 0, y = 0, w = 0, h = 0;
  _host->GetSelectionMasque(x, y, w, h);
  const int x0 = std::max(0, x), y0 = std::max(0, y);
  w = std::min(imageW, x + w) - x0;
  h = std::min(imageH, y + h) - y0;
  if (w <= 0 || h <= 0) return 0;
  KEP_TRACE(4, "(KEPAteloGlow::DoGlow) area %d %d %d x %d", x0, y0, w, h);

  try {
    const unsigned char* before = image->GetPixels();
    const std::vector<unsigned char> area = image->CopyRect(x0, y0, w, h);
    const KEPGlowSizes sizes = GlowSizesForWidth(GlowKernelWidth(_halo.size));
    const int N = sizes.N;
    std::vector<float> map1(N * N), map2(N * N);
    std::vector<float> bloomProfile(3 * sizes.M), flareProfile(3 * sizes.M);
    std::vector<float> bloomKernel(3 * N * N), flareKernel(3 * N * N);
    CreateRadLines(map1.data(), map2.data(), N, _lines, _halo.symmetry);
    ScaleFlareLineMap(map2.data(), N * N);
    CalculateBloomFilterData(bloomProfile.data(), sizes.M, sizes.s, _light);
    CalculateFlareFilterData(flareProfile.data(), sizes.M, sizes.s, _light, _halo.flareDiffusion);
    CalculateGlowKernels(map1.data(), map2.data(), N, bloomProfile.data(), flareProfile.data(),
                         GlowLineFactor(_halo.radialLines, N), bloomKernel.data(),
                         flareKernel.data());

    const std::size_t cells = static_cast<std::size_t>(w) * h * 3;
    std::vector<float> bloomAcc(cells), flareAcc(cells);
    std::vector<unsigned char> out = area;
    KEPGlowProgressWindow progress(_progress.get());
    CalculateGlowedImage(area.data(), out.data(), w, h, bloomKernel.data(), flareKernel.data(), N,
                         _light, _halo, _selColor, bloomAcc.data(), flareAcc.data(), 1, 1,
                         &progress, &_interrupt);
    if (_interrupt) return 1;
    // The display was live during the run: the image must still be there,
    // with the same pixels (an undo swaps them) and the same size.
    int nowW = 0, nowH = 0;
    if (_host->GetPosImage(0) != image || image->GetPixels() != before) return 1;
    image->GetSize(nowW, nowH);
    if (nowW != imageW || nowH != imageH) return 1;
    unsigned char* pixels = image->GetPixels();
    for (int r = 0; r < h; ++r) {
      const unsigned char* from = &out[4 * static_cast<std::size_t>(r) * w];
      unsigned char* to = pixels + 4 * (static_cast<std::size_t>(y0 + r) * imageW + x0);
      for (int c = 0; c < w; ++c, from += 4, to += 4) {
        to[0] = from[0];
        to[1] = from[1];
        to[2] = from[2];
      }
    }
  } catch (const std::bad_alloc&) {
    KEPFormatError(errmsg, "Not enough memory to add glow to a %d x %d area !", w, h);
    return -1;
  }
  _host->RedisplayImageRect(image, x0, y0, w, h);
  return 0;
}
