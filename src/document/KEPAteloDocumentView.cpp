// View commands: fit, reframe, full screen, the grid, stereoscopy, the
// toolbars' View items, and what the window tells of the current image (its
// title, the zoom and the pixel under the pointer, the stepping keys).
#include <QAction>
#include <QKeyEvent>
#include <QLabel>
#include <QStatusBar>
#include <QToolBar>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>

#include "document/KEPAteloDocument.h"
#include "image/KEPAtelIma.h"
#include "platform/KEPErrmsg.h"
#include "platform/KEPPrompt.h"
#include "platform/KEPTrace.h"
#include "platform/viewer/KEP2DCustomRep.h"
#include "platform/viewer/KEP2DLineGP.h"
#include "platform/viewer/KEP2DViewer.h"
#include "platform/viewer/KEPCatalog2DImagePixelRep.h"
#include "series/KEPAteloSeries.h"

namespace {

// Mid grey, half see-through: seen on black and on white alike, and the
// pixels still show through it.
const QColor kGridColour(128, 128, 128, 160);
constexpr float kGridScale = 8.0f;

}  // namespace

void KEPAteloDocument::SetUpView(int style) {
  _view.pointerStatus = new QLabel(this);
  _view.pointerStatus->setObjectName("pointerLabel");
  statusBar()->addPermanentWidget(_view.pointerStatus);
  if (_viewer) {
    _viewer->GetViewpoint().Subscribe([this](KEP2DViewpoint&) { ViewpointChanged(); });
    connect(_viewer, &KEP2DViewer::PointerMoved, this, [this](float x, float y) {
      _view.pointerInside = true;
      _view.pointerX = x;
      _view.pointerY = y;
      UpdatePointerStatus();
    });
    connect(_viewer, &KEP2DViewer::PointerLeft, this, [this] {
      _view.pointerInside = false;
      UpdatePointerStatus();
    });
  }
  if (!(style & STYLE_NO_TOOLBARS) &&
      _settings.GetDockState(KEPAteloSettings::TOOLBAR_PLAYBACK) != KEPAteloSettings::DOCK_NONE) {
    if (QAction* item = FindAction("playbackChkItem")) {
      QSignalBlocker quiet(item);
      item->setChecked(true);
    }
    TogglePlaybackAction();
  }
  UpdatePointerStatus();
}

// --- fit and reframe ----------------------------------------------------------------------

void KEPAteloDocument::Reframe(float x, float y, float zoom) {
  if (!_viewer) return;
  _viewer->Reframe(KEPMathPoint2Df(x, y), zoom);
}

void KEPAteloDocument::FitAction() {
  QAction* fitItem = FindAction("fitItem");
  if (fitItem && !fitItem->isChecked()) Reframe(0.0f, 0.0f, 1.0f);
  DisplayImage(_series->GetCurImage(), true);
}

void KEPAteloDocument::ReframeAction() {
  Reframe(0.0f, 0.0f, 1.0f);
  UncheckQuietly("fitItem");
  if (_viewer) _viewer->Redraw();
}

void KEPAteloDocument::FullScreenAction() {
  KEP_TRACE(4, "(KEPAteloDocument::FullScreenAction)");
  // A push item in check item's clothes: the viewer says how to come back
  // (Escape).
  UncheckQuietly("fullScreenItem");
  if (_viewer) _viewer->SetFullScreen(true);
}

// --- grid -----------------------------------------------------------------------------------

void KEPAteloDocument::GridAction() {
  KEP_TRACE(4, "(KEPAteloDocument::GridAction)");
  UpdateGrid();
}

void KEPAteloDocument::RemoveGrid() {
  if (_view.gridRep && _viewer) _viewer->RemoveRep(_view.gridRep.get());
  _view.gridRep.reset();
  _view.gridDisplayed = 0;
  _view.gridGeometry = {};
}

