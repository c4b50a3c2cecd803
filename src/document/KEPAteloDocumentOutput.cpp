// Printing, and the information, formats and help windows.
#include <QAction>
#include <QPrinter>
#include <filesystem>

#include "document/KEPAteloDocument.h"
#include "image/KEPAtelIma.h"
#include "output/KEPAteloFormats.h"
#include "output/KEPAteloHelp.h"
#include "output/KEPAteloInfo.h"
#include "output/KEPAteloPrinter.h"
#include "output/KEPPrintPixelImage.h"
#include "platform/KEPErrmsg.h"
#include "platform/KEPPrompt.h"
#include "platform/KEPTrace.h"
#include "series/KEPAteloSeries.h"

namespace {

void ShowWindow(QWidget* window) {
  window->show();
  window->raise();
  window->activateWindow();
}

// The busy cursor while a window opens or a print runs.
class Busy {
 public:
  explicit Busy(KEPAteloDocument* document) : _document(document) {
    _document->SetBusyCursor(true);
  }
  ~Busy() { _document->SetBusyCursor(false); }
  Busy(const Busy&) = delete;
  Busy& operator=(const Busy&) = delete;

 private:
  KEPAteloDocument* _document;
};

}  // namespace

// --- printing -------------------------------------------------------------------------

void KEPAteloDocument::PrintAction() {
  KEP_TRACE(4, "(KEPAteloDocument::PrintAction)");
  KEPAtelIma* image = _series->GetCurImage();
  if (!image) {
    KEPFormatError(errmsg, "No image to print");
    DisplayError();
    return;
  }
  if (!_output.printer) _output.printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
  _output.printer->setDocName(QString::fromUtf8(image->GetName()));
  if (!KEPPrompt::ConfigurePrinter(this, {"printDialog", "Print", false}, *_output.printer)) return;
  int status;
  {
    Busy busy(this);
    KEPPrintPixelImage picture(*image, errmsg);
    status = picture.IsNull() ? 1 : picture.Print(*_output.printer, errmsg);
  }
  if (status != 0) DisplayError();
}

void KEPAteloDocument::PrinterSetupAction() {
  KEP_TRACE(4, "(KEPAteloDocument::PrinterSetupAction)");
  if (!_output.printer) _output.printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
  KEPPrompt::ConfigurePrinter(this, {"printerManagerDialog", "Printer Setup", true},
                              *_output.printer);
}

void KEPAteloDocument::ShellPrintAction() {
  KEP_TRACE(4, "(KEPAteloDocument::ShellPrintAction)");
  const std::string file = KEPAteloPrinter::CommandFileName();
  std::error_code error;
  if (file.empty() || !std::filesystem::is_regular_file(file, error)) {
    KEPFormatError(errmsg, "File '%s' not found",
                   file.empty() ? "$HOME/virda_atelo.printer" : file.c_str());
    DisplayError();
    return;
  }
  Busy busy(this);
  if (!_output.shellPrintDialog)
    _output.shellPrintDialog = std::make_unique<KEPAteloPrinter>(this, this, file);
  else
    _output.shellPrintDialog->LoadCommands();
  ShowWindow(_output.shellPrintDialog.get());
}

// --- information and formats -------------------------------------------------------------

void KEPAteloDocument::InfoAction() {
  KEP_TRACE(4, "(KEPAteloDocument::InfoAction)");
  Busy busy(this);
  if (!_output.infoDialog) _output.infoDialog = std::make_unique<KEPAteloInfo>(this);
  _output.infoDialog->UpdateInfo(_series->GetCurImage());
  ShowWindow(_output.infoDialog.get());
}

void KEPAteloDocument::UpdateInfoDialog() {
  if (_output.infoDialog && _series) _output.infoDialog->UpdateInfo(_series->GetCurImage());
}

void KEPAteloDocument::FormatsAction() {
  KEP_TRACE(4, "(KEPAteloDocument::FormatsAction)");
  Busy busy(this);
  if (!_output.formatsDialog) _output.formatsDialog = std::make_unique<KEPAteloFormats>(this);
  ShowWindow(_output.formatsDialog.get());
}

void KEPAteloDocument::EnableOutput(KEPAtelIma* image) {
  const int sensitivity = image ? SENSITIVE : INSENSITIVE;
  for (const char* name : {"printItem", "printManagerItem", "infoItem"})
    SetBtnSensitivity(FindAction(name), sensitivity);
  SetBtnSensitivity(FindAction("shellPrintItem"),
                    image && image->IsSaved() ? SENSITIVE : INSENSITIVE);
}

// --- help ---------------------------------------------------------------------------------

void KEPAteloDocument::ContentsAction() {
  KEP_TRACE(4, "(KEPAteloDocument::ContentsAction)");
  Busy busy(this);
  if (!_output.helpContents)
    _output.helpContents = std::make_unique<KEPAteloHelp>(this, "helpContents", "Help Contents");
  // The manual is looked for each time: it may have been installed since.
  _output.helpContents->SetManual("atvug", 8);
  _output.helpContents->DisplayDocumentation();
}

void KEPAteloDocument::InterfaceAction() {
  KEP_TRACE(4, "(KEPAteloDocument::InterfaceAction)");
  Busy busy(this);
  if (!_output.helpInterface)
    _output.helpInterface =
        std::make_unique<KEPAteloHelp>(this, "helpInterface", "Interface Description");
  _output.helpInterface->SetManual("atvch", 1);
  _output.helpInterface->DisplayDocumentation();
}
