#include "image/KEPAtelIma.h"

#include <unistd.h>

#include <cmath>
#include <cstring>
#include <new>
#include <utility>

#include "image/KEPImageFile.h"
#include "image/KEPImageMemory.h"
#include "image/KEPImagePixels.h"
#include "image/KEPImageService.h"
#include "platform/KEPClock.h"
#include "platform/KEPErrmsg.h"
#include "platform/KEPTrace.h"
#include "platform/settings/KEPSettingsFile.h"

namespace {
constexpr std::uint32_t kPartMask = 0x00FFFFFF;

using KEPImageFile::SizeAllowed;

// The type a file of this extension is read (or saved) as; "" with errtext
// filled when this machine cannot.
std::string UsableType(const std::string& extension, bool save, char* errtext) {
  const std::string type = KEPImageFile::TypeOfExtension(extension);
  if (save ? KEPAtelIma::CanWriteFormat(type.c_str()) : KEPAtelIma::CanReadFormat(type.c_str()))
    return type;
  if (errtext)
    KEPFormatError(errtext, "Image type '%s' not supported on %s",
                   extension.empty() ? type.c_str() : extension.c_str(), save ? "save" : "open");
  return {};
}
}  // namespace

// --- construction --------------------------------------------------------

KEPAtelIma::KEPAtelIma(int state, std::uint32_t framePart)
    : _saved(state == STATE_FROM_FILE),
      _done(state == STATE_FROM_FILE),
      _framePart(framePart),
      _createdAt(KEPClock::Now()) {
  KEP_TRACE(2, "(KEPAtelIma::KEPAtelIma) state %d part 0x%x", state, framePart);
}

KEPAtelIma::KEPAtelIma(const char* fileName, int state, std::uint32_t framePart)
    : KEPAtelIma(state, framePart) {
  _name = fileName ? fileName : "";
}

KEPAtelIma::KEPAtelIma(const char* directory, const char* baseName, const char* type,
                       const char* suffix, int /*number*/, int state, std::uint32_t framePart)
    : KEPAtelIma(state, framePart) {
  std::string dir = directory ? directory : "";
  // A directory given without its separator would otherwise glue onto the
  // base name.
  if (!dir.empty() && dir.back() != '/') dir += '/';
  _name = dir + (baseName ? baseName : "") + (suffix ? suffix : "");
  if (type && *type) _name += std::string(".") + type;
}

KEPAtelIma::KEPAtelIma(const KEPAtelIma& other)
    : _name(other._name),
      _width(other._width),
      _height(other._height),
      _pixels(other._pixels),
      _saved(other._saved),
      _done(other._done),
      _framePart(other._framePart),
      _createdAt(other._createdAt),
      _renderingTime(other._renderingTime),
      _tiffVariant(other._tiffVariant),
      _originX(other._originX),
      _originY(other._originY),
      _stereoSide(other._stereoSide) {
  // The stereo partner and the undo copy belong to the original.
  KEP_TRACE(2, "(KEPAtelIma::KEPAtelIma) copy of '%s'", _name.c_str());
  UpdateHeldBytes();
}

KEPAtelIma::~KEPAtelIma() {
  KEP_TRACE(2, "(KEPAtelIma::~KEPAtelIma) '%s'", _name.c_str());
  Uncouple();
  KEPImageMemory::Adjust(-static_cast<std::int64_t>(_heldBytes));
}

void KEPAtelIma::UpdateHeldBytes() {
  const std::uint64_t held = _pixels.capacity() + _undoPixels.capacity();
  KEPImageMemory::Adjust(static_cast<std::int64_t>(held) - static_cast<std::int64_t>(_heldBytes));
  _heldBytes = held;
}

// --- frame parts -----------------------------------------------------------

std::uint32_t KEPAtelIma::MakeFramePartCode(int part, int frameWidth, int frameHeight) {
  if (part <= 0) return 0;
  const std::uint32_t wr = static_cast<std::uint32_t>(frameWidth % 4);
  const std::uint32_t hr = static_cast<std::uint32_t>(frameHeight % 4);
  return static_cast<std::uint32_t>(part) + ((wr * 16 + hr) << 24);
}

