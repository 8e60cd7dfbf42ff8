#pragma once

#include <QString>
#include <functional>

// Title used for every message box of the program.
QString applicationTitle();
void setApplicationTitle(const QString& title);

QString applicationHelpFile();
void setApplicationHelpFile(const QString& fileName);

// Modal message box with one OK button, titled with the application title.
void showMessage(const QString& text);

// The error boundary: runs a handler, shows the message of any exception that leaves it and
// returns normally, so no exception ever unwinds through Qt's own frames.
void runGuarded(const std::function<void()>& handler);
