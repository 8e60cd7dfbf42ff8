// Styles that leave the program: a gLabels template file of the set, a blank SVG template of the
// fields' sheet.
#include "editor/Unit1.h"

#include "editor/FileMessages.h"
#include "editor/GroupNameEdit.h"
#include "labeldata/Cp932.h"
#include "labeldata/FileAccess.h"
#include "labeldata/SheetFit.h"
#include "labeldata/Tdatatree.h"
#include "products/GlabelsWriter.h"
#include "sheet/PdfExport.h"
#include "sheet/SvgTemplate.h"
#include "toolkit/Application.h"
#include "toolkit/Dialogs.h"

#include <QComboBox>
#include <QDir>
#include <QFileInfo>

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
    std::vector<const Tlabelpar*> styles;
    for (const auto& s : Datatree->LabelList)
        styles.push_back(s.get());
    const QString group = Edit11->text();
    const products::GlabelsTemplates out = products::glabelsTemplates(group.isEmpty() ? QStringLiteral("tessel") : group, styles);
    if (!out.refused.empty()) {
        const auto& r = out.refused.front();
        showMessage(QStringLiteral("スタイル「%1」: %2gLabels 用のファイルは作りませんでした。")
                        .arg(cp932::visibleText(styles[r.index]->Name),
                             r.reason == products::GlabelsRefusal::NoSheet
                                 ? QStringLiteral("台紙の幅と高さは、どちらも 0 より大きくしてください。")
                                 : QStringLiteral("ラベルの幅と高さは 0 より大きく、行と列は 1 以上にしてください。")));
        return;
    }
    withFileMessages([&] { labeldata::writeFileDurably(path, out.xml); });
    if (out.brandReplaced || !out.namesReplaced.empty())
        showMessage(QStringLiteral("名前にあった制御文字は、XML に書けないため「\uFFFD」に置き換えました。"));
}

void TForm1::FileExportSvg1Execute()
{
    if (!SvgDialog) {
        SvgDialog = std::make_unique<TSaveDialog>();
        SvgDialog->Filter = QStringLiteral("SVG|*.svg");
        SvgDialog->Title = QStringLiteral("SVG テンプレートを書き出す");
    }
    // Named after the style, beside the template file.
    const QString name = fileNamePart(ComboBox1->currentText(), QStringLiteral("テンプレート")) + QStringLiteral(".svg");
    const QString folder = !SvgDialog->FileName.isEmpty() ? QFileInfo(SvgDialog->FileName).absolutePath()
                         : Datatree->FileName.isEmpty()   ? QDir::currentPath()
                                                          : QFileInfo(Datatree->FileName).absolutePath();
    SvgDialog->FileName = QDir(folder).filePath(name);
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
