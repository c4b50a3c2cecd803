#pragma once

#include <string>

// Small image files built byte by byte, for the types the workbench reads
// but cannot write, and the malformed files that once ended the workbench.
namespace KEPFuzzFiles {

// Well-formed files: a 4 x 3 Softimage PIC (mixed run-length, RGBA), a 4 x 3
// Photoshop document (raw RGB) and a 1 x 1 GIF.
std::string GoodPic();
std::string GoodPsd();
std::string GoodGif();

// A 1 x 1 run-length PIC of 113 bytes whose run overruns its scanline.
std::string OverrunPic();
// A 1 KB Photoshop document whose colour data claims 0xFFFFFFFE bytes.
std::string HugeColourDataPsd();

}  // namespace KEPFuzzFiles
