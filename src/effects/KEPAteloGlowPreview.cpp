// The glow window's viewers: the swatches and colour disc, the selected
// area with the pixels of the selection colour highlighted, the halo
// visualisation and the result preview with its cache.
#include <QCoreApplication>
#include <QPushButton>
#include <algorithm>
#include <cmath>
#include <cstring>
#include <new>

#include "effects/KEPAteloGlow.h"
#include "effects/KEPGlowColour.h"
#include "effects/KEPGlowKernels.h"
#include "effects/KEPGlowPixelView.h"
#include "effects/KEPGlowProgressWindow.h"
#include "image/KEPAtelIma.h"
#include "platform/KEPIdleWork.h"
#include "platform/KEPTrace.h"
#include "series/KEPAteloDocumentHost.h"

namespace {

// Longest side of the zoomed area.
constexpr int kZoomSide = 200;
// The halo visualisation: a kernel of this width at the scale of a 101-pixel
// kernel.
constexpr int kHaloWidth = 101;

unsigned char Byte(float value) {
  return static_cast<unsigned char>(std::clamp(static_cast<int>(value * 255.0f), 0, 255));
}

void Put(std::vector<unsigned char>& pixels, int width, int x, int y, const unsigned char rgb[3]) {
  unsigned char* p = &pixels[4 * (static_cast<std::size_t>(y) * width + x)];
  std::memcpy(p, rgb, 3);
  p[3] = 255;
}

}  // namespace

// --- area ---------------------------------------------------------------------------------

void KEPAteloGlow::GetArea(int& x, int& y, int& width, int& height) const {
  x = _areaX;
  y = _areaY;
  width = _areaW;
  height = _areaH;
}

void KEPAteloGlow::GetZoomedSize(int& width, int& height, float& ratio) const {
  width = _zoomW;
  height = _zoomH;
  ratio = _zoomRatio;
}

void KEPAteloGlow::AllocateReps() {
  KEPAtelIma* image = _host ? _host->GetPosImage(0) : nullptr;
  if (!image || !image->GetPixels()) return;
  int imageW = 0, imageH = 0;
  image->GetSize(imageW, imageH);
  int x = 0, y = 0, w = 0, h = 0;
  const unsigned char* mask = _host->GetSelectionMasque(x, y, w, h);
  const int x0 = std::max(0, x), y0 = std::max(0, y);
  const int x1 = std::min(imageW, x + w), y1 = std::min(imageH, y + h);
  if (x1 <= x0 || y1 <= y0) return;
  _areaX = x0;
  _areaY = y0;
  _areaW = x1 - x0;
  _areaH = y1 - y0;
  _areaPixels = image->CopyRect(_areaX, _areaY, _areaW, _areaH);
  if (mask) {
    _areaMask.resize(static_cast<std::size_t>(_areaW) * _areaH);
    for (int r = 0; r < _areaH; ++r)
      std::memcpy(&_areaMask[static_cast<std::size_t>(r) * _areaW],
                  mask + static_cast<std::size_t>(y0 - y + r) * w + (x0 - x), _areaW);
  }
  const float aspect = static_cast<float>(_areaW) / _areaH;
  if (aspect > 1.0f) {
    _zoomW = kZoomSide;
    _zoomH = static_cast<int>(kZoomSide / aspect);
  } else {
    _zoomW = static_cast<int>(aspect * kZoomSide);
    _zoomH = kZoomSide;
  }
  // A sliver of an area still shows one pixel across.
  _zoomW = std::max(_zoomW, 1);
  _zoomH = std::max(_zoomH, 1);
  _zoomRatio = static_cast<float>(_zoomW) / _areaW;
  _zoomPixels.resize(4 * static_cast<std::size_t>(_zoomW) * _zoomH);
  ZoomNearest(_areaPixels.data(), _areaW, _areaH, _zoomPixels.data(), _zoomW, _zoomH);
  _previewPixels = _zoomPixels;
  _rpControlViewer->SetPixels(_previewPixels.data(), _zoomW, _zoomH);
}

