// The File and Help menu commands, the question about unsaved work, and files dropped on the window.
#include "editor/Unit1.h"

#include "editor/FileMessages.h"
#include "editor/GroupNameEdit.h"
#include "editor/Unit2.h"
#include "labeldata/Cp932.h"
#include "labeldata/Tdatatree.h"
#include "toolkit/Application.h"
#include "toolkit/CustomEdit.h"
#include "toolkit/Dialogs.h"
#include "toolkit/Help.h"

#include <QAction>
#include <QCloseEvent>
#include <QComboBox>
#include <QDropEvent>
#include <QFileInfo>
#include <QMimeData>
#include <QPushButton>
#include <QStringList>
#include <QStringListModel>
#include <QTimer>
#include <QUrl>

#include <utility>
#include <vector>

void TForm1::fillStyleList()
{
    // One model reset instead of one insertion per style: a full set has 65535 of them.
    std::vector<std::string_view> names;
    names.reserve(Datatree->LabelList.size());
    for (const auto& style : Datatree->LabelList)
        names.push_back(style.Name);
    static_cast<QStringListModel*>(ComboBox1->model())->setStringList(cp932::visibleTexts(names));
    ComboBox1->setCurrentIndex(-1);
}

void TForm1::markSetChanged()
{
    FUnsavedSetChanges = true;
}

bool TForm1::fieldEditsPending() const
{
    return Button4->isEnabled() && currentStyle();
}

bool TForm1::askToSaveChanges()
{
    if (!FUnsavedSetChanges && !fieldEditsPending())
        return true;
    switch (askToSave(QStringLiteral("変更内容を保存しますか?"))) {
    case TSaveAnswer::DontSave:
        return true;
    case TSaveAnswer::Cancel:
        return false;
    case TSaveAnswer::Save:
        break;
    }
    // "Save" keeps the field edits too: they go into their style first, and back out again
    // when no save happens, so a refused or cancelled save leaves the window as it was.
    Tlabelpar* const style = fieldEditsPending() ? currentStyle() : nullptr;
    const Tlabelpar styleBefore = style ? *style : Tlabelpar();
    const bool changedBefore = FUnsavedSetChanges;
    const bool saveEnabledBefore = S1->isEnabled();
    auto undo = [&] {
        if (style) {
            *style = styleBefore;
            Button4->setEnabled(true);
        }
        FUnsavedSetChanges = changedBefore;
        S1->setEnabled(saveEnabledBefore);
    };
    if (style)
        Button4Click();
    try {
        FileSave1Execute();
    } catch (...) {
        undo();
        throw;
    }
    // Save and Save As clear the mark only when they wrote the set.
    if (FUnsavedSetChanges) {
        undo();
        return false;
    }
    return true;
}

void TForm1::FileNew1Execute()
{
    if (!askToSaveChanges())
        return;
    Datatree->Clear();
    // The new set is not the last file: a Save would write it over that file unseen.
    Datatree->FileName.clear();
    FFileNameTrusted = false;
    S1->setEnabled(false);
    ResetFields();
    FUnsavedSetChanges = false;
}

void TForm1::FileOpen1Execute()
{
    if (!askToSaveChanges())
        return;
    if (OpenDialog->Execute(this))
        FileOpen1Accept(OpenDialog->FileName);
}

void TForm1::openFile(const QString& fileName)
{
    if (!askToSaveChanges())
        return;
    const QString path = QFileInfo(fileName).absoluteFilePath();
    // The open dialog then starts from this file, as after choosing it there.
    OpenDialog->FileName = path;
    FileOpen1Accept(path);
}

