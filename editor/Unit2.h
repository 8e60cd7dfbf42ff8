#pragma once

#include <QDialog>

class QFrame;
class QLabel;
class QPushButton;

// The About box: created hidden at start-up and shown modally by the Help menu.
class TAboutBox : public QDialog
{
    Q_OBJECT
public:
    explicit TAboutBox(QWidget* parent = nullptr);

    QFrame* Panel1 = nullptr;
    QLabel* ProgramIcon = nullptr;
    QLabel* ProductName = nullptr;
    QLabel* Version = nullptr;
    QPushButton* OKButton = nullptr;
};

// The box every part of the program shows; null until the program start has created it.
extern TAboutBox* AboutBox;
