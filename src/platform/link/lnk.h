#pragma once

#include "platform/link/KEPLink.h"
#include "platform/link/KEPLinkDirectory.h"
#include "platform/link/lnkexe.h"

// The link operations of the workbench, on the process's link
// (KEPLink::Process()). Names of processes and messages are 8 characters,
// padded with blanks; a shorter text is padded, a longer one cut. Each
// operation also returns its status.

// Prepares the link directory and the transport. status 0: ready (no parent
// process is needed); otherwise a KEPLinkDirectory status (3 cannot create,
// 4 another user's, 5 writable by others) or LNK_INIT_TRANSPORT. value: 0.
int lnkini(int& value, int& status);

// From now on a message of that name runs the callback on the main thread.
int lnkopr(const char* message, KEPLinkCallback callback, int& status);

// status 0 when `process` has an entry and is alive; pid then holds its
// process id, value 0.
int lnkcall(const char* process, int& pid, int& value, int& status);

// Publishes this process under `name` (the window identifier); a process
// connects to it with `connectMessage`. value: 0.
int lnkgdec(const char* name, int& value, const char* connectMessage, int& status);

// Sends `message` with one part of `length` bytes (no part for a null body
// of length 0), without waiting. length: bytes sent; id and reserved: 0.
int lnksnd(const char* process, const char* message, const void* body, int& length, int& id,
           int& reserved, int& status);

// Inside a callback: reads the next part into `buffer`. status LNK_MORE (2)
// while parts follow, LNK_LAST (0) with the last one, negative on failure.
// A request of length 0 with a null buffer gives the length of the next part
// in `received` (and the status reading it would give) without consuming it.
// A part longer than `requested` fills the buffer, is consumed, gives its
// full length in `received` and the status LNK_ERR_TOO_LONG.
int lnkrea(int requested, void* buffer, int& received, int& status);

// Inside a callback: like lnkrea without a copy: `data` points at the next
// part's bytes, valid until the callback returns.
int lnkreaview(const void*& data, int& received, int& status);

// Inside a callback: answers the sender with [message name][body].
// length: bytes sent.
int lnkwri(const void* body, int& length, int& status);

// Inside the connect message's callback: reason (4 = a process asks to
// connect) and the sender's name in `process` (9 bytes: 8 and a
// terminator). value, value2, value3: 0.
int lnkwhy(int& reason, int& value, char* process, int& value2, int& value3);

// Closes the link to `process`: its messages are dropped until it connects
// again.
int lnkclo(const char* process);
