#include "output/KEPAteloPrinter.h"

#include <QFontMetrics>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <cstdlib>

#include "image/KEPAtelIma.h"
#include "platform/KEPDialogParts.h"
#include "platform/KEPErrmsg.h"
#include "platform/KEPTrace.h"
#include "platform/link/lnk.h"
#include "platform/settings/KEPSettingsFile.h"
#include "series/KEPAteloDocumentHost.h"

namespace {

bool IsBlank(char c) {
  return c == ' ' || c == '\t';
}

// The busy cursor for the life of the object, however the print ends.
class BusyCursor {
 public:
  explicit BusyCursor(KEPAteloDocumentHost* host) : _host(host) { _host->SetBusyCursor(true); }
  ~BusyCursor() { _host->SetBusyCursor(false); }
  BusyCursor(const BusyCursor&) = delete;
  BusyCursor& operator=(const BusyCursor&) = delete;

 private:
  KEPAteloDocumentHost* _host;
};

}  // namespace

KEPAteloPrinter::KEPAteloPrinter(KEPAteloDocumentHost* host, QWidget* parent,
                                 const std::string& commandFile)
    : QDialog(parent), _host(host), _commandFile(commandFile) {
  KEP_TRACE(2, "(KEPAteloPrinter::KEPAteloPrinter) %s", commandFile.c_str());
  setObjectName("shellPrintDialog");
  setWindowTitle("Print");
  _list = new QTreeWidget(this);
  _list->setObjectName("list");
  _list->setColumnCount(2);
  _list->setHeaderLabels({"Keyword", "Command"});
  _list->setRootIsDecorated(false);
  _list->setSelectionMode(QAbstractItemView::SingleSelection);
  _list->setAllColumnsShowFocus(true);
  // Four lines visible.
  QFontMetrics metrics(_list->font());
  _list->setMinimumHeight(_list->header()->sizeHint().height() + metrics.lineSpacing() * 4 +
                          2 * _list->frameWidth() + 8);
  _list->setMinimumWidth(metrics.horizontalAdvance('x') * 60);
  connect(_list, &QTreeWidget::itemDoubleClicked, this, [this] { PrintAction(); });

  auto* ok = new QPushButton("  OK  ", this);
  ok->setObjectName("okBtn");
  ok->setDefault(true);
  auto* cancel = new QPushButton("Cancel", this);
  cancel->setObjectName("cancelBtn");
  connect(ok, &QPushButton::clicked, this, &KEPAteloPrinter::PrintAction);
  connect(cancel, &QPushButton::clicked, this, &KEPAteloPrinter::HideAction);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(_list, 1);
  KEPDialogParts::AddSpreadButtons(layout, {ok, cancel});
  LoadCommands();
}

std::string KEPAteloPrinter::CommandFileName() {
  const char* home = std::getenv("HOME");
  if (!home || !*home) return "";
  return std::string(home) + "/virda_atelo.printer";
}

std::vector<KEPAteloPrinter::Command> KEPAteloPrinter::ParseCommands(
    const std::vector<std::string>& lines) {
  std::vector<Command> commands;
  for (std::string line : lines) {
    if (!line.empty() && line[0] == '#') continue;
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.pop_back();
    std::size_t at = 0;
    while (at < line.size() && IsBlank(line[at])) ++at;
    std::size_t end = at;
    while (end < line.size() && !IsBlank(line[end])) ++end;
    Command command;
    command.keyword = line.substr(at, end - at);
    while (end < line.size() && IsBlank(line[end])) ++end;
    command.command = line.substr(end);
    commands.push_back(std::move(command));
  }
  return commands;
}

std::vector<std::string> KEPAteloPrinter::SplitCommand(const std::string& text) {
  std::vector<std::string> words;
  std::size_t at = 0;
  while (words.size() < static_cast<std::size_t>(kMaxWords)) {
    while (at < text.size() && IsBlank(text[at])) ++at;
    if (at >= text.size()) break;
    std::size_t end = at;
    while (end < text.size() && !IsBlank(text[end])) ++end;
    words.push_back(text.substr(at, end - at));
    at = end;
  }
  return words;
}

const char* KEPAteloPrinter::ResultMessage(int code) {
  switch (code) {
    case 0:
    case -6:
      return "Print done     ";
    case -1:
      return "Print not done: Allocation problem";
    case -2:
      return "Print not done: Unable to create server socket";
    case -3:
      return "Print not done: Message queue error";
    case -4:
      return "Print not done: Program not found in proglib";
    case -5:
      return "Print not done: Error during fork";
    case -7:
      return "Print not done: Unable to connect";
    case -8:
      return "Print not done: Unable to associate callback to socket";
    case -9:
      return "Print not done: Server initialization error";
    case -10:
      return "Print not done: Well-known port not defined in /etc/services";
    case -11:
      return "Print not done: Unable to connect to inetd (Check /etc/inetd.conf)";
    case -12:
      return "Print not done: Unable to send data";
    case -13:
      return "Print not done: Unable to synchronize";
    case -14:
      return "Print not done: Connexion rejected";
    case -15:
      return "Print not done: Name already used";
    default:
      return "Unable to print   ";
  }
}

void KEPAteloPrinter::LoadCommands() {
  _commands = ParseCommands(litchaines(_commandFile.c_str()));
  _list->clear();
  for (const Command& command : _commands) {
    _list->addTopLevelItem(new QTreeWidgetItem(
        {QString::fromStdString(command.keyword), QString::fromStdString(command.command)}));
  }
  _list->resizeColumnToContents(0);
}

void KEPAteloPrinter::Tell(const char* text) {
  KEPFormatError(errmsg, "%s", text);
  _host->DisplayError();
}

void KEPAteloPrinter::PrintAction() {
  KEP_TRACE(4, "(KEPAteloPrinter::PrintAction)");
  hide();
  BusyCursor busy(_host);
  QTreeWidgetItem* item = _list->currentItem();
  int row = item && item->isSelected() ? _list->indexOfTopLevelItem(item) : -1;
  std::vector<std::string> words;
  if (row >= 0 && row < static_cast<int>(_commands.size()))
    words = SplitCommand(_commands[row].command);
  // A line without a command (an empty line of the file) selects nothing to
  // run.
  if (words.empty()) {
    Tell("Warning: You must select one print command");
    return;
  }
  KEPAtelIma* image = _host->GetPosImage(0);
  if (!image) {
    Tell("No image to print");
    return;
  }
  if (!image->IsSaved()) {
    Tell("You must save your image before printing");
    return;
  }
  words.push_back(image->GetName());
  std::vector<const char*> argv;
  for (const std::string& word : words) argv.push_back(word.c_str());
  argv.push_back(nullptr);
  int pid = 0;
  int code = lnkexe("$LOCAL", argv.data(), _host->GetPrintTimeout(), pid);
  KEP_TRACE(4, "(KEPAteloPrinter::PrintAction) %s: %d", words[0].c_str(), code);
  Tell(ResultMessage(code));
}

void KEPAteloPrinter::HideAction() {
  hide();
}

void KEPAteloPrinter::reject() {
  HideAction();
}