void KEPAteloDocument::UpdateGrid() {
  QAction* item = FindAction("gridItem");
  KEPAtelIma* image = _series ? _series->GetCurImage() : nullptr;
  if (!_viewer || !item || !item->isChecked() || !image || !image->GetPixels()) {
    RemoveGrid();
    return;
  }
  KEPAteloViewState::GridGeometry geometry;
  image->GetSize(geometry.width, geometry.height);
  image->GetOrigin(geometry.x, geometry.y);
  // Every redisplay passes here (each playback step too): the lines are
  // made again only for another size or place.
  if (!_view.gridRep || !(geometry == _view.gridGeometry)) {
    RemoveGrid();
    const int w = geometry.width, h = geometry.height;
    const float ox = geometry.x, oy = geometry.y;
    std::vector<KEPMathPoint2Df> ends;
    ends.reserve(2 * (static_cast<std::size_t>(w) + h + 2));
    for (int i = 0; i <= w; ++i) {
      ends.emplace_back(ox + i, oy);
      ends.emplace_back(ox + i, oy + h);
    }
    for (int j = 0; j <= h; ++j) {
      ends.emplace_back(ox, oy + j);
      ends.emplace_back(ox + w, oy + j);
    }
    _view.gridRep =
        std::make_unique<KEP2DCustomRep>(KEP2DGraphicAttributes{kGridColour, false, 1.0f});
    _view.gridRep->AddPrimitive(std::make_unique<KEP2DLineGP>(std::move(ends)));
    _view.gridGeometry = geometry;
  }
  _view.lastGridScale = _viewer->GetViewpoint().GetZoom() * _viewer->GetMillimetersPerSupportUnit();
  DisplayGrid(_view.lastGridScale);
}

void KEPAteloDocument::DisplayGrid(float scale) {
  if (!_view.gridRep || !_viewer) return;
  if (scale >= kGridScale && !_view.gridDisplayed) {
    _viewer->AddRep(_view.gridRep.get());
    _view.gridDisplayed = 1;
  } else if (scale < kGridScale && _view.gridDisplayed) {
    _viewer->RemoveRep(_view.gridRep.get());
    _view.gridDisplayed = 0;
  }
}

void KEPAteloDocument::DrawGrid() {
  if (_view.gridRep && _view.gridDisplayed) _view.gridRep->Invalidate();
}

void KEPAteloDocument::ViewpointChanged() {
  if (!_viewer) return;
  const float scale = _viewer->GetViewpoint().GetZoom() * _viewer->GetMillimetersPerSupportUnit();
  if (scale != _view.lastGridScale) {
    DisplayGrid(scale);
    _view.lastGridScale = scale;
  }
  UpdatePointerStatus();
}

void KEPAteloDocument::KeepOverlaysOnTop() {
  if (!_viewer) return;
  std::vector<KEP2DRep*> overlays;
  if (_view.logoImage && _view.logoRep) overlays.push_back(_view.logoRep.get());
  if (_view.gridDisplayed && _view.gridRep) overlays.push_back(_view.gridRep.get());
  const std::vector<KEP2DRep*>& reps = _viewer->GetReps();
  if (reps.size() >= overlays.size() &&
      std::equal(overlays.begin(), overlays.end(), reps.end() - overlays.size()))
    return;
  for (KEP2DRep* rep : overlays) {
    _viewer->RemoveRep(rep);
    _viewer->AddRep(rep);
  }
}

// --- stereo -----------------------------------------------------------------------------

void KEPAteloDocument::StereoAction() {
  KEP_TRACE(4, "(KEPAteloDocument::StereoAction)");
  const bool on = IsStereoActivate();
  if (on && _series->GetNbrImage() % 2 != 0) {
    KEPFormatError(errmsg, "Odd image number.\nStereo view aborted.");
    DisplayError();
    UncheckQuietly("stereoItem");
    return;
  }
  const int position = _series->GetCurValue();
  _series->RemoveAllReps();
  if (!on) {
    if (_viewer && _viewer->IsStereoMode()) _viewer->SetStereoMode(false);
    _series->DissociateStereoImages();
  } else {
    _series->DeleteListPaste();
    _series->AssociateStereoImages();
  }
  if (position > 0) _series->SelectImage(position);
}

bool KEPAteloDocument::IsStereoActivate() const {
  QAction* item = FindAction("stereoItem");
  return item && item->isChecked();
}

