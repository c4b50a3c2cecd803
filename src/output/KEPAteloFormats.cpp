#include "output/KEPAteloFormats.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <algorithm>

#include "image/KEPAtelIma.h"
#include "image/KEPAtelImaFormat.h"
#include "platform/KEPTrace.h"

KEPAteloFormats::KEPAteloFormats(QWidget* parent) : QDialog(parent) {
  KEP_TRACE(2, "(KEPAteloFormats::KEPAteloFormats)");
  setObjectName("formatsDialog");
  setWindowTitle("Supported Image Formats");
  _list = new QTreeWidget(this);
  _list->setObjectName("list");
  _list->setColumnCount(4);
  _list->setHeaderLabels({"Extension", "Format / Comment", "Read", "Write"});
  _list->setRootIsDecorated(false);
  _list->setSelectionMode(QAbstractItemView::NoSelection);

  KEPListPtrKEPAtelImaFormat formats;
  KEPAtelIma::GetFormatList(formats);
  for (int i = 1; i <= formats.Size(); ++i) {
    const KEPAtelImaFormat* format = formats[i];
    auto* row = new QTreeWidgetItem({QString::fromStdString(format->GetExtension()),
                                     QString::fromStdString(format->GetComment()),
                                     format->IsReadable() ? " X " : " ",
                                     format->IsWritable() ? " X " : " "});
    row->setTextAlignment(2, Qt::AlignCenter);
    row->setTextAlignment(3, Qt::AlignCenter);
    _list->addTopLevelItem(row);
    delete format;
  }
  formats.RemoveAll();
  for (int column = 0; column < 4; ++column) _list->resizeColumnToContents(column);

  // As many lines as formats, up to the limit.
  int lines = std::clamp(_list->topLevelItemCount(), 1, kMaxVisibleLines);
  int rowHeight = _list->topLevelItemCount() > 0 ? _list->sizeHintForRow(0)
                                                 : _list->fontMetrics().lineSpacing() + 4;
  _list->setMinimumHeight(_list->header()->sizeHint().height() + rowHeight * lines +
                          2 * _list->frameWidth() + 2);
  int width = 2 * _list->frameWidth() + 24;
  for (int column = 0; column < 4; ++column) width += _list->columnWidth(column);
  _list->setMinimumWidth(width);

  auto* ok = new QPushButton("  OK  ", this);
  ok->setObjectName("okBtn");
  ok->setDefault(true);
  connect(ok, &QPushButton::clicked, this, &KEPAteloFormats::OkAction);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(ok);
  buttons->addStretch();
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(_list, 1);
  layout->addLayout(buttons);
}

void KEPAteloFormats::OkAction() {
  hide();
}

void KEPAteloFormats::reject() {
  OkAction();
}
