// The File menu's exports for other programs: gLabels templates and a LibreOffice extension of the
// set, a blank SVG of the fields.
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
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QScopeGuard>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <unistd.h>

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

TEST(ExportCommands, LibreOfficeExtensionIsAddedByUnopkgOrTheWayToAddItIsShown)
{
    TemporaryHome home;
    // unopkg finds the user's LibreOffice profile here unless this points elsewhere.
    const QByteArray configHome = qgetenv("XDG_CONFIG_HOME");
    const QByteArray path = qgetenv("PATH");
    const auto restore = qScopeGuard([&] {
        qputenv("PATH", path);
        if (!configHome.isNull())
            qputenv("XDG_CONFIG_HOME", configHome);
    });
    qunsetenv("XDG_CONFIG_HOME");
    QTemporaryDir out;
    auto form = newWindow();
    form->Edit11->setText(QStringLiteral("宛名/台紙"));
    form->addStyles({style("A4 2x5", 2, 5)});
    const QString unopkg = QStandardPaths::findExecutable(QStringLiteral("unopkg"));

    const struct {
        const char* what;
        bool withUnopkg;
        QString startFolder; // of the save dialog: the current one, then the one chosen last
        const char* says;    // the last message
    } rows[] = {
        {"no LibreOffice on the PATH", false, QDir::currentPath(), "書き出しました。LibreOffice のツール → 拡張機能マネージャー → 追加 で「"},
        // LibreOffice adds extensions for a user, never for root.
        {"LibreOffice", true, out.path(),
         geteuid() == 0 ? "LibreOffice に追加できませんでした（ERROR: Cannot run unopkg as root" : "LibreOffice に追加しました。"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        if (row.withUnopkg && unopkg.isEmpty())
            GTEST_SKIP() << "LibreOffice is not installed (Debian: libreoffice-writer-nogui; scripts/test installs it)";
        qputenv("PATH", row.withUnopkg ? path : out.path().toLocal8Bit());
        ModalAnswers answers;
        const QString oxt = out.filePath(QStringLiteral("labels%1").arg(row.withUnopkg));
        answers.file(oxt);
        answers.message(); // "/" in the manufacturer
        QString question;
        if (row.withUnopkg)
            answers.then([&](QWidget* w) {
                question = qobject_cast<QMessageBox*>(w) ? qobject_cast<QMessageBox*>(w)->text() : w->objectName();
                if (auto* add = w->findChild<QPushButton*>(QStringLiteral("LibreOfficeQuestionAdd")))
                    add->click();
                else
                    w->close();
            });
        answers.message();
        form->ExportLibreOffice1->trigger();
        ASSERT_EQ(answers.pending(), 0u);
        EXPECT_EQ(answers.dialogStartNames.at(0), QDir(row.startFolder).filePath(QStringLiteral("宛名_台紙.oxt")));
        EXPECT_TRUE(answers.messages.at(0).contains(QStringLiteral("全角の「／」「［」「］」"))) << answers.messages.at(0).toStdString();
        EXPECT_TRUE(answers.messages.at(1).startsWith(QString::fromUtf8(row.says))) << answers.messages.at(1).toStdString();
        EXPECT_EQ(readFile(oxt + QStringLiteral(".oxt")).substr(0, 2), "PK");
        if (!row.withUnopkg) {
            EXPECT_TRUE(answers.messages.at(1).contains(QStringLiteral("製造元に「宛名／台紙」"))) << answers.messages.at(1).toStdString();
        }
        if (row.withUnopkg) {
            EXPECT_TRUE(question.startsWith(QStringLiteral("書き出しました。LibreOffice に追加しますか？"))) << question.toStdString();
            EXPECT_TRUE(question.contains(QStringLiteral("製造元に「宛名／台紙」"))) << question.toStdString();
            QProcess list;
            list.start(unopkg, {QStringLiteral("list")});
            list.waitForFinished(-1);
            EXPECT_EQ(QString::fromLocal8Bit(list.readAll()).contains(QStringLiteral("labels1.oxt")), geteuid() != 0);
        }
    }
}
