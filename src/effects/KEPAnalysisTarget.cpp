#include "effects/KEPAnalysisTarget.h"

#include <cstring>

#include "image/KEPAtelIma.h"
#include "series/KEPAteloDocumentHost.h"

bool KEPAnalysisTarget::Open() {
  Close();
  KEPAtelIma* image = _host->GetPosImage(0);
  if (!image || !image->GetPixels()) return false;
  image->GetSize(_width, _height);
  if (_width <= 0 || _height <= 0) return false;
  _host->SaveImageForUndo(image, 1);
  const std::size_t bytes = static_cast<std::size_t>(_width) * _height * 4;
  _pictures.push_back(
      {image, std::vector<unsigned char>(image->GetPixels(), image->GetPixels() + bytes)});
  // The companion gets the same area only when it can hold it.
  if (KEPAtelIma* companion = image->GetCoupledImage(); companion && companion->GetPixels()) {
    int width = 0, height = 0;
    companion->GetSize(width, height);
    if (width == _width && height == _height) {
      const unsigned char* pixels = companion->GetPixels();
      _pictures.push_back({companion, std::vector<unsigned char>(pixels, pixels + bytes)});
    }
  }
  int x = 0, y = 0, width = 0, height = 0;
  const unsigned char* mask = _host->GetSelectionMasque(x, y, width, height);
  _area = KEPAnalysisArea::FromSelection(_width, _height, mask, x, y, width, height,
                                         _host->GetSelZoneSide());
  return true;
}

void KEPAnalysisTarget::Close() {
  _pictures.clear();
  _width = _height = 0;
  _area = KEPAnalysisArea();
}

bool KEPAnalysisTarget::Holds(const KEPAtelIma* image) const {
  for (const Picture& picture : _pictures) {
    if (picture.image == image) return true;
  }
  return false;
}

const unsigned char* KEPAnalysisTarget::GetKeptPixels() const {
  return _pictures.empty() ? nullptr : _pictures[0].kept.data();
}

unsigned char* KEPAnalysisTarget::LivePixels(const Picture& picture) const {
  int width = 0, height = 0;
  picture.image->GetSize(width, height);
  return width == _width && height == _height ? picture.image->GetPixels() : nullptr;
}

void KEPAnalysisTarget::Apply(const Analysis& analysis) {
  for (const Picture& picture : _pictures) {
    if (unsigned char* pixels = LivePixels(picture))
      analysis(picture.kept.data(), pixels, _width, _height, _area);
  }
  Redisplay();
}

void KEPAnalysisTarget::Restore() {
  bool savedMeanwhile = false;
  for (const Picture& picture : _pictures) {
    if (unsigned char* pixels = LivePixels(picture)) {
      std::memcpy(pixels, picture.kept.data(), picture.kept.size());
      // Opening took the undo copy, which left the image not saved: saved
      // since, its file holds the preview, not the pixels put back.
      if (picture.image->IsSaved()) {
        picture.image->ClearSaved();
        savedMeanwhile = true;
      }
    }
  }
  Redisplay();
  if (savedMeanwhile) _host->UpdateImage();  // Save is offered again
}

void KEPAnalysisTarget::Redisplay() {
  if (_area.IsEmpty()) return;
  for (const Picture& picture : _pictures) {
    _host->RedisplayImageRect(picture.image, _area.GetX(), _area.GetY(), _area.GetWidth(),
                              _area.GetHeight());
  }
}

void KEPAnalysisTarget::MakeControl(std::vector<unsigned char>& pixels, KEPAnalysisArea& area,
                                    int& width, int& height) const {
  KEPAnalysisArea::ControlSize(_area.GetWidth(), _area.GetHeight(), width, height);
  pixels = _area.MakeControlPixels(GetKeptPixels(), _width, width, height);
  area = _area.MakeControlArea(width, height);
}