void KEPAtelIma::FramePartSize(int part, int frameWidth, int frameHeight, int& width, int& height) {
  if (part <= 0) {
    width = frameWidth;
    height = frameHeight;
    return;
  }
  width = frameWidth / 4 + (part % 4 == 0 ? frameWidth % 4 : 0);
  height = frameHeight / 4 + (part > 12 ? frameHeight % 4 : 0);
}

int KEPAtelIma::GetFramePart() const {
  return static_cast<int>(_framePart & kPartMask);
}

void KEPAtelIma::GetFramePartRemainder(int& widthRemainder, int& heightRemainder) const {
  widthRemainder = static_cast<int>((_framePart >> 28) & 0xF);
  heightRemainder = static_cast<int>((_framePart >> 24) & 0xF);
}

void KEPAtelIma::FrameToLocal(int x, int y, int& localX, int& localY) const {
  const int part = GetFramePart();
  if (part == 0) {
    localX = x;
    localY = y;
    return;
  }
  int wr, hr;
  GetFramePartRemainder(wr, hr);
  const int column = (part - 1) % 4, row = (part - 1) / 4;
  const int baseWidth = part % 4 == 0 ? _width - wr : _width;
  const int baseHeight = part > 12 ? _height - hr : _height;
  localX = x - column * baseWidth;
  localY = y - row * baseHeight;
}

// --- name ------------------------------------------------------------------

const char* KEPAtelIma::GetName() const {
  return _name.c_str();
}

void KEPAtelIma::SetName(const char* name) {
  _name = name ? name : "";
}

std::string KEPAtelIma::GetDirectory() const {
  const std::size_t slash = _name.rfind('/');
  return slash == std::string::npos ? std::string() : _name.substr(0, slash + 1);
}

std::string KEPAtelIma::GetBaseName() const {
  const std::size_t slash = _name.rfind('/');
  std::string file = slash == std::string::npos ? _name : _name.substr(slash + 1);
  const std::size_t dot = file.rfind('.');
  // A leading dot marks a hidden file, not an extension.
  if (dot != std::string::npos && dot > 0) file.resize(dot);
  return file;
}

std::string KEPAtelIma::GetExtension() const {
  return litextension(_name.c_str());
}

bool KEPAtelIma::GetFormat(KEPAtelImaFormat& format) const {
  format.SetExtension(KEPImageFile::TypeOfExtension(GetExtension()).c_str());
  return GetFormatInfo(format) == 0;
}

const std::string& KEPAtelIma::GetTiffVariant() const {
  return _tiffVariant;
}

void KEPAtelIma::SetTiffVariant(const char* variant) {
  _tiffVariant = variant ? variant : "";
}

// --- pixels ----------------------------------------------------------------

void KEPAtelIma::GetSize(int& width, int& height) const {
  width = _width;
  height = _height;
}

int KEPAtelIma::AllocatePixels(int width, int height) {
  if (!SizeAllowed(width, height)) return 1;
  const std::size_t bytes = KEPImagePixels::BufferSize(width, height);
  if (bytes > _pixels.capacity() && !KEPImageMemory::Reserve(bytes - _pixels.capacity())) return 3;
  try {
    KEPPixelBuffer pixels(std::vector<unsigned char>(bytes, 0));
    _pixels.swap(pixels);
  } catch (const std::bad_alloc&) {
    return 2;
  }
  _width = width;
  _height = height;
  UpdateHeldBytes();
  // A named image (a rendering, a new picture) is bound to be saved: the
  // image service gets ready meanwhile instead of when it is asked.
  if (!_name.empty()) KEPImageService::Instance().Prepare();
  return 0;
}

unsigned char* KEPAtelIma::GetPixels(int /*layout*/) {
  return _pixels.empty() ? nullptr : _pixels.data();
}

