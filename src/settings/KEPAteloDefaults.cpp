#include "settings/KEPAteloDefaults.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QShowEvent>
#include <QVBoxLayout>
#include <algorithm>
#include <cctype>
#include <string>
#include <utility>
#include <vector>

#include "image/KEPAtelIma.h"
#include "image/KEPAtelImaFormat.h"
#include "platform/KEPDialogParts.h"
#include "platform/KEPErrmsg.h"
#include "platform/KEPPrompt.h"
#include "platform/KEPTrace.h"
#include "platform/settings/KEPSettingsFile.h"
#include "settings/KEPAteloSettings.h"

using KEPDialogParts::Named;

namespace {

// The file types offered when browsing: the types an image can be saved in
// automatically.
std::vector<std::pair<std::string, std::string>> BrowseTypes() {
  std::vector<std::pair<std::string, std::string>> types;
  KEPListPtrKEPAtelImaFormat formats;
  KEPAtelIma::GetFormatList(formats);
  for (int i = 1; i <= formats.Size(); ++i) {
    const KEPAtelImaFormat* f = formats[i];
    if (f->IsWritable()) types.emplace_back(f->GetExtension(), "*." + f->GetExtension());
    delete f;
  }
  formats.RemoveAll();
  return types;
}

std::string Lower(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return text;
}

std::string Text(const QLineEdit* field) {
  return field->text().toStdString();
}

const char* YesNo(bool yes) {
  return yes ? "YES" : "NO";
}

// A positive whole number typed into a field, or 0.
long long PositiveValue(const QLineEdit* field) {
  bool ok = false;
  long long value = field->text().trimmed().toLongLong(&ok);
  return ok && value > 0 ? value : 0;
}

QGroupBox* Frame(const char* name, const char* title) {
  auto* frame = new QGroupBox(title);
  frame->setObjectName(name);
  return frame;
}

}  // namespace

