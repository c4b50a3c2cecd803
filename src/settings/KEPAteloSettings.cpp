#include "settings/KEPAteloSettings.h"

#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>

#include "platform/KEPTrace.h"
#include "platform/settings/KEPSettingsFile.h"

namespace {

// Room for a full path in a last-file slot; longer values are cut.
constexpr std::size_t kValueSize = PATH_MAX + 1;

// Reads keys of the settings file; a reader that has no file gives every
// default, as a missing file would.
class KeyReader {
 public:
  explicit KeyReader(bool haveFile = true) : _haveFile(haveFile) {}

  std::string Text(const char* key, const char* fallback) const {
    char buffer[kValueSize];
    if (!_haveFile || litfic(key, buffer, sizeof buffer) != 0) return fallback;
    return buffer;
  }

  // A number typed by hand: leading blanks and trailing text ("30 s") are
  // allowed; no digits at all, or a value below `minimum`, gives the
  // default. A wait maximum or a split size below 1 would make the playback
  // control or the split of every file meaningless, so those ask for 1.
  long long Number(const char* key, long long fallback, long long minimum) const {
    char buffer[64];
    if (!_haveFile || litfic(key, buffer, sizeof buffer) != 0) return fallback;
    errno = 0;
    char* end = nullptr;
    long long value = std::strtoll(buffer, &end, 10);
    if (end == buffer || errno == ERANGE || value < minimum) return fallback;
    return value;
  }

  int Int(const char* key, int fallback, int minimum) const {
    long long value = Number(key, fallback, minimum);
    return value > INT_MAX ? INT_MAX : static_cast<int>(value);
  }

 private:
  bool _haveFile;
};

}  // namespace

int KEPAteloSettings::ReadDefaults() {
  const char* home = std::getenv("HOME");
  int status = 0;
  if (home && *home) {
    _envFileName = std::string(home) + "/.virda_atelo.env";
    _fileExisted = access(_envFileName.c_str(), F_OK) == 0;
    status = initfic(_envFileName.c_str());
  } else {
    _envFileName.clear();
    _fileExisted = false;
    status = 1;
  }
  KEP_TRACE(2, "(KEPAteloSettings::ReadDefaults) %s%s", _envFileName.c_str(),
            _fileExisted ? "" : " (absent)");
  const KeyReader read(status == 0);

  _waitMax = read.Int("DEF_WAITMAX", 100, 1);
  _saveMode = ThreeWay(read.Text("DEF_AUTOSAVE", "SMART"));
  _minTime = read.Int("DEF_MINTIME", 30, 0);
  _msgMode = ThreeWay(read.Text("DEF_MESSAGES", "NO"));
  _incrementMode = IsYes(read.Text("DEF_INCREMENT", "NO"));
  _promptMode = IsYes(read.Text("DEF_PROMPT", "NO"));
  _writeMode = IsYes(read.Text("DEF_OVERWRITE", "NO"));
  _keepMode = IsYes(read.Text("DEF_KEEP", "YES"));
  _loopMode = IsYes(read.Text("DEF_LOOP", "YES"));
  _splitMode = IsYes(read.Text("DEF_SPLIT", "YES"));
  _splitSize = SplitSizeFromKilobytes(read.Number("DEF_SPLITSIZE", 4000, 1));
  _printTimeout = read.Int("DEF_PRTTIMEOUT", 30, 0);

  const char* dockDefaults[kToolbarCount] = {"TOP", "BOTTOM", "RIGHT"};
  for (int t = 0; t < kToolbarCount; ++t) {
    auto toolbar = static_cast<Toolbar>(t);
    _dock[t] = DockFromText(read.Text(ToolbarKey(toolbar), dockDefaults[t]));
  }
  const char* lastKeys[kLastFileCount] = {"LAST_FILE1", "LAST_FILE2", "LAST_FILE3"};
  for (int slot = 0; slot < kLastFileCount; ++slot)
    _lastFiles[slot] = read.Text(lastKeys[slot], "");
  return status;
}

int KEPAteloSettings::SaveDefaults() {
  KEP_TRACE(2, "(KEPAteloSettings::SaveDefaults)");
  int failures = 0;
  for (int t = 0; t < kToolbarCount; ++t) {
    auto toolbar = static_cast<Toolbar>(t);
    if (ecritfic(ToolbarKey(toolbar), DockText(_dock[t])) != 0) ++failures;
  }
  return failures;
}

void KEPAteloSettings::ReadNamingDefaults(std::string& directory, std::string& name,
                                          std::string& type) {
  // An empty value is taken as absent: an empty directory would turn into
  // "/" and an empty name or type into a file called "_1.".
  const KeyReader read;
  directory = read.Text("DEF_PATH", "");
  if (directory.empty()) directory = "/tmp/";
  if (directory.back() != '/') directory += '/';
  name = read.Text("DEF_NAME", "");
  if (name.empty()) name = "Untitled";
  type = read.Text("DEF_TYPE", "");
  if (type.empty()) type = "tif";
}

const std::string& KEPAteloSettings::GetLastFile(int slot) const {
  static const std::string empty;
  if (slot < 1 || slot > kLastFileCount) return empty;
  return _lastFiles[slot - 1];
}

void KEPAteloSettings::SetLastFile(int slot, const std::string& name) {
  if (slot >= 1 && slot <= kLastFileCount) _lastFiles[slot - 1] = name;
}

bool KEPAteloSettings::IsYes(const std::string& value) {
  return !value.empty() && value[0] == 'Y';
}

int KEPAteloSettings::ThreeWay(const std::string& value) {
  if (value.empty()) return 2;
  if (value[0] == 'Y') return 0;
  if (value[0] == 'N') return 1;
  return 2;
}

const char* KEPAteloSettings::SaveModeText(int mode) {
  switch (mode) {
    case SAVE_ALWAYS:
      return "YES";
    case SAVE_NEVER:
      return "NO";
    default:
      return "SMART";
  }
}

const char* KEPAteloSettings::MsgModeText(int mode) {
  switch (mode) {
    case MSG_ALL:
      return "YES";
    case MSG_NONE:
      return "NO";
    default:
      return "CONDENSED";
  }
}

int KEPAteloSettings::DockFromText(const std::string& value) {
  if (value == "TOP") return DOCK_TOP;
  if (value == "BOTTOM") return DOCK_BOTTOM;
  if (value == "LEFT") return DOCK_LEFT;
  if (value == "RIGHT") return DOCK_RIGHT;
  return DOCK_NONE;
}

const char* KEPAteloSettings::DockText(int side) {
  switch (side) {
    case DOCK_TOP:
      return "TOP";
    case DOCK_BOTTOM:
      return "BOTTOM";
    case DOCK_LEFT:
      return "LEFT";
    case DOCK_RIGHT:
      return "RIGHT";
    default:
      return "OFF";
  }
}

const char* KEPAteloSettings::ToolbarKey(Toolbar toolbar) {
  switch (toolbar) {
    case TOOLBAR_EDIT:
      return "EDIT_TOOLBAR";
    case TOOLBAR_PLAYBACK:
      return "PLAYBACK_TOOLBAR";
    case TOOLBAR_DRAW:
      return "DRAW_TOOLBAR";
  }
  return "";
}

std::int64_t KEPAteloSettings::SplitSizeFromKilobytes(std::int64_t kilobytes) {
  constexpr std::int64_t kMaxKilobytes = INT64_MAX / 1000;
  if (kilobytes < 1) kilobytes = 1;
  if (kilobytes > kMaxKilobytes) kilobytes = kMaxKilobytes;
  return kilobytes * 1000;
}
