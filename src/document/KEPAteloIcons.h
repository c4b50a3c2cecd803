#pragma once

#include <QIcon>

// The icon of a command, by the name the command table gives it (such as
// "i3std001" or "atvserec"): the desktop theme's standard icon where one
// fits, else the workbench's own drawing. A name without an icon gives an
// empty icon, and the button shows its label.
QIcon KEPAteloIcon(const char* name);
