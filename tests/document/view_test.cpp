// View commands, playback, stereo and the logo, on a real document window.
#include <gtest/gtest.h>

#include <QKeyEvent>
#include <QLineEdit>
#include <QSlider>
#include <QSpinBox>
#include <algorithm>

#include "document/DocumentFixture.h"
#include "document/KEPAteloDefaultLogo.h"
#include "document/KEPAteloLogo.h"
#include "platform/KEPClock.h"
#include "platform/viewer/KEP2DLineGP.h"
#include "platform/viewer/KEPCatalog2DImagePixelRep.h"
#include "series/KEPAteloSeries.h"

namespace {

class ViewTest : public DocumentFixture {
 protected:
  void SetUp() override {
    DocumentFixture::SetUp();
    KEPClock::SetSourceForTesting([this] { return now; });
  }
  void TearDown() override {
    DocumentFixture::TearDown();
    KEPClock::SetSourceForTesting(nullptr);
    KEPAteloDefaultLogo::Restore();
  }

  // A document holding `count` saved images of width x height named
  // 1.png, 2.png...; pixel (c, r) of image k is (c, r, k, 255). The first
  // image is current.
  KEPAteloDocument& Make(int count, int width = 40, int height = 30) {
    std::vector<std::string> names;
    for (int k = 1; k <= count; ++k) {
      names.push_back(dir.File(std::to_string(k) + ".png"));
      WritePicture(names.back(), width + (k > sizeDiffersFrom ? 2 : 0), height, Gradient(k));
    }
    return DocumentFixture::Make(names, 0, 640, 480);
  }
  int Current() const { return doc->GetSeries()->GetCurValue(); }

