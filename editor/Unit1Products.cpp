// "製品から追加": styles made from the label sheets of other programs' databases.
#include "editor/Unit1.h"

#include "editor/ProductDialog.h"
#include "labeldata/Cp932.h"
#include "labeldata/Tdatatree.h"

#include <QAction>
#include <QComboBox>
#include <QPushButton>

void TForm1::FileAddProducts1Execute()
{
    ProductDialog dialog(ProductSources, this);
    dialog.setMeasured(fieldStyle());
    const int answer = dialog.exec();
    for (const QString& file : dialog.addedFiles())
        if (!ProductSources.contains(file))
            ProductSources << file;
    if (answer == QDialog::Accepted)
        addStyles(dialog.selectedStyles());
}

void TForm1::addStyles(const std::vector<Tlabelpar>& styles)
{
    if (styles.empty())
        return;
    // All or none: a set cut short at the limit would leave the user guessing which were added.
    if (!roomForStyles(styles.size()))
        return;
    QStringList names;
    for (const Tlabelpar& s : styles) {
        Datatree->LabelList.push_back(s);
        names << cp932::visibleText(s.Name);
    }
    ComboBox1->addItems(names);
    markSetChanged();
    // As after "+" for each: the last one added is selected and shown, U is off, Save is on.
    ComboBox1->setCurrentIndex(ComboBox1->count() - 1);
    ComboBox1Select();
    S1->setEnabled(true);
}
