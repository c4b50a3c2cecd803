#include "platform/KEPPrompt.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QLineEdit>
#include <QMessageBox>
#include <QPageSetupDialog>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QStringList>

namespace {

// Qt's file box answers its list selection when there is one, and a typed
// name that the type filter hides cannot be selected: typing "b.png" beside
// a selected "a.tif" under "*.tif" answered a.tif alone. Here what is typed
// is the answer, as the user sees it in the name field.
class FileBox : public QFileDialog {
 public:
  FileBox(QWidget* parent, const KEPFileBoxRequest& request, bool folder,
          const std::string& selection)
      : QFileDialog(parent, QString::fromStdString(request.title),
                    QString::fromStdString(request.directory)),
        _request(request),
        _folder(folder) {
    setOption(QFileDialog::DontUseNativeDialog, true);
    setObjectName(QString::fromStdString(request.name));
    if (folder) {
      setAcceptMode(QFileDialog::AcceptSave);
      setFileMode(QFileDialog::AnyFile);
      setOption(QFileDialog::DontConfirmOverwrite, true);
      auto* useFolder = new QPushButton("Use This Folder", this);
      useFolder->setObjectName("folderBtn");
      useFolder->setAutoDefault(false);
      if (auto* grid = qobject_cast<QGridLayout*>(layout()))
        grid->addWidget(useFolder, grid->rowCount(), 0, 1, grid->columnCount());
      connect(useFolder, &QPushButton::clicked, this, [this] {
        _answer = {FolderName(directory().absolutePath())};
        QDialog::accept();
      });
    } else {
      setAcceptMode(request.save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
      setFileMode(request.save       ? QFileDialog::AnyFile
                  : request.multiple ? QFileDialog::ExistingFiles
                                     : QFileDialog::ExistingFile);
    }
    if (!selection.empty()) selectFile(QString::fromStdString(selection));
    QStringList filters;
    QString selected;
    for (const auto& [label, pattern] : request.types) {
      QString entry = QString::fromStdString(label + " (" + pattern + ")");
      filters << entry;
      if (pattern == request.filter) selected = entry;
    }
    if (selected.isEmpty() && !request.filter.empty()) {
      selected = QString::fromStdString(request.filter + " (" + request.filter + ")");
      filters.prepend(selected);
    }
    setNameFilters(filters);
    if (!selected.isEmpty()) selectNameFilter(selected);
  }

  const QStringList& Answer() const { return _answer; }

 protected:
  void accept() override {
    QStringList typed = TypedNames();
    if (typed.isEmpty()) {
      // Nothing typed: Qt's own rules (a selected folder is entered, ...).
      QFileDialog::accept();
      if (result() == QDialog::Accepted) _answer = selectedFiles();
      return;
    }
    if (_folder && typed.size() == 1 && QFileInfo(typed.front()).isDir()) {
      _answer = {FolderName(typed.front())};
      QDialog::accept();
      return;
    }
    if (typed.size() == 1 && QFileInfo(typed.front()).isDir()) {
      setDirectory(typed.front());
      findChild<QLineEdit*>("fileNameEdit")->clear();
      return;
    }
    if (!_request.save && !_folder) {
      if (!_request.multiple && typed.size() > 1) typed = typed.mid(0, 1);
      for (const QString& name : typed) {
        if (!QFileInfo(name).isFile()) {
          QMessageBox::warning(this, windowTitle(),
                               QString("%1\nFile not found.\nPlease verify the file name.")
                                   .arg(QFileInfo(name).fileName()));
          return;
        }
      }
    } else {
      typed = typed.mid(0, 1);
    }
    _answer = typed;
    // Qt's own checks (overwriting, ...) come with the save box's accept.
    if (_request.save && !_folder) {
      QFileDialog::accept();
      if (result() != QDialog::Accepted) _answer.clear();
      return;
    }
    QDialog::accept();
  }

 private:
  static QString FolderName(const QString& path) {
    QString folder = QDir::cleanPath(QFileInfo(path).absoluteFilePath());
    return folder.endsWith('/') ? folder : folder + '/';
  }

  // The names of the name field ("a.tif" or "\"a.tif\" \"b.png\""), made
  // absolute from the folder shown.
  QStringList TypedNames() const {
    auto* edit = findChild<QLineEdit*>("fileNameEdit");
    QString text = edit ? edit->text().trimmed() : QString();
    QStringList names;
    if (text.isEmpty()) return names;
    if (text.contains('"')) {
      const QStringList parts = text.split('"');
      for (int i = 1; i < parts.size(); i += 2)
        if (!parts[i].isEmpty()) names << parts[i];
    } else {
      names << text;
    }
    for (QString& name : names) {
      if (name.startsWith("~/")) name = QDir::homePath() + name.mid(1);
      if (QFileInfo(name).isRelative()) name = directory().absoluteFilePath(name);
      name = QDir::cleanPath(name);
    }
    return names;
  }

  KEPFileBoxRequest _request;
  bool _folder;
  QStringList _answer;
};

KEPFileBoxAnswer Run(QWidget* parent, const KEPFileBoxRequest& request, bool folder,
                     const std::string& selection);

class QtPromptHandler : public KEPPromptHandler {
 public:
  int Ask(QWidget* parent, const KEPQuestion& question) override {
    QMessageBox box(parent);
    box.setObjectName(QString::fromStdString(question.name));
    box.setWindowTitle(QString::fromStdString(question.title));
    box.setText(QString::fromStdString(question.text));
    box.setIcon(question.buttons.size() > 1 ? QMessageBox::Question : QMessageBox::Warning);
    std::vector<QAbstractButton*> buttons;
    for (std::size_t i = 0; i < question.buttons.size(); ++i) {
      auto role = i == 0 ? QMessageBox::AcceptRole
                         : (i + 1 == question.buttons.size() ? QMessageBox::RejectRole
                                                             : QMessageBox::ActionRole);
      buttons.push_back(box.addButton(QString::fromStdString(question.buttons[i]), role));
    }
    if (buttons.empty()) buttons.push_back(box.addButton(QMessageBox::Ok));
    box.exec();
    for (std::size_t i = 0; i < buttons.size(); ++i) {
      if (box.clickedButton() == buttons[i]) return static_cast<int>(i) + 1;
    }
    return 0;
  }