void TForm1::FileOpen1Accept(const QString& fileName)
{
    Datatree->Clear();
    Datatree->FileName = fileName;
    // Until this load succeeds the name is not one the user chose to write to.
    FFileNameTrusted = false;
    LoadResult result = LoadResult::NotTemplate;
    try {
        withFileMessages([&] { result = Datatree->Load(); });
    } catch (...) {
        // The set is empty now; so is the list, or its entries would name styles that are gone.
        ComboBox1->clear();
        FUnsavedSetChanges = false;
        throw;
    }
    switch (result) {
    case LoadResult::Loaded:
        FFileNameTrusted = true;
        break;
    case LoadResult::NotTemplate:
        showMessage(QStringLiteral("このファイルはTesselラベルファイルではありません"));
        break;
    case LoadResult::Damaged:
        showMessage(QStringLiteral("このファイルは壊れているため読み込めません: %1").arg(QFileInfo(fileName).fileName()));
        break;
    }
    setCaptionForFile(Datatree->FileName);
    FGroupNameRead = Datatree->GroupName;
    Edit11->setText(cp932::visibleText(Datatree->GroupName));
    fillStyleList();
    if (ComboBox1->count() > 0) {
        ComboBox1->setCurrentIndex(0);
        ComboBox1Select();
    }
    S1->setEnabled(false);
    FUnsavedSetChanges = false;
}

void TForm1::FileSave1Execute()
{
    if (!Datatree->FileName.isEmpty() && FFileNameTrusted) {
        withFileMessages([this] { Datatree->Save(); });
        FUnsavedSetChanges = false;
    } else {
        FileSaveAs1Execute();
    }
}

bool TForm1::FileSaveAs1BeforeExecute()
{
    if (Edit11->Text().isEmpty()) {
        showMessage(QStringLiteral("ラベルグループ名が指定されていません。"));
        return false;
    }
    return true;
}

void TForm1::FileSaveAs1Execute()
{
    if (!FileSaveAs1BeforeExecute())
        return;
    if (SaveDialog->Execute(this))
        FileSaveAs1Accept(SaveDialog->FileName);
}

void TForm1::FileSaveAs1Accept(const QString& fileName)
{
    QString target = fileName;
    // Any "." in the name part counts as an extension, a trailing one included.
    if (!QFileInfo(fileName).fileName().contains(QLatin1Char('.')))
        target += QStringLiteral(".tpl");
    // A refused write must not become the target of the next Save behind the caption's back.
    const QString previous = std::exchange(Datatree->FileName, target);
    try {
        withFileMessages([this] { Datatree->Save(); });
    } catch (...) {
        Datatree->FileName = previous;
        throw;
    }
    FFileNameTrusted = true;
    FUnsavedSetChanges = false;
    setCaptionForFile(Datatree->FileName);
    S1->setEnabled(false);
}

void TForm1::FileExit1Execute()
{
    if (!askToSaveChanges())
        return;
    CloseHelp();
    FExitAsked = true;
    close();
    FExitAsked = false;
}

void TForm1::closeEvent(QCloseEvent* event)
{
    bool close = FExitAsked;
    if (!close)
        runGuarded([&] { close = askToSaveChanges(); });
    event->setAccepted(close);
}

QString TForm1::droppedFile(const QDropEvent* event) const
{
    const QList<QUrl> urls = event->mimeData()->urls();
    if (urls.size() != 1 || !urls.first().isLocalFile())
        return {};
    const QString path = urls.first().toLocalFile();
    if (QFileInfo(path).isDir())
        return {};
    // The entry fields refuse drops of their own; their parents must not take one in their place.
    for (QWidget* w = childAt(event->position().toPoint()); w && w != this; w = w->parentWidget())
        if (qobject_cast<TCustomEdit*>(w))
            return {};
    return path;
}

void TForm1::dragEnterEvent(QDragEnterEvent* event)
{
    dragMoveEvent(event);
}

void TForm1::dragMoveEvent(QDragMoveEvent* event)
{
    if (droppedFile(event).isEmpty())
        event->ignore();
    else
        event->acceptProposedAction();
}

void TForm1::dropEvent(QDropEvent* event)
{
    const QString path = droppedFile(event);
    if (path.isEmpty()) {
        event->ignore();
        return;
    }
    event->acceptProposedAction();
    // Opened once the drop is over: the drag source waits for its answer while a dialog is up.
    QTimer::singleShot(0, this, [this, path] { runGuarded([this, &path] { openFile(path); }); });
}

void TForm1::HelpContents1Execute()
{
    ShowHelpContents();
}

void TForm1::About1Click()
{
    if (AboutBox) {
        AboutBox->exec();
        return;
    }
    TAboutBox box;
    box.exec();
}
