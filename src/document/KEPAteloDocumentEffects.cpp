// The effect windows of the Tools menu, and the split window that opens an
// image too large to handle.
#include "document/KEPAteloDocument.h"
#include "effects/KEPAteloGlow.h"
#include "effects/KEPAteloLight.h"
#include "effects/KEPAteloLuminosity.h"
#include "image/KEPAtelIma.h"
#include "platform/KEPErrmsg.h"
#include "platform/KEPTrace.h"

namespace {

// The analyses work on the current image's pixels; without them they say so.
bool CanAnalyse(KEPAteloDocument& document) {
  KEPAtelIma* image = document.GetPosImage(0);
  if (image && image->GetPixels()) return true;
  KEPFormatError(errmsg, "No image to analyse !\nSelect an image.");
  document.DisplayError();
  return false;
}

}  // namespace

void KEPAteloDocument::ComposeAction() {
  NotAvailable("Compose");
}

void KEPAteloDocument::LisseAction() {
  NotAvailable("Smooth");
}

void KEPAteloDocument::BlurAction() {
  NotAvailable("Blur");
}

void KEPAteloDocument::LightAction() {
  KEP_TRACE(4, "(KEPAteloDocument::LightAction)");
  if (!CanAnalyse(*this)) return;
  SetBusyCursor(true);
  if (!_lightDialog) _lightDialog = std::make_unique<KEPAteloLight>(this, this);
  _lightDialog->show();
  _lightDialog->raise();
  SetBusyCursor(false);
}

void KEPAteloDocument::GlowAction() {
  KEP_TRACE(4, "(KEPAteloDocument::GlowAction)");
  SetBusyCursor(true);
  if (!_glowDialog) _glowDialog = std::make_unique<KEPAteloGlow>(this, this);
  _glowDialog->show();
  _glowDialog->raise();
  SetBusyCursor(false);
}

void KEPAteloDocument::LuminosityAction() {
  KEP_TRACE(4, "(KEPAteloDocument::LuminosityAction)");
  if (!CanAnalyse(*this)) return;
  SetBusyCursor(true);
  if (!_luminosityDialog) _luminosityDialog = std::make_unique<KEPAteloLuminosity>(this, this);
  _luminosityDialog->show();
  _luminosityDialog->raise();
  SetBusyCursor(false);
}

void KEPAteloDocument::EffectsForgetImage(KEPAtelIma* image) {
  if (_lightDialog) _lightDialog->ImageDeleted(image);
  if (_luminosityDialog) _luminosityDialog->ImageDeleted(image);
}

bool KEPAteloDocument::OpenSplitDialog(KEPAtelIma*, int) {
  return false;
}
