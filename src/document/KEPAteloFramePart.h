#pragma once

#include <QDialog>
#include <functional>

class QButtonGroup;

// The cell chooser of Special Paste: sixteen buttons laid out as the 4 x 4
// grid over the image, cell 1 at the bottom left, numbers growing to the
// right and upward. "Paste " hands the chosen cell to the document.
class KEPAteloFramePart : public QDialog {
  Q_OBJECT

 public:
  using PasteFunction = std::function<void(int cell)>;

  KEPAteloFramePart(QWidget* parent, PasteFunction paste);

  // The cell chosen at the last "Paste " (1..16), 0 after Cancel or with none.
  int GetPasteArea() const { return _cell; }
  // Selects cell 1..16, or none with 0.
  void SelectCell(int cell);

  void OkAction();
  void HideAction();

 protected:
  void reject() override;

 private:
  PasteFunction _paste;
  QButtonGroup* _group = nullptr;
  int _cell = 0;
};
