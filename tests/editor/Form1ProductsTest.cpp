// "製品から追加": the dialog over label databases and what OK adds to the set.
#include "editor/ProductDialog.h"
#include "products/Catalogue.h"
#include "labeldata/Cp932.h"
#include "labeldata/Names.h"
#include "numberedit/UpdownNumberEdit.h"
#include "toolkit/Image.h"
#include "toolkit/SpinEdit.h"
#include "EditorTestSupport.h"
#include "ProductFiles.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QTreeView>

#include <sys/stat.h>
#include <unistd.h>

namespace {

QStringList column(ProductDialog& d, int c)
{
    QStringList texts;
    const QAbstractItemModel* m = d.ProductList->model();
    for (int r = 0; r < m->rowCount(); ++r)
        texts << m->index(r, c).data().toString();
    return texts;
}

void selectRows(ProductDialog& d, const QList<int>& rows)
{
    QItemSelectionModel* s = d.ProductList->selectionModel();
    s->clearSelection();
    for (int r : rows) {
        const QModelIndex i = d.ProductList->model()->index(r, 0);
        s->setCurrentIndex(i, QItemSelectionModel::Select | QItemSelectionModel::Rows);
    }
}

} // namespace

TEST(Form1Products, SearchNarrowsTheListAsTheUserTypesAndThePreviewFollows)
{
    QTemporaryDir dir;
    const auto files = productfiles::writeAll(dir.path());
    ProductDialog d({files.glabelsFolder, files.libreOfficeFile});
    d.show();
    EXPECT_EQ(column(d, 1), (QStringList{"T-3x12", "T-3x12B", "T-INCH", "T-POINT", "T-ROUND", "T-CD", "FSCGN863", "LB-EL44"}));
    EXPECT_EQ(column(d, 0)[6], QStringLiteral("ヒサゴ"));
    // The shape the rectangles stand for, before "Round" in gLabels' own Japanese.
    EXPECT_EQ(column(d, 2)[4], QStringLiteral("【円形】円"));
    EXPECT_EQ(column(d, 3)[2], QStringLiteral("215.9 × 279.4"));
    EXPECT_EQ(column(d, 4)[6], QStringLiteral("86.4 × 42.3"));
    EXPECT_EQ(column(d, 4)[5], QStringLiteral("117 × 117"));
    EXPECT_EQ(column(d, 5)[0], QStringLiteral("3 × 12"));
    EXPECT_EQ(d.SkippedLabel->text(),
              QStringLiteral("一覧にない製品 8 件: 複数の配置 1、ロール紙 1、台紙からはみ出す配置 1、"
                             "不明な用紙サイズ 1、不明な参照先 2、不正な値 2"));

    const struct {
        const char* typed;
        QStringList parts;
    } rows[] = {
        {"inch", {"T-INCH"}},
        {"ＩＮＣＨ", {"T-INCH"}},
        {"ﾋｻｺﾞ", {"FSCGN863"}},
        {"宛名", {"T-INCH", "FSCGN863"}}, // "Address labels" in gLabels' own Japanese
        {"testmaker 60", {"T-3x12", "T-3x12B"}},
        {"xyz", {}},
        {"", {"T-3x12", "T-3x12B", "T-INCH", "T-POINT", "T-ROUND", "T-CD", "FSCGN863", "LB-EL44"}},
    };
    for (const auto& r : rows) {
        d.SearchEdit->clear();
        // Key by key for ASCII; the input method delivers other text in one piece.
        const QString typed = QString::fromUtf8(r.typed);
        if (typed.toLatin1() == r.typed)
            QTest::keyClicks(d.SearchEdit, typed);
        else
            d.SearchEdit->insert(typed);
        EXPECT_EQ(column(d, 1), r.parts) << r.typed;
    }

    // The preview draws the product under the cursor as the main window would.
    selectRows(d, {0});
    const QImage first = d.ProductPreview->Picture().copy();
    selectRows(d, {6});
    EXPECT_NE(d.ProductPreview->Picture(), first);
    EXPECT_EQ(d.ProductPreview->Picture().size(), QSize(249, 289));
}

