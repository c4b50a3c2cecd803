#pragma once

#include <functional>

// The built-in logo, as a provider bound at run time hands it out: first
// its size, then its pixels into a buffer of width x height x 4 bytes, each
// pixel one unused byte followed by red, green and blue, top row first. The
// workbench's own provider draws the picture of src/document/logo; tests
// may bind another, or none.
namespace KEPAteloDefaultLogo {

using SizeSource = std::function<bool(int& width, int& height)>;
using PixelSource = std::function<bool(unsigned char* buffer)>;

// False when no provider is bound or it cannot tell.
bool GetSize(int& width, int& height);
bool GetPixels(unsigned char* buffer);

// Empty functions unbind the provider; Restore binds the workbench's own.
void Bind(SizeSource size, PixelSource pixels);
void Restore();

}  // namespace KEPAteloDefaultLogo
