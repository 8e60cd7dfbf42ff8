#pragma once

#include <QString>

#include <functional>

// Title used for every message box of the program.
QString applicationTitle();
void setApplicationTitle(const QString& title);

QString applicationHelpFile();
void setApplicationHelpFile(const QString& fileName);

// The user guide's index page, shown by the help command when the help file does not exist.
QString applicationGuide();
void setApplicationGuide(const QString& indexFile);

// Installs Qt's own Japanese texts (buttons and labels of the file, print and message dialogs)
// whatever the locale. False when the translation file is missing; the program runs on.
bool loadPlatformTranslations();

// The text a message box shows: as it is, but for a text beyond MessageBoxMostCharacters (a
// huge paste quoted in a refusal), whose middle gives way to "…" so that the box fits on the
// screen and appears at once.
inline constexpr qsizetype MessageBoxMostCharacters = 2000;
QString messageBoxText(const QString& text);

// Modal message box with one OK button, titled with the application title.
void showMessage(const QString& text);
// Modal question with Yes and No, titled likewise; true for Yes. No is the default button.
bool askYesNo(const QString& text);

enum class TSaveAnswer { Save, DontSave, Cancel };

// Modal question with "保存", "保存しない" and "キャンセル", titled with the application title;
// Escape and the close button answer Cancel. Object names for tests: "SaveQuestion",
// "SaveQuestionSave", "SaveQuestionDontSave", "SaveQuestionCancel".
TSaveAnswer askToSave(const QString& text);

// The error boundary: runs a handler, shows the message of any exception that leaves it and
// returns normally, so no exception ever unwinds through Qt's own frames.
void runGuarded(const std::function<void()>& handler);
