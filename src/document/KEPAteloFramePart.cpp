#include "document/KEPAteloFramePart.h"

#include <QButtonGroup>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>
#include <cstdio>

#include "document/KEPAteloIcons.h"
#include "platform/KEPDialogParts.h"
#include "platform/KEPTrace.h"

KEPAteloFramePart::KEPAteloFramePart(QWidget* parent, PasteFunction paste)
    : QDialog(parent), _paste(std::move(paste)) {
  KEP_TRACE(2, "(KEPAteloFramePart::KEPAteloFramePart)");
  setObjectName("ateloframepart");
  setWindowTitle("Choose Paste Position");
  auto* main = new QVBoxLayout(this);
  auto* frame = new QGroupBox("Paste Position");
  frame->setObjectName("mainFrame");
  auto* grid = new QGridLayout(frame);
  _group = new QButtonGroup(this);
  for (int i = 0; i < 16; ++i) {
    char name[16];
    std::snprintf(name, sizeof name, "FrmPrtRad%02d", i);
    auto* button = new QRadioButton;
    button->setObjectName(name);
    button->setIcon(KEPAteloIcon("i3n4d005"));
    button->setToolTip("Click-in to choose that area");
    connect(button, &QRadioButton::toggled, button,
            [button](bool on) { button->setIcon(KEPAteloIcon(on ? "i3std008" : "i3n4d005")); });
    // Row 0 of the image is its bottom: the first four buttons go last.
    grid->addWidget(button, 3 - i / 4, i % 4);
    _group->addButton(button, i);
  }
  main->addWidget(frame);
  SelectCell(1);

  auto* ok = new QPushButton("Paste ");
  ok->setObjectName("framePartOkBtn");
  auto* cancel = new QPushButton("Cancel ");
  cancel->setObjectName("framePartCancelBtn");
  KEPDialogParts::AddSpreadButtons(main, {ok, cancel});
  connect(ok, &QPushButton::clicked, this, &KEPAteloFramePart::OkAction);
  connect(cancel, &QPushButton::clicked, this, &KEPAteloFramePart::HideAction);
}

void KEPAteloFramePart::SelectCell(int cell) {
  if (cell >= 1 && cell <= 16) {
    _group->button(cell - 1)->setChecked(true);
    return;
  }
  // An exclusive group keeps one button on: it lets go for a moment.
  _group->setExclusive(false);
  for (QAbstractButton* button : _group->buttons()) button->setChecked(false);
  _group->setExclusive(true);
}

void KEPAteloFramePart::OkAction() {
  hide();
  _cell = _group->checkedId() + 1;  // checkedId is -1 with none
  KEP_TRACE(4, "(KEPAteloFramePart::OkAction) %d", _cell);
  if (_paste) _paste(_cell);
}

void KEPAteloFramePart::HideAction() {
  hide();
  _cell = 0;
}

void KEPAteloFramePart::reject() {
  HideAction();
}
