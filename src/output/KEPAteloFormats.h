#pragma once

#include <QDialog>

class QTreeWidget;

// The "Supported Image Formats" window: one line per file type the image
// services know on this machine, with whether it can be read and written.
class KEPAteloFormats : public QDialog {
  Q_OBJECT

 public:
  // At most this many lines are visible; more scroll.
  static constexpr int kMaxVisibleLines = 25;

  explicit KEPAteloFormats(QWidget* parent);

  QTreeWidget* GetList() const { return _list; }
  void OkAction();

 protected:
  void reject() override;

 private:
  QTreeWidget* _list;
};
