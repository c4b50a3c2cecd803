#pragma once

#include <cstdint>

// The limits the image service lives under, so that no file can take more
// than its share of the machine: no core dumps, an address space of the
// service's own baseline plus the image being handled plus a fixed headroom,
// a time allowance per request, and a cap on what it writes.
namespace KEPServiceLimits {

// Called first: a crash leaves no core file behind.
void NoCoreDumps();
// Records the address space in use once the libraries are loaded and their
// threads started; later limits count from it.
void TakeBaseline();
std::uint64_t Baseline();
// Bytes of address space mapped now (from /proc/self/statm).
std::uint64_t AddressSpace();

// Allows `imageBytes` (a mapping of pixels) plus the headroom beyond the
// baseline.
void AllowMemory(std::uint64_t imageBytes);
// Allows `seconds` from now on: that much wall-clock time (SIGALRM ends
// the process after it) and as much processor time for every thread.
void AllowTime(double seconds);
// Largest file the service may write (its output memory file).
void AllowFileSize(std::uint64_t bytes);

}  // namespace KEPServiceLimits
