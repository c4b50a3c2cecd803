#include "link/KEPAteloBridge.h"

#include "link/KEPAteloRenderTarget.h"
#include "platform/KEPTrace.h"

namespace {
KEPAteloRenderTarget* gTarget = nullptr;
}

int InitKEPAtelo(KEPAteloRenderTarget* target) {
  KEP_TRACE(6, "(InitKEPAtelo) %p", static_cast<void*>(target));
  gTarget = target;
  return 0;
}

KEPAteloRenderTarget* GetKEPAtelo() {
  return gTarget;
}

int InitRender() {
  if (!gTarget) return -1;
  gTarget->RenderInit();
  return 0;
}

int NewRender(const char* name, int displayCode, int frame, int width, int height) {
  if (!gTarget) return -1;
  gTarget->RenderNew(name, displayCode, frame, width, height);
  return 0;
}

int DisplayRender(int x0, int y0, int nx, int ny, unsigned byteCount, const unsigned char* pixels) {
  if (!gTarget) return -1;
  return gTarget->RenderDisp(x0, y0, nx, ny, byteCount, pixels);
}

int MessageRender(int length, const char* text) {
  if (!gTarget) return -1;
  gTarget->RenderMessage(length, text);
  return 0;
}

int FilenameRender(int length, const char* name) {
  if (!gTarget) return -1;
  gTarget->RenderPath(length, name);
  return 0;
}

int FinRender() {
  if (!gTarget) return -1;
  gTarget->RenderEnd();
  return 0;
}
