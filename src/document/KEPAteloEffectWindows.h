#pragma once

#include <memory>
#include <vector>

class KEP2DCustomRep;
class KEP2DRectangleGP;
class KEPAteloCompose;
class KEPAteloGlow;
class KEPAteloLight;
class KEPAteloLisse;
class KEPAteloLuminosity;
class KEPAteloSplit;

// The effect windows, made when first asked for, and the square the
// smoothing preview area is dragged with.
struct KEPAteloEffectWindows {
  std::unique_ptr<KEPAteloGlow> glowDialog;
  std::unique_ptr<KEPAteloLight> lightDialog;
  std::unique_ptr<KEPAteloLuminosity> luminosityDialog;
  std::unique_ptr<KEPAteloLisse> lisseDialog;
  std::unique_ptr<KEPAteloCompose> composeDialog;
  std::vector<std::unique_ptr<KEPAteloSplit>> splitDialogs;
  // The square of the smoothing preview area while it is dragged.
  std::unique_ptr<KEP2DCustomRep> previewOutline;
  KEP2DRectangleGP* previewSquare = nullptr;
};