const unsigned char* KEPAtelIma::GetPixels(int /*layout*/) const {
  return _pixels.empty() ? nullptr : _pixels.data();
}

std::size_t KEPAtelIma::GetMemorySize() const {
  return KEPImagePixels::BufferSize(_width, _height);
}

void KEPAtelIma::PutPatch(int x, int y, int columns, int rows, const unsigned char* source,
                          int /*flag*/) {
  if (_pixels.empty()) return;
  KEPImagePixels::PutPatch(_pixels.Span(), _width, _height, x, y, columns, rows, source);
}

void KEPAtelIma::ReplacePixels(std::vector<unsigned char>&& pixels, const int* size, int /*flag*/) {
  int width = size ? size[0] : _width, height = size ? size[1] : _height;
  // A buffer that does not match its size would let every pixel loop run
  // off its end: it is refused and the record kept.
  if (!BufferFits(pixels.size(), width, height)) {
    KEP_TRACE(6, "(KEPAtelIma::ReplacePixels) %zu bytes refused for %d x %d", pixels.size(), width,
              height);
    return;
  }
  _pixels = KEPPixelBuffer(std::move(pixels));
  _width = width;
  _height = height;
  UpdateHeldBytes();
}

int KEPAtelIma::Resample(int quality, int newWidth, int newHeight,
                         std::vector<unsigned char>& out) const {
  if (_pixels.empty() || !SizeAllowed(newWidth, newHeight)) return 1;
  try {
    out.assign(KEPImagePixels::BufferSize(newWidth, newHeight), 0);
  } catch (const std::bad_alloc&) {
    return 2;
  }
  if (quality <= 1)
    KEPImagePixels::ResampleBilinear(_pixels.Span(), _width, _height, out, newWidth, newHeight);
  else
    KEPImagePixels::ResampleLanczos3(_pixels.Span(), _width, _height, out, newWidth, newHeight);
  return 0;
}

std::vector<unsigned char> KEPAtelIma::CopyRect(int x, int y, int width, int height) const {
  if (_pixels.empty()) return {};
  return KEPImagePixels::CopyRect(_pixels.Span(), _width, _height, x, y, width, height);
}

// --- file ------------------------------------------------------------------

int KEPAtelIma::LoadPixels(int& width, int& height, char* errtext) {
  KEP_TRACE(6, "(KEPAtelIma::LoadPixels) '%s'", _name.c_str());
  const std::string type = UsableType(GetExtension(), false, errtext);
  if (type.empty()) return 1;
  // The budget is asked once the size is known and before anything is
  // decoded, so that a refused image costs no time.
  auto admit = [this](int w, int h, char* text) {
    const std::size_t bytes = KEPImagePixels::BufferSize(w, h);
    if (bytes <= _pixels.capacity() || KEPImageMemory::Reserve(bytes - _pixels.capacity()))
      return 0;
    if (text)
      KEPFormatError(
          text, "Not enough memory for image '%s' (%d x %d): close images or raise ATELO_MEMORY_MB",
          _name.c_str(), w, h);
    return 3;
  };
  KEPPixelBuffer pixels;
  int w = 0, h = 0;
  if (int status = KEPImageFile::Read(_name, type, pixels, w, h, errtext, admit)) return status;
  _pixels.swap(pixels);
  pixels.Release();
  UpdateHeldBytes();
  _width = width = w;
  _height = height = h;
  _saved = true;
  return 0;
}

void KEPAtelIma::UnloadPixels() {
  _pixels.Release();
  UpdateHeldBytes();
}

