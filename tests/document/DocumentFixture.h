#pragma once

// A real document window, offscreen, over pictures written for the test in
// a private HOME.
#include <gtest/gtest.h>

#include <QAction>
#include <QCoreApplication>
#include <QMouseEvent>
#include <memory>
#include <string>
#include <vector>

#include "document/KEPAteloDocument.h"
#include "platform/viewer/KEP2DViewer.h"
#include "support/Picture.h"
#include "support/ScriptedPrompt.h"
#include "support/TempDir.h"

class DocumentFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    home = std::make_unique<ScopedHome>(dir.Path());
    errmsg[0] = 0;
  }
  void TearDown() override { doc.reset(); }

  template <class Document = KEPAteloDocument>
  Document& Make(const std::vector<std::string>& files = {}, int style = 0, int width = 800,
                 int height = 600) {
    doc.reset();
    auto made = std::make_unique<Document>("Atelo Test", width, height, files, style);
    Document& document = *made;
    doc = std::move(made);
    return document;
  }
  // Gradient pictures (see Gradient) of the blues given, named 1.png,
  // 2.png..., in a new document with the draw toolbar shown.
  KEPAteloDocument& Open(const std::vector<int>& blues = {7}, int width = 40, int height = 30) {
    std::vector<std::string> files;
    for (int blue : blues) {
      files.push_back(dir.File(std::to_string(files.size() + 1) + ".png"));
      WritePicture(files.back(), width, height, Gradient(blue));
    }
    Make(files).ShowDrawToolBar(true);
    return *doc;
  }

  KEPAtelIma* Image() const { return doc->GetPosImage(0); }
  Bytes Pixels(KEPAtelIma* image = nullptr) const { return PixelsOf(image ? image : Image()); }
  void Trigger(const char* name) { doc->FindAction(name)->trigger(); }
  bool Enabled(const char* name) const { return doc->FindAction(name)->isEnabled(); }
  std::string LastQuestion() const {
    return Prompt().asked.empty() ? "" : Prompt().asked.back().text;
  }
  // The view point of the centre of pixel (x, y) of the current image.
  KEPMathPoint2Df View(float x, float y) const {
    float ox = 0, oy = 0;
    Image()->GetOrigin(ox, oy);
    return {ox + x + 0.5f, oy + y + 0.5f};
  }
  // A pointer event of the left button at the centre of pixel (x, y).
  void Pointer(QEvent::Type type, float x, float y) {
    KEP2DViewer* viewer = doc->GetViewer();
    const QPointF at = viewer->ViewToWidget(View(x, y));
    const Qt::MouseButton button = type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
    const Qt::MouseButtons held =
        type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton;
    QMouseEvent event(type, at, viewer->mapToGlobal(at), button, held, Qt::NoModifier);
    QCoreApplication::sendEvent(viewer, &event);
  }
  // Press on the first point, a move to each next, release on the last.
  void Stroke(const std::vector<std::pair<float, float>>& path) {
    Pointer(QEvent::MouseButtonPress, path[0].first, path[0].second);
    for (std::size_t k = 1; k < path.size(); ++k)
      Pointer(QEvent::MouseMove, path[k].first, path[k].second);
    Pointer(QEvent::MouseButtonRelease, path.back().first, path.back().second);
  }

  TempDir dir;
  std::unique_ptr<ScopedHome> home;
  std::unique_ptr<KEPAteloDocument> doc;
};
