// The effect windows of the Tools menu, blur, and the split window that opens
// an image too large to handle.
#include "document/KEPAteloDocument.h"
#include "effects/KEPAteloCompose.h"
#include "effects/KEPAteloGlow.h"
#include "effects/KEPAteloLight.h"
#include "effects/KEPAteloLisse.h"
#include "effects/KEPAteloLuminosity.h"
#include "effects/KEPAteloSplit.h"
#include "effects/KEPComponentArrays.h"
#include "effects/KEPSelectionMask.h"
#include "effects/KEPSmoothing.h"
#include "image/KEPAtelIma.h"
#include "platform/KEPErrmsg.h"
#include "platform/KEPTrace.h"
#include "platform/viewer/KEP2DCustomRep.h"

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
  KEP_TRACE(4, "(KEPAteloDocument::ComposeAction)");
  if (!_effects.composeDialog)
    _effects.composeDialog = std::make_unique<KEPAteloCompose>(this, this);
  _effects.composeDialog->Init();
  _effects.composeDialog->show();
  _effects.composeDialog->raise();
}

void KEPAteloDocument::LisseAction() {
  KEP_TRACE(4, "(KEPAteloDocument::LisseAction)");
  if (!_effects.lisseDialog) _effects.lisseDialog = std::make_unique<KEPAteloLisse>(this, this);
  _effects.lisseDialog->SetSelectState(GetPosImage(0) ? SENSITIVE : INSENSITIVE);
  _effects.lisseDialog->show();
  _effects.lisseDialog->raise();
}

void KEPAteloDocument::LightAction() {
  KEP_TRACE(4, "(KEPAteloDocument::LightAction)");
  if (!CanAnalyse(*this)) return;
  SetBusyCursor(true);
  if (!_effects.lightDialog) _effects.lightDialog = std::make_unique<KEPAteloLight>(this, this);
  _effects.lightDialog->show();
  _effects.lightDialog->raise();
  SetBusyCursor(false);
}

void KEPAteloDocument::GlowAction() {
  KEP_TRACE(4, "(KEPAteloDocument::GlowAction)");
  SetBusyCursor(true);
  if (!_effects.glowDialog) _effects.glowDialog = std::make_unique<KEPAteloGlow>(this, this);
  _effects.glowDialog->show();
  _effects.glowDialog->raise();
  SetBusyCursor(false);
}

void KEPAteloDocument::LuminosityAction() {
  KEP_TRACE(4, "(KEPAteloDocument::LuminosityAction)");
  if (!CanAnalyse(*this)) return;
  SetBusyCursor(true);
  if (!_effects.luminosityDialog)
    _effects.luminosityDialog = std::make_unique<KEPAteloLuminosity>(this, this);
  _effects.luminosityDialog->show();
  _effects.luminosityDialog->raise();
  SetBusyCursor(false);
}

void KEPAteloDocument::EffectsForgetImage(KEPAtelIma* image) {
  if (_effects.lightDialog) _effects.lightDialog->ImageDeleted(image);
  if (_effects.luminosityDialog) _effects.luminosityDialog->ImageDeleted(image);
}

void KEPAteloDocument::UncheckSmoothingSelect() {
  if (_effects.lisseDialog) _effects.lisseDialog->UncheckSelect();
}

void KEPAteloDocument::SmoothingImageChanged() {
  if (_effects.lisseDialog) _effects.lisseDialog->UpdateImage();
}

void KEPAteloDocument::BlurAction() {
  KEP_TRACE(4, "(KEPAteloDocument::BlurAction)");
  SetBusyCursor(true);
  KEPAtelIma* image = GetPosImage(0);
  if (!image || !image->GetPixels()) {
    SetBusyCursor(false);
    KEPFormatError(errmsg,
                   "An error occured during the operation !\n\tNo image to blur or\n\tBad "
                   "parameters.");
    DisplayError();
    return;
  }
  SaveImageForUndo(image, 1);
  BlurImage(image, 3);
  if (KEPAtelIma* partner = image->GetCoupledImage()) BlurImage(partner, 3);
  RedisplayImage(image);
  SetBusyCursor(false);
}

int KEPAteloDocument::BlurImage(KEPAtelIma* image, int size) {
  if (!image || !image->GetPixels() || size < 1) return 1;
  KEPSelectionMask mask;
  mask.bytes = GetSelectionMasque(mask.x, mask.y, mask.width, mask.height);
  mask.side = GetSelZoneSide();
  int width = 0, height = 0, x = 0, y = 0, w = 0, h = 0;
  image->GetSize(width, height);
  mask.ProcessedRect(width, height, x, y, w, h);
  if (w <= 0 || h <= 0) return 1;
  std::vector<float> hls =
      KEPComponentArrays::Export(image->GetPixels(), width, x, y, w, h, KEPComponentArrays::kHLS);
  const std::vector<float> blurred =
      KEPSmoothing::BlurLightness(hls.data(), w, h, size, KEPSmoothing::Area{x, y, &mask});
  std::vector<float>().swap(hls);
  KEPComponentArrays::Import(image->GetPixels(), width, x, y, w, h, KEPComponentArrays::kHLS,
                             blurred.data());
  return 0;
}

std::vector<KEPAteloSplit*> KEPAteloDocument::GetSplitDialogs() const {
  std::vector<KEPAteloSplit*> dialogs;
  for (const auto& dialog : _effects.splitDialogs) dialogs.push_back(dialog.get());
  return dialogs;
}

bool KEPAteloDocument::OpenSplitDialog(KEPAtelIma* image, int position) {
  KEP_TRACE(4, "(KEPAteloDocument::OpenSplitDialog) '%s'", image ? image->GetName() : "");
  std::unique_ptr<KEPAtelIma> owned(image);
  auto dialog = std::make_unique<KEPAteloSplit>(this, this);
  KEPAteloSplit* raw = dialog.get();
  // An image that cannot be read is not opened at all: the split window
  // says why.
  SetBusyCursor(true);
  const int status = raw->Init(std::move(owned), position);
  SetBusyCursor(false);
  if (status != 0) {
    DisplayError();
    return true;
  }
  connect(raw, &KEPAteloSplit::Finished, this, [this, raw] {
    for (auto it = _effects.splitDialogs.begin(); it != _effects.splitDialogs.end(); ++it) {
      if (it->get() != raw) continue;
      it->release()->deleteLater();
      _effects.splitDialogs.erase(it);
      break;
    }
  });
  _effects.splitDialogs.push_back(std::move(dialog));
  raw->show();
  return true;
}
