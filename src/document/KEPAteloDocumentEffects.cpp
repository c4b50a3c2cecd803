// The effect windows of the Tools menu, blur, and the split window that opens
// an image too large to handle.
#include "document/KEPAteloDocument.h"
#include "effects/KEPAteloCompose.h"
#include "effects/KEPAteloLisse.h"
#include "effects/KEPAteloSplit.h"
#include "effects/KEPComponentArrays.h"
#include "effects/KEPSelectionMask.h"
#include "effects/KEPSmoothing.h"
#include "image/KEPAtelIma.h"
#include "platform/KEPErrmsg.h"
#include "platform/KEPTrace.h"
#include "platform/viewer/KEP2DCustomRep.h"

template <class T>
void KEPAteloDocument::EffectsDeleter<T>::operator()(T* object) const {
  delete object;
}
template struct KEPAteloDocument::EffectsDeleter<KEPAteloLisse>;
template struct KEPAteloDocument::EffectsDeleter<KEPAteloCompose>;
template struct KEPAteloDocument::EffectsDeleter<KEPAteloSplit>;
template struct KEPAteloDocument::EffectsDeleter<KEP2DCustomRep>;

void KEPAteloDocument::ComposeAction() {
  KEP_TRACE(4, "(KEPAteloDocument::ComposeAction)");
  if (!_composeDialog) _composeDialog.reset(new KEPAteloCompose(this, this));
  _composeDialog->Init();
  _composeDialog->show();
  _composeDialog->raise();
}

void KEPAteloDocument::LisseAction() {
  KEP_TRACE(4, "(KEPAteloDocument::LisseAction)");
  if (!_lisseDialog) _lisseDialog.reset(new KEPAteloLisse(this, this));
  _lisseDialog->SetSelectState(GetPosImage(0) ? SENSITIVE : INSENSITIVE);
  _lisseDialog->show();
  _lisseDialog->raise();
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

void KEPAteloDocument::UncheckSmoothingSelect() {
  if (_lisseDialog) _lisseDialog->UncheckSelect();
}

void KEPAteloDocument::SmoothingImageChanged() {
  if (_lisseDialog) _lisseDialog->UpdateImage();
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
  for (const auto& dialog : _splitDialogs) dialogs.push_back(dialog.get());
  return dialogs;
}

bool KEPAteloDocument::OpenSplitDialog(KEPAtelIma* image, int position) {
  KEP_TRACE(4, "(KEPAteloDocument::OpenSplitDialog) '%s'", image ? image->GetName() : "");
  std::unique_ptr<KEPAtelIma> owned(image);
  std::unique_ptr<KEPAteloSplit, EffectsDeleter<KEPAteloSplit>> dialog(
      new KEPAteloSplit(this, this));
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
    for (auto it = _splitDialogs.begin(); it != _splitDialogs.end(); ++it) {
      if (it->get() != raw) continue;
      it->release()->deleteLater();
      _splitDialogs.erase(it);
      break;
    }
  });
  _splitDialogs.push_back(std::move(dialog));
  raw->show();
  return true;
}
