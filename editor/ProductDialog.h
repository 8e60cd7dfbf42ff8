#pragma once

#include "labeldata/Tlabelpar.h"
#include "products/Catalogue.h"

#include <QDialog>
#include <QStringList>

#include <memory>
#include <optional>
#include <vector>

class QCheckBox;
class QDialogButtonBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTreeView;
class ProductListModel;
class TImage;
class TOpenDialog;

// "製品から追加": the label sheets of installed databases and of files the user adds, narrowed
// as the user types, with the window's preview of the product under the cursor.
class ProductDialog : public QDialog
{
    Q_OBJECT
public:
    // Reads every source now; the ones that cannot be read are named under the list.
    explicit ProductDialog(const QStringList& sources, QWidget* parent = nullptr);
    ~ProductDialog() override;

    // The styles of the selected products, in list order.
    std::vector<Tlabelpar> selectedStyles() const;
    // Files added with "ファイルを追加...", so the next opening can read them again.
    const QStringList& addedFiles() const { return FAddedFiles; }

    // Reads one more database file or folder, as "ファイルを追加..." does after its dialog.
    void addSource(const QString& path);
    // The layout in the window's fields, which "表示中の寸法に近い製品だけ" lists products like.
    void setMeasured(const Tlabelpar& fields);

    QLineEdit* SearchEdit = nullptr;
    QCheckBox* LikeCheckBox = nullptr;
    QTreeView* ProductList = nullptr;
    TImage* ProductPreview = nullptr;
    QLabel* CountLabel = nullptr;
    QLabel* SkippedLabel = nullptr;
    QPushButton* AddFileButton = nullptr;
    QDialogButtonBox* Buttons = nullptr;

private:
    void reload();
    void showCurrent();
    void updateLines();
    void AddFileButtonClick();
    void LikeCheckBoxClick();

    QStringList FSources;
    QStringList FAddedFiles;
    std::unique_ptr<products::Catalogue> FCatalogue;
    ProductListModel* FModel = nullptr;
    std::unique_ptr<TOpenDialog> FOpenDialog;
    std::optional<Tlabelpar> FMeasured;
};
