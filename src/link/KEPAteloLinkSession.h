#pragma once

class KEPAteloRenderTarget;

// The workbench's side of opening and closing the renderer link.

// Initialises the link library; a failure is printed with the window title
// and the workbench carries on without a renderer. Returns lnkini's status.
int KEPAteloLinkInit(const char* title);

// Once the document exists: hands it to the bridge, registers the callbacks
// of the renderer messages, publishes the workbench under its window
// identifier and asks the host design process, when it runs, to suspend its
// time-out. Failures here are only traced; the result is lnkgdec's status
// (0: renderers can find the workbench).
int KEPAteloLinkDeclare(const char* windowId, KEPAteloRenderTarget* target);

// Both of the above, for callers that create the document first.
int KEPAteloStartLink(const char* title, const char* windowId, KEPAteloRenderTarget* target);

// At quit: tells the parent renderer ("raycbend") and the host design
// process ("TMOUTON ") that the workbench ends, each when it exists.
void KEPAteloLinkQuit();

// Whether the renderer that connected last has gone: it had a live entry on
// the link at an earlier call and has none now. False while none has
// connected, and for a renderer that publishes no entry (nothing can be told
// of it).
bool KEPAteloParentGone();

// The 28-byte body of "raycbend".
void KEPAteloFillEndBody(unsigned char (&body)[28]);
