#pragma once

#include <QMainWindow>
#include <QStringList>

#include <memory>
#include <string>
#include <vector>

class QAction;
class QCloseEvent;
class QComboBox;
class QDragEnterEvent;
class QDragMoveEvent;
class QDropEvent;
class QGroupBox;
class QLabel;
class QMenu;
class QPushButton;
class TGroupNameEdit;
class TSpinEdit;
class TUpdownNumberEdit;
class Tdatatree;
class Tlabelpar;
class TImage;
class TOpenDialog;
class TSaveDialog;
class QPrinter;
namespace sheet {
struct SheetPage;
}

// The main window: one template set, its style list, twelve entry fields and the sheet preview.
class TForm1 : public QMainWindow
{
    Q_OBJECT
public:
    explicit TForm1(QWidget* parent = nullptr);
    ~TForm1() override;

    // Controls, named as in the window's layout; each objectName() is the same name.
    TGroupNameEdit* Edit11 = nullptr;
    QLabel* Label11 = nullptr;
    QComboBox* ComboBox1 = nullptr;
    QPushButton* Button3 = nullptr;
    QPushButton* Button4 = nullptr;
    QPushButton* Button1 = nullptr;
    TImage* Image1 = nullptr;
    QGroupBox* GroupBox1 = nullptr;
    QLabel* Label1 = nullptr;
    TSpinEdit* SpinEdit1 = nullptr;
    QLabel* Label2 = nullptr;
    TSpinEdit* SpinEdit2 = nullptr;
    QGroupBox* GroupBox2 = nullptr;
    QLabel* Label3 = nullptr;
    QLabel* Label4 = nullptr;
    TUpdownNumberEdit* UpdownNumberEdit1 = nullptr;
    TUpdownNumberEdit* UpdownNumberEdit2 = nullptr;
    QGroupBox* GroupBox3 = nullptr;
    QLabel* Label5 = nullptr;
    TUpdownNumberEdit* UpdownNumberEdit3 = nullptr;
    QLabel* Label6 = nullptr;
    TUpdownNumberEdit* UpdownNumberEdit4 = nullptr;
    QGroupBox* GroupBox4 = nullptr;
    QLabel* Label7 = nullptr;
    TUpdownNumberEdit* UpdownNumberEdit5 = nullptr;
    QLabel* Label8 = nullptr;
    TUpdownNumberEdit* UpdownNumberEdit6 = nullptr;
    QLabel* Label9 = nullptr;
    TUpdownNumberEdit* UpdownNumberEdit7 = nullptr;
    QLabel* Label10 = nullptr;
    TUpdownNumberEdit* UpdownNumberEdit8 = nullptr;
    QPushButton* Button2 = nullptr;
    QGroupBox* GroupBox5 = nullptr;
    QLabel* Label12 = nullptr;
    TUpdownNumberEdit* UpdownNumberEdit9 = nullptr;
    QLabel* Label13 = nullptr;
    TUpdownNumberEdit* UpdownNumberEdit10 = nullptr;

    // Menu items. Each takes caption, shortcut and enabled state from its action below.
    QMenu* File1 = nullptr;
    QAction* New1 = nullptr;
    QAction* Open1 = nullptr;
    QAction* AddProducts1 = nullptr;
    QAction* S1 = nullptr;
    QAction* SaveAs1 = nullptr;
    QAction* N3 = nullptr;
    QAction* ExportPdf1 = nullptr;
    QAction* ExportGlabels1 = nullptr;
    QAction* ExportLibreOffice1 = nullptr;
    QAction* ExportSvg1 = nullptr;
    QAction* TestPrint1 = nullptr;
    QAction* Calibrate1 = nullptr;
    QAction* AddCorrected1 = nullptr;
    QAction* Align1 = nullptr;
    QAction* N2 = nullptr;
    QAction* Exit1 = nullptr;
    QMenu* Help1 = nullptr;
    QAction* Contents1 = nullptr;
    QAction* About1 = nullptr;

    // ActionList1: the commands behind the items; they are on no widget, so only the items'
    // shortcuts are live and a disabled item ignores its shortcut.
    QObject* ActionList1 = nullptr;
    QAction* FileNew1 = nullptr;
    QAction* FileOpen1 = nullptr;
    QAction* FileAddProducts1 = nullptr;
    QAction* FileSave1 = nullptr;
    QAction* FileSaveAs1 = nullptr;
    QAction* FileExportPdf1 = nullptr;
    QAction* FileExportGlabels1 = nullptr;
    QAction* FileExportLibreOffice1 = nullptr;
    QAction* FileExportSvg1 = nullptr;
    QAction* FileTestPrint1 = nullptr;
    QAction* FileCalibrate1 = nullptr;
    QAction* FileAddCorrected1 = nullptr;
    QAction* FileAlign1 = nullptr;
    QAction* FileExit1 = nullptr;
    QAction* HelpContents1 = nullptr;
    QAction* HelpTopicSearch1 = nullptr;

