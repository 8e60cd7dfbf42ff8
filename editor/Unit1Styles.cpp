// Style list editing: selecting, adding, updating and deleting styles, the spacing button,
// and the rules that enable "U" and Save.
#include "editor/Unit1.h"

#include "editor/FieldMap.h"
#include "editor/GroupNameEdit.h"
#include "labeldata/Cp932.h"
#include "labeldata/Names.h"
#include "labeldata/StyleFields.h"
#include "labeldata/Tdatatree.h"
#include "numberedit/UpdownNumberEdit.h"
#include "toolkit/Application.h"
#include "toolkit/Dialogs.h"
#include "toolkit/SpinEdit.h"

#include <QAction>
#include <QComboBox>
#include <QPushButton>
#include <QValidator>

#include <optional>

namespace {

// Refuses, while it is typed or pasted, any text that code page 932 cannot hold.
class Cp932Validator : public QValidator
{
public:
    using QValidator::QValidator;
    State validate(QString& input, int&) const override
    {
        return cp932::canEncode(input) ? Acceptable : Invalid;
    }
};

} // namespace

Tlabelpar* TForm1::currentStyle() const
{
    const int index = ComboBox1->currentIndex();
    if (index < 0 || size_t(index) >= Datatree->LabelList.size())
        return nullptr;
    return &Datatree->LabelList[size_t(index)];
}

void TForm1::ComboBox1Select()
{
    Tlabelpar* style = currentStyle();
    if (!style)
        return;
    for (const FieldBinding& b : FieldMap) {
        const labeldata::StyleField& f = labeldata::StyleFields[size_t(b.field)];
        if (b.spin)
            (this->*b.spin)->SetValue(style->*f.count);
        else
            (this->*b.length)->SetValue(style->*f.length);
    }
    Button4->setEnabled(false);
    DrawPreview();
}

void TForm1::StoreFields(Tlabelpar& style)
{
    for (const FieldBinding& b : FieldMap) {
        const labeldata::StyleField& f = labeldata::StyleFields[size_t(b.field)];
        if (b.spin)
            style.*f.count = (this->*b.spin)->Value();
        else
            style.*f.length = double((this->*b.length)->Value());
    }
}

void TForm1::Button4Click()
{
    Tlabelpar* style = currentStyle();
    if (!style)
        return;
    S1->setEnabled(true);
    StoreFields(*style);
    markSetChanged();
    Button4->setEnabled(false);
}

bool TForm1::roomForStyles(size_t count)
{
    // The count word of the file holds no more; a 65536th style would be lost on saving.
    if (Datatree->LabelList.size() + count > Tdatatree::MaxStyles) {
        showMessage(QStringLiteral("ラベルのスタイルはこれ以上登録できません（最大 %1 個）。")
                        .arg(Tdatatree::MaxStyles));
        return false;
    }
    return true;
}

void TForm1::Button3Click()
{
    if (!roomForStyles(1))
        return;
    const Cp932Validator validator;
    const std::optional<QString> text
        = InputBox(QStringLiteral("ラベル登録"), QStringLiteral("ラベル名を入力してください"), QString(), &validator,
                   int(labeldata::StyleNameMaxBytes));
    if (!text)
        return;

    Tlabelpar& added = Datatree->LabelList.emplace_back();
    added.Name = labeldata::makeStyleName(*text);
    StoreFields(added);
    ComboBox1->addItem(cp932::visibleText(added.Name));
    ComboBox1->setCurrentIndex(ComboBox1->count() - 1);
    markSetChanged();
    S1->setEnabled(true);
    Button4Click();
}

void TForm1::Button1Click()
{
    int index = ComboBox1->currentIndex();
    if (!currentStyle())
        return;
    auto& list = Datatree->LabelList;
    list.erase(list.begin() + index);
    ComboBox1->removeItem(index);
    markSetChanged();
    const int left = int(list.size());
    if (index > left - 1)
        index -= 1;
    if (left > 0) {
        ComboBox1->setCurrentIndex(index);
        ComboBox1Select();
        S1->setEnabled(true);
    } else {
        ComboBox1->setCurrentIndex(-1);
    }
}

void TForm1::Button2Click()
{
    const Extended columns = SpinEdit2->Value();
    const Extended rows = SpinEdit1->Value();
    // With one column (or row) there is no gap to work out: keep the spacing as it is.
    if (columns != 1) {
        UpdownNumberEdit9->SetValue((UpdownNumberEdit1->Value() - UpdownNumberEdit5->Value()
                                     - UpdownNumberEdit6->Value() - columns * UpdownNumberEdit3->Value())
                                    / (columns - 1));
    }
    if (rows != 1) {
        UpdownNumberEdit10->SetValue((UpdownNumberEdit2->Value() - UpdownNumberEdit7->Value()
                                      - UpdownNumberEdit8->Value() - rows * UpdownNumberEdit4->Value())
                                     / (rows - 1));
    }
}

void TForm1::Edit11Change()
{
    Datatree->GroupName = labeldata::makeGroupName(Edit11->Text(), FGroupNameRead);
    markSetChanged();
    S1->setEnabled(true);
}

bool TForm1::fieldTextEmpty(QObject* field) const
{
    if (auto* spin = dynamic_cast<TSpinEdit*>(field))
        return spin->text().isEmpty();
    if (auto* edit = dynamic_cast<TCustomEdit*>(field))
        return edit->Text().isEmpty();
    return false;
}

void TForm1::UpdownNumberEdit1Change(QObject* Sender)
{
    if (fieldTextEmpty(Sender))
        return;
    if (auto* spin = dynamic_cast<TSpinEdit*>(Sender)) {
        if (spin->Value() == 0)
            return;
    } else if (auto* field = dynamic_cast<TNumberEdit*>(Sender)) {
        if (field->Value() == 0)
            return;
    }
    SpinEdit7Change(Sender);
}

void TForm1::SpinEdit7Change(QObject* Sender)
{
    if (fieldTextEmpty(Sender))
        return;
    if (ComboBox1->currentIndex() != -1)
        Button4->setEnabled(true);
    DrawPreview();
}

void TForm1::UpdownNumberEdit5Change(QObject* Sender)
{
    SpinEdit7Change(Sender);
}
