#pragma once

#include <QDialog>
#include <string>

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class KEPAteloSettings;

// The "Defaults" dialog: edits the user's defaults. OK writes every key it
// shows to the defaults file and hands each value to the settings object;
// Cancel and closing the window only hide it. The controls are filled from
// the settings (and the naming keys from the file) each time it is shown.
class KEPAteloDefaults : public QDialog {
  Q_OBJECT

 public:
  KEPAteloDefaults(QWidget* parent, KEPAteloSettings& settings);

  // Puts the current defaults into the controls.
  void InitValues();

 signals:
  // The settings object was changed (OK, or a new delay taken at once).
  void SettingsChanged();

 public slots:
  void OkAction();
  void HideAction();
  void PathBtnAction();
  void AlwaysRadAction();
  void NeverRadAction();
  void SmartRadAction();
  // Leaving the delay field: a value below 1 is refused with a warning,
  // a valid one is written and taken at once.
  void DelayValueAction();

 protected:
  void showEvent(QShowEvent* event) override;
  void reject() override;

 private:
  // Index of the format combo's entry for an extension, -1 when none.
  int FindFormat(const std::string& extension) const;
  // The delay field's value, or 0 when it is not a whole number.
  int DelayFieldValue() const;
  void Warn(const char* text);

  KEPAteloSettings& _settings;
  QLineEdit* _pathVal;
  QPushButton* _pathBtn;
  QLineEdit* _nameVal;
  QComboBox* _formatCmb;
  QButtonGroup* _saveGroup;
  QRadioButton* _alwaysRad;
  QRadioButton* _neverRad;
  QRadioButton* _smartRad;
  QLineEdit* _delayValue;
  QLabel* _secondsLbl;
  QComboBox* _messageCmb;
  QCheckBox* _saveIncrementChk;
  QCheckBox* _savePromptChk;
  QCheckBox* _listMultiChk;
  QCheckBox* _listMemChk;
  QComboBox* _playCmb;
  QCheckBox* _splitChk;
  QLineEdit* _splitEdit;
  QLabel* _splitEndLbl;
};