    // The window's template set, alive exactly as long as the window.
    std::unique_ptr<Tdatatree> Datatree;

    // The dialogs of the open and save-as commands; each starts with the name it returned last.
    std::unique_ptr<TOpenDialog> OpenDialog;
    std::unique_ptr<TSaveDialog> SaveDialog;
    // The test sheet's: the PDF's save dialog, and the printer the print dialog chose last.
    std::unique_ptr<TSaveDialog> PdfDialog;
    std::unique_ptr<QPrinter> Printer;
    // The export dialogs of gLabels templates, LibreOffice extensions and blank SVG templates, made
    // at first use.
    std::unique_ptr<TSaveDialog> GlabelsDialog;
    std::unique_ptr<TSaveDialog> LibreOfficeDialog;
    std::unique_ptr<TSaveDialog> SvgDialog;

    // The label databases "製品から追加" lists: the installed ones and the files added to it.
    QStringList ProductSources;

    // Handlers, run through the error boundary when Qt calls them.
    void FormCreate();
    void FormDestroy();
    void ResetFields();
    void DrawPreview();

    void ComboBox1Select();
    void StoreFields(Tlabelpar& style);
    void Button4Click();
    void Button3Click();
    void Button1Click();
    void Button2Click();
    void Edit11Change();
    void UpdownNumberEdit1Change(QObject* Sender);
    void SpinEdit7Change(QObject* Sender);
    void UpdownNumberEdit5Change(QObject* Sender);

    void FileNew1Execute();
    void FileOpen1Execute();
    void FileOpen1Accept(const QString& fileName);
    // "製品から追加": styles from label databases, added at the end of the list.
    void FileAddProducts1Execute();
    void addStyles(const std::vector<Tlabelpar>& styles);
    // Whether the set can take count more styles; says why not when it cannot.
    bool roomForStyles(size_t count);
    void FileSave1Execute();
    bool FileSaveAs1BeforeExecute();
    void FileSaveAs1Execute();
    void FileSaveAs1Accept(const QString& fileName);
    void FileExportPdf1Execute();
    void FileExportPdf1Accept(const QString& fileName, bool allStyles);
    // The whole set as gLabels templates or a LibreOffice extension (then offered to LibreOffice);
    // the fields' sheet as a blank SVG template.
    void FileExportGlabels1Execute();
    void FileExportGlabels1Accept(const QString& fileName);
    void FileExportLibreOffice1Execute();
    void FileExportLibreOffice1Accept(const QString& fileName);
    void FileExportSvg1Execute();
    void FileExportSvg1Accept(const QString& fileName);
    void FileTestPrint1Execute();
    // "プリンターの補正": the calibration page and the correction from what the user measured on it.
    void FileCalibrate1Execute();
    // "補正したスタイルを追加": the fields as a style corrected for a printer, for programs that
    // print the template uncorrected.
    void FileAddCorrected1Execute();
    void FileAlign1Execute();
    void FileExit1Execute();
    void HelpContents1Execute();
    void About1Click();

    // The values in the fields as a style (without a name), as the preview draws them.
    Tlabelpar fieldStyle();

    // "Tesselラベルエディター" or "Tesselラベルエディター:" and the file's name.
    void setCaptionForFile(const QString& fileName);

    // Every command that changes the set calls this; Open, Save, Save As and New clear it.
    void markSetChanged();
    // The set has changes that no Save or Save As has written.
    bool hasUnsavedChanges() const { return FUnsavedSetChanges; }

    // Asked before a command drops the set: true when it may go on (nothing unsaved, saved now,
    // or the user chose not to save), false when it must stop with nothing changed.
    bool askToSaveChanges();

    // Open with this file chosen, for a file given at start or dropped on the window.
    void openFile(const QString& fileName);

protected:
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void buildControls();
    void buildMenu();
    void bindEvents();
    void fillStyleList();
    void selectStyle(int index);
    Tlabelpar* currentStyle() const;
    bool fieldTextEmpty(QObject* field) const;
    // Says why a page cannot be made (ending in notMade), or asks whether labels that leave it may;
    // false to stop.
    bool sheetPagesUsable(const std::vector<sheet::SheetPage>& pages, bool named,
                          const QString& notMade = QStringLiteral("テストシートは作りませんでした。"));

    // Field edits that "U" could still store into the current style.
    bool fieldEditsPending() const;
    // The one local file of a drop, when the window takes drops at its place; empty otherwise.
    QString droppedFile(const QDropEvent* event) const;

    // The file last refused or unreadable at Open: Save must not write there unasked.
    bool FFileNameTrusted = false;
    bool FUnsavedSetChanges = false;
    // Exit has asked already; the close it starts must not ask again.
    bool FExitAsked = false;
    // The group name as Open found it, kept while the box shows what it decodes to.
    std::string FGroupNameRead;
};
