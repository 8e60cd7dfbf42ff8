// The File menu's exports for other programs: gLabels templates of the set, a blank SVG of the fields.
#include "editor/GroupNameEdit.h"
#include "labeldata/Names.h"
#include "labeldata/Tdatatree.h"
#include "toolkit/SpinEdit.h"
#include "EditorTestSupport.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

namespace {

Tlabelpar style(const char* name, int columns, int rows)
{
    Tlabelpar s;
    s.Name = labeldata::makeStyleName(QString::fromUtf8(name));
    s.SheetWidth = 210;
    s.SheetHeight = 297;
    s.LabelWidth = 90;
    s.LabelHeight = 50;
    s.LeftMargin = 10;
    s.TopMargin = 20;
    s.Columns = columns;
    s.Rows = rows;
    return s;
}

} // namespace

TEST(ExportCommands, GlabelsStartsInTheGlabelsFolderAndSvgDrawsTheFields)
{
    TemporaryHome home;
    QTemporaryDir out;
    auto form = newWindow();
    form->Edit11->setText(QStringLiteral("宛名/台紙"));
    form->addStyles({style("A4 2x5", 2, 5), style("A4 2x5", 2, 4)});

    ModalAnswers answers;
    const QString glabels = out.filePath(QStringLiteral("mine.xml"));
    answers.file(glabels);
    form->ExportGlabels1->trigger();
    ASSERT_EQ(answers.pending(), 0u);
    // Created when missing, and the name from the group name without its folder separator.
    EXPECT_EQ(answers.dialogStartNames.at(0), QDir(home.dir.path()).filePath(QStringLiteral(".glabels/宛名_台紙-templates.xml")));
    const QByteArray xml = QByteArray::fromStdString(readFile(glabels));
    EXPECT_EQ(xml.count("<Template "), 2);
    EXPECT_TRUE(xml.contains("part=\"A4 2x5 (2)\"")) << xml.toStdString();
    EXPECT_TRUE(xml.contains("brand=\"宛名/台紙\"")) << xml.toStdString();

    // The fields, not the stored style: the last one added shows 2 x 4; a third row is typed.
    form->SpinEdit1->SetValue(3);
    const QString svg = out.filePath(QStringLiteral("sheet"));
    answers.file(svg);
    form->ExportSvg1->trigger();
    ASSERT_EQ(answers.pending(), 0u);
    EXPECT_EQ(QByteArray::fromStdString(readFile(svg + QStringLiteral(".svg"))).count("<rect "), 6);
}
