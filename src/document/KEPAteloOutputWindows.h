#pragma once

#include <memory>

class KEPAteloFormats;
class KEPAteloHelp;
class KEPAteloInfo;
class KEPAteloPrinter;
class QPrinter;
class QToolBar;

// Printing, information and help: the printer chosen and the windows,
// made when first asked for, and the edit toolbar.
struct KEPAteloOutputWindows {
  // Printer and page chosen by Print and Printer Setup, kept between prints.
  std::unique_ptr<QPrinter> printer;
  std::unique_ptr<KEPAteloPrinter> shellPrintDialog;
  std::unique_ptr<KEPAteloInfo> infoDialog;
  std::unique_ptr<KEPAteloFormats> formatsDialog;
  std::unique_ptr<KEPAteloHelp> helpContents;
  std::unique_ptr<KEPAteloHelp> helpInterface;
  QToolBar* editToolBar = nullptr;  // child widget
};