  double now = 100.0;
  int sizeDiffersFrom = 1000;
};

TEST_F(ViewTest, ContinuousPlaybackKeepsTheDelayAndSwingsAtTheEnds) {
  KEPAteloDocument& doc = Make(4);
  doc.SetLoopMode(0);
  doc.GetSeries()->SelectImage(4);
  doc.findChild<QSpinBox*>("delaySpinner")->setValue(5);  // 5 ms, 50 ticks
  doc.FastForwardSelection();
  EXPECT_TRUE(doc.IsPlaying());
  now += 0.0049;
  doc.ExecuteIdleWork(KEPAteloDocument::PLAY_FORWARD);
  EXPECT_EQ(Current(), 4);
  // Past the end: back to 3, then 2, 1 and forward again.
  const int expected[][2] = {{3, 1}, {2, 1}, {1, 1}, {2, 2}, {3, 2}};
  for (auto [position, direction] : expected) {
    now += 0.006;
    doc.ExecuteIdleWork(KEPAteloDocument::PLAY_FORWARD);
    EXPECT_EQ(Current(), position);
    EXPECT_EQ(doc.GetPlaybackState(), direction);
  }
  // The idle time of the real event loop drives it too.
  doc.SetLoopMode(1);
  for (int turn = 0; turn < 50 && Current() != 1; ++turn) {
    now += 0.01;
    QCoreApplication::processEvents();
  }
  EXPECT_EQ(Current(), 1);  // 3, 4, then looped to 1
  doc.PauseSelection();
  EXPECT_FALSE(doc.IsPlaying());
  EXPECT_EQ(doc.GetPlaybackState(), KEPAteloDocument::PLAY_STOPPED);
}

TEST_F(ViewTest, StepButtonsAndKeysStepWithLoopAndOpenTheFileBoxAlone) {
  KEPAteloDocument& doc = Make(4);
  auto keyTo = [](QWidget& window, int code) {
    QKeyEvent press(QEvent::KeyPress, code, Qt::NoModifier);
    QCoreApplication::sendEvent(&window, &press);
  };
  auto key = [&](int code) { keyTo(doc, code); };
  doc.BackwardSelection();
  EXPECT_EQ(Current(), 4);
  doc.ForwardSelection();
  EXPECT_EQ(Current(), 1);
  key(Qt::Key_PageDown);
  key(Qt::Key_Right);
  EXPECT_EQ(Current(), 3);
  key(Qt::Key_PageUp);
  key(Qt::Key_Left);
  key(Qt::Key_Up);
  EXPECT_EQ(Current(), 4);
  doc.GetViewer()->SetFullScreen(true);
  QKeyEvent next(QEvent::KeyPress, Qt::Key_PageDown, Qt::NoModifier);
  QCoreApplication::sendEvent(doc.GetViewer(), &next);
  doc.GetViewer()->SetFullScreen(false);
  EXPECT_EQ(doc.windowTitle().toStdString(), "Atelo Test - 1.png");

  KEPAteloDocument& one = Make(1);
  keyTo(one, Qt::Key_PageDown);
  EXPECT_TRUE(Prompt().fileBoxes.empty());
  one.ForwardSelection();
  one.FastBackwardSelection();
  ASSERT_EQ(Prompt().fileBoxes.size(), 2u);
  EXPECT_EQ(Prompt().fileBoxes[0].name, "open");
}

TEST_F(ViewTest, ThePlaybackToolbarKeepsItsSideAndTheDelayItsMaximum) {
  WriteWholeFile(dir.File(".virda_atelo.env"), "DEF_WAITMAX=20\nPLAYBACK_TOOLBAR=TOP\n");
  KEPAteloDocument& doc = Make(2);
  EXPECT_TRUE(doc.FindAction("playbackChkItem")->isChecked());
  doc.findChild<QSlider*>("delaySlider")->setValue(500);
  EXPECT_EQ(doc.findChild<QSpinBox*>("delaySpinner")->value(), 20);
  EXPECT_FLOAT_EQ(doc.GetDelay(), 200.0f);
  for (int side : {0, int(KEPAteloSettings::DOCK_TOP)}) {
    Trigger("playbackChkItem");
    EXPECT_EQ(doc.Settings().GetDockState(KEPAteloSettings::TOOLBAR_PLAYBACK), side);
  }
}

TEST_F(ViewTest, TheGridShowsFromEightScreenPixelsPerPixel) {
  KEPAteloDocument& doc = Make(1, 3, 2);
  Trigger("gridItem");
  ASSERT_NE(doc.GetGridRep(), nullptr);
  auto* lines = dynamic_cast<const KEP2DLineGP*>(doc.GetGridRep()->GetPrimitive(0));
  ASSERT_NE(lines, nullptr);
  EXPECT_EQ(lines->GetSegmentCount(), 7);
  for (float zoom : {7.9f, 8.0f, 2.0f}) {
    doc.Reframe(0, 0, zoom);
    EXPECT_EQ(doc.IsGridDisplayed(), zoom >= 8.0f) << zoom;
  }
  doc.ReframeAction();
  EXPECT_EQ(doc.GetPointerText(), "100%");
  Trigger("gridItem");
  EXPECT_EQ(doc.GetGridRep(), nullptr);

  Trigger("fullScreenItem");
  EXPECT_TRUE(doc.GetViewer()->IsFullScreen());
  EXPECT_FALSE(doc.FindAction("fullScreenItem")->isChecked());
  doc.GetViewer()->SetFullScreen(false);
}

TEST_F(ViewTest, ThePointerReadoutGivesThePixelInImageCoordinates) {
  KEPAteloDocument& doc = Make(2, 40, 30);
  doc.ReframeAction();
  KEP2DViewer* viewer = doc.GetViewer();
  // Images are centred: view (0, 0) is pixel (20, 15), counted from the
  // bottom row as the record keeps it.
  emit viewer->PointerMoved(0.5f, 0.5f);
  EXPECT_EQ(doc.GetPointerText(), "100%   20, 15   20 15 1 255");
  doc.ForwardSelection();
  EXPECT_EQ(doc.GetPointerText(), "100%   20, 15   20 15 2 255");
  emit viewer->PointerMoved(500.0f, 0.0f);
  EXPECT_EQ(doc.GetPointerText(), "100%");
  doc.Reframe(0, 0, 0.05f);
  EXPECT_EQ(doc.GetPointerText(), "5.0%");
}

TEST_F(ViewTest, StereoShowsPairsOfOneSizeAndStepsByPairs) {
  KEPAteloDocument& four = Make(4);
  Trigger("stereoItem");
  EXPECT_TRUE(Prompt().asked.empty());
  EXPECT_TRUE(four.GetViewer()->IsStereoMode());
  auto* rep = dynamic_cast<KEPCatalog2DImagePixelRep*>(four.GetViewer()->GetReps().front());
  ASSERT_NE(rep, nullptr);
  EXPECT_EQ(rep->GetStereoPartner(), four.GetPosImage(2)->GetPixels());
  four.ForwardSelection();  // pairs: a step of two
  EXPECT_EQ(Current(), 3);
  four.PromptIfOddImageNumber(5);
  EXPECT_EQ(Prompt().asked.back().text,
            "Odd selected images number incompatible with stereo view.\nStereo view aborted.");
  EXPECT_FALSE(four.IsStereoActivate());
  EXPECT_FALSE(four.GetViewer()->IsStereoMode());

  // Two images of different sizes: only "Toggle Stereo" is offered.
  Prompt().Clear();
  sizeDiffersFrom = 1;
  KEPAteloDocument& two = Make(2);
  Trigger("stereoItem");
  ASSERT_EQ(Prompt().asked.size(), 1u);
  EXPECT_EQ(Prompt().asked[0].buttons, std::vector<std::string>{"Toggle Stereo"});
  EXPECT_EQ(Prompt().asked[0].text, dir.File("1.png") + " and " + dir.File("2.png") +
                                        " have different size !\nStereo image processing "
                                        "impossible.");
  EXPECT_FALSE(two.IsStereoActivate());
  EXPECT_EQ(Current(), 1);
  EXPECT_FALSE(two.GetViewer()->GetReps().empty());
}

TEST_F(ViewTest, LogoSizeAndPlaceRules) {
  struct Case {
    int lw, lh, iw, ih, ratio, mode, w, h;
  } sizes[] = {{200, 100, 640, 480, 50, 1, 100, 50},
               {200, 100, 1000, 500, 20, 0, 200, 100},
               {200, 100, 500, 1000, 20, 0, 100, 50},
               {200, 100, 640, 480, 1, 1, 2, 1},
               {3, 3, 640, 480, 1, 1, 1, 1}};
  for (const Case& c : sizes) {
    int w = 0, h = 0;
    KEPAteloLogo::ScaledSize(c.lw, c.lh, c.iw, c.ih, c.ratio, c.mode, w, h);
    EXPECT_EQ(std::pair(w, h), std::pair(c.w, c.h)) << c.lw << "x" << c.lh << " on " << c.iw;
  }
  const int places[][2] = {{-310, 180}, {-310, -230}, {210, 180}, {210, -230}};
  for (int position = 0; position < 4; ++position) {
    int x = 0, y = 0;
    KEPAteloLogo::Place(position, -320, -240, 640, 480, 100, 50, x, y);
    EXPECT_EQ(std::pair(x, y), std::pair(places[position][0], places[position][1])) << position;
  }
}

TEST_F(ViewTest, TheLogoIsLaidOverMovedAndMergedOnlyIntoTheSavedFile) {
  KEPAteloDocument& doc = Make(2, 400, 300);
  KEPAtelIma* image = doc.GetPosImage(0);
  EXPECT_FALSE(Enabled("saveItem"));
  Trigger("logoItem");  // the built-in logo, before any Apply
  ASSERT_TRUE(image->HasLogo());
  EXPECT_TRUE(Enabled("saveItem"));
  const KEPImageLogo logo = image->GetLogo();
  int lw = 0, lh = 0;
  ASSERT_TRUE(KEPAteloDefaultLogo::GetSize(lw, lh));
  EXPECT_EQ(logo.width, lw);
  EXPECT_EQ(logo.x, -200 + 10);
  EXPECT_EQ(logo.y, -150 + 300 - (lh + 10));

  // Each Apply is a new set-up: the image's logo is made again.
  KEPAteloLogo* dialog = doc.GetLogoDialog();
  dialog->findChild<QLineEdit*>("fileVal")->setText("");
  dialog->FileAction();
  EXPECT_EQ(dialog->findChild<QLineEdit*>("fileVal")->text(), "Default");
  dialog->OkAction();
  EXPECT_EQ(image->GetLogoId(), logo.id + 1);

  // Dragged by 12.7 x -3.2 units: whole pixels, floored.
  KEP2DManipulator* handle = doc.GetLogoManipulator();
  ASSERT_NE(handle, nullptr);
  handle->Deliver(KEP2DManipulator::kBegin, KEPMathPoint2Df(-180, 120));
  handle->Deliver(KEP2DManipulator::kEnd, KEPMathPoint2Df(-167.3f, 116.8f));
  EXPECT_EQ(image->GetLogo().x, logo.x + 12);
  EXPECT_EQ(image->GetLogo().y, logo.y - 4);

  // Saved never merged, then always: the logo's corner pixel (white) lands
  // at its place less the origin, in the file only.
  const Bytes before = Pixels(image);
  const std::size_t corner = ((image->GetLogo().y + 150) * 400 + image->GetLogo().x + 200) * 4;
  const Bytes white = {255, 255, 255, 255};
  for (int mode : {0, 2}) {
    doc.SetMergeLogoMode(mode);
    doc.SaveAction();
    EXPECT_EQ(Pixels(image), before);
    const Bytes saved = ReadPicture(dir.File("1.png")).pixels;
    ASSERT_EQ(saved.size(), before.size());
    EXPECT_EQ(Bytes(&saved[corner], &saved[corner + 4]),
              mode ? white : Bytes(&before[corner], &before[corner + 4]))
        << mode;
    EXPECT_TRUE(std::equal(&saved[0], &saved[400 * 4], &before[0]));  // row 0
  }

  // Hidden, every image forgets its logo.
  doc.ForwardSelection();
  ASSERT_TRUE(doc.GetPosImage(0)->HasLogo());
  Trigger("logoItem");
  EXPECT_FALSE(image->HasLogo());
  EXPECT_FALSE(doc.GetPosImage(0)->HasLogo());
}

TEST_F(ViewTest, ALogoThatCannotBeReadLosesNothing) {
  KEPAteloDocument& doc = Make(1, 64, 48);
  KEPAteloDefaultLogo::Bind(nullptr, nullptr);
  Trigger("logoItem");
  ASSERT_EQ(Prompt().asked.size(), 1u);
  EXPECT_EQ(Prompt().asked[0].text, "Default Logo not read (Couldn't determine size)");
  EXPECT_FALSE(doc.FindAction("logoItem")->isChecked());

  KEPAteloDefaultLogo::Restore();
  KEPAteloLogo* dialog = doc.GetLogoDialog();
  dialog->OkAction();
  const int id = dialog->GetLogoId();
  ASSERT_TRUE(doc.GetPosImage(0)->HasLogo());
  WriteWholeFile(dir.File("broken.png"), "not a picture");
  dialog->findChild<QLineEdit*>("fileVal")->setText(QString::fromStdString(dir.File("broken.png")));
  dialog->OkAction();
  EXPECT_EQ(Prompt().asked.size(), 2u);
  EXPECT_EQ(dialog->GetLogoId(), id);
  ASSERT_NE(dialog->GetLogoImage(), nullptr);
  EXPECT_STREQ(dialog->GetLogoImage()->GetName(), "./Default.tif");
  EXPECT_TRUE(doc.GetPosImage(0)->HasLogo());

  dialog->findChild<QLineEdit*>("fileVal")->setText(QString::fromStdString(dir.File("none")));
  dialog->FileAction();
  EXPECT_EQ(Prompt().asked.back().text, "File '" + dir.File("none.tif") + "' not found");
  const std::size_t asked = Prompt().asked.size();
  dialog->FileAction();  // the field losing the focus says it again
  EXPECT_EQ(Prompt().asked.size(), asked) << "one report for one mistake";
}

}  // namespace