TEST(Form1Products, OkAddsTheSelectedProductsAtTheEndAsPlusDoes)
{
    QTemporaryDir dir;
    const auto files = productfiles::writeAll(dir.path());
    auto form = newWindow();
    form->ProductSources = {files.glabelsFolder};
    form->S1->setEnabled(false);
    form->Button4->setEnabled(true);
    ASSERT_FALSE(form->hasUnsavedChanges());

    ModalAnswers answers;
    answers.then([&](QWidget* w) {
        auto* d = qobject_cast<ProductDialog*>(w);
        ASSERT_NE(d, nullptr);
        EXPECT_EQ(d->ProductList->model()->rowCount(), 6);
        // From the event loop, so the file dialog is answered next.
        QTimer::singleShot(0, d->AddFileButton, &QPushButton::click);
    });
    answers.file(files.libreOfficeFile);
    answers.then([&](QWidget* w) {
        auto* d = qobject_cast<ProductDialog*>(w);
        ASSERT_NE(d, nullptr);
        // The added file joins the list.
        EXPECT_EQ(d->ProductList->model()->rowCount(), 8);
        selectRows(*d, {2, 6});
        d->Buttons->button(QDialogButtonBox::Ok)->click();
    });
    form->AddProducts1->trigger();
    ASSERT_EQ(answers.pending(), 0u);

    ASSERT_EQ(form->ComboBox1->count(), 2);
    EXPECT_EQ(form->ComboBox1->itemText(0), QStringLiteral("Testmaker T-INCH"));
    EXPECT_EQ(form->ComboBox1->itemText(1), QStringLiteral("ヒサゴ FSCGN863"));
    ASSERT_EQ(form->Datatree->LabelList.size(), 2u);
    EXPECT_EQ(cp932::visibleText(form->Datatree->LabelList[1].Name), QStringLiteral("ヒサゴ FSCGN863"));
    EXPECT_EQ(form->ComboBox1->currentIndex(), 1);
    EXPECT_EQ(form->SpinEdit2->Value(), 2);
    EXPECT_EQ(form->SpinEdit1->Value(), 6);
    EXPECT_EQ(form->UpdownNumberEdit3->text(), QStringLiteral("86.40"));
    EXPECT_EQ(form->UpdownNumberEdit5->text(), QStringLiteral("18.60"));
    EXPECT_FALSE(form->Button4->isEnabled());
    EXPECT_TRUE(form->S1->isEnabled());
    EXPECT_TRUE(form->hasUnsavedChanges());
    // The added file is offered again next time.
    EXPECT_EQ(form->ProductSources, (QStringList{files.glabelsFolder, files.libreOfficeFile}));

    // Cancel adds nothing.
    ModalAnswers cancel;
    cancel.then([](QWidget* w) {
        auto* d = qobject_cast<ProductDialog*>(w);
        selectRows(*d, {0});
        d->reject();
    });
    form->AddProducts1->trigger();
    EXPECT_EQ(form->ComboBox1->count(), 2);
}

