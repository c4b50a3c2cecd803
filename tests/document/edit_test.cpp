// Editing through the document's commands and the viewer's pointer events:
// selections, the clipboard and its floating object, undo, crop, turns,
// flips, resizing and New.
#include <gtest/gtest.h>

#include <QClipboard>
#include <QGuiApplication>
#include <QImage>
#include <QLineEdit>
#include <cstring>
#include <functional>

#include "document/DocumentFixture.h"
#include "document/KEPAteloFramePart.h"
#include "document/KEPAteloSetSize.h"
#include "paint/KEPGeometry.h"
#include "platform/viewer/KEP2DIndicator.h"
#include "platform/viewer/KEP2DManipulator.h"
#include "series/KEPAteloSeries.h"

namespace {

class Edit : public DocumentFixture {
 protected:
  void Drag(float x0, float y0, float x1, float y1) {
    Stroke({{x0, y0}, {(x0 + x1) / 2, (y0 + y1) / 2}, {x1, y1}});
  }
  void Click(float x, float y) { Drag(x, y, x, y); }
  // Selects image pixels (10, 10) to (19, 14) with the rectangle tool.
  void SelectRectangle() {
    if (!doc->GetToolButton(0x1000)->isChecked()) Trigger("selRecButton");
    Drag(10, 10, 19, 14);
  }
  Bytes Mask(int& x, int& y, int& w, int& h) const {
    const unsigned char* mask = doc->GetSelectionMasque(x, y, w, h);
    return mask ? Bytes(mask, mask + w * h) : Bytes();
  }
  // The pixel (x, y) of a w-wide buffer as one number.
  static std::uint32_t At(const Bytes& b, int w, int x, int y) {
    std::uint32_t v;
    std::memcpy(&v, &b[(static_cast<std::size_t>(y) * w + x) * 4], 4);
    return v;
  }
};

TEST_F(Edit, EachSelectionToolBuildsItsMask) {
  KEPAteloDocument& d = Open();
  int x, y, w, h;
  SelectRectangle();
  EXPECT_EQ(Mask(x, y, w, h), Bytes(50, 0));
  EXPECT_EQ((std::vector<int>{x, y, w, h}), (std::vector<int>{10, 10, 10, 5}));
  EXPECT_TRUE(d.GetSelectionRep());
  for (const char* name : {"copyItem", "cutItem", "cropButton"}) EXPECT_TRUE(Enabled(name));

  // Wholly outside: no selection and no word about it.
  Drag(50, 50, 60, 60);
  EXPECT_TRUE(Mask(x, y, w, h).empty());
  EXPECT_EQ((std::vector<int>{x, y, w, h}), (std::vector<int>{0, 0, 40, 30}));
  EXPECT_FALSE(d.GetSelectionRep());
  EXPECT_FALSE(Enabled("copyItem"));

  Trigger("selSegButton");  // by clicks, closed by a click on the first vertex
  for (auto [px, py] : {std::pair{5, 5}, {25, 5}, {25, 20}, {5, 5}}) Click(px, py);
  Bytes polygon = Mask(x, y, w, h);
  EXPECT_EQ((std::vector<int>{x, y, w, h}), (std::vector<int>{5, 5, 21, 16}));
  EXPECT_EQ(polygon[20], 0);       // a corner on the outline
  EXPECT_EQ(polygon[15 * 21], 1);  // (5, 20), beyond the diagonal

  Trigger("selHandButton");
  Pointer(QEvent::MouseButtonPress, 5, 5);
  for (auto [px, py] : {std::pair{25, 5}, {25, 20}}) Pointer(QEvent::MouseMove, px, py);
  Pointer(QEvent::MouseButtonRelease, 5, 20);
  EXPECT_EQ(Mask(x, y, w, h), Bytes(21 * 16, 0));

  Trigger("selCirButton");
  Drag(20, 15, 25.3f, 15);  // radius 5
  Mask(x, y, w, h);
  EXPECT_EQ((std::vector<int>{x, y, w, h}), (std::vector<int>{15, 10, 11, 11}));
  EXPECT_TRUE(Prompt().asked.empty()) << LastQuestion();
}

TEST_F(Edit, CopyPasteDropThenUndoAndRedo) {
  KEPAteloDocument& d = Open();
  const Bytes original = Pixels();
  SelectRectangle();
  Trigger("copyItem");
  int cw, ch;
  Bytes clip = d.GetClipboard(cw, ch);
  ASSERT_EQ(cw * ch, 50);
  EXPECT_EQ(At(clip, 10, 0, 0), At(original, 40, 10, 10));
  EXPECT_FALSE(d.GetSelectionRep());
  // The desktop gets the picture the right way up: its top row is row 14.
  QImage desktop = QGuiApplication::clipboard()->image();
  EXPECT_EQ(desktop.size(), QSize(10, 5));
  EXPECT_EQ(desktop.pixel(0, 0), qRgba(10, 14, 7, 255));

  // Pasted centred on whole pixels; dragging and where it lands are the
  // program test's, here the merge a click outside makes and its undo.
  Trigger("pasteItem");
  float px, py;
  int w, h;
  ASSERT_TRUE(d.GetFloatingObject(px, py, w, h));
  EXPECT_EQ(std::vector<float>({px, py}), std::vector<float>({-5.0f, -2.0f}));
  Click(1, 1);
  EXPECT_FALSE(d.HasFloatingObject());
  const Bytes merged = Pixels();
  EXPECT_EQ(At(merged, 40, 15, 13), At(original, 40, 10, 10));
  EXPECT_TRUE(Enabled("undoItem"));
  EXPECT_FALSE(Enabled("redoItem"));

  Trigger("undoItem");
  EXPECT_EQ(Pixels(), original);
  EXPECT_FALSE(Enabled("undoItem"));  // one level
  EXPECT_TRUE(Enabled("redoItem"));
  Trigger("redoItem");
  EXPECT_EQ(Pixels(), merged);
  EXPECT_TRUE(Enabled("undoItem"));

  // Dropped wholly off the image: no change and no undo copy taken.
  Trigger("undoItem");
  Trigger("pasteItem");
  d.GetClipboardManipulator()->SetPosition(KEPMathPoint2Df(500.0f, 500.0f));
  d.IncrustClipboard(Image());
  EXPECT_EQ(Pixels(), original);
  EXPECT_EQ(Image()->GetUndoState(), 2);
}

TEST_F(Edit, TheOutsideSideCopiesAndCutsAllButTheShape) {
  KEPAteloDocument& d = Open();
  const Bytes original = Pixels();
  d.SelZoneSideAction();
  EXPECT_EQ(d.FindAction("selSideButton")->text(), "Out");
  for (bool cut : {false, true}) {
    SelectRectangle();
    cut ? d.CutAction() : d.CopyAction(0);
    int w, h;
    const Bytes clip = d.GetClipboard(w, h);
    ASSERT_EQ(w * h, 40 * 30);
    const Bytes now = Pixels();
    for (int r = 0; r < 30; ++r)
      for (int c = 0; c < 40; ++c) {
        const bool shape = c >= 10 && c < 20 && r >= 10 && r < 15;
        ASSERT_EQ(At(clip, 40, c, r), shape ? 0u : At(original, 40, c, r)) << c << "," << r;
        ASSERT_EQ(At(now, 40, c, r), shape || !cut ? At(original, 40, c, r) : 0u);
      }
  }
  d.SelZoneSideAction();
  EXPECT_EQ(d.GetSelZoneSide(), 0);
}

TEST_F(Edit, CropKeepsTheSelectionAndUndoGivesTheImageBack) {
  KEPAteloDocument& d = Open();
  const Bytes original = Pixels();
  Trigger("selCirButton");
  Drag(20, 15, 25.3f, 15);
  d.CropAction();
  int w, h;
  Image()->GetSize(w, h);
  ASSERT_EQ(std::vector<int>({w, h}), std::vector<int>({11, 11}));
  const Bytes cropped = Pixels();
  for (auto [x, y] : {std::pair{0, 0}, {10, 0}, {0, 10}, {10, 10}})
    EXPECT_EQ(At(cropped, 11, x, y), 0u);
  EXPECT_EQ(At(cropped, 11, 5, 5), At(original, 40, 20, 15));
  Trigger("undoItem");
  EXPECT_EQ(Pixels(), original);
}

TEST_F(Edit, TurnsAndFlipsTransformTheImageAndItsStereoPartner) {
  KEPAteloDocument& d = Open({7, 7});
  KEPAtelIma* partner = d.GetPosImage(2);
  int w, h;
  char error[KEP_ERRMSG_SIZE];
  if (!partner->GetPixels()) {
    ASSERT_EQ(partner->LoadPixels(w, h, error), 0);
  }
  Image()->SetCoupledImage(partner);
  const Bytes original = Pixels();
  d.ManipsAction(KEP_ROTATE_LEFT);
  Image()->GetSize(w, h);
  EXPECT_EQ(std::vector<int>({w, h}), std::vector<int>({30, 40}));
  EXPECT_EQ(At(Pixels(), 30, 29, 0), At(original, 40, 0, 0));
  EXPECT_EQ(Pixels(partner), Pixels());
  d.ManipsAction(KEP_ROTATE_RIGHT);
  EXPECT_EQ(Pixels(), original);
  Trigger("undoItem");  // back to the first turn's result
  Image()->GetSize(w, h);
  EXPECT_EQ(w, 30);
  EXPECT_EQ(Pixels(partner), Pixels());
  Trigger("redoItem");
  for (int code : {KEP_FLIP_VERTICAL, KEP_FLIP_HORIZONTAL}) {
    d.ManipsAction(code);
    EXPECT_EQ(At(Pixels(), 40, 0, 0),
              code == KEP_FLIP_VERTICAL ? At(original, 40, 0, 29) : At(original, 40, 39, 0));
    d.ManipsAction(code);
    EXPECT_EQ(Pixels(), original);
    EXPECT_EQ(Pixels(partner), original);
  }
}

TEST_F(Edit, ASelectionIsLiftedAndOnlyTheObjectTurnsAboutItsCentreUntilMerged) {
  KEPAteloDocument& d = Open();
  const Bytes original = Pixels();
  SelectRectangle();
  d.ManipsAction(KEP_ROTATE_LEFT);
  float x, y;
  int w, h;
  ASSERT_TRUE(d.GetFloatingObject(x, y, w, h));
  // From 10 x 5 at (-10, -5) to 5 x 10: 2.5 right and down, truncated.
  EXPECT_EQ(std::vector<float>({x, y, float(w), float(h)}),
            std::vector<float>({-7.0f, -7.0f, 5.0f, 10.0f}));
  EXPECT_EQ(Pixels(), original);
  EXPECT_EQ(Image()->GetUndoState(), 0);

  d.ResizeImage(10, 20, false);  // the object, about its centre
  ASSERT_TRUE(d.GetFloatingObject(x, y, w, h));
  EXPECT_EQ(std::vector<float>({x, y, float(w), float(h)}),
            std::vector<float>({-9.0f, -12.0f, 10.0f, 20.0f}));
  Trigger("selRecButton");  // picking a tool merges it
  EXPECT_FALSE(d.HasFloatingObject());
  EXPECT_NE(Pixels(), original);
  EXPECT_EQ(Image()->GetUndoState(), 1);
}

TEST_F(Edit, ResizeTakesOnlySizesAnImageCanHaveAndUndoes) {
  KEPAteloDocument& d = Open();
  const Bytes original = Pixels();
  for (auto [w, h] : {std::pair{0, 5}, {-3, 5}, {70000, 10}, {60000, 60000}}) {
    Prompt().Clear();
    d.ResizeImage(w, h, false);
    EXPECT_NE(LastQuestion().find("is not possible"), std::string::npos) << w << " x " << h;
    d.ResizeImage(w, h, true);
    EXPECT_EQ(Pixels(), original);
    EXPECT_EQ(d.GetNbrImage(), 1);
  }
  d.ResizeImage(20, 15, false);
  int w, h;
  Image()->GetSize(w, h);
  EXPECT_EQ(std::vector<int>({w, h}), std::vector<int>({20, 15}));
  Trigger("undoItem");
  EXPECT_EQ(Pixels(), original);
}

TEST(SetSize, WidthHeightAndRatioFollowOneAnother) {
  std::vector<std::vector<int>> applied;
  KEPAteloSetSize dialog(nullptr, [&](int w, int h, bool n) { applied.push_back({w, h, n}); });
  auto type = [&](const char* field, const char* text) {
    auto* editor = dialog.findChild<QLineEdit*>(field);
    editor->setText(text);
    emit editor->editingFinished();
    return editor->text().toStdString();
  };
  dialog.UpdateSize(640, 480);
  EXPECT_EQ(dialog.GetRatio(), 100);
  type("sizeRatioValue", "50");
  EXPECT_EQ(std::vector<int>({dialog.GetWidth(), dialog.GetHeight()}),
            std::vector<int>({320, 240}));
  // 300 is 46 % of 640 and 240 is 50 % of 480: no common ratio.
  EXPECT_EQ(type("imageSetWidthValue", "300"), "300");
  EXPECT_EQ(dialog.findChild<QLineEdit*>("sizeRatioValue")->text(), "");
  for (const char* bad : {"0", "abc", "-4"}) EXPECT_EQ(type("imageSetWidthValue", bad), "300");
  EXPECT_EQ(type("imageSetHeightValue", "99999"), "240");  // beyond an image's side, told
  EXPECT_EQ(Prompt().asked.size(), 1u);
  dialog.NewImage();
  dialog.OkAction();
  dialog.OkAction();
  EXPECT_EQ(applied, (std::vector<std::vector<int>>{{300, 240, 1}, {300, 240, 0}}));
}

TEST_F(Edit, NewMakesAWhiteImageNamedFromTheDefaults) {
  WriteWholeFile(dir.File(".virda_atelo.env"),
                 "DEF_PATH=" + dir.Path() + "\nDEF_NAME=blank\nDEF_TYPE=png\n");
  KEPAteloDocument& d = Open();
  d.NewAction();
  KEPAteloSetSize* dialog = d.GetSetSizeDialog();
  EXPECT_EQ(dialog->windowTitle(), "New Image");
  EXPECT_EQ(dialog->GetWidth(), 40);
  dialog->UpdateSize(100, 100);
  dialog->OkAction();
  EXPECT_EQ(d.GetNbrImage(), 2);
  EXPECT_EQ(std::string(Image()->GetName()), dir.File("blank.png"));
  EXPECT_FALSE(dialog->IsNewImage());
}

TEST_F(Edit, WithoutAnImageACommandOnlySaysSo) {
  KEPAteloDocument& d = Make();
  const std::pair<std::function<void()>, const char*> cases[] = {
      {[&] { d.ManipsAction(KEP_ROTATE_LEFT); }, "No image to turn or flip !\nSelect an Image."},
      {[&] { d.CropAction(); }, "No zone or image to crop !\nSelect a zone first."},
      {[&] { d.CopyAction(1); }, "No image to copy !\nSelect an image."},
      {[&] { d.CutAction(); }, "No image to cut !\nSelect an image."},
      {[&] { d.PasteAction(0); }, "No image or No zone to paste."},
      {[&] { d.SetSizeAction(); }, "No image to resize !\nSelect an Image."},
      {[&] { d.ComputeImageMask(0x1000); }, "No Image to compute selection mask\n"},
      {[&] { d.UndoAction(); }, ""},
  };
  for (const auto& [command, message] : cases) {
    Prompt().Clear();
    command();
    EXPECT_EQ(LastQuestion(), message);
  }
  EXPECT_EQ(d.GetNbrImage(), 0);
}

TEST_F(Edit, ToolButtonsActAsOneGroupAndFollowTheirSensitivity) {
  KEPAteloDocument& d = Open();
  Trigger("selRecButton");
  Trigger("selCirButton");
  EXPECT_FALSE(d.GetToolButton(0x1000)->isChecked());
  EXPECT_EQ(d.GetCurrentTool(), 0x8000);
  // Greyed, the pressed tool lets go of the pointer.
  d.SetBtnSensitivity(d.GetToolButton(0x8000), KEPAteloDocument::INSENSITIVE);
  EXPECT_EQ(d.GetViewerIndicator()->GetCallbackCount(KEP2DIndicator::kBegin), 0);
}

TEST_F(Edit, SpecialPastePlacesTheClipboardInACellOfTheGrid) {
  KEPAteloDocument& d = Open();
  auto* part = new KEPAtelIma(dir.File("part.png").c_str(), KEPAtelIma::STATE_IN_MEMORY,
                              KEPAtelIma::MakeFramePartCode(6, 160, 120));
  ASSERT_EQ(part->AllocatePixels(40, 30), 0);
  d.LinkImageToViewer(part);
  ASSERT_EQ(d.GetSeries()->AppendOneImage(part), 0);
  auto objectAt = [&] {
    float x, y, ox, oy;
    int w, h;
    Image()->GetOrigin(ox, oy);
    return d.GetFloatingObject(x, y, w, h) ? std::vector<float>({x - ox, y - oy})
                                           : std::vector<float>();
  };
  d.CopyAction(1);
  EXPECT_EQ(d.GetClipboardFramePart(), 6);
  d.PasteAction(1);  // column 1, row 1, without asking
  EXPECT_EQ(objectAt(), std::vector<float>({10.0f, 7.0f}));
  EXPECT_FALSE(d.GetFramePartDialog());

  SelectRectangle();
  d.CopyAction(0);
  d.PasteAction(1);
  KEPAteloFramePart* chooser = d.GetFramePartDialog();
  ASSERT_TRUE(chooser && chooser->isVisible());
  chooser->SelectCell(3);
  chooser->OkAction();
  EXPECT_EQ(objectAt(), std::vector<float>({20.0f, 0.0f}));
  d.PasteAction(1);
  chooser->SelectCell(0);
  chooser->OkAction();
  EXPECT_EQ(LastQuestion(), "No image or No zone to paste.");
}

TEST_F(Edit, PasteTakesTheDesktopImageWhenItsOwnClipboardIsEmpty) {
  KEPAteloDocument& d = Open();
  QImage picture(3, 2, QImage::Format_RGBA8888);
  picture.fill(QColor(1, 2, 3));
  picture.setPixelColor(0, 0, QColor(200, 100, 50));  // top left
  QGuiApplication::clipboard()->setImage(picture);
  d.PasteAction(0);
  int w, h;
  const Bytes clip = d.GetClipboard(w, h);
  ASSERT_EQ(std::vector<int>({w, h}), std::vector<int>({3, 2}));
  EXPECT_EQ(Bytes(clip.begin() + 12, clip.begin() + 16), Bytes({200, 100, 50, 255}));
  EXPECT_TRUE(d.HasFloatingObject());
}

}  // namespace
