#pragma once

#include <sys/types.h>

#include <string>

// The per-user directory through which link processes find each other, and
// the entry files in it: one file per process known on the link, named after
// the process's 8-character name without its trailing blanks, holding the
// endpoint of the process's ROUTER socket on its first line and the process
// id on its second.
class KEPLinkDirectory {
 public:
  // Results of Prepare, also the non-zero statuses of lnkini.
  enum : int {
    READY = 0,
    CANNOT_CREATE = 3,     // missing and cannot be made, or not a directory
    OTHER_OWNER = 4,       // belongs to another user
    OTHERS_CAN_WRITE = 5,  // group or others may write into it
  };

  // $LNK_DIR when set and not empty, else $XDG_RUNTIME_DIR/lnk, else
  // /tmp/lnk-<uid>.
  static std::string Resolve();
  // Creates the directory (mode 0700) when it is missing and checks that it
  // is a real directory of this user that nobody else can write into. A
  // shared directory would let another user plant entries that redirect a
  // renderer's pixels, hence the refusal rather than a repair.
  static int Prepare(const std::string& directory);

  // The 8-character link form of a name: cut at 8, padded with blanks.
  static std::string PadName(const char* name);
  // The name without its trailing blanks, as used for file names.
  static std::string TrimName(const std::string& name);
  // A name that can become a file name: not empty once trimmed, printable,
  // no "/" and not starting with ".".
  static bool IsUsableName(const std::string& paddedName);

  static std::string EntryPath(const std::string& directory, const std::string& paddedName);
  static std::string DefaultEndpoint(const std::string& directory, const std::string& paddedName);

  // Writes the entry through a temporary file renamed over the final name,
  // so a reader never sees half an entry. 0 on success.
  static int WriteEntry(const std::string& directory, const std::string& paddedName,
                        const std::string& endpoint, pid_t pid);
  // 0 on success; -1 when there is no entry, -2 when it is unreadable or
  // malformed.
  static int ReadEntry(const std::string& directory, const std::string& paddedName,
                       std::string& endpoint, pid_t& pid);
  static void RemoveEntry(const std::string& directory, const std::string& paddedName);
  // A process that exists, even if it belongs to someone else.
  static bool IsAlive(pid_t pid);
};
