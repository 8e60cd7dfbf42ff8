#pragma once

#include <QFileIconProvider>

class QFileDialog;

// Icons and type names for a file dialog chosen by the kind of entry alone (drive, folder,
// file and its name's extension). Qt's own provider reads each file's first bytes to tell its
// type, and a file that never answers (/proc/kmsg, a FIFO's reader end) then freezes the dialog.
class TTypeIconProvider : public QFileIconProvider
{
public:
    using QFileIconProvider::icon;
    QIcon icon(const QFileInfo& info) const override;
    QString type(const QFileInfo& info) const override;
};

// The one provider every file dialog of the program uses.
TTypeIconProvider& typeIconProvider();

// Gives dialog the provider before it lists a folder.
void useTypeIcons(QFileDialog& dialog);

// From now on every file dialog the program shows gets the provider, also those Qt opens on its
// own (the print dialog's "print to file" chooser); once is enough.
void useTypeIconsEverywhere();
