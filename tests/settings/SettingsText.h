#pragma once

#include <string>

#include "settings/KEPAteloSettings.h"

// Every held value on one line, so that a test states the whole expected
// state at once and a failure shows every difference together.
inline std::string SettingsText(const KEPAteloSettings& s) {
  using S = KEPAteloSettings;
  return "wait=" + std::to_string(s.GetWaitMax()) + " save=" + std::to_string(s.GetSaveMode()) +
         " min=" + std::to_string(s.GetMinTime()) + " msg=" + std::to_string(s.GetMsgMode()) +
         " inc=" + std::to_string(s.GetIncrementMode()) +
         " prompt=" + std::to_string(s.GetPromptMode()) +
         " write=" + std::to_string(s.GetWriteMode()) + " keep=" + std::to_string(s.GetKeepMode()) +
         " loop=" + std::to_string(s.GetLoopMode()) + " split=" + std::to_string(s.GetSplitMode()) +
         "/" + std::to_string(s.GetSplitSize()) + " print=" + std::to_string(s.GetPrintTimeout()) +
         " docks=" + S::DockText(s.GetDockState(S::TOOLBAR_EDIT)) + "," +
         S::DockText(s.GetDockState(S::TOOLBAR_PLAYBACK)) + "," +
         S::DockText(s.GetDockState(S::TOOLBAR_DRAW)) + " last=" + s.GetLastFile(1) + "|" +
         s.GetLastFile(2) + "|" + s.GetLastFile(3);
}