int KEPAtelIma::SaveImage(int writeOption, char* errtext, int mergeLogo) {
  KEP_TRACE(4, "(KEPAtelIma::SaveImage) '%s' option %d", _name.c_str(), writeOption);
  const std::string type = UsableType(GetExtension(), true, errtext);
  if (type.empty()) return 1;
  if (_pixels.empty()) {
    if (errtext) KEPFormatError(errtext, "Image '%s' has no pixels in memory", _name.c_str());
    return 1;
  }
  if (_name.empty()) {
    if (errtext) KEPFormatError(errtext, "Image has no file name");
    return 1;
  }
  std::string target = _name;
  if (writeOption == 1 && ::access(target.c_str(), F_OK) == 0)
    target = KEPImageFile::FreeName(target);
  // The logo goes into a copy: the picture in memory stays without it, and
  // the logo over it stays movable.
  const unsigned char* written = _pixels.data();
  std::vector<unsigned char> merged;
  if (mergeLogo == 1 && HasLogo()) {
    try {
      merged.assign(_pixels.data(), _pixels.data() + _pixels.size());
    } catch (const std::bad_alloc&) {
      if (errtext)
        KEPFormatError(errtext, "Not enough memory to merge the logo into '%s'", _name.c_str());
      return 2;
    }
    KEPMergeLogo(merged.data(), _width, _height, _logo.pixels.data(), _logo.width, _logo.height,
                 _logo.x - static_cast<int>(std::floor(_originX)),
                 _logo.y - static_cast<int>(std::floor(_originY)), _logo.transparency != 0);
    written = merged.data();
  }
  if (int status = KEPImageFile::SafeWrite(target, type, written, _width, _height, errtext))
    return status;
  _name = target;
  _saved = true;
  return 0;
}

// --- state -----------------------------------------------------------------

bool KEPAtelIma::IsSaved() const {
  return _saved;
}
void KEPAtelIma::SetSaved() {
  _saved = true;
}
void KEPAtelIma::ClearSaved() {
  _saved = false;
}
bool KEPAtelIma::IsDone() const {
  return _done;
}

void KEPAtelIma::SetDone() {
  if (_done) return;
  _done = true;
  _renderingTime = static_cast<int>(std::lround(KEPClock::Now() - _createdAt));
}

int KEPAtelIma::GetRenderingTime() const {
  return _done ? _renderingTime : 0;
}

// The last patch has arrived: a rendering that never reported itself done
// is done now, so its time is fixed.
void KEPAtelIma::EndRendering() {
  SetDone();
}

// --- placement and stereo ------------------------------------------------

void KEPAtelIma::GetOrigin(float& x, float& y) const {
  x = _originX;
  y = _originY;
}

void KEPAtelIma::SetOrigin(float x, float y) {
  _originX = x;
  _originY = y;
}

KEPAtelIma* KEPAtelIma::GetCoupledImage() const {
  return _coupled;
}
void KEPAtelIma::SetCoupledImage(KEPAtelIma* image) {
  if (_coupled == image) return;
  if (_coupled) std::erase(_coupled->_coupledBy, this);
  _coupled = image;
  if (image) image->_coupledBy.push_back(this);
}
void KEPAtelIma::Uncouple() {
  KEPAtelIma::SetCoupledImage(nullptr);
  for (KEPAtelIma* other : std::exchange(_coupledBy, {})) other->_coupled = nullptr;
}
int KEPAtelIma::GetStereoSide() const {
  return _stereoSide;
}
void KEPAtelIma::SetStereoSide(int side) {
  _stereoSide = side;
}

// --- undo and erasing ------------------------------------------------------

void KEPAtelIma::SaveForUndo(int eraseStyle) {
  if (_pixels.empty()) {
    DropUndo();
    return;
  }
  // Over the budget the copy is still taken (an edit without undo would
  // lose more than memory), but saved images make room first.
  if (_pixels.size() > _undoPixels.capacity())
    KEPImageMemory::Reserve(_pixels.size() - _undoPixels.capacity());
  _undoPixels = _pixels;
  UpdateHeldBytes();
  _undoWidth = _width;
  _undoHeight = _height;
  _undoEraseStyle = eraseStyle;
  _undoState = 1;
}

