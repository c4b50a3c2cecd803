#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "image/KEPAtelImaFormat.h"
#include "image/KEPImageLogo.h"
#include "image/KEPImageTypes.h"
#include "image/KEPPixelBuffer.h"
#include "platform/KEPRawCollPV.h"

// The in-memory picture of the workbench.
//
// Pixels are 4 bytes (red, green, blue, alpha), rows one after the other,
// bottom row first: pixel (c, r) is at byte 4 * (r * width + c) and row 0 is
// the lowest row of the picture as displayed. Files keep their top row first;
// loading and saving turn the rows over.
//
// Error texts passed to LoadPixels and SaveImage are caller buffers of at
// least KEP_ERRMSG_SIZE (257) bytes.
class KEPAtelIma {
 public:
  // State codes given at construction.
  enum : int { STATE_FROM_FILE = 2, STATE_IN_MEMORY = 4 };
  // Layout flag of GetPixels used by the geometric operations; the layout
  // returned is the stored one whatever the flag.
  enum : int { LAYOUT_GEOMETRY = 0x100000 };
  // Largest image accepted from a file or by AllocatePixels: each side at
  // most 65535 pixels and at most 2^28 pixels (1 GiB of pixel bytes).
  static constexpr int kMaxSide = KEPImageTypes::kMaxSide;
  static constexpr std::int64_t kMaxPixels = KEPImageTypes::kMaxPixels;

  KEPAtelIma(int state, std::uint32_t framePart);
  KEPAtelIma(const char* fileName, int state, std::uint32_t framePart);
  // File name = directory + baseName + suffix + "." + type.
  KEPAtelIma(const char* directory, const char* baseName, const char* type, const char* suffix,
             int number, int state, std::uint32_t framePart);
  KEPAtelIma(const KEPAtelIma& other);
  KEPAtelIma& operator=(const KEPAtelIma&) = delete;
  virtual ~KEPAtelIma();

  // --- frame parts -------------------------------------------------------
  // Code of part p (1..16) of a W x H frame: p + ((wr * 16 + hr) << 24).
  static std::uint32_t MakeFramePartCode(int part, int frameWidth, int frameHeight);
  // Size of part p of a W x H frame (the whole frame for p = 0).
  static void FramePartSize(int part, int frameWidth, int frameHeight, int& width, int& height);
  virtual int GetFramePart() const;
  virtual void GetFramePartRemainder(int& widthRemainder, int& heightRemainder) const;
  // Where a patch at (x, y) of the whole frame lands in this part's pixels.
  virtual void FrameToLocal(int x, int y, int& localX, int& localY) const;

  // --- name --------------------------------------------------------------
  virtual const char* GetName() const;
  virtual void SetName(const char* name);
  virtual std::string GetDirectory() const;  // with its trailing "/", "" without one
  virtual std::string GetBaseName() const;   // without directory and extension
  virtual std::string GetExtension() const;  // without the dot; "" without one
  virtual bool GetFormat(KEPAtelImaFormat& format) const;
  virtual const std::string& GetTiffVariant() const;
  virtual void SetTiffVariant(const char* variant);

  // --- pixels ------------------------------------------------------------
  virtual void GetSize(int& width, int& height) const;
  virtual int AllocatePixels(int width, int height);  // 0 = success; pixels zeroed
  virtual unsigned char* GetPixels(int layout = 0);   // null while not in memory
  virtual const unsigned char* GetPixels(int layout = 0) const;
  virtual std::size_t GetMemorySize() const;  // width * height * 4
  // Copies columns x rows source pixels so that source (i, j) lands on
  // (x + i, y + j); the part outside the image is clipped.
  virtual void PutPatch(int x, int y, int columns, int rows, const unsigned char* source,
                        int flag = 1);
  // Takes `pixels` as the image's pixels and, when given, the new size;
  // without a size the buffer must hold width * height * 4 bytes.
  virtual void ReplacePixels(std::vector<unsigned char>&& pixels, const int* size = nullptr,
                             int flag = 0);
  // New buffer of newWidth x newHeight from the pixels, the record unchanged.
  // Quality 1 is bilinear, 2 a high-quality filter. 0 = success.
  virtual int Resample(int quality, int newWidth, int newHeight,
                       std::vector<unsigned char>& out) const;
  // The pixels of a rectangle, same row order; empty when it does not lie
  // wholly inside the image.
  virtual std::vector<unsigned char> CopyRect(int x, int y, int width, int height) const;

  // --- file --------------------------------------------------------------
  virtual int LoadPixels(int& width, int& height, char* errtext);
  virtual void UnloadPixels();
  // writeOption 1: when the file exists, a free name is chosen (name_1.ext,
  // name_2.ext, ...) and the image takes it. mergeLogo: logo pixels are
  // merged into the written pixels.
  virtual int SaveImage(int writeOption, char* errtext, int mergeLogo);

