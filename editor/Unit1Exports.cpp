// Styles that leave the program: a gLabels template file or a LibreOffice extension of the set, a
// blank SVG template of the fields' sheet.
#include "editor/Unit1.h"

#include "editor/FileMessages.h"
#include "editor/GroupNameEdit.h"
#include "labeldata/Cp932.h"
#include "labeldata/FileAccess.h"
#include "labeldata/SheetFit.h"
#include "labeldata/Tdatatree.h"
#include "products/GlabelsWriter.h"
#include "products/LibreOfficeWriter.h"
#include "sheet/PdfExport.h"
#include "sheet/SvgTemplate.h"
#include "toolkit/Application.h"
#include "toolkit/Dialogs.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QMessageBox>
#include <QEventLoop>
#include <QProcess>
#include <QProgressDialog>
#include <QPushButton>
#include <QStandardPaths>
#include <QTimer>

namespace {

// A file name from a name typed in the window: no folder separators or characters file systems refuse.
QString fileNamePart(QString text, const QString& fallback)
{
    static const QString Refused = QStringLiteral("/\\:*?\"<>|");
    for (QChar& c : text)
        if (c.unicode() < 0x20 || Refused.contains(c))
            c = QLatin1Char('_');
    text = text.trimmed();
    return text.isEmpty() || text == u"." || text == u".." ? fallback : text;
}

QString withSuffix(const QString& fileName, const QString& suffix)
{
    return QFileInfo(fileName).fileName().contains(QLatin1Char('.')) ? fileName : fileName + suffix;
}

// The folder last chosen, else the template file's, else the current one.
QString exportFolder(const QString& lastChosen, const QString& templateFile)
{
    return !lastChosen.isEmpty()     ? QFileInfo(lastChosen).absolutePath()
         : templateFile.isEmpty()    ? QDir::currentPath()
                                     : QFileInfo(templateFile).absolutePath();
}

std::vector<const Tlabelpar*> allStyles(const Tdatatree& set)
{
    std::vector<const Tlabelpar*> styles;
    for (const auto& s : set.LabelList)
        styles.push_back(&s);
    return styles;
}

QString brandOf(const QString& group)
{
    return group.isEmpty() ? QStringLiteral("tessel") : group;
}

// Says why the first refused style cannot be exported; true when none was refused.
bool exportable(const products::ExportNames& names, const std::vector<const Tlabelpar*>& styles, const QString& program)
{
    if (names.refused.empty())
        return true;
    const auto& r = names.refused.front();
    showMessage(QStringLiteral("スタイル「%1」: %2%3 用のファイルは作りませんでした。")
                    .arg(cp932::visibleText(styles[r.index]->Name),
                         r.reason == products::ExportRefusal::NoSheet
                             ? QStringLiteral("台紙の幅と高さは、どちらも 0 より大きくしてください。")
                             : QStringLiteral("ラベルの幅と高さは 0 より大きく、行と列は 1 以上にしてください。"),
                         program));
    return false;
}

void reportReplaced(const products::ExportNames& names)
{
    if (names.brandReplaced || !names.namesReplaced.empty())
        showMessage(QStringLiteral("名前にあった制御文字は、XML に書けないため「\uFFFD」に置き換えました。"));
}

bool askToAddToLibreOffice(const QString& text)
{
    QMessageBox box(QMessageBox::Question, applicationTitle(), messageBoxText(text), QMessageBox::NoButton, QApplication::activeWindow());
    box.setObjectName(QStringLiteral("LibreOfficeQuestion"));
    QPushButton* add = box.addButton(QStringLiteral("LibreOffice に追加"), QMessageBox::AcceptRole);
    add->setObjectName(QStringLiteral("LibreOfficeQuestionAdd"));
    QPushButton* close = box.addButton(QStringLiteral("閉じる"), QMessageBox::RejectRole);
    box.setDefaultButton(add);
    box.setEscapeButton(close);
    box.exec();
    return box.clickedButton() == add;
}

// unopkg's first run for a user makes LibreOffice's profile, which can take half a minute; one
// that hangs (a dialog nobody sees, a locked profile) is given up after two minutes. The window
// keeps drawing meanwhile, and the user may stop it.
constexpr int UnopkgWait = 120000;

struct UnopkgRun {
    QString failure; // empty when the extension was added
};

// Adds the extension for the user running the window, replacing an earlier export of the brand.
UnopkgRun addToLibreOffice(const QString& unopkg, const QString& path, QWidget* parent)
{
    QProcess p;
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.setStandardInputFile(QProcess::nullDevice());
    QProgressDialog progress(QStringLiteral("LibreOffice に追加しています..."), QStringLiteral("中止"), 0, 0, parent);
    progress.setWindowModality(Qt::WindowModal);
    progress.setMinimumDuration(1000);
    QEventLoop loop;
    QTimer limit;
    limit.setSingleShot(true);
    QObject::connect(&p, &QProcess::finished, &loop, &QEventLoop::quit);
    QObject::connect(&p, &QProcess::errorOccurred, &loop, [&](QProcess::ProcessError e) {
        if (e == QProcess::FailedToStart)
            loop.quit();
    });
    QObject::connect(&progress, &QProgressDialog::canceled, &loop, &QEventLoop::quit);
    QObject::connect(&limit, &QTimer::timeout, &loop, &QEventLoop::quit);
    p.start(unopkg, {QStringLiteral("add"), QStringLiteral("--force"), path});
    limit.start(UnopkgWait);
    if (p.state() != QProcess::NotRunning)
        loop.exec();
    if (p.error() == QProcess::FailedToStart)
        return {p.errorString()};
    if (p.state() != QProcess::NotRunning) {
        const bool stopped = progress.wasCanceled();
        p.kill();
        p.waitForFinished();
        return {stopped ? QStringLiteral("中止しました") : QStringLiteral("2 分たっても終わりませんでした")};
    }
    if (p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0)
        return {};
    // unopkg's own words are its last line.
    const QStringList lines = QString::fromLocal8Bit(p.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    for (auto it = lines.crbegin(); it != lines.crend(); ++it)
        if (!it->trimmed().isEmpty())
            return {it->trimmed()};
    return {QStringLiteral("終了コード %1").arg(p.exitCode())};
}

} // namespace

void TForm1::FileExportGlabels1Execute()
{
    if (Datatree->LabelList.empty()) {
        showMessage(QStringLiteral("書き出すスタイルがありません。"));
        return;
    }
    if (!GlabelsDialog) {
        GlabelsDialog = std::make_unique<TSaveDialog>();
        GlabelsDialog->Filter = QStringLiteral("gLabels テンプレート|*.xml");
        GlabelsDialog->Title = QStringLiteral("gLabels 用に書き出す");
    }
    // gLabels reads hand-made templates from ~/.glabels; a file there is found at its next start.
    const QString folder = QDir::home().filePath(QStringLiteral(".glabels"));
    QDir().mkpath(folder);
    const QString name = fileNamePart(Edit11->text(), QStringLiteral("labels")) + QStringLiteral("-templates.xml");
    GlabelsDialog->FileName = QDir(GlabelsDialog->FileName.isEmpty() ? folder : QFileInfo(GlabelsDialog->FileName).absolutePath())
                                  .filePath(name);
    if (GlabelsDialog->Execute(this))
        FileExportGlabels1Accept(GlabelsDialog->FileName);
}

void TForm1::FileExportGlabels1Accept(const QString& fileName)
{
    const QString path = withSuffix(fileName, QStringLiteral(".xml"));
    const std::vector<const Tlabelpar*> styles = allStyles(*Datatree);
    const products::GlabelsTemplates out = products::glabelsTemplates(brandOf(Edit11->text()), styles);
    if (!exportable(out, styles, QStringLiteral("gLabels")))
        return;
    withFileMessages([&] { labeldata::writeFileDurably(path, out.xml); });
    reportReplaced(out);
}

void TForm1::FileExportLibreOffice1Execute()
{
    if (Datatree->LabelList.empty()) {
        showMessage(QStringLiteral("書き出すスタイルがありません。"));
        return;
    }
    if (!LibreOfficeDialog) {
        LibreOfficeDialog = std::make_unique<TSaveDialog>();
        LibreOfficeDialog->Filter = QStringLiteral("LibreOffice 拡張機能|*.oxt");
        LibreOfficeDialog->Title = QStringLiteral("LibreOffice 用に書き出す");
    }
    const QString name = fileNamePart(Edit11->text(), QStringLiteral("labels")) + QStringLiteral(".oxt");
    LibreOfficeDialog->FileName = QDir(exportFolder(LibreOfficeDialog->FileName, Datatree->FileName)).filePath(name);
    if (LibreOfficeDialog->Execute(this))
        FileExportLibreOffice1Accept(LibreOfficeDialog->FileName);
}

void TForm1::FileExportLibreOffice1Accept(const QString& fileName)
{
    const QString path = withSuffix(fileName, QStringLiteral(".oxt"));
    const std::vector<const Tlabelpar*> styles = allStyles(*Datatree);
    const products::LibreOfficeExtension out = products::libreOfficeExtension(brandOf(Edit11->text()), styles);
    if (!exportable(out, styles, QStringLiteral("LibreOffice")))
        return;
    withFileMessages([&] { labeldata::writeFileDurably(path, out.oxt); });
    reportReplaced(out);
    if (out.brandPathReplaced)
        showMessage(QStringLiteral("グループ名の「/」「[」「]」は、LibreOffice が区切りとして読むため、全角の「／」「［」「］」に置き換えました。"));

    const QString shown = QStringLiteral("LibreOffice を起動し直すと、Writer のラベル（ファイル → 新規 → ラベル）の製造元に「%1」が出ます。").arg(out.brand);
    const QString byHand = QStringLiteral("LibreOffice のツール → 拡張機能マネージャー → 追加 で「%1」を追加してください。").arg(QDir::toNativeSeparators(path));
    const QString unopkg = QStandardPaths::findExecutable(QStringLiteral("unopkg"));
    if (unopkg.isEmpty()) {
        showMessage(QStringLiteral("書き出しました。") + byHand + shown);
        return;
    }
    if (!askToAddToLibreOffice(QStringLiteral("書き出しました。LibreOffice に追加しますか？\n") + shown))
        return;
    const UnopkgRun added = addToLibreOffice(unopkg, path, this);
    if (added.failure.isEmpty())
        showMessage(QStringLiteral("LibreOffice に追加しました。") + shown);
    else
        showMessage(QStringLiteral("LibreOffice に追加できませんでした（%1）。\nLibreOffice を終了してからもう一度書き出すか、").arg(added.failure) + byHand);
}

void TForm1::FileExportSvg1Execute()
{
    if (!SvgDialog) {
        SvgDialog = std::make_unique<TSaveDialog>();
        SvgDialog->Filter = QStringLiteral("SVG|*.svg");
        SvgDialog->Title = QStringLiteral("SVG テンプレートを書き出す");
    }
    // Named after the style.
    const QString name = fileNamePart(ComboBox1->currentText(), QStringLiteral("テンプレート")) + QStringLiteral(".svg");
    SvgDialog->FileName = QDir(exportFolder(SvgDialog->FileName, Datatree->FileName)).filePath(name);
    if (SvgDialog->Execute(this))
        FileExportSvg1Accept(SvgDialog->FileName);
}

void TForm1::FileExportSvg1Accept(const QString& fileName)
{
    const QString path = withSuffix(fileName, QStringLiteral(".svg"));
    const sheet::SheetPage page{fieldStyle(), {Edit11->text(), ComboBox1->currentText()}};
    if (!sheetPagesUsable({page}, false, QStringLiteral("SVG テンプレートは作りませんでした。")))
        return;
    const QString title = page.titles.style.isEmpty() ? page.titles.group : page.titles.group + QLatin1Char(' ') + page.titles.style;
    const QByteArray svg = sheet::blankSvgTemplate(page.style, title.trimmed());
    withFileMessages([&] { labeldata::writeFileDurably(path, svg); });
}