bool KEPAtelIma::ReplacePixelsForUndo(std::vector<unsigned char>&& pixels, const int* size) {
  const int width = size ? size[0] : _width, height = size ? size[1] : _height;
  if (!BufferFits(pixels.size(), width, height)) return false;
  if (_pixels.empty()) {
    DropUndo();
  } else {
    _undoPixels = std::move(_pixels);
    _undoWidth = _width;
    _undoHeight = _height;
    _undoEraseStyle = 0;
    _undoState = 1;
  }
  ReplacePixels(std::move(pixels), size, 0);
  return true;
}

std::vector<unsigned char> KEPAtelIma::TakeUndoBufferForReuse() {
  std::vector<unsigned char> bytes;
  if (!_undoPixels.IsMapped()) bytes = _undoPixels.TakeVector();
  DropUndo();
  return bytes;
}

bool KEPAtelIma::BufferFits(std::size_t bytes, int width, int height) {
  return width >= 0 && height >= 0 && bytes == KEPImagePixels::BufferSize(width, height);
}

void KEPAtelIma::DropUndo() {
  _undoPixels.Release();
  _undoWidth = _undoHeight = _undoState = _undoEraseStyle = 0;
  UpdateHeldBytes();
}

int KEPAtelIma::SwapUndo() {
  if (_undoState == 0) return 0;
  _pixels.swap(_undoPixels);
  std::swap(_width, _undoWidth);
  std::swap(_height, _undoHeight);
  _undoState = _undoState == 1 ? 2 : 1;
  return _undoState;
}

int KEPAtelIma::GetUndoState() const {
  return _undoState;
}

void KEPAtelIma::GetUndoSize(int& width, int& height) const {
  width = _undoWidth;
  height = _undoHeight;
}

// After an undo the copy holds the newer pixels; erasing back to them would
// paint the undone change in again, so only an offered undo allows it.
bool KEPAtelIma::CanErase() const {
  return _undoState == 1 && _undoEraseStyle == 1 && _undoWidth == _width &&
         _undoHeight == _height && !_pixels.empty() && _undoPixels.size() == _pixels.size();
}

void KEPAtelIma::ErasePixel(int x, int y) {
  if (!CanErase() || x < 0 || y < 0 || x >= _width || y >= _height) return;
  const std::size_t at = (static_cast<std::size_t>(y) * _width + x) * 4;
  std::memcpy(_pixels.data() + at, _undoPixels.data() + at, 4);
}

bool KEPAtelIma::IsEditable() const {
  return !_pixels.empty();
}

bool KEPAtelIma::HasLogo() const {
  return !_logo.Empty();
}

void KEPAtelIma::SetLogo(KEPImageLogo logo) {
  _logo = std::move(logo);
}

void KEPAtelIma::SetLogoPlace(int x, int y) {
  _logo.x = x;
  _logo.y = y;
}

void KEPAtelIma::ClearLogo() {
  _logo = KEPImageLogo{};
}

// --- file types --------------------------------------------------------------

bool KEPAtelIma::CanReadFormat(const char* extension) {
  const KEPImageFile::Type* type = extension ? KEPImageFile::FindType(extension) : nullptr;
  return type && (type->flags & KEPAtelImaFormat::READABLE);
}

bool KEPAtelIma::CanWriteFormat(const char* extension) {
  const KEPImageFile::Type* type = extension ? KEPImageFile::FindType(extension) : nullptr;
  return type && (type->flags & KEPAtelImaFormat::WRITABLE);
}

void KEPAtelIma::GetFormatList(KEPListPtrKEPAtelImaFormat& list) {
  for (const KEPImageFile::Type& t : KEPImageFile::Types())
    list.Append(
        new KEPAtelImaFormat(t.extension.c_str(), t.library.c_str(), t.comment.c_str(), t.flags));
}

int KEPAtelIma::GetFormatInfo(KEPAtelImaFormat& format) {
  const KEPImageFile::Type* type = KEPImageFile::FindType(format.GetExtension());
  if (!type) return 1;
  format.Init(format.GetExtension().c_str(), type->library.c_str(), type->comment.c_str(),
              type->flags);
  return 0;
}