  // --- state -------------------------------------------------------------
  virtual bool IsSaved() const;
  virtual void SetSaved();
  virtual void ClearSaved();
  virtual bool IsDone() const;
  virtual void SetDone();
  // Seconds from creation to SetDone; 0 while not done.
  virtual int GetRenderingTime() const;
  virtual void EndRendering();

  // --- placement and stereo ---------------------------------------------
  virtual void GetOrigin(float& x, float& y) const;
  virtual void SetOrigin(float x, float y);
  virtual KEPAtelIma* GetCoupledImage() const;
  virtual void SetCoupledImage(KEPAtelIma* image);
  // Clears this record's partner and makes every record whose partner it
  // is forget it, before it leaves the series or is deleted.
  void Uncouple();
  virtual int GetStereoSide() const;
  virtual void SetStereoSide(int side);

  // --- undo and erasing --------------------------------------------------
  // Keeps a copy of the pixels and size; eraseStyle 1 allows erasing back to
  // that copy. Undo state becomes 1.
  virtual void SaveForUndo(int eraseStyle);
  // A change that builds a whole new buffer: the pixels as they are become
  // the undo copy (erase style 0) without being copied, and `pixels` (of
  // `size`, when given) the image's. False, the record kept, when the
  // buffer does not match its size.
  virtual bool ReplacePixelsForUndo(std::vector<unsigned char>&& pixels, const int* size = nullptr);
  // The undo copy's memory, emptied of meaning, for a change about to
  // replace it anyway to write its result into: a buffer in hand costs
  // neither the system's fresh pages nor their clearing. The record then has
  // no undo copy; a copy mapped from the image service gives nothing.
  std::vector<unsigned char> TakeUndoBufferForReuse();
  // Swaps pixels and size with the undo copy; returns the new undo state
  // (2 after an undo, 1 after a redo, 0 when there is no copy).
  virtual int SwapUndo();
  virtual int GetUndoState() const;  // 0 none, 1 undo offered, 2 redo offered
  virtual void GetUndoSize(int& width, int& height) const;
  virtual bool CanErase() const;          // an undo copy taken with erase style 1, same size
  virtual void ErasePixel(int x, int y);  // pixel back to the undo copy's
  virtual bool IsEditable() const;        // pixels in memory

  // --- logo ---------------------------------------------------------------
  // The logo laid over the image (shown over its pixels, merged into them
  // only by SaveImage with mergeLogo 1). A logo of id 0 is none.
  virtual bool HasLogo() const;
  void SetLogo(KEPImageLogo logo);
  const KEPImageLogo& GetLogo() const { return _logo; }
  int GetLogoId() const { return _logo.id; }
  // Where the logo's lower-left pixel sits, in view coordinates.
  void SetLogoPlace(int x, int y);
  void ClearLogo();

  // --- file types ----------------------------------------------------------
  static bool CanReadFormat(const char* extension);
  static bool CanWriteFormat(const char* extension);
  // Appends one new format per known type; the caller deletes them.
  static void GetFormatList(KEPListPtrKEPAtelImaFormat& list);
  // Fills the record whose extension is set; non-zero when unknown.
  static int GetFormatInfo(KEPAtelImaFormat& format);

 private:
  // Tells the memory budget what this record now holds.
  void UpdateHeldBytes();
  // No undo copy any more, its memory given back.
  void DropUndo();
  // Whether a buffer of `bytes` holds a picture of that size exactly: one
  // that does not would let every pixel loop run off its end.
  static bool BufferFits(std::size_t bytes, int width, int height);

  std::string _name;
  int _width = 0, _height = 0;
  KEPPixelBuffer _pixels;  // empty while not in memory
  bool _saved = false, _done = false;
  std::uint32_t _framePart = 0;
  double _createdAt = 0;
  int _renderingTime = 0;
  std::string _tiffVariant;
  float _originX = 0, _originY = 0;
  KEPAtelIma* _coupled = nullptr;
  // The records whose partner this is (one, mostly), so that taking it out
  // costs nothing like a search of the whole series.
  std::vector<KEPAtelIma*> _coupledBy;
  int _stereoSide = 0;
  KEPPixelBuffer _undoPixels;
  int _undoWidth = 0, _undoHeight = 0, _undoState = 0, _undoEraseStyle = 0;
  std::uint64_t _heldBytes = 0;  // counted in the memory budget
  KEPImageLogo _logo;
};

class KEPListPtrKEPAtelIma : public KEPListPtr<KEPAtelIma> {
 public:
  using KEPListPtr<KEPAtelIma>::KEPListPtr;
};
