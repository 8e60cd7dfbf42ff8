#include "EditorTestSupport.h"

#include "numberedit/UpdownNumberEdit.h"
#include "toolkit/SpinEdit.h"

#include <QLineEdit>
#include <QPushButton>
#include <QTest>

void ModalAnswers::input(const QString& text, bool confirm)
{
    then([text, confirm](QWidget* w) {
        if (auto* edit = w->findChild<QLineEdit*>(QStringLiteral("InputBoxEdit")))
            edit->setText(text);
        auto* button = w->findChild<QPushButton*>(confirm ? QStringLiteral("InputBoxOk")
                                                          : QStringLiteral("InputBoxCancel"));
        if (button)
            button->click();
        else
            w->close();
    });
}

void ModalAnswers::question(const QString& button)
{
    then([this, button](QWidget* w) {
        auto* box = qobject_cast<QMessageBox*>(w);
        questions.push_back(box && w->objectName() == QStringLiteral("SaveQuestion")
                                ? box->text()
                                : QStringLiteral("<not the question: %1>").arg(w->objectName()));
        if (auto* pressed = w->findChild<QPushButton*>(button))
            pressed->click();
        else
            w->close();
    });
}

void typeOver(QLineEdit* field, const QString& text)
{
    field->setFocus();
    field->selectAll();
    if (text.isEmpty())
        QTest::keyClick(field, Qt::Key_Backspace);
    else
        QTest::keyClicks(field, text);
}

std::unique_ptr<TForm1> newWindow()
{
    return std::make_unique<TForm1>();
}

namespace {
TUpdownNumberEdit* const* lengthFields(const TForm1& f, TUpdownNumberEdit* (&out)[10])
{
    TUpdownNumberEdit* fields[10] = {f.UpdownNumberEdit1, f.UpdownNumberEdit2, f.UpdownNumberEdit3,
                                     f.UpdownNumberEdit4, f.UpdownNumberEdit5, f.UpdownNumberEdit6,
                                     f.UpdownNumberEdit7, f.UpdownNumberEdit8, f.UpdownNumberEdit9,
                                     f.UpdownNumberEdit10};
    std::copy(std::begin(fields), std::end(fields), out);
    return out;
}
} // namespace

FieldValues fieldValues(const TForm1& form)
{
    FieldValues v{};
    v.rows = form.SpinEdit1->Value();
    v.columns = form.SpinEdit2->Value();
    TUpdownNumberEdit* fields[10];
    lengthFields(form, fields);
    for (int i = 0; i < 10; ++i)
        v.lengths[i] = double(fields[i]->Value());
    return v;
}

void setFields(TForm1& form, const FieldValues& values)
{
    form.SpinEdit1->SetValue(values.rows);
    form.SpinEdit2->SetValue(values.columns);
    TUpdownNumberEdit* fields[10];
    lengthFields(form, fields);
    for (int i = 0; i < 10; ++i)
        fields[i]->SetValue(values.lengths[i]);
}

std::string readFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QByteArray bytes = file.readAll();
    return std::string(bytes.constData(), size_t(bytes.size()));
}

void writeFile(const QString& path, const std::string& bytes)
{
    QFile file(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        file.write(bytes.data(), qint64(bytes.size()));
}

std::string workedExampleBytes()
{
    std::string b(122, '\0');
    auto put = [&b](size_t at, std::initializer_list<int> bytes) {
        for (int x : bytes)
            b[at++] = char(x);
    };
    put(0, {0x56, 0x65, 0x6C, 0x6C, 0x75, 0x6D, 0x6F, 0x20, 0x56, 0x32, 0x2E, 0x30, 0x20, 0x54, 0x50, 0x4C});
    put(30, {0x54, 0x45, 0x53, 0x54, 0x00, 0x00});
    put(45, {0x01, 0x00});
    put(47, {0x41, 0x34, 0x00});
    put(66, {0x46, 0x00, 0x00, 0x00});
    put(70, {0x59, 0x1B, 0x03, 0x00, 0x4C, 0x20, 0xAD, 0x2D, 0x27, 0x02, 0xB1, 0x01, 0x27, 0x02, 0xB1, 0x01,
             0x02, 0x00, 0x05, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0xFF, 0x0D, 0x75, 0x08, 0x00, 0x00,
             0x41, 0x34, 0x00});
    return b;
}