TEST(Form1Products, LikeCheckBoxListsTheProductsOfTheWindowsFieldsAndSkippedOnesSayWhy)
{
    QTemporaryDir dir;
    const auto files = productfiles::writeAll(dir.path());
    auto form = newWindow();
    form->ProductSources = {files.glabelsFolder, files.libreOfficeFile};
    // A sheet measured with a ruler: T-INCH's numbers, each a little off.
    Tlabelpar measured;
    {
        products::Catalogue c;
        c.addSource(files.glabelsFolder);
        for (const products::Product& p : c.products())
            if (p.part == u"T-INCH")
                measured = p.style;
    }
    for (double Tlabelpar::*length : {&Tlabelpar::SheetWidth, &Tlabelpar::LabelWidth, &Tlabelpar::LeftMargin, &Tlabelpar::TopMargin})
        measured.*length += 0.3;
    measured.Name = labeldata::makeStyleName(QStringLiteral("measured"));
    form->addStyles({measured});

    ModalAnswers answers;
    answers.then([&](QWidget* w) {
        auto* d = qobject_cast<ProductDialog*>(w);
        ASSERT_NE(d, nullptr);
        EXPECT_EQ(column(*d, 1).size(), 8);
        d->LikeCheckBox->click();
        EXPECT_EQ(column(*d, 1), QStringList{QStringLiteral("T-INCH")});
        EXPECT_EQ(d->CountLabel->text(), QStringLiteral("8 件中 1 件を表示"));
        d->LikeCheckBox->click();
        EXPECT_EQ(column(*d, 1).size(), 8);
        // A size typed in the search box, and a product that is not listed named with its reason.
        d->SearchEdit->setText(QStringLiteral("66.7×25.4"));
        EXPECT_EQ(column(*d, 1), QStringList{QStringLiteral("T-INCH")});
        d->SearchEdit->setText(QStringLiteral("t-wide"));
        EXPECT_TRUE(column(*d, 1).isEmpty());
        EXPECT_TRUE(d->SkippedLabel->text().contains(QStringLiteral("Testmaker T-WIDE: 台紙からはみ出す配置 (")))
            << d->SkippedLabel->text().toStdString();
        d->reject();
    });
    form->AddProducts1->trigger();
    EXPECT_EQ(answers.pending(), 0u);
}

TEST(Form1Products, AddFileRefusesSpecialFilesAtOnceAndNamesThem)
{
    QTemporaryDir dir;
    const QString fifo = dir.filePath(QStringLiteral("pipe.xml"));
    ASSERT_EQ(mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    const QString loop = dir.filePath(QStringLiteral("loop.xml"));
    ASSERT_EQ(::symlink("loop.xml", QFile::encodeName(loop).constData()), 0);
    const QString noLayout = dir.filePath(QStringLiteral("nolayout.xml"));
    productfiles::write(noLayout, "<Glabels-templates><Template brand=\"B\" part=\"P\" size=\"A4\"><Label-rectangle "
                                  "width=\"50mm\" height=\"20mm\"><Markup-margin size=\"1mm\"/></Label-rectangle>"
                                  "</Template></Glabels-templates>");
    const struct { QString path; const char16_t* says; } rows[] = {
        {noLayout, u"nolayout.xml」には一覧にできる製品がありません。"},
        {loop, u"loop.xml」は循環するシンボリックリンクで、通常のファイルではないため読めません。"},
        {fifo, u"pipe.xml」はFIFO (名前付きパイプ)で、通常のファイルではないため読めません。"},
    };
    auto form = newWindow();
    form->ProductSources = {};
    for (const auto& r : rows) {
        SCOPED_TRACE(r.path.toStdString());
        QElapsedTimer time;
        int listed = -1;
        ModalAnswers answers;
        answers.then([&](QWidget* w) {
            auto* d = qobject_cast<ProductDialog*>(w);
            ASSERT_NE(d, nullptr);
            QTimer::singleShot(0, d, [&time, d] {
                time.start();
                d->AddFileButton->click();
            });
        });
        answers.file(r.path);
        answers.message();
        answers.then([&](QWidget* w) {
            EXPECT_LT(time.elapsed(), 1000);
            auto* d = qobject_cast<ProductDialog*>(w);
            ASSERT_NE(d, nullptr);
            listed = d->ProductList->model()->rowCount();
            d->reject();
        });
        form->AddProducts1->trigger();
        EXPECT_EQ(answers.pending(), 0u);
        ASSERT_EQ(answers.messages.size(), 1u);
        EXPECT_TRUE(answers.messages[0].endsWith(QString::fromUtf16(r.says))) << answers.messages[0].toStdString();
        EXPECT_EQ(listed, 0);
    }
}
