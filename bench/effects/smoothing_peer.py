#!/usr/bin/python3
"""The peer of smoothing_bench: OpenCV's Perona-Malik diffusion
(cv2.ximgproc.anisotropicDiffusion, Debian's python3-opencv) on a noisy
3840 x 2160 render, one iteration, in megapixel-iterations per second.
OpenCV works on the three 8-bit channels at once, so K = 0.05 on a 0..1 scale
is 0.05 * 255 there."""
import sys
import time

import numpy as np

try:
    import cv2
    diffuse = cv2.ximgproc.anisotropicDiffusion
except (ImportError, AttributeError):
    sys.exit("cv2.ximgproc.anisotropicDiffusion is not available (apt-get install python3-opencv)")

WIDTH, HEIGHT = 3840, 2160
rng = np.random.default_rng(5)
x = np.linspace(0, 255, WIDTH, dtype=np.float32)[None, :]
y = np.linspace(0, 255, HEIGHT, dtype=np.float32)[:, None]
base = np.stack([np.broadcast_to(x, (HEIGHT, WIDTH)), np.broadcast_to(y, (HEIGHT, WIDTH)),
                 np.broadcast_to(128 + 100 * np.sin(np.arange(WIDTH) * 0.01), (HEIGHT, WIDTH))], -1)
image = np.clip(base + rng.normal(0, 6, base.shape), 0, 255).astype(np.uint8)

# An argument sets the threads OpenCV may use (1: compare with ATELO_THREADS=1).
if len(sys.argv) > 1:
    cv2.setNumThreads(int(sys.argv[1]))
diffuse(image, 0.25, 0.05 * 255, 1)  # warm up
runs, cpu = [], []
for _ in range(5):
    start, start_cpu = time.perf_counter(), time.process_time()
    diffuse(image, 0.25, 0.05 * 255, 1)
    runs.append(time.perf_counter() - start)
    cpu.append(time.process_time() - start_cpu)
best = min(runs)
print(f"opencv {cv2.__version__} anisotropicDiffusion, {cv2.getNumThreads()} threads: "
      f"{best * 1000:.1f} ms per iteration ({min(cpu) * 1000:.1f} ms CPU), "
      f"{WIDTH * HEIGHT / best / 1e6:.1f} Mpix-iter/s")
