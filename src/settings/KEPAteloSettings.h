#pragma once

#include <array>
#include <cstdint>
#include <string>

// The user's defaults as the workbench holds them in memory: one object,
// owned by the document, read from the defaults file at start-up and changed
// by the Defaults dialog and by the commands that switch a mode.
//
// Setters change the memory only; whoever changes a value for good writes
// its key too (the Defaults dialog, the last-file list).
class KEPAteloSettings {
 public:
  // Dock state of a toolbar. 0 = not shown; the others are the side it is
  // docked on, with the toolkit's codes (the first two horizontal, the last
  // two vertical).
  enum DockSide : int {
    DOCK_NONE = 0,
    DOCK_TOP = 0x20000,
    DOCK_BOTTOM = 0x40000,
    DOCK_LEFT = 0x80000,
    DOCK_RIGHT = 0x100000,
  };
  enum Toolbar : int { TOOLBAR_EDIT = 0, TOOLBAR_PLAYBACK = 1, TOOLBAR_DRAW = 2 };
  static constexpr int kToolbarCount = 3;
  static constexpr int kLastFileCount = 3;

  // Save modes and message modes, as held in memory.
  enum SaveMode : int { SAVE_ALWAYS = 0, SAVE_NEVER = 1, SAVE_SMART = 2 };
  enum MsgMode : int { MSG_ALL = 0, MSG_NONE = 1, MSG_CONDENSED = 2 };

  KEPAteloSettings() = default;

  // Names the file "%s/.virda_atelo.env" after HOME, makes it the settings
  // file (initfic) and reads the wait maximum, the save and list options,
  // the toolbars and the last files; a key the file lacks, or the whole file
  // missing, gives that key's default. 0 = success; non-zero only when no
  // file name can be built (HOME unset), the defaults then being taken.
  int ReadDefaults();
  // Writes the three toolbar keys from the dock states. 0 = all written.
  int SaveDefaults();

  const std::string& GetEnvFileName() const { return _envFileName; }
  // Whether the defaults file existed when ReadDefaults ran.
  bool DefaultsFileExisted() const { return _fileExisted; }

  // Naming keys of automatically named images, read from the file each time
  // (the Defaults dialog and render reception need the current ones):
  // "DEF_PATH" with a trailing "/", "DEF_NAME", "DEF_TYPE".
  static void ReadNamingDefaults(std::string& directory, std::string& name, std::string& type);

  int GetSaveMode() const { return _saveMode; }
  void SetSaveMode(int mode) { _saveMode = mode; }
  int GetMinTime() const { return _minTime; }
  void SetMinTime(int seconds) { _minTime = seconds; }
  int GetMsgMode() const { return _msgMode; }
  void SetMsgMode(int mode) { _msgMode = mode; }
  int GetIncrementMode() const { return _incrementMode; }
  void SetIncrementMode(int mode) { _incrementMode = mode; }
  int GetPromptMode() const { return _promptMode; }
  void SetPromptMode(int mode) { _promptMode = mode; }
  // 1 = images of the same file name are overwritten ("DEF_OVERWRITE").
  int GetWriteMode() const { return _writeMode; }
  void SetWriteMode(int mode) { _writeMode = mode; }
  int GetKeepMode() const { return _keepMode; }
  void SetKeepMode(int mode) { _keepMode = mode; }
  // 1 = loop continuously, 0 = swing forward and reverse.
  int GetLoopMode() const { return _loopMode; }
  void SetLoopMode(int mode) { _loopMode = mode; }
  int GetSplitMode() const { return _splitMode; }
  void SetSplitMode(int mode) { _splitMode = mode; }
  // In bytes: the file's kilobytes times 1000.
  std::int64_t GetSplitSize() const { return _splitSize; }
  void SetSplitSize(std::int64_t bytes) { _splitSize = bytes; }
  int GetPrintTimeout() const { return _printTimeout; }
  void SetPrintTimeout(int seconds) { _printTimeout = seconds; }
  // 0 never, 1 ask, 2 always merge the logo on save; not kept in the file.
  int GetMergeLogoMode() const { return _mergeLogoMode; }
  void SetMergeLogoMode(int mode) { _mergeLogoMode = mode; }
  // Maximum of the playback delay control and its number of steps.
  int GetWaitMax() const { return _waitMax; }
  void SetWaitMax(int maximum) { _waitMax = maximum; }

  int GetDockState(Toolbar toolbar) const { return _dock[toolbar]; }
  void SetDockState(Toolbar toolbar, int side) { _dock[toolbar] = side; }

  // Slots 1 to 3, "" for an empty slot; out-of-range slots read as empty.
  const std::string& GetLastFile(int slot) const;
  void SetLastFile(int slot, const std::string& name);

  // --- the file's texts and their in-memory forms -------------------------
  // Yes/no keys look at the first character only: "Y" is yes.
  static bool IsYes(const std::string& value);
  // "Y..." 0, "N..." 1, anything else 2; the same rule serves both the save
  // mode and the message mode.
  static int ThreeWay(const std::string& value);
  static const char* SaveModeText(int mode);  // "YES", "NO", "SMART"
  static const char* MsgModeText(int mode);   // "YES", "NO", "CONDENSED"
  static int DockFromText(const std::string& value);
  static const char* DockText(int side);  // "TOP" ... or "OFF"
  // The key of each toolbar: "EDIT_TOOLBAR", "PLAYBACK_TOOLBAR", "DRAW_TOOLBAR".
  static const char* ToolbarKey(Toolbar toolbar);
  // "DEF_SPLITSIZE" kilobytes to bytes, kept within what the file can say.
  static std::int64_t SplitSizeFromKilobytes(std::int64_t kilobytes);

 private:
  // Before the file is read everything is cleared except the few values
  // the document gives a start of their own.
  int _saveMode = SAVE_ALWAYS;
  int _minTime = 0;
  int _msgMode = MSG_ALL;
  int _incrementMode = 0;
  int _promptMode = 0;
  int _writeMode = 0;
  int _keepMode = 0;
  int _loopMode = 1;
  int _splitMode = 1;
  std::int64_t _splitSize = 4000000;
  int _printTimeout = 0;
  int _mergeLogoMode = 1;
  int _waitMax = 0;
  std::array<int, kToolbarCount> _dock{DOCK_NONE, DOCK_NONE, DOCK_NONE};
  std::array<std::string, kLastFileCount> _lastFiles;
  std::string _envFileName;
  bool _fileExisted = false;
};
