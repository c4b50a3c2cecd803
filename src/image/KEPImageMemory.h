#pragma once

#include <cstdint>
#include <functional>

// The memory budget of image pixels: what every image record holds (pixels
// and undo copies) together. Within the budget nothing happens; an
// allocation that would pass it first asks the reclaimer to free what it can
// (the series drops the pixels of saved images, which are read back when
// shown), and fails when that is not enough, so that the caller refuses the
// image with a message instead of the machine running out of memory.
namespace KEPImageMemory {

// Bytes: ATELO_MEMORY_MB megabytes when that is set, else half the physical
// memory.
std::uint64_t GetBudget();
void SetBudget(std::uint64_t bytes);
// Pixel bytes held by all image records now.
std::uint64_t GetInUse();

// Called with the bytes missing when an allocation would pass the budget;
// returns the bytes it freed.
using Reclaimer = std::function<std::uint64_t(std::uint64_t missing)>;
void SetReclaimer(Reclaimer reclaimer);

// Whether `bytes` more may be held, after reclaiming if need be.
bool Reserve(std::uint64_t bytes);
// Records a change of the bytes held (negative when memory is given back).
void Adjust(std::int64_t delta);

}  // namespace KEPImageMemory
