// Printing, and the information, formats and help windows.
#include "document/KEPAteloDocument.h"

void KEPAteloDocument::PrintAction() {
  NotAvailable("Print");
}

void KEPAteloDocument::PrinterSetupAction() {
  NotAvailable("Printer Setup");
}

void KEPAteloDocument::ShellPrintAction() {
  NotAvailable("Shell Print");
}

void KEPAteloDocument::InfoAction() {
  NotAvailable("Image Information");
}

void KEPAteloDocument::FormatsAction() {
  NotAvailable("Supported Formats");
}

void KEPAteloDocument::ContentsAction() {
  NotAvailable("Help Contents");
}

void KEPAteloDocument::InterfaceAction() {
  NotAvailable("Interface Description");
}
