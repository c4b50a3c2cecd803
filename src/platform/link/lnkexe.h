#pragma once

// Result codes of lnkexe. Negative codes are the link library's own; a
// positive code is the program's exit status (1 to 255), or 128 plus the
// number of the signal that ended it.
inline constexpr int LNKEXE_DONE = 0;            // ended with status 0 within the time-out
inline constexpr int LNKEXE_ERR_ARGUMENT = -1;   // no program named
inline constexpr int LNKEXE_ERR_NOT_FOUND = -4;  // no executable file of that name
inline constexpr int LNKEXE_ERR_START = -5;      // the system refused to start it
inline constexpr int LNKEXE_STARTED = -6;        // started, not waited for (time-out 0)
inline constexpr int LNKEXE_ERR_HOST = -7;       // a host other than this machine
inline constexpr int LNKEXE_ERR_TIMEOUT = -13;   // still running at the time-out: killed

// Runs a program on `host` ("$LOCAL", "localhost" or this machine's name;
// null is "$LOCAL") with the null-terminated argument list `argv` (argv[0]
// is the program: a path, or a name looked up in PATH). Standard input is
// /dev/null; standard output and error are the caller's.
//
// With `timeout` > 0 the call waits at most that many seconds; a program
// still running then is killed with every process it started, and
// LNKEXE_ERR_TIMEOUT is returned. With `timeout` <= 0 the program is left
// to run on its own and LNKEXE_STARTED is returned once it has started.
// `pid` receives the program's process id (0 when it did not start).
int lnkexe(const char* host, const char* const* argv, int timeout, int& pid);