  KEPFileBoxAnswer ChooseFiles(QWidget* parent, const KEPFileBoxRequest& request) override {
    return Run(parent, request, false, "");
  }

  KEPFileBoxAnswer ChooseFolderOrFile(QWidget* parent, const KEPFileBoxRequest& request,
                                      const std::string& selection) override {
    return Run(parent, request, true, selection);
  }

  bool ConfigurePrinter(QWidget* parent, const KEPPrintRequest& request,
                        QPrinter& printer) override {
    if (request.setup) {
      QPageSetupDialog dialog(&printer, parent);
      dialog.setObjectName(QString::fromStdString(request.name));
      dialog.setWindowTitle(QString::fromStdString(request.title));
      return dialog.exec() == QDialog::Accepted;
    }
    QPrintDialog dialog(&printer, parent);
    dialog.setObjectName(QString::fromStdString(request.name));
    dialog.setWindowTitle(QString::fromStdString(request.title));
    return dialog.exec() == QDialog::Accepted;
  }
};

KEPFileBoxAnswer Run(QWidget* parent, const KEPFileBoxRequest& request, bool folder,
                     const std::string& selection) {
  FileBox box(parent, request, folder, selection);
  KEPFileBoxAnswer answer;
  if (box.exec() != QDialog::Accepted) return answer;
  answer.accepted = true;
  for (const QString& file : box.Answer()) answer.files.push_back(file.toStdString());
  QString filter = box.selectedNameFilter();
  int open = filter.lastIndexOf('('), close = filter.lastIndexOf(')');
  if (open >= 0 && close > open) filter = filter.mid(open + 1, close - open - 1);
  answer.filter = filter.toStdString();
  return answer;
}

std::shared_ptr<KEPPromptHandler>& Current() {
  static std::shared_ptr<KEPPromptHandler> handler = std::make_shared<QtPromptHandler>();
  return handler;
}

}  // namespace

namespace KEPPrompt {

int Ask(QWidget* parent, const KEPQuestion& question) {
  return Current()->Ask(parent, question);
}

void Warn(QWidget* parent, const std::string& name, const std::string& title,
          const std::string& text) {
  Ask(parent, KEPQuestion{name, title, text, {"OK"}});
}

KEPFileBoxAnswer ChooseFiles(QWidget* parent, const KEPFileBoxRequest& request) {
  return Current()->ChooseFiles(parent, request);
}

KEPFileBoxAnswer ChooseFolderOrFile(QWidget* parent, const KEPFileBoxRequest& request,
                                    const std::string& selection) {
  return Current()->ChooseFolderOrFile(parent, request, selection);
}

bool ConfigurePrinter(QWidget* parent, const KEPPrintRequest& request, QPrinter& printer) {
  return Current()->ConfigurePrinter(parent, request, printer);
}

std::shared_ptr<KEPPromptHandler> SetHandler(std::shared_ptr<KEPPromptHandler> handler) {
  auto previous = Current();
  Current() = handler ? std::move(handler) : std::make_shared<QtPromptHandler>();
  return previous;
}

}  // namespace KEPPrompt
