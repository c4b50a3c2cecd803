#pragma once

// What the link's bridge functions hand renderer messages to: the document's
// reception side. The link knows the document only through this.
class KEPAteloRenderTarget {
 public:
  virtual ~KEPAteloRenderTarget() = default;

  // "INITDISP": a renderer is about to send images.
  virtual void RenderInit() = 0;
  // "NEWIMAGE": name may be empty; displayCode carries the frame part in its
  // top 8 bits and the display configuration in its low 24.
  virtual void RenderNew(const char* name, int displayCode, int frame, int width, int height) = 0;
  // "DISPLAY ": one patch of nx x ny pixels of 4 bytes at (x0, y0) of the
  // frame; byteCount is the number of bytes received, which may differ from
  // nx * ny * 4. Non-zero refuses the patch.
  virtual int RenderDisp(int x0, int y0, int nx, int ny, unsigned byteCount,
                         const unsigned char* pixels) = 0;
  // A renderer message that passed the message filter; text is terminated.
  virtual void RenderMessage(int length, const char* text) = 0;
  // "PATH    ": an image file to open; name is terminated.
  virtual void RenderPath(int length, const char* name) = 0;
  // "END_DISP", or a renderer taken over by another.
  virtual void RenderEnd() = 0;
  // Message mode of the defaults: 0 all, 1 none, 2 condensed.
  virtual int GetMsgMode() const = 0;
};
