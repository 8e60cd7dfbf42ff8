#include "toolkit/Dialogs.h"

#include "toolkit/CustomEdit.h"
#include "toolkit/FileIconProvider.h"

#include <QApplication>
#include <QCheckBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

std::optional<QString> InputBox(const QString& caption, const QString& prompt, const QString& initial,
                                const QValidator* validator, int maxBytes)
{
    QDialog box(QApplication::activeWindow());
    box.setObjectName(QStringLiteral("InputBox"));
    box.setWindowTitle(caption);

    auto* label = new QLabel(prompt, &box);
    label->setObjectName(QStringLiteral("InputBoxPrompt"));
    auto* edit = new TCustomEdit(&box);
    edit->setObjectName(QStringLiteral("InputBoxEdit"));
    edit->SetMaxLength(maxBytes);
    edit->SetText(initial);
    edit->setValidator(validator);
    edit->selectAll();
    label->setBuddy(edit);

    auto* buttons = new QDialogButtonBox(&box);
    QPushButton* ok = buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole);
    ok->setObjectName(QStringLiteral("InputBoxOk"));
    ok->setDefault(true);
    QPushButton* cancel = buttons->addButton(QStringLiteral("キャンセル"), QDialogButtonBox::RejectRole);
    cancel->setObjectName(QStringLiteral("InputBoxCancel"));
    QObject::connect(buttons, &QDialogButtonBox::accepted, &box, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &box, &QDialog::reject);

    auto* layout = new QVBoxLayout(&box);
    layout->addWidget(label);
    layout->addWidget(edit);
    layout->addWidget(buttons);
    box.setMinimumWidth(300);

    if (box.exec() == QDialog::Accepted)
        return edit->text();
    return std::nullopt;
}

QStringList TFileDialog::qtFilters(const QString& filter)
{
    QStringList result;
    const QStringList parts = filter.split(QLatin1Char('|'));
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QString patterns = parts[i + 1];
        patterns.replace(QLatin1Char(';'), QLatin1Char(' '));
        result << QStringLiteral("%1 (%2)").arg(parts[i], patterns.simplified());
    }
    // A description without a pattern would show nothing; let it show everything instead.
    if (parts.size() % 2 == 1 && !parts.back().isEmpty())
        result << QStringLiteral("%1 (*)").arg(parts.back());
    return result;
}

bool TFileDialog::Execute(QWidget* parent)
{
    const bool saving = forSaving();
    useTypeIconsEverywhere();
    // Qt's dialog lists its first folder as it is made, with Qt's own icons, which read the files;
    // so it is made on the root folder, harmless to list, and turned to its own folder only once
    // it has icons chosen by type.
    QFileDialog dialog(parent ? parent : QApplication::activeWindow(), QString(), QDir::rootPath());
    useTypeIcons(dialog);
    static QString lastFolder;
    dialog.setDirectory(!lastFolder.isEmpty() ? lastFolder : QDir::currentPath());
    dialog.setObjectName(saving ? QStringLiteral("SaveDialog") : QStringLiteral("OpenDialog"));
    // Qt's own dialog answers the same way on every platform, and tests can drive it.
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setWindowTitle(!Title.isEmpty() ? Title
                          : saving         ? QStringLiteral("名前を付けて保存")
                                           : QStringLiteral("開く"));
    dialog.setAcceptMode(saving ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::AnyFile);
    if (saving)
        dialog.setOption(QFileDialog::DontConfirmOverwrite);
    if (const QStringList filters = qtFilters(Filter); !filters.isEmpty())
        dialog.setNameFilters(filters);
    if (!FileName.isEmpty())
        dialog.selectFile(FileName);
    QCheckBox* box = nullptr;
    // Qt's own dialog lays itself out on a grid; the box goes on a row of its own below.
    if (auto* grid = qobject_cast<QGridLayout*>(dialog.layout()); grid && !CheckBoxCaption.isEmpty()) {
        box = new QCheckBox(CheckBoxCaption, &dialog);
        box->setObjectName(QStringLiteral("CheckBox"));
        box->setChecked(Checked);
        grid->addWidget(box, grid->rowCount(), 0, 1, grid->columnCount());
    }

    const int answer = dialog.exec();
    lastFolder = dialog.directory().absolutePath();
    if (answer != QDialog::Accepted)
        return false;
    if (box)
        Checked = box->isChecked();
    const QStringList chosen = dialog.selectedFiles();
    if (chosen.isEmpty())
        return false;
    FileName = QFileInfo(chosen.first()).absoluteFilePath();
    return true;
}
