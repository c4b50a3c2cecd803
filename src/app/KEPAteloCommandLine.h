#pragma once

#include <string>
#include <vector>

// What the command line asks of the workbench.
struct KEPAteloCommandLine {
  // Style bits handed to the document.
  static constexpr int STYLE_BATCH = 0x20000000;
  static constexpr int STYLE_NO_TOOLBARS = 0x40000000;
  // Longest start file name kept; longer names are cut at the end.
  static constexpr std::size_t kMaxFileName = 256;

  std::string title = "VIRDA Image Viewer";
  std::string identifier = "DISP_ATL";
  int style = 0;
  int width = 0;
  int height = 0;
  std::vector<std::string> files;

  bool IsBatch() const { return style & STYLE_BATCH; }
};

// Reads argv. Returns 0 when the workbench should start, 1 when the usage
// text must be printed and the program end with status 0 (-h, an unknown
// option, an option missing its argument, or an option among the file
// names). `pwd` prefixes start files named without any "/".
int ParseCommandLine(int argc, const char* const* argv, const std::string& pwd,
                     KEPAteloCommandLine& line);

// The usage text for the program path `program` (only its last component is
// shown).
std::string UsageText(const std::string& program);
