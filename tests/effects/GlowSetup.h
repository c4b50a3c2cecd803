#pragma once

// A glow's kernels built from its light and halo the way the Glow Effect
// window builds them, the radial lines drawn from seed 1.
#include <cstdlib>
#include <vector>

#include "effects/KEPGlowKernels.h"
#include "effects/KEPGlowProfiles.h"

struct GlowSetup {
  // Call once light and halo are set.
  void Build() {
    sizes = GlowSizesForWidth(GlowKernelWidth(halo.size));
    const int N = sizes.N;
    std::srand(1);
    DrawNewRadLineValues(lines);
    map1.resize(N * N);
    map2.resize(N * N);
    bloomProfile.resize(3 * sizes.M);
    flareProfile.resize(3 * sizes.M);
    bloom.resize(3 * N * N);
    flare.resize(3 * N * N);
    CreateRadLines(map1.data(), map2.data(), N, lines, halo.symmetry);
    ScaleFlareLineMap(map2.data(), N * N);
    CalculateBloomFilterData(bloomProfile.data(), sizes.M, sizes.s, light);
    CalculateFlareFilterData(flareProfile.data(), sizes.M, sizes.s, light, halo.flareDiffusion);
    CalculateGlowKernels(map1.data(), map2.data(), N, bloomProfile.data(), flareProfile.data(),
                         GlowLineFactor(halo.radialLines, N), bloom.data(), flare.data());
  }
  // The glow of the w x h picture `src` around the pixels of colour `light`.
  std::vector<unsigned char> Apply(const std::vector<unsigned char>& src, int w, int h,
                                   const int colour[3]) const {
    std::vector<unsigned char> out = src;
    std::vector<float> bloomAcc(3 * w * h), flareAcc(3 * w * h);
    CalculateGlowedImage(src.data(), out.data(), w, h, bloom.data(), flare.data(), sizes.N, light,
                         halo, colour, bloomAcc.data(), flareAcc.data(), 1, 1, nullptr, nullptr);
    return out;
  }

  KEPGlowLightSource light;
  KEPGlowHalo halo;
  KEPGlowSizes sizes;
  KEPGlowLineValues lines;
  std::vector<float> map1, map2, bloomProfile, flareProfile, bloom, flare;
};
