#include "output/KEPAteloHelp.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFontMetrics>
#include <QHBoxLayout>
#include <QPushButton>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "platform/KEPTrace.h"

#ifndef ATELO_INSTALLED_DOC_DIR
#define ATELO_INSTALLED_DOC_DIR "/usr/local/share/atelo/doc"
#endif

namespace {

bool IsFile(const std::string& path) {
  std::error_code error;
  return !path.empty() && std::filesystem::is_regular_file(path, error);
}

std::string Environment(const char* name) {
  const char* value = std::getenv(name);
  return value ? value : "";
}

}  // namespace

KEPAteloHelp::KEPAteloHelp(QWidget* parent, const char* name, const char* title)
    : _parent(parent), _name(name ? name : ""), _title(title ? title : "") {
  KEP_TRACE(2, "(KEPAteloHelp::KEPAteloHelp) %s", _name.c_str());
}

KEPAteloHelp::~KEPAteloHelp() {
  KEP_TRACE(2, "(KEPAteloHelp::~KEPAteloHelp) %s", _name.c_str());
}

std::string KEPAteloHelp::FramePath(const std::string& base, const std::string& manual, int page) {
  char number[16];
  std::snprintf(number, sizeof number, "%03d", page);
  return base + "/" + manual + "/" + manual + number + ".frm";
}

std::string KEPAteloHelp::MarkdownName(const std::string& manual) {
  if (manual == "atvug") return "user-guide.md";
  if (manual == "atvch") return "interface.md";
  return "";
}

std::vector<std::string> KEPAteloHelp::DocumentationDirectories() {
  std::vector<std::string> directories;
  if (QCoreApplication::instance()) {
    directories.push_back(
        QDir::cleanPath(QCoreApplication::applicationDirPath() + "/../share/atelo/doc")
            .toStdString());
  }
  directories.push_back(ATELO_INSTALLED_DOC_DIR);
  return directories;
}

void KEPAteloHelp::SetManual(const char* manual, int page) {
  _manual = manual ? manual : "";
  _page = page;
  _path.clear();
  const std::string home = Environment("HOME"), frames = Environment("KEPFRAME");
  if (!home.empty() && IsFile(FramePath(home, _manual, page))) {
    _path = FramePath(home, _manual, page);
  } else if (!frames.empty() && IsFile(FramePath(frames, _manual, page))) {
    _path = FramePath(frames, _manual, page);
  } else if (std::string file = MarkdownName(_manual); !file.empty()) {
    for (const std::string& directory : DocumentationDirectories()) {
      if (IsFile(directory + "/" + file)) {
        _path = directory + "/" + file;
        break;
      }
    }
  }
  // A site that names its manual directory is shown that a page is missing
  // there rather than nothing.
  if (_path.empty() && !frames.empty()) _path = FramePath(frames, _manual, page);
  KEP_TRACE(4, "(KEPAteloHelp::SetManual) %s %d: %s", _manual.c_str(), page, _path.c_str());
}

void KEPAteloHelp::GetManual(std::string& manual, int& page) const {
  manual = _manual;
  page = _page;
}

void KEPAteloHelp::SetPosition(const std::string& position) {
  _position = position;
}

const std::string& KEPAteloHelp::GetPosition() const {
  return _position;
}

void KEPAteloHelp::CreateWindow() {
  _window = std::make_unique<QDialog>(_parent);
  _window->setObjectName(QString::fromStdString(_name));
  _window->setWindowTitle(QString::fromStdString(_title));
  _window->setModal(false);
  _browser = new QTextBrowser(_window.get());
  _browser->setObjectName("browser");
  _browser->setOpenExternalLinks(true);
  auto* close = new QPushButton(" Close ", _window.get());
  close->setObjectName("closeBtn");
  QObject::connect(close, &QPushButton::clicked, _window.get(), &QDialog::hide);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(close);
  auto* layout = new QVBoxLayout(_window.get());
  layout->addWidget(_browser, 1);
  layout->addLayout(buttons);
  // Room for a page of text, within a small screen.
  QFontMetrics metrics(_browser->font());
  _window->resize(std::min(metrics.horizontalAdvance('x') * 90, 1000),
                  std::min(metrics.lineSpacing() * 36, 640));
}

int KEPAteloHelp::DisplayDocumentation() {
  KEP_TRACE(4, "(KEPAteloHelp::DisplayDocumentation) %s", _path.c_str());
  if (!_window) CreateWindow();
  int status = 0;
  if (!IsFile(_path)) {
    status = _path.empty() ? 1 : 2;
    QString where;
    if (!Environment("HOME").empty())
      where += "<li>" + QString::fromStdString(FramePath("$HOME", _manual, _page)).toHtmlEscaped();
    where +=
        "<li>" + QString::fromStdString(FramePath("$KEPFRAME", _manual, _page)).toHtmlEscaped();
    if (std::string file = MarkdownName(_manual); !file.empty())
      for (const std::string& directory : DocumentationDirectories())
        where += "<li>" + QString::fromStdString(directory + "/" + file).toHtmlEscaped();
    _browser->setHtml(QString("<h2>%1</h2><p>The manual page was not found. It was looked for "
                              "in:</p><ul>%2</ul><p>Install the program's documentation, or set "
                              "KEPFRAME to the directory of your manuals.</p>")
                          .arg(QString::fromStdString(_title).toHtmlEscaped(), where));
  } else {
    QFile file(QString::fromStdString(_path));
    if (!file.open(QIODevice::ReadOnly)) {
      status = 2;
      _browser->setPlainText(QString("The manual page '%1' cannot be read: %2")
                                 .arg(QString::fromStdString(_path), file.errorString()));
    } else {
      file.close();
      // Links between the pages resolve from the page's own directory.
      _browser->setSource(QUrl::fromLocalFile(QString::fromStdString(_path)),
                          QTextDocument::MarkdownResource);
      if (!_position.empty()) _browser->scrollToAnchor(QString::fromStdString(_position));
    }
  }
  KEP_TRACE(4, "(KEPAteloHelp::DisplayDocumentation) status %d", status);
  _window->show();
  _window->raise();
  return status;
}
