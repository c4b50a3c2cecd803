// The effect windows of the Tools menu, and the split window that opens an
// image too large to handle.
#include "document/KEPAteloDocument.h"
#include "effects/KEPAteloGlow.h"
#include "image/KEPAtelIma.h"
#include "platform/KEPTrace.h"

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
  NotAvailable("Color Analysis");
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
  NotAvailable("Luminosity Analysis");
}

bool KEPAteloDocument::OpenSplitDialog(KEPAtelIma*, int) {
  return false;
}
