// The smoothing, blur, compose and split windows over a real document,
// offscreen.
#include <gtest/gtest.h>

#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <random>

#include "document/DocumentFixture.h"
#include "document/KEPAteloMessage.h"
#include "effects/KEPAteloCompose.h"
#include "effects/KEPAteloLisse.h"
#include "effects/KEPAteloProgress.h"
#include "effects/KEPAteloSplit.h"
#include "effects/KEPComponentArrays.h"
#include "effects/KEPSmoothing.h"
#include "effects/KEPSmoothingRun.h"
#include "platform/viewer/KEP2DIndicator.h"
#include "series/KEPAteloSeries.h"
#include "support/PumpUntil.h"

namespace {

// A file of noise, or of one colour when `colour` is given.
void WriteImage(const std::string& path, int width, int height, int colour = -1, int seed = 0) {
  std::mt19937 random(width * 31 + height + seed);
  WritePicture(path, width, height, [&](int, int, unsigned char* p) {
    for (int c = 0; c < 3; ++c)
      p[c] = static_cast<unsigned char>(colour >= 0 ? colour * (c + 1) : random());
    p[3] = 255;
  });
}

class EffectsWindows : public DocumentFixture {
 protected:
  std::vector<std::string> Asked() const { return Prompt().AskedTexts(); }
  // The image smoothed by the kernels alone, for comparison.
  std::vector<unsigned char> Smoothed(std::vector<unsigned char> pixels, int w, int h, int steps) {
    KEPSmoothingRun run({0.05f, {0, 1, 0}, false}, KEPComponentArrays::kHLS, {}, steps);
    run.AddImage(pixels.data(), w, h);
    while (run.Advance(h)) {
    }
    run.WriteBack();
    return pixels;
  }
};

TEST_F(EffectsWindows, SmoothingPreviewStepsAndResets) {
  WriteImage(dir.File("noise.png"), 200, 150);
  KEPAteloDocument& doc = Make({dir.File("noise.png")});
  doc.LisseAction();
  KEPAteloLisse* lisse = doc.GetLisseDialog();
  ASSERT_TRUE(lisse && lisse->isVisible());
  lisse->StepAction();
  // "Select", then a press and release on the image: the area under the
  // square becomes the preview.
  lisse->findChild<QRadioButton*>("selectBtn")->click();
  EXPECT_EQ(doc.GetCurrentTool(), KEPAteloDocument::TOOL_PREVIEW_POSITIONING);
  doc.GetViewerIndicator()->Deliver(KEP2DIndicator::kBegin, {-95.0f, -70.0f}, nullptr);
  doc.GetViewerIndicator()->Deliver(KEP2DIndicator::kEnd, {-89.7f, -59.6f}, nullptr);
  ASSERT_NE(lisse->GetPreview(), nullptr);
  const std::vector<unsigned char> initial = Pixels(lisse->GetPreview());
  EXPECT_EQ(initial, doc.GetPosImage(0)->CopyRect(10, 15, 100, 100));
  lisse->StepAction();
  lisse->StepAction();
  EXPECT_EQ(lisse->GetDone(), 2);
  // Each step starts from the pixels the last one left.
  EXPECT_EQ(Pixels(lisse->GetPreview()), Smoothed(Smoothed(initial, 100, 100, 1), 100, 100, 1));
  lisse->ResetAction();
  EXPECT_EQ(Pixels(lisse->GetPreview()), initial);
  EXPECT_EQ(lisse->GetIterations(), 0.0f);
  lisse->HideAction();
  EXPECT_EQ(doc.GetCurrentTool(), 0);
  EXPECT_EQ(Asked(), std::vector<std::string>{"No preview image selected !"});
}

TEST_F(EffectsWindows, SmoothingRefusesBadParametersAndLosesNothing) {
  WriteImage(dir.File("noise.png"), 40, 30);
  KEPAteloDocument& doc = Make({dir.File("noise.png")});
  doc.LisseAction();
  KEPAteloLisse* lisse = doc.GetLisseDialog();
  const std::vector<unsigned char> before = Pixels(doc.GetPosImage(0));
  lisse->ResetAction();  // 0 iterations
  lisse->OkAction();
  lisse->IterAction(3);
  lisse->SetK(0.0f);
  lisse->OkAction();
  lisse->SetK(0.05f);
  lisse->Check2Action(false);
  lisse->OkAction();
  EXPECT_FALSE(lisse->IsRunning());
  EXPECT_EQ(Asked(),
            (std::vector<std::string>{
                "Apply at least 1 iteration !",
                "The Gaussian parameter must be greater than Zero !\nChoose another value.",
                "Select at least one color component !"}));
  EXPECT_EQ(Pixels(doc.GetPosImage(0)), before);
  EXPECT_EQ(doc.GetPosImage(0)->GetUndoState(), 0);
}

TEST_F(EffectsWindows, SmoothingAppliesToTheStereoPairWithUndoAndKeepsInterruptedSteps) {
  WriteImage(dir.File("left.png"), 64, 48);
  WriteImage(dir.File("right.png"), 64, 48, -1, 1);
  KEPAteloDocument& doc = Make({dir.File("left.png"), dir.File("right.png")});
  doc.GetSeries()->AssociateStereoImages();
  KEPAtelIma* image = doc.GetPosImage(0);
  KEPAtelIma* partner = image->GetCoupledImage();
  ASSERT_NE(partner, nullptr);
  const std::vector<unsigned char> before = Pixels(image), partnerBefore = Pixels(partner);
  doc.LisseAction();
  KEPAteloLisse* lisse = doc.GetLisseDialog();
  lisse->IterAction(3);
  lisse->OkAction();
  ASSERT_TRUE(PumpUntil([&] { return !lisse->IsRunning(); }));
  EXPECT_EQ(Pixels(image), Smoothed(before, 64, 48, 3));
  EXPECT_EQ(Pixels(partner), Smoothed(partnerBefore, 64, 48, 3));
  EXPECT_EQ(image->SwapUndo(), 2);
  EXPECT_EQ(Pixels(image), before);

  // A larger image, interrupted once a step is done.
  WriteImage(dir.File("big.png"), 2000, 1500);
  std::vector<std::string> names{dir.File("big.png")};
  doc.SetSplitMode(0);
  ASSERT_EQ(doc.OpenFile(names, 1), 0);
  image = doc.GetPosImage(0);
  const std::vector<unsigned char> big = Pixels(image);
  lisse->IterAction(20);
  lisse->OkAction();
  // One step of the image is 1500 rows of progress.
  ASSERT_TRUE(PumpUntil([&] { return lisse->GetProgress()->GetValue() >= 1500; }, 60000));
  lisse->GetProgress()->OkAction();
  ASSERT_TRUE(PumpUntil([&] { return !lisse->IsRunning(); }));
  const int done = lisse->GetDone();
  EXPECT_GE(done, 1);
  EXPECT_LT(done, 20);
  EXPECT_EQ(Pixels(image), Smoothed(big, 2000, 1500, done));
}

TEST_F(EffectsWindows, BlurTakesAnUndoCopyAndLeavesAOnePixelImage) {
  KEPAteloDocument& doc = Make({});
  doc.BlurAction();
  WriteImage(dir.File("noise.png"), 30, 20);
  WriteImage(dir.File("dot.png"), 1, 1);
  std::vector<std::string> names{dir.File("dot.png"), dir.File("noise.png")};
  ASSERT_EQ(doc.OpenFile(names, 1), 0);
  KEPAtelIma* image = doc.GetPosImage(0);
  const std::vector<unsigned char> before = Pixels(image);
  doc.BlurAction();
  EXPECT_NE(Pixels(image), before);
  EXPECT_EQ(image->GetUndoState(), 1);
  std::vector<unsigned char> expected = before;
  std::vector<float> hls = KEPComponentArrays::Export(before.data(), 30, 0, 0, 30, 20, 1);
  hls = KEPSmoothing::BlurLightness(hls.data(), 30, 20, 3, {});
  KEPComponentArrays::Import(expected.data(), 30, 0, 0, 30, 20, 1, hls.data());
  EXPECT_EQ(Pixels(image), expected);
  doc.GetSeries()->SelectImage(2);
  const std::vector<unsigned char> dot = Pixels(doc.GetPosImage(0));
  doc.BlurAction();
  EXPECT_EQ(Pixels(doc.GetPosImage(0)), dot);
  EXPECT_EQ(Asked(), std::vector<std::string>{
                         "An error occured during the operation !\n\tNo image to blur or\n\tBad "
                         "parameters."});
}

TEST_F(EffectsWindows, ComposeLaysTheSeriesOutAsARendering) {
  std::vector<std::string> names;
  for (int i = 0; i < 5; ++i) {
    char name[16];
    std::snprintf(name, sizeof name, "c%d.png", i);
    names.push_back(dir.File(name));
    WriteImage(names.back(), 60, 30, 10 * (i + 1));
  }
  WriteWholeFile(dir.File("bad.tif"), "not an image");
  KEPAteloDocument& doc = Make(names);
  doc.ComposeAction();
  KEPAteloCompose* compose = doc.GetComposeDialog();
  auto set = [&](const char* field, const char* value) {
    compose->findChild<QLineEdit*>(field)->setText(value);
    emit compose->findChild<QLineEdit*>(field)->editingFinished();
  };
  set("imageWidthVal", "0");  // refused
  EXPECT_EQ(compose->findChild<QLineEdit*>("imageWidthVal")->text(), "60");
  set("patchNbWidthVal", "2");
  set("patchNbHeightVal", "2");
  set("patchWidthVal", "30");
  set("patchHeightVal", "20");  // the sheet follows: 60 x 40
  set("bgFileVal", dir.File("missing").c_str());
  compose->OkBgFile(dir.File("bad.tif"));
  compose->OkAction();
  ASSERT_EQ(doc.GetNbrImage(), 6);
  KEPAtelIma* sheet = doc.GetPosImage(6);
  int w = 0, h = 0;
  sheet->GetSize(w, h);
  EXPECT_EQ(w * 1000 + h, 60040);
  EXPECT_TRUE(sheet->IsDone());
  // Four patches of 30 x 15 (zoomed, centred); the top-left one is the
  // first image.
  const unsigned char* p = sheet->GetPixels();
  int top[3], bottom[3];
  compose->GetColors(top, bottom);
  EXPECT_EQ(std::vector<int>({p[(31 * 60 + 5) * 4], p[(31 * 60 + 35) * 4], p[(8 * 60 + 5) * 4],
                              p[(8 * 60 + 35) * 4 + 1], p[(39 * 60) * 4 + 2]}),
            std::vector<int>({10, 20, 30, 80, top[2]}));
  const std::string messages = doc.GetMessageDialog()->GetText().toStdString();
  for (const char* line : {"Read failed: ", "    Position: (0,22)\n", "Image composing done."})
    EXPECT_NE(messages.find(line), std::string::npos) << line << messages;
  EXPECT_EQ(Asked(), std::vector<std::string>{"File '" + dir.File("missing") + ".tif' not found."});
}

TEST_F(EffectsWindows, AnOversizedFileIsSplitIntoTilesNamedAfterIt) {
  WriteImage(dir.File("first.png"), 20, 20, 1);
  WriteImage(dir.File("wide.png"), 400, 200);
  WriteWholeFile(dir.File("broken.png"), std::string(5000, 'x'));
  KEPAteloDocument& doc = Make({});
  doc.SetSplitSize(100000);
  std::vector<std::string> names{dir.File("first.png")};
  ASSERT_EQ(doc.OpenFile(names, 1), 0);
  doc.SetSplitSize(1000);
  names = {dir.File("broken.png"), dir.File("wide.png")};
  ASSERT_EQ(doc.OpenFile(names, 1), 0);
  EXPECT_EQ(doc.GetNbrImage(), 1);
  ASSERT_EQ(doc.GetSplitDialogs().size(), 1u);
  EXPECT_EQ(Prompt().asked.size(), 1u);  // the broken file's reading error
  KEPAteloSplit* split = doc.GetSplitDialogs()[0];
  EXPECT_TRUE(split->isVisible());
  EXPECT_EQ(split->findChild<QLineEdit*>("patchWidthVal")->text(), "200");
  EXPECT_FALSE(split->findChild<QPushButton*>("prevBtn")->isEnabled());
  split->NextAction();
  EXPECT_EQ(split->findChild<QLineEdit*>("patchNbHorizVal")->text(), "4");
  EXPECT_EQ(split->findChild<QLineEdit*>("patchNbVertVal")->text(), "2");
  const std::vector<unsigned char> whole = Pixels(split->GetImage());
  split->OkAction();
  ASSERT_EQ(doc.GetNbrImage(), 9);
  // The top row of tiles first, each row left to right.
  const char* order[8] = {"wide_1_0", "wide_1_1", "wide_1_2", "wide_1_3",
                          "wide_0_0", "wide_0_1", "wide_0_2", "wide_0_3"};
  for (int i = 0; i < 8; ++i)
    EXPECT_EQ(doc.GetPosImage(i + 2)->GetName(), dir.File(std::string(order[i]) + ".png"));
  KEPAtelIma tile(dir.File("x.png").c_str(), KEPAtelIma::STATE_IN_MEMORY, 0u);
  tile.AllocatePixels(400, 200);
  tile.PutPatch(0, 0, 400, 200, whole.data());
  EXPECT_EQ(Pixels(doc.GetPosImage(8)), tile.CopyRect(200, 0, 100, 100));
  EXPECT_EQ(doc.GetPosImage(0), doc.GetPosImage(2));
  ASSERT_TRUE(PumpUntil([&] { return doc.GetSplitDialogs().empty(); }));
}

}  // namespace
