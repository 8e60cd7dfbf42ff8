#pragma once

#include <QUrl>

#include <functional>

// Shows the application's help file (its name is set at start-up) or, when that file does not
// exist, the user guide in the desktop's browser. Only when neither exists is the missing help
// file reported; a file that the desktop cannot open is reported by its name.
void ShowHelpContents();

// Closes the help system. The help file is shown by the desktop's own viewer, which the program
// does not own, so there is nothing of ours left open to close.
void CloseHelp();

// Replaces the way the help file is opened (QDesktopServices by default); for tests.
void setHelpOpener(std::function<bool(const QUrl&)> opener);
