#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "FakeSeriesHost.h"
#include "series/KEPAteloSeries.h"
#include "support/TempDir.h"

class SeriesTest : public ::testing::Test {
 protected:
  KEPAtelIma* Add(const std::string& name, bool done = true) {
    KEPAtelIma* image = MakeImage(name, done);
    EXPECT_EQ(series->AppendOneImage(image), 0);
    return image;
  }
  // Four images a, b, c, d; a is current.
  std::vector<KEPAtelIma*> AddFour() {
    std::vector<KEPAtelIma*> images;
    for (const char* name : {"/t/a.tif", "/t/b.tif", "/t/c.tif", "/t/d.tif"})
      images.push_back(Add(name));
    series->SelectImage(1);
    return images;
  }
  std::vector<KEPAtelIma*> Order() const {
    std::vector<KEPAtelIma*> images;
    for (int p = 1; p <= series->GetNbrImage(); ++p) images.push_back(series->GetPosImage(p));
    return images;
  }
  std::vector<std::string> Labels() const {
    std::vector<std::string> labels;
    for (int p = 1; p <= series->GetNbrImage(); ++p) labels.push_back(series->GetLabel(p));
    return labels;
  }
  void Select(std::vector<int> positions) { series->SetSelectedPositions(positions); }
  // Writes a small tif and returns its name.
  std::string WriteTif(const std::string& name) {
    std::string path = dir.File(name);
    KEPAtelIma image(path.c_str(), KEPAtelIma::STATE_IN_MEMORY, 0u);
    image.AllocatePixels(4, 3);
    EXPECT_EQ(image.SaveImage(0, errmsg, 0), 0) << errmsg;
    return path;
  }

  TempDir dir;
  FakeSeriesHost host;
  std::unique_ptr<KEPAteloSeries> series = std::make_unique<KEPAteloSeries>(&host);
};
