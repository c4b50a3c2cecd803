#pragma once

class KEPAteloRenderTarget;

// The bridge between the link callbacks and the document, so that the
// callbacks need not know the document's class. Each forwards to the target
// given to InitKEPAtelo and returns 0, or -1 while there is none.

// Stores the target (null forgets it); called before the callbacks are
// registered.
int InitKEPAtelo(KEPAteloRenderTarget* target);
KEPAteloRenderTarget* GetKEPAtelo();

int InitRender();
int NewRender(const char* name, int displayCode, int frame, int width, int height);
// Also non-zero when the target refuses the patch.
int DisplayRender(int x0, int y0, int nx, int ny, unsigned byteCount, const unsigned char* pixels);
int MessageRender(int length, const char* text);
int FilenameRender(int length, const char* name);
int FinRender();
