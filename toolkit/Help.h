#pragma once

#include <QUrl>

#include <functional>

// Shows the application's help file (its name is set at start-up). A missing file, or one that
// the desktop cannot open, is reported in a message box naming the file.
void ShowHelpContents();

// Closes the help system. The help file is shown by the desktop's own viewer, which the program
// does not own, so there is nothing of ours left open to close.
void CloseHelp();

// Replaces the way the help file is opened (QDesktopServices by default); for tests.
void setHelpOpener(std::function<bool(const QUrl&)> opener);
