#include "editor/ProductDialog.h"

#include "editor/FileMessages.h"
#include "editor/Preview.h"
#include "editor/ProductListModel.h"
#include "toolkit/Application.h"
#include "toolkit/Dialogs.h"
#include "toolkit/Image.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeView>
#include <QVBoxLayout>

#include <algorithm>

namespace {

// The same picture size as the main window's preview.
constexpr int PreviewWidth = 249;
constexpr int PreviewHeight = 289;

} // namespace

ProductDialog::ProductDialog(const QStringList& sources, QWidget* parent)
    : QDialog(parent)
    , FSources(sources)
{
    setObjectName(QStringLiteral("ProductDialog"));
    setWindowTitle(QStringLiteral("製品から追加"));

    auto* searchCaption = new QLabel(QStringLiteral("検索(&F):"), this);
    SearchEdit = new QLineEdit(this);
    SearchEdit->setObjectName(QStringLiteral("SearchEdit"));
    SearchEdit->setPlaceholderText(QStringLiteral("メーカー・品番・説明"));
    SearchEdit->setClearButtonEnabled(true);
    searchCaption->setBuddy(SearchEdit);
    SearchEdit->setToolTip(QStringLiteral("ことばのほか、ラベルの寸法 (86.4x50.8) や列 × 行 (2x5) でも探せます"));
    LikeCheckBox = new QCheckBox(QStringLiteral("表示中の寸法に近い製品だけ"), this);
    LikeCheckBox->setObjectName(QStringLiteral("LikeCheckBox"));
    LikeCheckBox->setToolTip(QStringLiteral("列数と行数が同じで、台紙・ラベル・間隔・左上の位置がそれぞれ 0.5 mm 以内の製品を近い順に表示します"));
    LikeCheckBox->setEnabled(false);

    FModel = new ProductListModel(this);
    ProductList = new QTreeView(this);
    ProductList->setObjectName(QStringLiteral("ProductList"));
    ProductList->setAccessibleName(QStringLiteral("製品"));
    ProductList->setRootIsDecorated(false);
    ProductList->setItemsExpandable(false);
    // Rows of one height, so the view never measures thousands of rows.
    ProductList->setUniformRowHeights(true);
    ProductList->setAllColumnsShowFocus(true);
    ProductList->setSelectionMode(QAbstractItemView::ExtendedSelection);
    ProductList->setSelectionBehavior(QAbstractItemView::SelectRows);
    ProductList->setModel(FModel);
    const int columnWidths[] = {110, 90, 190, 90, 90, 60};
    for (int c = 0; c < ProductListModel::ColumnCount; ++c)
        ProductList->setColumnWidth(c, columnWidths[c]);
    ProductList->header()->setStretchLastSection(true);

    ProductPreview = new TImage(this);
    ProductPreview->setObjectName(QStringLiteral("ProductPreview"));
    ProductPreview->setAccessibleName(QStringLiteral("プレビュー"));
    ProductPreview->setFixedSize(PreviewWidth, PreviewHeight);

    CountLabel = new QLabel(this);
    CountLabel->setObjectName(QStringLiteral("CountLabel"));
    SkippedLabel = new QLabel(this);
    SkippedLabel->setObjectName(QStringLiteral("SkippedLabel"));
    SkippedLabel->setWordWrap(true);
    SkippedLabel->setTextInteractionFlags(Qt::TextSelectableByMouse);

    AddFileButton = new QPushButton(QStringLiteral("ファイルを追加..."), this);
    AddFileButton->setObjectName(QStringLiteral("AddFileButton"));
    AddFileButton->setAutoDefault(false);
    Buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    Buttons->setObjectName(QStringLiteral("Buttons"));
    Buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("OK"));
    Buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("キャンセル"));

    auto* search = new QHBoxLayout;
    search->addWidget(searchCaption);
    search->addWidget(SearchEdit, 1);
    search->addWidget(LikeCheckBox);
    auto* body = new QHBoxLayout;
    body->addWidget(ProductList, 1);
    body->addWidget(ProductPreview, 0, Qt::AlignTop);
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(AddFileButton);
    bottom->addStretch(1);
    bottom->addWidget(Buttons);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(search);
    layout->addLayout(body, 1);
    layout->addWidget(CountLabel);
    layout->addWidget(SkippedLabel);
    layout->addLayout(bottom);
    resize(960, 520);

    FOpenDialog = std::make_unique<TOpenDialog>();
    FOpenDialog->Title = QStringLiteral("ラベルデータを追加");
    FOpenDialog->Filter = QStringLiteral("ラベルデータ (gLabels, LibreOffice)|*.xml;*.template|すべてのファイル|*");

    connect(SearchEdit, &QLineEdit::textChanged, this, [this](const QString& text) {
        runGuarded([this, &text] {
            FModel->setFilter(text);
            updateLines();
        });
    });
    connect(ProductList->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this] { runGuarded([this] { showCurrent(); }); });
    connect(FModel, &QAbstractItemModel::modelReset, this, [this] { runGuarded([this] { showCurrent(); }); });
    connect(ProductList, &QAbstractItemView::doubleClicked, this, &QDialog::accept);
    connect(LikeCheckBox, &QCheckBox::toggled, this, [this] { runGuarded([this] { LikeCheckBoxClick(); }); });
    connect(AddFileButton, &QPushButton::clicked, this, [this] { runGuarded([this] { AddFileButtonClick(); }); });
    connect(Buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(Buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    reload();
    SearchEdit->setFocus();
}

ProductDialog::~ProductDialog()
{
    // QDialog's destructor hides a dialog that is still shown, and the list may ask for rows
    // then: the model lets go of the catalogue before the catalogue is freed.
    FModel->setCatalogue(nullptr);
}

void ProductDialog::reload()
{
    // The model lets go of the old catalogue before it is freed.
    auto catalogue = std::make_unique<products::Catalogue>();
    catalogue->addSources(FSources);
    FModel->setCatalogue(nullptr);
    FCatalogue = std::move(catalogue);
    FModel->setCatalogue(FCatalogue.get());
    FModel->setFilter(SearchEdit->text());
    updateLines();
}

void ProductDialog::addSource(const QString& path)
{
    if (!FSources.contains(path)) {
        FSources << path;
        FAddedFiles << path;
    }
    const size_t before = FCatalogue->products().size();
    const size_t errorsBefore = FCatalogue->errors().size();
    // Added to the catalogue in place, so the gLabels references of earlier files still resolve.
    FModel->setCatalogue(nullptr);
    FCatalogue->addSource(path);
    FModel->setCatalogue(FCatalogue.get());
    FModel->setFilter(SearchEdit->text());
    updateLines();
    if (FCatalogue->errors().size() > errorsBefore) {
        FSources.removeAll(path);
        FAddedFiles.removeAll(path);
        showMessage(sourceErrorMessage(FCatalogue->errors().back()));
    } else if (FCatalogue->products().size() == before) {
        showMessage(QStringLiteral("「%1」には一覧にできる製品がありません。").arg(path));
    }
}

void ProductDialog::setMeasured(const Tlabelpar& fields)
{
    FMeasured = fields;
    LikeCheckBox->setEnabled(true);
    LikeCheckBoxClick();
}

void ProductDialog::LikeCheckBoxClick()
{
    FModel->setLike(LikeCheckBox->isChecked() ? FMeasured : std::nullopt);
    updateLines();
}

void ProductDialog::AddFileButtonClick()
{
    if (FOpenDialog->Execute(this))
        addSource(FOpenDialog->FileName);
}

void ProductDialog::showCurrent()
{
    QImage& picture = ProductPreview->Picture();
    const int i = FModel->productAt(ProductList->currentIndex().row());
    if (i < 0)
        picture.fill(Qt::white);
    else
        ::DrawPreview(picture, PreviewInput::of(FCatalogue->products()[size_t(i)].style));
    ProductPreview->update();
}

void ProductDialog::updateLines()
{
    const size_t all = FCatalogue->products().size();
    CountLabel->setText(QStringLiteral("%1 件中 %2 件を表示").arg(all).arg(FModel->listedCount()));

    QStringList lines;
    const auto counts = FCatalogue->skippedByReason();
    QStringList reasons;
    for (int r = 0; r < products::SkipReasonCount; ++r)
        if (counts[size_t(r)] > 0)
            reasons << QStringLiteral("%1 %2").arg(products::reasonTextJa(products::SkipReason(r))).arg(counts[size_t(r)]);
    lines << (reasons.isEmpty() ? QStringLiteral("一覧にない製品はありません。")
                                : QStringLiteral("一覧にない製品 %1 件: %2")
                                      .arg(FCatalogue->skipped().size())
                                      .arg(reasons.join(QStringLiteral("、"))));
    // A product the search names but that the list cannot hold says why, by name.
    const std::vector<int> named = FModel->skippedNamed();
    constexpr size_t NamedShown = 5;
    for (size_t k = 0; k < named.size() && k < NamedShown; ++k) {
        const products::Skipped& s = FCatalogue->skipped()[size_t(named[k])];
        lines << QStringLiteral("%1 %2: %3 (%4)").arg(s.brand, s.part, products::reasonTextJa(s.reason), s.detail);
    }
    if (named.size() > NamedShown)
        lines << QStringLiteral("ほかに一覧にない製品 %1 件").arg(named.size() - NamedShown);
    for (const products::SourceError& e : FCatalogue->errors())
        lines << sourceErrorMessage(e);
    for (const products::SourceError& e : FCatalogue->warnings())
        lines << sourceErrorMessage(e);
    if (FSources.isEmpty())
        lines << QStringLiteral("ラベルデータが見つかりません（gLabels の glabels-data か LibreOffice を入れるか、"
                                "「ファイルを追加...」で選んでください）。");
    SkippedLabel->setText(lines.join(QLatin1Char('\n')));
}

std::vector<Tlabelpar> ProductDialog::selectedStyles() const
{
    QModelIndexList rows = ProductList->selectionModel()->selectedRows();
    std::sort(rows.begin(), rows.end(), [](const QModelIndex& a, const QModelIndex& b) { return a.row() < b.row(); });
    std::vector<Tlabelpar> styles;
    for (const QModelIndex& r : rows)
        if (const int i = FModel->productAt(r.row()); i >= 0)
            styles.push_back(FCatalogue->products()[size_t(i)].style);
    return styles;
}
