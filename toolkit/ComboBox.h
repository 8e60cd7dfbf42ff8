#pragma once

#include <QComboBox>

// The drop-down list. A screen reader hears its own name and the selected entry as its value;
// Qt's list on Linux would give the entry as the name, and the name would be lost.
class TComboBox : public QComboBox
{
    Q_OBJECT
public:
    explicit TComboBox(QWidget* parent = nullptr);
};
