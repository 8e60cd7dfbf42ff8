#pragma once

#include "editor/Unit1.h"
#include "labeldata/Tdatatree.h"
#include "ModalCatcher.h"
#include "TemporarySettings.h"

#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QTemporaryDir>
#include <QTimer>
#include <QWidget>

#include <functional>
#include <memory>
#include <string>
#include <vector>

// Answers the modal dialogs that a command opens, in the order they appear. Each answer gets
// the dialog and closes it; the texts of message boxes are kept for the test to check.
class ModalAnswers
{
public:
    using Answer = std::function<void(QWidget*)>;

    ModalAnswers()
    {
        timer.setInterval(10);
        QObject::connect(&timer, &QTimer::timeout, [this] { poll(); });
        timer.start();
    }

    void then(Answer answer) { answers.push_back(std::move(answer)); }

    // A message box: remember its text and press OK.
    void message()
    {
        then([this](QWidget* w) {
            auto* box = qobject_cast<QMessageBox*>(w);
            messages.push_back(box ? box->text() : QStringLiteral("<not a message box: %1>").arg(w->objectName()));
            if (box)
                box->accept();
            else
                w->close();
        });
    }

    // A file dialog: choose this path, or cancel when it is empty.
    void file(const QString& path)
    {
        then([this, path](QWidget* w) {
            auto* dialog = qobject_cast<QFileDialog*>(w);
            dialogStartNames.push_back(dialog ? dialog->selectedFiles().value(0) : QString());
            if (!dialog || path.isEmpty()) {
                w->close();
                return;
            }
            dialog->selectFile(path);
            // selectFile leaves the name box alone while it has the focus, and whether it has it
            // yet depends on when the window was activated; a name typed there always counts.
            if (auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit")))
                name->setText(path);
            static_cast<QDialog*>(dialog)->accept(); // runs the file dialog's own checks
        });
    }

    // The text-input box: type the text and confirm, or cancel.
    void input(const QString& text, bool confirm = true);

    // The unsaved-work question: remember its text and press one of "SaveQuestionSave",
    // "SaveQuestionDontSave" and "SaveQuestionCancel".
    void question(const QString& button);

    size_t pending() const { return answers.size() - next; }

    std::vector<QString> messages;
    std::vector<QString> questions;
    std::vector<QString> dialogStartNames;

private:
    void poll()
    {
        QWidget* modal = QApplication::activeModalWidget();
        if (modal != answered)
            answered = nullptr; // closed, or another dialog on top: a later showing is a new one
        unanswered.waiting(modal && modal != inAnswer && modal != answered && next >= answers.size() ? modal : nullptr);
        if (!modal || modal == inAnswer)
            return;
        // Qt's file dialog reads a new folder in the background and may stay open when answered
        // too early; a dialog still up after its answer gets the same answer again, never the next.
        if (modal == answered) {
            if (++stillUp >= 25) {
                stillUp = 0;
                answer(modal, next - 1);
            }
            return;
        }
        if (next >= answers.size())
            return;
        answer(modal, next++);
    }

    void answer(QWidget* modal, size_t index)
    {
        inAnswer = modal;
        answered = modal;
        stillUp = 0;
        answers[index](modal);
        inAnswer = nullptr;
    }

    QTimer timer;
    std::vector<Answer> answers;
    size_t next = 0;
    QWidget* inAnswer = nullptr;
    QPointer<QWidget> answered;
    int stillUp = 0;
    UnansweredDialog unanswered;
};

// A window as the program starts it.
std::unique_ptr<TForm1> newWindow();

// The window's twelve fields as the style list copies them: rows, columns, then the ten lengths.
// The user's home and settings in a temporary folder while it lives: commands write there (gLabels'
// folder, the printers' corrections), and a test must leave the real ones alone.
struct TemporaryHome {
    QTemporaryDir dir;
    QByteArray saved = qgetenv("HOME");
    TemporarySettings settings{dir.filePath(QStringLiteral(".config"))};
    TemporaryHome() { qputenv("HOME", dir.path().toLocal8Bit()); }
    ~TemporaryHome() { qputenv("HOME", saved); }
};

struct FieldValues {
    int rows, columns;
    double lengths[10];
};
FieldValues fieldValues(const TForm1& form);
void setFields(TForm1& form, const FieldValues& values);

// Types the text into a field as the user would, over what it holds; empty text clears it.
void typeOver(QLineEdit* field, const QString& text);

std::string readFile(const QString& path);
void writeFile(const QString& path, const std::string& bytes);

// The template of the file-format example: group TEST, one default A4 style named A4.
std::string workedExampleBytes();
