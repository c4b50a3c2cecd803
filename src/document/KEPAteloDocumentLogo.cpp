// The logo over the images: View > Logo, the set-up window, the logo shown
// over the current image and dragged with the logo manipulator.
#include <QAction>
#include <cmath>

#include "document/KEPAteloDocument.h"
#include "document/KEPAteloLogo.h"
#include "image/KEPAtelIma.h"
#include "platform/KEPTrace.h"
#include "platform/viewer/KEP2DManipulator.h"
#include "platform/viewer/KEP2DViewer.h"
#include "platform/viewer/KEPCatalog2DImagePixelRep.h"
#include "series/KEPAteloSeries.h"

KEPAteloLogo* KEPAteloDocument::LogoDialog(const char* name) {
  if (!_view.logoDialog) _view.logoDialog = std::make_unique<KEPAteloLogo>(this, name);
  return _view.logoDialog.get();
}

void KEPAteloDocument::LogoSetupAction() {
  KEP_TRACE(4, "(KEPAteloDocument::LogoSetupAction)");
  SetBusyCursor(true);
  KEPAteloLogo* dialog = LogoDialog("logoDialog");
  dialog->show();
  dialog->raise();
  SetBusyCursor(false);
}

bool KEPAteloDocument::SaveOffered(const KEPAtelIma* image) const {
  if (!image->IsSaved()) return true;
  QAction* item = FindAction("logoItem");
  return item && item->isChecked() && GetMergeLogoMode() != 0;
}

void KEPAteloDocument::LogoAction() {
  KEP_TRACE(4, "(KEPAteloDocument::LogoAction)");
  QAction* item = FindAction("logoItem");
  KEPAtelIma* image = _series->GetCurImage();
  if (item && item->isChecked()) {
    KEPAteloLogo* dialog = LogoDialog("ateloLogo");
    // Showing the logo before any Apply shows the set-up as it stands (the
    // built-in logo at first) rather than nothing.
    if (dialog->GetLogoId() == 0 && dialog->ReadLogo() != 0) {
      UncheckQuietly("logoItem");
      return;
    }
    if (image) {
      const int sensitivity = SaveOffered(image) ? SENSITIVE : INSENSITIVE;
      SetBtnSensitivity(FindAction("saveItem"), sensitivity);
      SetBtnSensitivity(FindAction("saveButton"), sensitivity);
    }
  } else {
    if (image && image->IsSaved()) {
      SetBtnSensitivity(FindAction("saveItem"), INSENSITIVE);
      SetBtnSensitivity(FindAction("saveButton"), INSENSITIVE);
    }
    // Every image forgets its logo, not only the one shown: a later Save All
    // must not merge a logo the user took away.
    if (_view.logoDialog)
      for (int position = 1; position <= _series->GetNbrImage(); ++position)
        _view.logoDialog->UnloadLogo(_series->GetPosImage(position));
    HideLogoRep();
    RemoveLogoManipulator();
  }
  DisplayImage(image, true);
}

void KEPAteloDocument::CheckViewLogoItem() {
  if (QAction* item = FindAction("logoItem")) {
    QSignalBlocker quiet(item);
    item->setChecked(true);
  }
  LogoAction();
}

void KEPAteloDocument::UpdateLogo(KEPAtelIma* image) {
  if (!_view.logoDialog || !image) return;
  QAction* item = FindAction("logoItem");
  if (item && item->isChecked())
    _view.logoDialog->LoadLogo(image);
  else
    _view.logoDialog->UnloadLogo(image);
}

void KEPAteloDocument::HideLogoRep() {
  if (_view.logoRep && _viewer) _viewer->RemoveRep(_view.logoRep.get());
  _view.logoImage = nullptr;
}

void KEPAteloDocument::ShowImageLogo(KEPAtelIma* image) {
  if (!_viewer) return;
  if (!image || image != _repImage || !image->HasLogo()) {
    HideLogoRep();
    return;
  }
  const KEPImageLogo& logo = image->GetLogo();
  if (!_view.logoRep) _view.logoRep = std::make_unique<KEPCatalog2DImagePixelRep>();
  int width = 0, height = 0;
  _view.logoRep->GetSize(width, height);
  if (_view.logoRep->GetPixels() != logo.pixels.data() || width != logo.width ||
      height != logo.height)
    _view.logoRep->SetPixels(logo.pixels.data(), logo.width, logo.height);
  _view.logoRep->SetTranslation(KEPMathPoint2Df());
  _view.logoRep->SetOrigin(static_cast<float>(logo.x), static_cast<float>(logo.y));
  _view.logoRep->SetDrawMode(logo.transparency ? KEPCatalog2DImagePixelRep::kAboveBackground
                                               : KEPCatalog2DImagePixelRep::kNormal);
  _view.logoImage = image;
  if (!_viewer->HasRep(_view.logoRep.get())) _viewer->AddRep(_view.logoRep.get());
  KeepOverlaysOnTop();
  if (!_view.logoManipulator) {
    _view.logoManipulator = std::make_unique<KEP2DManipulator>(_viewer, "logoManipulator");
    _view.logoManipulator->AddCallback(KEP2DManipulator::kEnd,
                                       [this](KEP2DManipulator&) { LogoDragged(); });
  }
  _view.logoManipulator->SetRep(_view.logoRep.get());
}

void KEPAteloDocument::LogoDragged() {
  if (!_view.logoImage || !_view.logoRep) return;
  const KEPMathPoint2Df moved = _view.logoRep->GetTranslation();
  float x = 0, y = 0;
  _view.logoRep->GetOrigin(x, y);
  // Whole pixels, so that the logo merged on saving lands where it was shown.
  const int placeX = static_cast<int>(std::floor(x + moved.x));
  const int placeY = static_cast<int>(std::floor(y + moved.y));
  _view.logoImage->SetLogoPlace(placeX, placeY);
  _view.logoRep->SetTranslation(KEPMathPoint2Df());
  _view.logoRep->SetOrigin(static_cast<float>(placeX), static_cast<float>(placeY));
}

void KEPAteloDocument::RemoveLogoManipulator() {
  if (!_view.logoManipulator) return;
  _view.logoManipulator->RemoveAllCallbacks();
  _view.logoManipulator.reset();
}
