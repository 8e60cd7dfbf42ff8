#pragma once

#include <QApplication>
#include <QMessageBox>
#include <QStringList>
#include <QTimer>

// Answers every modal message box that opens while it lives, recording its title and text.
class ModalCatcher
{
public:
    ModalCatcher()
    {
        FTimer.setInterval(5);
        QObject::connect(&FTimer, &QTimer::timeout, [this] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                Titles << box->windowTitle();
                Texts << box->text();
                box->accept();
            }
        });
        FTimer.start();
    }

    QStringList Titles;
    QStringList Texts;

private:
    QTimer FTimer;
};