KEPAteloDefaults::KEPAteloDefaults(QWidget* parent, KEPAteloSettings& settings)
    : QDialog(parent), _settings(settings) {
  KEP_TRACE(2, "(KEPAteloDefaults::KEPAteloDefaults)");
  setObjectName("defaultsDialog");
  setWindowTitle("Defaults");
  // Two columns of frames, so that the dialog fits a screen of 800 pixels
  // in height.
  auto* outer = new QVBoxLayout(this);
  auto* columns = new QHBoxLayout;
  outer->addLayout(columns);
  auto* main = new QVBoxLayout;
  auto* second = new QVBoxLayout;
  columns->addLayout(main);
  columns->addLayout(second);

  auto* render = Frame("renderFrame", "Render Options");
  auto* renderGrid = new QGridLayout(render);
  renderGrid->addWidget(Named(new QLabel("Save Directory :"), "pathLbl"), 0, 0);
  _pathVal = Named(new QLineEdit, "pathVal");
  renderGrid->addWidget(_pathVal, 0, 1);
  _pathBtn = Named(new QPushButton("..."), "pathBtn");
  _pathBtn->setToolTip("Browse File System");
  _pathBtn->setAutoDefault(false);
  renderGrid->addWidget(_pathBtn, 0, 2);
  renderGrid->addWidget(Named(new QLabel("Default Name   :"), "nameLbl"), 1, 0);
  _nameVal = Named(new QLineEdit, "nameVal");
  renderGrid->addWidget(_nameVal, 1, 1, 1, 2);
  main->addWidget(render);

  auto* format = Frame("formatFrame", "Automatic Save Format");
  auto* formatBox = new QHBoxLayout(format);
  _formatCmb = Named(new QComboBox, "formatCmb");
  KEPListPtrKEPAtelImaFormat formats;
  KEPAtelIma::GetFormatList(formats);
  for (int i = 1; i <= formats.Size(); ++i) {
    const KEPAtelImaFormat* f = formats[i];
    if (f->IsWritable()) {
      _formatCmb->addItem(QString::fromStdString(f->GetComment() + " (" + f->GetExtension() + ")"),
                          QString::fromStdString(f->GetExtension()));
    }
    delete f;
  }
  formats.RemoveAll();
  formatBox->addWidget(_formatCmb);
  main->addWidget(format);

  auto* save = Frame("autoSaveFrame", "Save When Rendering Done");
  auto* saveGrid = new QGridLayout(save);
  _alwaysRad = Named(new QRadioButton(" Always"), "alwaysRad");
  _neverRad = Named(new QRadioButton(" Never "), "neverRad");
  _smartRad = Named(new QRadioButton(" If Rendering Time Over"), "smartRad");
  // The button ids are the save modes, so that OK passes the chosen id.
  _saveGroup = new QButtonGroup(this);
  _saveGroup->addButton(_alwaysRad, KEPAteloSettings::SAVE_ALWAYS);
  _saveGroup->addButton(_neverRad, KEPAteloSettings::SAVE_NEVER);
  _saveGroup->addButton(_smartRad, KEPAteloSettings::SAVE_SMART);
  _delayValue = Named(new QLineEdit, "delayValue");
  // Negative numbers may be typed so that leaving the field can refuse them
  // with a word rather than silently.
  _delayValue->setValidator(new QIntValidator(-99999999, 99999999, _delayValue));
  _secondsLbl = Named(new QLabel(" Seconds"), "secondsLbl");
  saveGrid->addWidget(_alwaysRad, 0, 0);
  saveGrid->addWidget(_neverRad, 1, 0);
  saveGrid->addWidget(_smartRad, 2, 0);
  saveGrid->addWidget(_delayValue, 2, 1);
  saveGrid->addWidget(_secondsLbl, 2, 2);
  main->addWidget(save);

  auto* messages = Frame("messageFrame", "Messages Display Options");
  auto* messagesBox = new QHBoxLayout(messages);
  _messageCmb = Named(new QComboBox, "messageCmb");
  _messageCmb->addItems({"All", "None", "Condensed"});
  messagesBox->addWidget(_messageCmb);
  main->addWidget(messages);

  auto* saveOptions = Frame("saveFrame", "Save Options");
  auto* saveOptionsBox = new QVBoxLayout(saveOptions);
  _saveIncrementChk =
      Named(new QCheckBox(" Increment Name If File Already Exists"), "saveIncrementChk");
  _savePromptChk = Named(new QCheckBox(" Prompt If Image Not Saved"), "savePromptChk");
  saveOptionsBox->addWidget(_saveIncrementChk);
  saveOptionsBox->addWidget(_savePromptChk);
  second->addWidget(saveOptions);

  auto* list = Frame("listFrame", "Image List Options");
  auto* listBox = new QVBoxLayout(list);
  _listMultiChk = Named(new QCheckBox(" Allow to Load Same Image Many Times"), "listMultiChk");
  _listMemChk = Named(new QCheckBox(" Keep All Images in Memory"), "listMemChk");
  listBox->addWidget(_listMultiChk);
  listBox->addWidget(_listMemChk);
  second->addWidget(list);

  auto* play = Frame("playFrame", "Playback Options");
  auto* playBox = new QHBoxLayout(play);
  _playCmb = Named(new QComboBox, "playCmb");
  _playCmb->addItems({"    Loop Continuously    ", "  Swing Forward/Reverse  "});
  playBox->addWidget(_playCmb);
  second->addWidget(play);

  auto* split = Frame("splitFrame", "Open/Save Options");
  auto* splitBox = new QHBoxLayout(split);
  _splitChk = Named(new QCheckBox("Split Image if Size Superior to "), "splitChk");
  _splitEdit = Named(new QLineEdit, "splitEdit");
  _splitEdit->setValidator(new QIntValidator(1, 999999999, _splitEdit));
  _splitEndLbl = Named(new QLabel("Kbytes"), "splitEndLbl");
  splitBox->addWidget(_splitChk);
  splitBox->addWidget(_splitEdit);
  splitBox->addWidget(_splitEndLbl);
  second->addWidget(split);

  auto* ok = Named(new QPushButton("  OK  "), "okBtn");
  auto* cancel = Named(new QPushButton("Cancel"), "cancelBtn");
  main->addStretch();
  second->addStretch();
  KEPDialogParts::AddSpreadButtons(outer, {ok, cancel});

  connect(ok, &QPushButton::clicked, this, &KEPAteloDefaults::OkAction);
  connect(cancel, &QPushButton::clicked, this, &KEPAteloDefaults::HideAction);
  connect(_pathBtn, &QPushButton::clicked, this, &KEPAteloDefaults::PathBtnAction);
  connect(_alwaysRad, &QRadioButton::clicked, this, &KEPAteloDefaults::AlwaysRadAction);
  connect(_neverRad, &QRadioButton::clicked, this, &KEPAteloDefaults::NeverRadAction);
  connect(_smartRad, &QRadioButton::clicked, this, &KEPAteloDefaults::SmartRadAction);
  connect(_delayValue, &QLineEdit::editingFinished, this, &KEPAteloDefaults::DelayValueAction);

  InitValues();
}

