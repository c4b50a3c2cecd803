// The colour and luminosity analyses as the user runs them in the real
// program: open a render, set the windows' controls, apply, and save the
// result.
#include <gtest/gtest.h>

#include <cstring>

#include "effects/KEPAnalysisArea.h"
#include "effects/KEPLuminosityAnalysis.h"
#include "effects/KEPLuminosityShading.h"
#include "support/AteloProcess.h"
#include "support/Picture.h"
#include "support/TempDir.h"

namespace {

constexpr int kWidth = 48, kHeight = 32;
using Pixels = Bytes;

// Left half pure red, right half a ramp of greys.
Pixels Scene() {
  Pixels p(std::size_t{kWidth} * kHeight * 4);
  for (int y = 0; y < kHeight; ++y) {
    for (int x = 0; x < kWidth; ++x) {
      unsigned char* q = &p[(static_cast<std::size_t>(y) * kWidth + x) * 4];
      const auto grey = static_cast<unsigned char>(40 + 8 * (x - kWidth / 2));
      q[0] = x < kWidth / 2 ? 255 : grey;
      q[1] = q[2] = x < kWidth / 2 ? 0 : grey;
      q[3] = 255;
    }
  }
  return p;
}

class Analysis : public ::testing::Test {
 protected:
  // Runs the script between opening render.png and saving it as out.png.
  void Run(std::vector<std::string> script) {
    const Pixels scene = Scene();
    WritePicture(dir.File("render.png"), kWidth, kHeight, [&](int x, int y, unsigned char* p) {
      std::memcpy(p, &scene[(static_cast<std::size_t>(y) * kWidth + x) * 4], 4);
    });
    script.insert(script.end(),
                  {"files *.png " + dir.File("out.png"), "trigger saveAsItem", "trigger exitItem"});
    ASSERT_TRUE(atelo.Run({"render.png"}, script, 30000)) << atelo.Log();
    EXPECT_FALSE(atelo.Crashed()) << atelo.Err();
    EXPECT_TRUE(atelo.LogLines("error").empty()) << atelo.Log();
  }

  Pixels Saved() { return ReadPicture(dir.File("out.png")).pixels; }

  TempDir dir;
  AteloProcess atelo{dir.Path()};
};

TEST_F(Analysis, ColourAnalysisMarksTheMatchingPixelsAndRefusesABadHue) {
  Run({"trigger lightItem", "waitfor visible lightDialog", "set controlColorSlider 240",
       "set hueEditor 360", "set lightPrecisionSpinner 20", "set previewCheckButton on",
       "click okBtn", "waitfor hidden lightDialog"});
  EXPECT_NE(atelo.Log().find("ask warnDlg \"Hue value must bellow to 0-359(deg)\" -> 1"),
            std::string::npos)
      << atelo.Log();
  const Pixels saved = Saved(), scene = Scene();
  ASSERT_EQ(saved.size(), scene.size());
  for (std::size_t i = 0; i < saved.size(); i += 4) {
    const bool red = scene[i] == 255 && scene[i + 1] == 0;
    const unsigned char want[4] = {0, 0, 255, 255};
    EXPECT_EQ(std::memcmp(&saved[i], red ? want : &scene[i], 4), 0) << i / 4;
  }
}

// Several windows have a "cancelBtn": a plain name is the visible window's.
TEST_F(Analysis, ScriptsReadDecimalControlsAndReachTheVisibleWindow) {
  Run({"trigger lightItem", "waitfor visible lightDialog", "show huePrecisionSpinner",
       "click cancelBtn", "waitfor hidden lightDialog", "trigger colorButton",
       "waitfor visible colorDialog", "click cancelBtn", "waitfor hidden colorDialog"});
  const std::vector<std::string> shown = atelo.LogLines("show huePrecisionSpinner ");
  ASSERT_EQ(shown.size(), 1u) << atelo.Log();
  EXPECT_NE(shown[0].find_first_of("0123456789"), std::string::npos) << shown[0];
}

// Saved while the preview shows, the file holds the preview: cancelled, the
// image is offered for saving again.
TEST_F(Analysis, ACancelAfterASaveDuringThePreviewOffersSaveAgain) {
  Run({"trigger lightItem", "waitfor visible lightDialog", "set controlColorSlider 240",
       "set previewCheckButton on", "files *.png " + dir.File("preview.png"), "trigger saveAsItem",
       "waitfor disabled saveItem", "click cancelBtn", "waitfor enabled saveItem"});
  EXPECT_NE(ReadPicture(dir.File("preview.png")).pixels, Scene());
}

TEST_F(Analysis, LuminosityAnalysisShadesBandsWithOutlines) {
  Run({"trigger luminosityItem", "waitfor visible luminosityDialog", "set LuminosityFreqSlider 4",
       "set Luminosity2CheckButton off", "set OutlinesCheckButton on", "view move 0 0",
       "click okBtn", "waitfor hidden luminosityDialog"});
  KEPLuminositySettings settings;
  settings.frequency = 4;
  settings.outlines = 1;
  settings.levels[1].SetActive(0);
  KEPLuminosityShading shading;
  shading.InitSortedShadingStep(&settings.levels[0], &settings.levels[1], &settings.levels[2]);
  const Pixels scene = Scene();
  Pixels expected(scene.size());
  float smallest = 0, largest = 0;
  KEPLuminosityAnalysis::AnalyseImage(scene.data(), expected.data(), kWidth, kHeight,
                                      KEPAnalysisArea(kWidth, kHeight), settings, shading, smallest,
                                      largest);
  EXPECT_TRUE(Saved() == expected);
}

}  // namespace
