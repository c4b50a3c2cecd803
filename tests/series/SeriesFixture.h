#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "image/KEPAtelIma.h"
#include "platform/KEPErrmsg.h"
#include "series/KEPAteloSeries.h"
#include "series/KEPAteloSeriesHost.h"
#include "support/Picture.h"
#include "support/ScriptedPrompt.h"
#include "support/TempDir.h"

using Images = std::vector<KEPAtelIma*>;
using Names = std::vector<std::string>;

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
  void PromptIfOddImageNumber(int) override {}
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
  Names messages, errors;
  int renderEnds = 0, updates = 0, opens = 0;
  Images linked, removedReps;
  std::vector<int> saveAs, splitOffers;
};

// A small in-memory image named `name`, unsaved and not done unless told.
inline KEPAtelIma* MakeImage(const std::string& name, bool done = true) {
  auto* image = new KEPAtelIma(name.c_str(), KEPAtelIma::STATE_IN_MEMORY, 0u);
  image->AllocatePixels(2, 2);
  if (done) image->SetDone();
  return image;
}

class SeriesTest : public ::testing::Test {
 protected:
  KEPAtelIma* Add(const std::string& name, bool done = true) {
    KEPAtelIma* image = MakeImage(name, done);
    EXPECT_EQ(series->AppendOneImage(image), 0);
    return image;
  }
  // Four images a, b, c, d; a is current.
  Images AddFour() {
    Images images;
    for (const char* name : {"/t/a.tif", "/t/b.tif", "/t/c.tif", "/t/d.tif"})
      images.push_back(Add(name));
    series->SelectImage(1);
    return images;
  }
  Images Order() const {
    Images images;
    for (int p = 1; p <= series->GetNbrImage(); ++p) images.push_back(series->GetPosImage(p));
    return images;
  }
  Images Pasted() const {
    Images images;
    for (int i = 1; i <= series->GetPasteList().Size(); ++i)
      images.push_back(series->GetPasteList()[i]);
    return images;
  }
  Names Labels() const {
    Names labels;
    for (int p = 1; p <= series->GetNbrImage(); ++p) labels.push_back(series->GetLabel(p));
    return labels;
  }
  Names Asked() const { return Prompt().AskedTexts(); }
  std::vector<int> Selected() const { return series->GetSelectedPositions(); }
  void Select(std::vector<int> positions) { series->SetSelectedPositions(positions); }
  // Writes a small tif and returns its name.
  std::string WriteTif(const std::string& name) {
    WritePicture(dir.File(name), 4, 3);
    return dir.File(name);
  }

  TempDir dir;
  FakeSeriesHost host;
  std::unique_ptr<KEPAteloSeries> series = std::make_unique<KEPAteloSeries>(&host);
};