void KEPAteloGlow::DeallocateReps() {
  _areaX = _areaY = _areaW = _areaH = 0;
  _zoomW = _zoomH = 0;
  _zoomRatio = 0.0f;
  for (auto* bytes : {&_areaPixels, &_areaMask, &_zoomPixels, &_previewPixels})
    std::vector<unsigned char>().swap(*bytes);
  for (auto* floats : {&_pvBloomProfile, &_pvFlareProfile, &_pvBloomKernel, &_pvFlareKernel,
                       &_pvBloomAcc, &_pvFlareAcc})
    std::vector<float>().swap(*floats);
  ForgetPreview();
  _rpControlViewer->Clear();
  _scControlViewer->Clear();
}

void KEPAteloGlow::ForgetPreview() {
  _lastPreview.valid = false;
  _bloomValid = _flareValid = false;
}

// --- small viewers --------------------------------------------------------------------------

void KEPAteloGlow::DrawHighlightSwatch() {
  _hcViewer->Fill(_hlColor[0], _hlColor[1], _hlColor[2]);
}

void KEPAteloGlow::DrawLightSourceSwatch() {
  float r, g, b;
  HSVtoRGB(_light.hue, _light.saturation, 1.0f, &r, &g, &b);
  _lsColorViewer->Fill(Byte(r), Byte(g), Byte(b));
}

void KEPAteloGlow::DrawHueSatDisc() {
  const int side = 2 * kDiscCentre + 1;
  std::vector<unsigned char> disc(4 * side * side, 0);
  const unsigned char outside[3] = {192, 192, 192}, cross[3] = {0, 0, 0};
  for (int y = 0; y < side; ++y) {
    for (int x = 0; x < side; ++x) {
      const int dx = x - kDiscCentre, dy = y - kDiscCentre;
      if (dx * dx + dy * dy > kDiscRadius * kDiscRadius) {
        Put(disc, side, x, y, outside);
        continue;
      }
      float hue, saturation, r, g, b;
      DiscHueSaturation(dx, dy, kDiscRadius, &hue, &saturation);
      HSVtoRGB(hue, saturation, 1.0f, &r, &g, &b);
      const unsigned char rgb[3] = {Byte(r), Byte(g), Byte(b)};
      Put(disc, side, x, y, rgb);
    }
  }
  const double angle = _light.hue * M_PI / 180.0;
  const int cx = kDiscCentre +
                 static_cast<int>(std::lround(kDiscRadius * _light.saturation * std::cos(angle)));
  const int cy = kDiscCentre +
                 static_cast<int>(std::lround(kDiscRadius * _light.saturation * std::sin(angle)));
  for (int d = -3; d <= 3; ++d) {
    if (cx + d >= 0 && cx + d < side) Put(disc, side, cx + d, cy, cross);
    if (cy + d >= 0 && cy + d < side) Put(disc, side, cx, cy + d, cross);
  }
  _hueSatViewer->SetPixels(disc.data(), side, side);
}

void KEPAteloGlow::DrawSelectionViewer() {
  if (_zoomPixels.empty()) {
    _scControlViewer->Clear();
    return;
  }
  std::vector<unsigned char> shown = _zoomPixels;
  const unsigned char highlight[3] = {static_cast<unsigned char>(_hlColor[0]),
                                      static_cast<unsigned char>(_hlColor[1]),
                                      static_cast<unsigned char>(_hlColor[2])};
  for (int y = 0; y < _zoomH; ++y) {
    for (int x = 0; x < _zoomW; ++x) {
      const unsigned char* p = &_zoomPixels[4 * (static_cast<std::size_t>(y) * _zoomW + x)];
      if (p[0] != _selColor[0] || p[1] != _selColor[1] || p[2] != _selColor[2]) continue;
      if (!_areaMask.empty()) {
        const int ax = ZoomSource(x, _areaW, _zoomW), ay = ZoomSource(y, _areaH, _zoomH);
        if (_areaMask[static_cast<std::size_t>(ay) * _areaW + ax] != 0) continue;
      }
      Put(shown, _zoomW, x, y, highlight);
    }
  }
  _scControlViewer->SetPixels(shown.data(), _zoomW, _zoomH);
}

