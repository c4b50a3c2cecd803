"""OpenCV's RGB to HLS and back on a float picture, single-threaded: the
peer that versus_opencv.sh sets beside the workbench's whole-buffer
conversion. Floats 0..1 in, hue in degrees out, as the workbench works;
OpenCV's 8-bit HLS halves the hue and rounds, so it is not the same job.
Prints the median time of one round trip in milliseconds."""
import statistics
import sys
import time

import cv2
import numpy as np


def main():
    width, height, runs = (int(a) for a in sys.argv[1:4])
    cv2.setNumThreads(1)
    rng = np.random.default_rng(1)
    rgb = rng.integers(0, 256, (height, width, 3), dtype=np.uint8).astype(np.float32) / 255.0
    times = []
    for _ in range(runs):
        start = time.perf_counter()
        hls = cv2.cvtColor(rgb, cv2.COLOR_RGB2HLS)
        back = cv2.cvtColor(hls, cv2.COLOR_HLS2RGB)
        times.append((time.perf_counter() - start) * 1000.0)
    assert back.shape == rgb.shape
    print(f"{statistics.median(times):.3f}")


if __name__ == "__main__":
    main()
