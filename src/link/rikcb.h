#pragma once

// The callbacks of the renderer messages, run by the link on the main thread.
// Each reads its message with lnkrea, checks it and forwards it through the
// bridge functions. Results:
//    0   success
//   -1   the first part could not be read, or had the wrong length or values
//   -2   a later part could not be read, or had the wrong length
//   -3   the body was not the expected text, or the answer could not be sent
//   -4   an empty message
//   -9   memory exhausted
//  -100  the document refused the message (or there is no document)
// On any failure nothing is forwarded.

int rikcbini();  // "INITDISP"
int rikcbcnx();  // "CONNEXIO"
int rikcbnew();  // "NEWIMAGE"
int rikcbdis();  // "DISPLAY "
int rikcbmes();  // "MESSAGE "
int rikcbpat();  // "PATH    "
int rikcbend();  // "END_DISP"

// Copies the current parent's name (8 characters and a terminator).
void rikidray(char* name);

// Longest name a "NEWIMAGE" may carry: its buffer holds 260 bytes with the
// terminator. A longer one is refused with -1 rather than cut, since a cut
// name would save the image under a name the renderer never gave.
inline constexpr int RIK_MAX_NAME = 259;
// Texts of "MESSAGE " and "PATH    ": at most this many bytes are accepted;
// messages keep at most 255 characters of them.
inline constexpr int RIK_MAX_TEXT = 256;
