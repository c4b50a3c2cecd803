// The series' share of the image memory budget: when images need more than
// the budget allows, the pixels of saved images are dropped, least recently
// shown first, as keep mode off would drop them; they are read back from
// their files when shown again.
#include <algorithm>
#include <unordered_map>

#include "image/KEPImageMemory.h"
#include "platform/KEPTrace.h"
#include "series/KEPAteloSeries.h"
#include "series/KEPAteloSeriesHost.h"

namespace {

// The series whose images the budget may reclaim: the last one made.
const KEPAteloSeries* gReclaimingSeries = nullptr;

}  // namespace

void KEPAteloSeries::RegisterReclaimer() {
  gReclaimingSeries = this;
  KEPImageMemory::SetReclaimer([this](std::uint64_t missing) { return ReclaimPixels(missing); });
}

void KEPAteloSeries::UnregisterReclaimer() {
  if (gReclaimingSeries != this) return;
  gReclaimingSeries = nullptr;
  KEPImageMemory::SetReclaimer(nullptr);
}

void KEPAteloSeries::MarkShown(const KEPAtelIma* image) {
  if (image) _lastShown[image] = ++_showClock;
}

bool KEPAteloSeries::CanDropPixels(const KEPAtelIma* image,
                                   const std::unordered_map<std::string, int>& names) const {
  if (!image->GetPixels() || !image->IsSaved() || image->GetFramePart() != 0) return false;
  // Not done: still being rendered, whatever its flag says.
  if (!image->IsDone()) return false;
  const KEPAtelIma* current = GetCurImage();
  if (image == current || image == _pinned) return false;
  // Shown beside the current one in stereo.
  if (current && _host->IsStereoActivate() &&
      (image == current->GetCoupledImage() || image == GetCoupledImage(current)))
    return false;
  // Another image writes the same file: it would be read back with the
  // other's pixels.
  auto shared = names.find(image->GetName() ? image->GetName() : "");
  return shared != names.end() && shared->second == 1;
}

std::uint64_t KEPAteloSeries::ReclaimPixels(std::uint64_t missing) {
  std::unordered_map<std::string, int> names;
  for (const auto& image : _images) ++names[image->GetName() ? image->GetName() : ""];
  std::vector<std::pair<std::uint64_t, KEPAtelIma*>> candidates;
  for (const auto& image : _images) {
    if (!CanDropPixels(image.get(), names)) continue;
    auto shown = _lastShown.find(image.get());
    candidates.emplace_back(shown == _lastShown.end() ? 0 : shown->second, image.get());
  }
  std::sort(candidates.begin(), candidates.end(),
            [](const auto& a, const auto& b) { return a.first < b.first; });
  const std::uint64_t before = KEPImageMemory::GetInUse();
  std::uint64_t freed = 0;
  for (const auto& [shown, image] : candidates) {
    if (freed >= missing) break;
    KEP_TRACE(6, "(KEPAteloSeries::ReclaimPixels) '%s' dropped\n", image->GetName());
    _host->RemoveImageRep(image);
    image->UnloadPixels();
    const std::uint64_t now = KEPImageMemory::GetInUse();
    freed = before > now ? before - now : 0;
  }
  return freed;
}