int KEPAteloDocument::PromptIfStereoImpossible(KEPAtelIma* image) {
  if (!image) return 0;
  auto abort = [this](const std::string& text) {
    UncheckQuietly("stereoItem");
    StereoAction();
    std::snprintf(errmsg, KEP_ERRMSG_SIZE, "%s", text.c_str());
    DisplayError();
    return 0;
  };
  KEPAtelIma* partner = image->GetCoupledImage();
  if (!partner) {
    partner = _series->GetCoupledImage(image);
    if (!partner)
      return abort("No image associated to current image for stereo view.\nStereo aborted.");
    image->SetCoupledImage(partner);
    partner->SetCoupledImage(image);
    image->SetStereoSide(_series->GetCurValue() % 2);
    partner->SetStereoSide(1 - image->GetStereoSide());
  }
  if (!partner->GetPixels()) {
    int width = 0, height = 0;
    char error[KEP_ERRMSG_SIZE] = {0};
    if (partner->LoadPixels(width, height, error) != 0)
      return abort(std::string(error) + "\nStereo aborted");
  }
  int width = 0, height = 0, partnerWidth = 0, partnerHeight = 0;
  image->GetSize(width, height);
  partner->GetSize(partnerWidth, partnerHeight);
  if (width == partnerWidth && height == partnerHeight) return 3;

  // A pair that cannot be shown stops playback; the user then chooses at
  // once rather than after another redisplay.
  if (_view.playbackState != PLAY_STOPPED) StopPlayback();
  if (_viewer && _viewer->IsStereoMode()) _viewer->SetStereoMode(false);
  KEPFormatError(errmsg, "%s and %s have different size !\nStereo image processing impossible.",
                 image->GetName(), partner->GetName());
  if (!IsPictureShown()) {
    DisplayError();
    return 1;
  }
  std::vector<std::string> buttons{"Toggle Stereo"};
  if (_series->GetNbrImage() >= 3) buttons.push_back("Next Image");
  const int answer = KEPPrompt::Ask(this, {"warnDlg", GetTitle(), errmsg, buttons});
  return answer == 2 ? 2 : 1;
}

bool KEPAteloDocument::StereoRepAllowed(KEPAtelIma* image) {
  // Each "Next Image" shows the next pair, which may ask again; past as
  // many questions as there are pairs the answer is to switch stereo off.
  ++_view.stereoPrompts;
  int answer = PromptIfStereoImpossible(image);
  if (answer == 2 && _view.stereoPrompts > _series->GetNbrImage() / 2) answer = 1;
  if (answer == 2) {
    ForwardSelection();
  } else if (answer == 1) {
    UncheckQuietly("stereoItem");
    StereoAction();
  }
  --_view.stereoPrompts;
  return answer == 3;
}

void KEPAteloDocument::AttachStereoPartner(KEPAtelIma* image) {
  if (!_imageRep) return;
  KEPAtelIma* partner = IsStereoActivate() ? image->GetCoupledImage() : nullptr;
  const unsigned char* pixels = nullptr;
  if (partner && partner->GetPixels()) {
    int width = 0, height = 0, partnerWidth = 0, partnerHeight = 0;
    image->GetSize(width, height);
    partner->GetSize(partnerWidth, partnerHeight);
    if (width == partnerWidth && height == partnerHeight) pixels = partner->GetPixels();
  }
  // The first image of a pair (odd position, side 1) is the left eye.
  const int eye = image->GetStereoSide() == 1 ? 0 : 1;
  if (_imageRep->GetStereoPartner() != pixels || _imageRep->GetStereoSide() != eye)
    _imageRep->SetStereoPartner(pixels, eye);
  _view.repPartner = pixels ? partner : nullptr;
  if (pixels && _viewer && !_viewer->IsStereoMode()) _viewer->SetStereoMode(true);
}

void KEPAteloDocument::PromptIfOddImageNumber(int count) {
  if (!IsStereoActivate() || count % 2 == 0) return;
  KEPFormatError(errmsg,
                 "Odd selected images number incompatible with stereo view.\nStereo view "
                 "aborted.");
  DisplayError();
  UncheckQuietly("stereoItem");
  StereoAction();
}

// --- toolbars -----------------------------------------------------------------------------

