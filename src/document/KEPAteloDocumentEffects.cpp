// The effect windows of the Tools menu, and the split window that opens an
// image too large to handle.
#include "document/KEPAteloDocument.h"
#include "image/KEPAtelIma.h"

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
  NotAvailable("Glow");
}

void KEPAteloDocument::LuminosityAction() {
  NotAvailable("Luminosity Analysis");
}

bool KEPAteloDocument::OpenSplitDialog(KEPAtelIma*, int) {
  return false;
}