void KEPAteloDefaults::InitValues() {
  std::string directory, name, type;
  KEPAteloSettings::ReadNamingDefaults(directory, name, type);
  _pathVal->setText(QString::fromStdString(directory));
  _nameVal->setText(QString::fromStdString(name));
  // A type that cannot be written shows the default type's entry rather
  // than an empty combo, so that OK always writes a usable type.
  int entry = FindFormat(type);
  if (entry < 0) entry = FindFormat("tif");
  if (entry < 0 && _formatCmb->count() > 0) entry = 0;
  _formatCmb->setCurrentIndex(entry);

  int saveMode = std::clamp(_settings.GetSaveMode(), 0, 2);
  _saveGroup->button(saveMode)->setChecked(true);
  _delayValue->setText(QString::number(_settings.GetMinTime()));
  _delayValue->setEnabled(saveMode == KEPAteloSettings::SAVE_SMART);
  _messageCmb->setCurrentIndex(std::clamp(_settings.GetMsgMode(), 0, 2));
  _saveIncrementChk->setChecked(_settings.GetIncrementMode() != 0);
  _savePromptChk->setChecked(_settings.GetPromptMode() != 0);
  _listMultiChk->setChecked(_settings.GetWriteMode() == 0);
  _listMemChk->setChecked(_settings.GetKeepMode() != 0);
  _playCmb->setCurrentIndex(_settings.GetLoopMode() ? 0 : 1);
  _splitChk->setChecked(_settings.GetSplitMode() != 0);
  _splitEdit->setText(QString::number(_settings.GetSplitSize() / 1000));
}

void KEPAteloDefaults::OkAction() {
  KEP_TRACE(4, "(KEPAteloDefaults::OkAction)");
  // Every key is attempted even when one fails, so that the file holds as
  // much of the user's choice as it can; one warning tells of the failure.
  int failures = 0;
  auto write = [&failures](const char* key, const std::string& value) {
    if (ecritfic(key, value.c_str()) != 0) ++failures;
  };

  write("DEF_PATH", Text(_pathVal));
  write("DEF_NAME", Text(_nameVal));
  if (_formatCmb->currentIndex() >= 0) {
    write("DEF_TYPE", _formatCmb->currentData().toString().toStdString());
  }

  int saveMode = std::max(_saveGroup->checkedId(), 0);
  write("DEF_AUTOSAVE", KEPAteloSettings::SaveModeText(saveMode));
  _settings.SetSaveMode(saveMode);

  // A delay field left invalid keeps the time already taken.
  int minTime = DelayFieldValue();
  if (minTime < 1) minTime = _settings.GetMinTime();
  _delayValue->setText(QString::number(minTime));
  write("DEF_MINTIME", std::to_string(minTime));
  _settings.SetMinTime(minTime);

  int msgMode = std::max(_messageCmb->currentIndex(), 0);
  write("DEF_MESSAGES", KEPAteloSettings::MsgModeText(msgMode));
  _settings.SetMsgMode(msgMode);

  write("DEF_INCREMENT", YesNo(_saveIncrementChk->isChecked()));
  _settings.SetIncrementMode(_saveIncrementChk->isChecked());
  write("DEF_PROMPT", YesNo(_savePromptChk->isChecked()));
  _settings.SetPromptMode(_savePromptChk->isChecked());
  // Loading the same image many times means images of one file name are
  // not overwritten.
  write("DEF_OVERWRITE", YesNo(!_listMultiChk->isChecked()));
  _settings.SetWriteMode(!_listMultiChk->isChecked());
  write("DEF_KEEP", YesNo(_listMemChk->isChecked()));
  _settings.SetKeepMode(_listMemChk->isChecked());

  bool loop = _playCmb->currentIndex() != 1;
  write("DEF_LOOP", YesNo(loop));
  _settings.SetLoopMode(loop ? 1 : 0);

  write("DEF_SPLIT", YesNo(_splitChk->isChecked()));
  _settings.SetSplitMode(_splitChk->isChecked());
  long long kilobytes = PositiveValue(_splitEdit);
  if (kilobytes < 1) kilobytes = _settings.GetSplitSize() / 1000;
  _splitEdit->setText(QString::number(kilobytes));
  write("DEF_SPLITSIZE", std::to_string(kilobytes));
  _settings.SetSplitSize(KEPAteloSettings::SplitSizeFromKilobytes(kilobytes));

  emit SettingsChanged();
  if (failures) Warn(errmsg);
  hide();
}

