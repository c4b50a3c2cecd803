#pragma once

#include <QBoxLayout>
#include <QPushButton>
#include <initializer_list>

// Small pieces the workbench's dialogs are built from: controls carry the
// object names that scripts and tests find them by.
namespace KEPDialogParts {

template <class Widget>
Widget* Named(Widget* widget, const char* name, const char* help = nullptr) {
  widget->setObjectName(name);
  if (help) widget->setToolTip(help);
  return widget;
}

// The buttons that close a dialog, spaced evenly across its width, as the
// last row of `into`.
inline void AddSpreadButtons(QBoxLayout* into, std::initializer_list<QPushButton*> buttons) {
  auto* row = new QHBoxLayout;
  row->addStretch();
  for (QPushButton* button : buttons) {
    row->addWidget(button);
    row->addStretch();
  }
  into->addLayout(row);
}

}  // namespace KEPDialogParts