void KEPAteloGlow::DrawBusyIndicator(bool busy) {
  if (busy)
    _calcViewer->Fill(255, 64, 0);
  else
    _calcViewer->Fill(0, 0, 0);
}

// --- halo visualisation ---------------------------------------------------------------------

void KEPAteloGlow::UpdateHVViewer() {
  const KEPGlowSizes sizes = GlowSizesForWidth(kHaloWidth);
  const int N = sizes.N, cells = N * N;
  if (!_hvLinesValid || _hvMap1.size() != static_cast<std::size_t>(cells)) {
    _hvMap1.resize(cells);
    _hvMap2.resize(cells);
    CreateRadLines(_hvMap1.data(), _hvMap2.data(), N, _lines, _halo.symmetry);
    ScaleFlareLineMap(_hvMap2.data(), cells);
    _hvLinesValid = true;
  }
  const bool colour =
      !_lastHalo.valid || _lastHalo.hue != _light.hue || _lastHalo.saturation != _light.saturation;
  if (colour || _lastHalo.whiteSaturation != _light.whiteSaturation) {
    _hvBloomProfile.resize(3 * sizes.M);
    CalculateBloomFilterData(_hvBloomProfile.data(), sizes.M, sizes.s, _light);
  }
  if (colour || _lastHalo.flareDiffusion != _halo.flareDiffusion) {
    _hvFlareProfile.resize(3 * sizes.M);
    CalculateFlareFilterData(_hvFlareProfile.data(), sizes.M, sizes.s, _light,
                             _halo.flareDiffusion);
  }
  _lastHalo = {true, _light.whiteSaturation, _halo.flareDiffusion, _light.hue, _light.saturation};

  std::vector<float> bloom(3 * cells), flare(3 * cells);
  CalculateGlowKernels(_hvMap1.data(), _hvMap2.data(), N, _hvBloomProfile.data(),
                       _hvFlareProfile.data(), _halo.radialLines, bloom.data(), flare.data());
  std::vector<unsigned char> pixels(4 * cells, 255);
  for (int i = 0; i < 3 * cells; ++i) {
    const int value =
        static_cast<int>(bloom[i] * 5100.0f + flare[i] * 6.0f * _halo.flareProportion);
    pixels[4 * (i / 3) + i % 3] = static_cast<unsigned char>(std::clamp(value, 0, 255));
  }
  _hvViewer->SetPixels(pixels.data(), N, N);
}

// --- result preview --------------------------------------------------------------------------

void KEPAteloGlow::UpdateRPControlViewer() {
  if (_previewRunning) {
    _previewInterrupt = 1;
    _rerunPreview = 1;
    return;
  }
  _previewRunning = 1;
  _previewInterrupt = 0;
  _previewInterruptBtn->setEnabled(true);
  DrawBusyIndicator(true);
  _previewIdle = KEPIdleWork::Subscribe([this] { ExecuteResultPreview(); });
}

void KEPAteloGlow::ExecuteResultPreview() {
  // The preview lets events through while it runs: it must not start again
  // from within itself.
  KEPIdleWork::RemoveSubscribe(_previewIdle);
  _previewIdle = 0;
  DoResultPreview();
  _previewInterruptBtn->setEnabled(false);
  DrawBusyIndicator(false);
  _previewRunning = 0;
  if (_rerunPreview) {
    _rerunPreview = 0;
    UpdateRPControlViewer();
  }
  if (_hideWhenDone) {
    _hideWhenDone = 0;
    HideAction();
  }
  if (_applyWhenDone) {
    _applyWhenDone = 0;
    OkAction();
  }
}