void KEPAteloDefaults::HideAction() {
  KEP_TRACE(4, "(KEPAteloDefaults::HideAction)");
  hide();
}

void KEPAteloDefaults::PathBtnAction() {
  KEP_TRACE(4, "(KEPAteloDefaults::PathBtnAction)");
  KEPFileBoxRequest request;
  request.name = "defaultFileBox";
  request.title = "Default File Name";
  request.directory = Text(_pathVal);
  request.types = BrowseTypes();
  request.save = true;
  std::string current = _formatCmb->currentData().toString().toStdString();
  if (current.empty()) current = "tif";
  request.filter = "*." + current;
  // The box opens on the save directory with the default name typed in: OK
  // there keeps both, a folder chosen changes only the directory, and a
  // file name typed or picked gives all three parts.
  std::string name = Text(_nameVal);
  KEPFileBoxAnswer answer = KEPPrompt::ChooseFolderOrFile(
      this, request, name.empty() ? std::string() : name + "." + current);
  if (!answer.accepted || answer.files.empty() || answer.files.front().empty()) return;

  const std::string& chosen = answer.files.front();
  std::size_t slash = chosen.rfind('/');
  std::string directory = slash == std::string::npos ? "" : chosen.substr(0, slash + 1);
  _pathVal->setText(QString::fromStdString(directory));
  if (slash == chosen.size() - 1) return;

  std::string extension = litextension(chosen.c_str());
  std::string base = chosen.substr(directory.size());
  if (!extension.empty()) base.resize(base.size() - extension.size() - 1);
  if (extension.empty()) extension = "tif";
  _nameVal->setText(QString::fromStdString(base));
  int entry = FindFormat(extension);
  if (entry >= 0) {
    _formatCmb->setCurrentIndex(entry);
  } else {
    Warn("Image type not supported");
  }
}

void KEPAteloDefaults::AlwaysRadAction() {
  _delayValue->setEnabled(false);
}

void KEPAteloDefaults::NeverRadAction() {
  _delayValue->setEnabled(false);
}

void KEPAteloDefaults::SmartRadAction() {
  _delayValue->setEnabled(true);
}

void KEPAteloDefaults::DelayValueAction() {
  KEP_TRACE(4, "(KEPAteloDefaults::DelayValueAction)");
  int seconds = DelayFieldValue();
  if (seconds < 1) {
    // The refused value gives way to the one in force, so that the field
    // never shows a time that is not used.
    _delayValue->setText(QString::number(_settings.GetMinTime()));
    Warn("Time must be positive");
    return;
  }
  if (ecritfic("DEF_MINTIME", std::to_string(seconds).c_str()) != 0) Warn(errmsg);
  _settings.SetMinTime(seconds);
  emit SettingsChanged();
}

void KEPAteloDefaults::showEvent(QShowEvent* event) {
  // The values may have changed since the last showing (a question of the
  // series can switch a mode on), so the controls start from them afresh.
  if (!event->spontaneous()) InitValues();
  QDialog::showEvent(event);
}

void KEPAteloDefaults::reject() {
  HideAction();
}

int KEPAteloDefaults::FindFormat(const std::string& extension) const {
  const QString wanted = QString::fromStdString(Lower(extension));
  for (int i = 0; i < _formatCmb->count(); ++i) {
    if (_formatCmb->itemData(i).toString().toLower() == wanted) return i;
  }
  return -1;
}

int KEPAteloDefaults::DelayFieldValue() const {
  bool ok = false;
  int value = _delayValue->text().trimmed().toInt(&ok);
  return ok ? value : 0;
}

void KEPAteloDefaults::Warn(const char* text) {
  KEPPrompt::Warn(this, "warnDlg", windowTitle().toStdString(), text);
}
