#pragma once

#include <string>
#include <vector>

#include "image/KEPAtelIma.h"
#include "platform/KEPErrmsg.h"
#include "series/KEPAteloSeriesHost.h"

// Records what the series asks of its document.
class FakeSeriesHost : public KEPAteloSeriesHost {
 public:
  int GetModeAff() const override { return mode; }
  std::string GetTitle() const override { return "Atelo Test"; }
  QWidget* GetPromptParent() override { return nullptr; }
  void RenderMessage(int length, const char* text) override {
    messages.emplace_back(text, static_cast<std::size_t>(length));
  }
  void RenderEnd() override { ++renderEnds; }
  void DisplayError() override { errors.emplace_back(errmsg); }

  int GetKeepMode() const override { return keep; }
  void SetKeepMode(int m) override { keep = m; }
  int GetWriteMode() const override { return write; }
  void SetWriteMode(int m) override { write = m; }
  int GetIncrementMode() const override { return increment; }
  void SetIncrementMode(int m) override { increment = m; }
  int GetPromptMode() const override { return prompt; }
  int GetSplitMode() const override { return split; }
  std::int64_t GetSplitSize() const override { return splitSize; }
  int GetMergeLogoMode() const override { return mergeLogo; }

  void LinkImageToViewer(KEPAtelIma* image) override { linked.push_back(image); }
  void UpdateImage() override { ++updates; }
  void RemoveImageRep(KEPAtelIma* image) override { removedReps.push_back(image); }
  bool IsStereoActivate() const override { return stereo; }
  void PromptIfOddImageNumber(int count) override { oddChecks.push_back(count); }
  void OpenAction() override { ++opens; }
  void SaveAsAction(int clientData) override { saveAs.push_back(clientData); }
  bool OpenSplitDialog(KEPAtelIma* image, int position) override {
    splitOffers.push_back(position);
    if (!takeSplit) return false;
    delete image;
    return true;
  }

  int mode = MODE_PICTURE;
  int keep = 1, write = 0, increment = 0, prompt = 0, split = 0, mergeLogo = 1;
  std::int64_t splitSize = 4000000;
  bool stereo = false, takeSplit = false;

  std::vector<std::string> messages, errors;
  int renderEnds = 0, updates = 0, opens = 0;
  std::vector<KEPAtelIma*> linked, removedReps;
  std::vector<int> oddChecks, saveAs, splitOffers;
};

// A small in-memory image named `name`, unsaved and not done unless told.
inline KEPAtelIma* MakeImage(const std::string& name, bool done = true) {
  auto* image = new KEPAtelIma(name.c_str(), KEPAtelIma::STATE_IN_MEMORY, 0u);
  image->AllocatePixels(2, 2);
  if (done) image->SetDone();
  return image;
}
