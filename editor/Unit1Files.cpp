// The File and Help menu commands.
#include "editor/Unit1.h"

#include "editor/FileMessages.h"
#include "editor/GroupNameEdit.h"
#include "editor/Unit2.h"
#include "labeldata/Cp932.h"
#include "labeldata/Tdatatree.h"
#include "toolkit/Application.h"
#include "toolkit/Dialogs.h"
#include "toolkit/Help.h"

#include <QAction>
#include <QComboBox>
#include <QFileInfo>
#include <QStringList>
#include <QStringListModel>

void TForm1::fillStyleList()
{
    // One model reset instead of one insertion per style: a full set has 65535 of them.
    std::vector<std::string_view> names;
    names.reserve(Datatree->LabelList.size());
    for (const auto& style : Datatree->LabelList)
        names.push_back(style->Name);
    static_cast<QStringListModel*>(ComboBox1->model())->setStringList(cp932::visibleTexts(names));
    ComboBox1->setCurrentIndex(-1);
}

void TForm1::FileNew1Execute()
{
    Datatree->Clear();
    S1->setEnabled(false);
    ResetFields();
}

void TForm1::FileOpen1Execute()
{
    if (OpenDialog->Execute(this))
        FileOpen1Accept(OpenDialog->FileName);
}

void TForm1::FileOpen1Accept(const QString& fileName)
{
    Datatree->Clear();
    Datatree->FileName = fileName;
    // Until this load succeeds the name is not one the user chose to write to.
    fileNameTrusted = false;
    LoadResult result = LoadResult::NotTemplate;
    try {
        withFileMessages([&] { result = Datatree->Load(); });
    } catch (...) {
        // The set is empty now; so is the list, or its entries would name styles that are gone.
        ComboBox1->clear();
        throw;
    }
    switch (result) {
    case LoadResult::Loaded:
        fileNameTrusted = true;
        break;
    case LoadResult::NotTemplate:
        showMessage(QStringLiteral("このファイルはTesselラベルファイルではありません"));
        break;
    case LoadResult::Damaged:
        showMessage(QStringLiteral("このファイルは壊れているため読み込めません: %1").arg(QFileInfo(fileName).fileName()));
        break;
    }
    setCaptionForFile(Datatree->FileName);
    Edit11->setText(cp932::visibleText(Datatree->GroupName));
    fillStyleList();
    if (ComboBox1->count() > 0) {
        ComboBox1->setCurrentIndex(0);
        ComboBox1Select();
    }
    S1->setEnabled(false);
}

void TForm1::FileSave1Execute()
{
    if (!Datatree->FileName.isEmpty() && fileNameTrusted)
        withFileMessages([this] { Datatree->Save(); });
    else
        FileSaveAs1Execute();
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
    Datatree->FileName = fileName;
    // Any "." in the name part counts as an extension, a trailing one included.
    if (!QFileInfo(fileName).fileName().contains(QLatin1Char('.')))
        Datatree->FileName += QStringLiteral(".tpl");
    fileNameTrusted = true;
    withFileMessages([this] { Datatree->Save(); });
    setCaptionForFile(Datatree->FileName);
    S1->setEnabled(false);
}

void TForm1::FileExit1Execute()
{
    CloseHelp();
    close();
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