void KEPAteloGlow::DoResultPreview() {
  if (_zoomPixels.empty()) return;
  const bool reduced = _zoomRatio < 1.0f;
  const KEPGlowSizes sizes = reduced ? _previewSizes : _sizes;
  const int w = reduced ? _zoomW : _areaW, h = reduced ? _zoomH : _areaH;
  const unsigned char* src = reduced ? _zoomPixels.data() : _areaPixels.data();
  const std::size_t cells = static_cast<std::size_t>(w) * h * 3;

  // Only the parts whose parameters changed are rebuilt.
  const PreviewKey& last = _lastPreview;
  bool doBloom = true, doFlare = true;
  if (last.valid && last.halo.size == _halo.size) {
    const bool colour = last.light.hue != _light.hue || last.light.saturation != _light.saturation;
    doBloom = colour || last.light.whiteSaturation != _light.whiteSaturation ||
              last.halo.radialLines != _halo.radialLines || last.halo.symmetry != _halo.symmetry;
    doFlare = colour || last.halo.flareDiffusion != _halo.flareDiffusion;
    if (!std::equal(_selColor, _selColor + 3, last.selection)) doBloom = doFlare = true;
  }
  if (_pvBloomAcc.size() != cells) {
    _bloomValid = _flareValid = false;
    _pvBloomAcc.assign(cells, 0.0f);
    _pvFlareAcc.assign(cells, 0.0f);
  }
  doBloom = doBloom || !_bloomValid;
  doFlare = doFlare || !_flareValid;
  KEP_TRACE(6, "(KEPAteloGlow::DoResultPreview) %d x %d, N %d, bloom %d, flare %d", w, h, sizes.N,
            doBloom, doFlare);

  // A reduced picture gathers fewer light pixels; its intensity makes up
  // for it.
  KEPGlowLightSource light = _light;
  if (reduced) light.intensity = static_cast<float>(_light.intensity / std::pow(_zoomRatio, 2.0));
  const int N = sizes.N, kernelCells = 3 * N * N;
  try {
    if (doBloom || doFlare) {
      std::vector<float> map1(N * N), map2(N * N);
      CreateRadLines(map1.data(), map2.data(), N, _lines, _halo.symmetry);
      ScaleFlareLineMap(map2.data(), N * N);
      if (doBloom) {
        _pvBloomProfile.resize(3 * sizes.M);
        _pvBloomKernel.resize(kernelCells);
        CalculateBloomFilterData(_pvBloomProfile.data(), sizes.M, sizes.s, light);
      }
      if (doFlare) {
        _pvFlareProfile.resize(3 * sizes.M);
        _pvFlareKernel.resize(kernelCells);
        CalculateFlareFilterData(_pvFlareProfile.data(), sizes.M, sizes.s, light,
                                 _halo.flareDiffusion);
      }
      CalculateGlowKernels(map1.data(), map2.data(), N, _pvBloomProfile.data(),
                           _pvFlareProfile.data(), GlowLineFactor(_halo.radialLines, N),
                           doBloom ? _pvBloomKernel.data() : nullptr,
                           doFlare ? _pvFlareKernel.data() : nullptr);
    }
    // What is being rebuilt is not usable until the run ends.
    if (doBloom) _bloomValid = false;
    if (doFlare) _flareValid = false;
    std::vector<unsigned char> out(src, src + 4 * static_cast<std::size_t>(w) * h);
    KEPGlowProgressWindow display(nullptr);
    CalculateGlowedImage(src, out.data(), w, h, _pvBloomKernel.data(), _pvFlareKernel.data(), N,
                         light, _halo, _selColor, _pvBloomAcc.data(), _pvFlareAcc.data(),
                         doBloom ? 1 : 0, doFlare ? 1 : 0, &display, &_previewInterrupt);
    if (_previewInterrupt || _zoomPixels.empty()) return;
    _bloomValid = _flareValid = true;
    _lastPreview.valid = true;
    _lastPreview.light = _light;
    _lastPreview.halo = _halo;
    std::copy(_selColor, _selColor + 3, _lastPreview.selection);
    if (reduced) {
      _previewPixels = std::move(out);
    } else {
      _previewPixels.resize(4 * static_cast<std::size_t>(_zoomW) * _zoomH);
      ZoomNearest(out.data(), w, h, _previewPixels.data(), _zoomW, _zoomH);
    }
  } catch (const std::bad_alloc&) {
    ForgetPreview();
    return;
  }
  ++_previewCount;
  _rpControlViewer->SetPixels(_previewPixels.data(), _zoomW, _zoomH);
}