void KEPAteloDocument::TogglePlaybackAction() {
  QAction* item = FindAction("playbackChkItem");
  const bool on = item && item->isChecked();
  if (on && !_view.playbackToolBar) CreatePlaybackToolBar();
  if (_view.playbackToolBar) _view.playbackToolBar->setVisible(on);
  RecordPlaybackDock();
}

void KEPAteloDocument::ToggleDrawAction() {
  QAction* item = FindAction("drawChkItem");
  ShowDrawToolBar(item && item->isChecked());
}

// --- title, status and keys ------------------------------------------------------------------

void KEPAteloDocument::changeEvent(QEvent* event) {
  if (event->type() == QEvent::WindowTitleChange && windowTitle() != _view.shownTitle) {
    _view.baseTitle = windowTitle();
    UpdateWindowTitle();
  }
  QMainWindow::changeEvent(event);
}

void KEPAteloDocument::UpdateWindowTitle() {
  QString title = _view.baseTitle;
  if (KEPAtelIma* image = _series ? _series->GetCurImage() : nullptr) {
    const std::string name = std::filesystem::path(image->GetName()).filename().string();
    title += " - " + QString::fromStdString(name.empty() ? "Untitled" : name);
  }
  _view.shownTitle = title;
  if (windowTitle() != title) setWindowTitle(title);
}

QString KEPAteloDocument::GetPointerText() const {
  return _view.pointerStatus ? _view.pointerStatus->text() : QString();
}

void KEPAteloDocument::UpdatePointerStatus() {
  if (!_view.pointerStatus || !_viewer) return;
  const double percent = 100.0 * _viewer->GetViewpoint().GetZoom() *
                         static_cast<double>(_viewer->GetMillimetersPerSupportUnit());
  // Whole percents, but a far zoom-out keeps a decimal rather than reading 0%.
  QString text = percent >= 10.0 ? QString("%1%").arg(std::lround(percent))
                                 : QString("%1%").arg(percent, 0, 'f', 1);
  KEPAtelIma* image = _series ? _series->GetCurImage() : nullptr;
  const unsigned char* pixels = image ? image->GetPixels() : nullptr;
  if (_view.pointerInside && pixels) {
    int width = 0, height = 0;
    float ox = 0, oy = 0;
    image->GetSize(width, height);
    image->GetOrigin(ox, oy);
    const double column = std::floor(static_cast<double>(_view.pointerX) - ox);
    const double row = std::floor(static_cast<double>(_view.pointerY) - oy);
    if (column >= 0 && column < width && row >= 0 && row < height) {
      const unsigned char* p =
          pixels + (static_cast<std::size_t>(row) * width + static_cast<std::size_t>(column)) * 4;
      text += QString("   %1, %2   %3 %4 %5 %6")
                  .arg(static_cast<int>(column))
                  .arg(static_cast<int>(row))
                  .arg(p[0])
                  .arg(p[1])
                  .arg(p[2])
                  .arg(p[3]);
    }
  }
  _view.pointerStatus->setText(text);
}

void KEPAteloDocument::keyPressEvent(QKeyEvent* event) {
  // Keys reach the window only when the widget with the focus had no use
  // for them (a spin box keeps its arrows, a text field its Left/Right).
  if (event->key() == Qt::Key_Escape && DropPolygonInProgress()) {
    event->accept();
    return;
  }
  int direction = 0;
  if (event->modifiers() == Qt::NoModifier || event->modifiers() == Qt::KeypadModifier) {
    switch (event->key()) {
      case Qt::Key_PageDown:
      case Qt::Key_Right:
      case Qt::Key_Down:
        direction = PLAY_FORWARD;
        break;
      case Qt::Key_PageUp:
      case Qt::Key_Left:
      case Qt::Key_Up:
        direction = PLAY_BACKWARD;
        break;
      default:
        break;
    }
  }
  if (!direction) {
    QMainWindow::keyPressEvent(event);
    return;
  }
  event->accept();
  // A key with nothing to step to does nothing; the buttons open a file box
  // instead, which a key held down must not.
  if (_series->GetNbrImage() < 2) return;
  if (direction == PLAY_FORWARD)
    ForwardSelection();
  else
    BackwardSelection();
}
