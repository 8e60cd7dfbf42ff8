#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QMessageBox>
#include <QPointer>
#include <QStringList>
#include <QTimer>

#include <string>

// A modal dialog nobody answers would hold the test until CTest gives up on it. One left alone
// this long fails the test, naming the dialog, and is closed so the test goes on.
class UnansweredDialog
{
public:
    static constexpr int PatienceMs = 10000;

    // Called at each look with the modal dialog up that nobody is answering, or nullptr.
    void waiting(QWidget* modal)
    {
        if (modal != FWaiting || !modal) {
            FWaiting = modal;
            FSince.start();
            return;
        }
        if (FSince.elapsed() < PatienceMs)
            return;
        const auto* box = qobject_cast<QMessageBox*>(modal);
        ADD_FAILURE() << "Nobody answered the modal " << modal->metaObject()->className() << " \""
                      << modal->objectName().toStdString() << "\" titled \"" << modal->windowTitle().toStdString()
                      << "\"" << (box ? " saying \"" + box->text().toStdString() + "\"" : std::string()) << " within "
                      << PatienceMs / 1000 << " s; it is closed now.";
        FWaiting = nullptr;
        if (auto* dialog = qobject_cast<QDialog*>(modal))
            dialog->reject();
        else
            modal->close();
    }

private:
    QPointer<QWidget> FWaiting;
    QElapsedTimer FSince;
};

// Answers every modal message box that opens while it lives, recording its title and text.
class ModalCatcher
{
public:
    ModalCatcher()
    {
        FTimer.setInterval(5);
        QObject::connect(&FTimer, &QTimer::timeout, [this] {
            QWidget* modal = QApplication::activeModalWidget();
            if (auto* box = qobject_cast<QMessageBox*>(modal)) {
                Titles << box->windowTitle();
                Texts << box->text();
                box->accept();
                modal = nullptr;
            }
            FUnanswered.waiting(modal);
        });
        FTimer.start();
    }

    QStringList Titles;
    QStringList Texts;

private:
    QTimer FTimer;
    UnansweredDialog FUnanswered;
};
