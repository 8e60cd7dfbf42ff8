// A seeded monkey: random real input to the window (pastes of up to 200,000 characters into
// every text field among it), with its invariants checked after every event. Six rounds by
// default; TESSEL_MONKEY_SEED alone replays one round, and TESSEL_MONKEY_SECONDS keeps
// starting new rounds until that time is up (scripts/monkey).
// A failure prints the round's seed and its events.
#include "EditorTestSupport.h"

#include "editor/GroupNameEdit.h"
#include "editor/ProductDialog.h"
#include "ProductFiles.h"
#include "labeldata/Cp932.h"
#include "numberedit/NumberText.h"
#include "numberedit/UpdownNumberEdit.h"
#include "toolkit/Application.h"
#include "toolkit/Conversions.h"
#include "toolkit/Errors.h"
#include "toolkit/Help.h"
#include "toolkit/NumberFormat.h"
#include "toolkit/SpinEdit.h"
#include "toolkit/UpDown.h"

#include <QAction>
#include <QClipboard>
#include <QDir>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QMenu>
#include <QItemSelectionModel>
#include <QPointer>
#include <QPushButton>
#include <QTreeView>
#include <QRegularExpression>
#include <QTest>
#include <QToolButton>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <deque>
#include <exception>
#include <iostream>
#include <map>
#include <random>
#include <string>
#include <vector>

#include <sys/stat.h>
#include <unistd.h>

#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/common_interface_defs.h>
#endif

namespace {

constexpr int EventsPerRound = 600;
constexpr int BoundedRounds = 6; // some 15 s in the sanitizer build

class Monkey;
// The round that a crash or a sanitizer report prints, with its events, before the process ends.
const Monkey* current = nullptr;
void printCrashReport();

// Printable, one line: control characters as \xNN.
std::string text(const QString& s)
{
    QString shown;
    for (QChar c : s)
        shown += c.unicode() < 32 ? QStringLiteral("\\x%1").arg(c.unicode(), 2, 16, QLatin1Char('0')) : QString(c);
    return shown.toStdString();
}

// Texts a hostile user pastes or types.
QString randomText(std::mt19937_64& rng)
{
    auto pick = [&](int n) { return int(rng() % uint64_t(n)); };
    auto digits = [&](int n) {
        QString s;
        for (int i = 0; i < n; ++i)
            s += QChar(u'0' + pick(10));
        return s;
    };
    static const QStringList fixed = {
        "", "1e400", "-1E-5", "2.5e+3", "5-3", "--1", "+-2", ".-5", "1+", "-", "+", ".", ",", "-.",
        "12,5", "1,234.56", "1.234,56", ",,,", " 12 ", "\t1\n2", "ラベル", "１２３", "あいうえお",
        "😀", "0x1F", "$FF", "NaN", "INF", "-0", "0.004", "9.995", "999.999", "1000.005", "0001",
    };
    switch (pick(4)) {
    case 0:
        return fixed[pick(int(fixed.size()))];
    case 1:
        return digits(1 + pick(30));
    case 2:
        return digits(pick(5)) + QChar(u'.') + digits(pick(8));
    default: {
        static const QString alphabet = QStringLiteral("0123456789.,-+eE $ｱ亜\x01");
        QString s;
        for (int i = pick(8); i > 0; --i)
            s += alphabet[pick(int(alphabet.size()))];
        return s;
    }
    }
}

// A clipboard pasted by mistake: up to 200,000 characters of digits, Japanese, characters the
// code page lacks and control characters, mixed.
QString hugeText(std::mt19937_64& rng)
{
    static const QStringList pieces = {"0123456789", "12.5", "日本語のラベル", "é😀", "\x01\t\x1b", "\r\n", "-+,. ", "ｱ亜"};
    QString pattern;
    for (int n = 1 + int(rng() % 4); n > 0; --n)
        pattern += pieces[qsizetype(rng() % uint64_t(pieces.size()))];
    const qsizetype length = 1 + qsizetype(rng() % 200000);
    QString text;
    text.reserve(length + pattern.size());
    while (text.size() < length)
        text += pattern;
    text.truncate(length);
    return text;
}

// What the log shows of a pasted text: a long one by its length and its start.
std::string shownPaste(const QString& s)
{
    return s.size() <= 40 ? "'" + text(s) + "'" : std::to_string(s.size()) + " characters '" + text(s.left(20)) + "...'";
}

class Monkey
{
public:
    Monkey(uint64_t seed, const QString& folder) : seed(seed), rng(seed), answers(seed ^ 0x9E3779B97F4A7C15ull), folder(folder)
    {
        form = newWindow();
        form->ProductSources = {folder + "/products/glabels", folder + "/products/labels.xml"};
        form->show();
        QApplication::setActiveWindow(form.get());
        EXPECT_TRUE(QTest::qWaitForWindowActive(form.get()));
        lengths = {form->UpdownNumberEdit1, form->UpdownNumberEdit2, form->UpdownNumberEdit3, form->UpdownNumberEdit4,
                   form->UpdownNumberEdit5, form->UpdownNumberEdit6, form->UpdownNumberEdit7, form->UpdownNumberEdit8,
                   form->UpdownNumberEdit9, form->UpdownNumberEdit10};
        spins = {form->SpinEdit1, form->SpinEdit2};
        dismisser.setInterval(2);
        QObject::connect(&dismisser, &QTimer::timeout, [this] { answerModal(); });
        dismisser.start();
    }

    ~Monkey()
    {
        dismisser.stop();
        if (QWidget* popup = QApplication::activePopupWidget())
            popup->close();
    }

    // Runs the round; an empty result means every invariant held after every event.
    std::string run(int events)
    {
        for (int i = 0; i < events; ++i) {
            event();
            QCoreApplication::processEvents();
            planned.clear();
            if (const std::string broken = invariants(); !broken.empty())
                return "failed after event " + std::to_string(i) + ": " + broken;
        }
        return {};
    }

    std::string report(const std::string& outcome) const
    {
        std::string r = "monkey: seed " + std::to_string(seed) + " " + outcome + "\n";
        r += "replay: TESSEL_MONKEY_SEED=" + std::to_string(seed) + " (scripts/monkey 0 " + std::to_string(seed) + ")\n";
        for (size_t i = 0; i < log.size(); ++i)
            r += "  " + std::to_string(i) + " " + log[i] + "\n";
        return r;
    }

    uint64_t seed;
    std::vector<std::string> log;
    std::map<QString, int> messages;

private:
    int pick(int n) { return int(rng() % uint64_t(n)); }
    void note(const std::string& what) { log.push_back(what); }

    QWidget* focused() const
    {
        QWidget* w = QApplication::focusWidget();
        return w ? w : form.get();
    }

    std::vector<QWidget*> controls() const
    {
        std::vector<QWidget*> all(lengths.begin(), lengths.end());
        all.insert(all.end(), spins.begin(), spins.end());
        all.push_back(form->Edit11);
        return all;
    }

    void event()
    {
        // A closed dialog can leave no window active on this platform; the user would click
        // back into the window, which gives the focus back to the control that had it.
        if (QApplication::activeWindow() != form.get())
            QApplication::setActiveWindow(form.get());
        const int kind = pick(100);
        if (kind < 14) {
            QWidget* w = controls()[size_t(pick(int(controls().size())))];
            note("click into " + text(w->objectName()));
            QTest::mouseClick(w, Qt::LeftButton, {}, QPoint(5, w->height() / 2));
        } else if (kind < 40) {
            QString typed;
            for (int n = 1 + pick(5); n > 0; --n)
                typed += randomText(rng).left(1);
            if (typed.isEmpty())
                typed = QStringLiteral("7");
            note("type '" + text(typed) + "' into " + text(focused()->objectName()));
            for (QChar c : typed)
                QTest::sendKeyEvent(QTest::Click, focused(), Qt::Key_unknown, QString(c), Qt::NoModifier);
        } else if (kind < 55) {
            static const std::pair<Qt::Key, Qt::KeyboardModifiers> keys[] = {
                {Qt::Key_Backspace, {}}, {Qt::Key_Delete, {}},    {Qt::Key_Left, {}},
                {Qt::Key_Right, {}},     {Qt::Key_Home, {}},      {Qt::Key_End, {}},
                {Qt::Key_Up, {}},        {Qt::Key_Down, {}},      {Qt::Key_Return, {}},
                {Qt::Key_Tab, {}},       {Qt::Key_Tab, Qt::ShiftModifier}, {Qt::Key_Escape, {}},
                {Qt::Key_A, Qt::ControlModifier}, {Qt::Key_Z, Qt::ControlModifier}, {Qt::Key_X, Qt::ControlModifier},
                {Qt::Key_C, Qt::ControlModifier}, {Qt::Key_Minus, {}}, {Qt::Key_Plus, {}},
            };
            const auto& [key, modifiers] = keys[pick(int(std::size(keys)))];
            note("key " + text(QKeySequence(QKeyCombination(modifiers, key)).toString()) + " to " + text(focused()->objectName()));
            QTest::keyClick(focused(), key, modifiers);
        } else if (kind < 63) {
            const QString pasted = pick(8) == 0 ? hugeText(rng) : randomText(rng);
            const bool insertKey = pick(2);
            note("paste " + shownPaste(pasted) + " with " + (insertKey ? "Shift+Insert" : "Ctrl+V") + " into " + text(focused()->objectName()));
            QGuiApplication::clipboard()->setText(pasted);
            if (insertKey)
                QTest::keyClick(focused(), Qt::Key_Insert, Qt::ShiftModifier);
            else
                QTest::keyClick(focused(), Qt::Key_V, Qt::ControlModifier);
        } else if (kind < 71) {
            const bool up = pick(2);
            TUpDown* arrows;
            std::string owner;
            if (pick(6) == 0) {
                TSpinEdit* s = spins[size_t(pick(2))];
                arrows = s->Arrows();
                owner = text(s->objectName());
            } else {
                TUpdownNumberEdit* e = lengths[size_t(pick(10))];
                arrows = e->Updown();
                owner = text(e->objectName());
            }
            note(std::string("arrow ") + (up ? "up" : "down") + " of " + owner);
            QTest::mouseClick(up ? arrows->upButton() : arrows->downButton(), Qt::LeftButton);
        } else if (kind < 82) {
            QPushButton* buttons[] = {form->Button3, form->Button4, form->Button1, form->Button2};
            QPushButton* b = buttons[pick(4)];
            if (b == form->Button3)
                planInput();
            note("click \"" + text(b->text()) + "\"");
            QTest::mouseClick(b, Qt::LeftButton);
        } else if (kind < 88) {
            static const Qt::Key keys[] = {Qt::Key_Down, Qt::Key_Up, Qt::Key_Home, Qt::Key_End};
            const Qt::Key key = keys[pick(4)];
            note("style list key " + text(QKeySequence(key).toString()));
            form->ComboBox1->setFocus(Qt::TabFocusReason);
            QTest::keyClick(form->ComboBox1, key);
        } else if (kind < 91) {
            note("Ctrl+N");
            QTest::keyClick(focused(), Qt::Key_N, Qt::ControlModifier);
        } else if (kind < 94) {
            planOpen();
            note("Ctrl+O, then " + plannedText);
            QTest::keyClick(focused(), Qt::Key_O, Qt::ControlModifier);
        } else if (kind < 96) {
            planSave();
            note("Ctrl+S, a dialog answered with " + plannedText);
            QTest::keyClick(focused(), Qt::Key_S, Qt::ControlModifier);
        } else if (kind < 97) {
            planSave();
            note("Save As, then " + plannedText);
            form->SaveAs1->trigger();
        } else if (kind < 99) {
            planProducts();
            note("製品から追加, then " + plannedText);
            form->AddProducts1->trigger();
        } else {
            // Any other item of the menus, ours or one added later, except the one that ends
            // the program; whatever it opens is dismissed.
            std::vector<QAction*> items;
            for (QMenu* menu : {form->File1, form->Help1})
                for (QAction* a : menu->actions())
                    if (!a->isSeparator() && a->isEnabled() && a != form->Exit1 && !a->menu())
                        items.push_back(a);
            if (items.empty())
                return;
            QAction* a = items[size_t(pick(int(items.size())))];
            note("menu item " + text(a->text()));
            a->trigger();
        }
    }

    // Answers are decided when the event is made, so that a replay meets the same ones.
    enum class Kind { File, Input, Products };
    struct Answer {
        Kind kind;
        QString text; // file path or typed name; empty file path: cancel
        bool confirm = true;
        uint64_t choice = 0; // which products to select
        bool pasted = false; // the name comes from the clipboard
    };
    std::deque<Answer> planned;
    std::string plannedText;

    void planInput()
    {
        const bool pasted = pick(4) == 0;
        Answer a{Kind::Input, pasted ? hugeText(rng) : randomText(rng), pick(4) != 0, 0, pasted};
        plannedText = (pasted ? "pasted name " : "name ") + shownPaste(a.text) + (a.confirm ? "" : ", cancel");
        planned.push_back(a);
    }

    void planOpen()
    {
        QStringList files = QDir(folder).entryList(QDir::Files);
        files << "missing.tpl";
        Answer a{Kind::File, pick(6) == 0 ? QString() : QDir(folder).filePath(files[pick(int(files.size()))])};
        plannedText = a.text.isEmpty() ? "cancel" : "open " + text(QFileInfo(a.text).fileName());
        planned.push_back(a);
    }

    // The product dialog: "ファイルを追加..." with a damaged, hostile or special file (or
    // nothing), then OK with some products selected, or Cancel.
    void planProducts()
    {
        QStringList hostile = QDir(folder + "/hostile").entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot);
        for (QString& name : hostile)
            name = folder + "/hostile/" + name;
        hostile << folder + "/hostile/paper/t.xml" << "/dev/null" << folder + "/missing.xml";
        Answer a{Kind::Products, pick(4) == 0 ? QString() : hostile[pick(int(hostile.size()))], pick(3) != 0, rng()};
        plannedText = (a.text.isEmpty() ? std::string("no file") : "add " + text(QFileInfo(a.text).fileName())) + ", "
                      + (a.confirm ? "OK" : "cancel");
        planned.push_back(a);
    }

    // Runs inside the product dialog's own loop, so the file dialog and the messages it opens
    // are answered as they come.
    void driveProducts(ProductDialog* dialog, const Answer& a)
    {
        driving = dialog;
        if (!a.text.isEmpty()) {
            planned.push_front(Answer{Kind::File, a.text});
            dialog->AddFileButton->click();
        }
        QItemSelectionModel* selection = dialog->ProductList->selectionModel();
        const int rows = dialog->ProductList->model()->rowCount();
        for (uint64_t c = a.choice; rows > 0 && c % 4 != 0; c /= 4)
            selection->select(dialog->ProductList->model()->index(int((c >> 2) % uint64_t(rows)), 0),
                              QItemSelectionModel::Select | QItemSelectionModel::Rows);
        driving = nullptr;
        if (a.confirm)
            dialog->accept();
        else
            dialog->reject();
    }

    void planSave()
    {
        static const QStringList names = {"a", "b.tpl", "c.txt", "sheet.", "example.tpl", "ラベル"};
        Answer a{Kind::File, pick(5) == 0 ? QString() : QDir(folder).filePath(names[pick(int(names.size()))])};
        plannedText = a.text.isEmpty() ? "cancel" : "name " + text(QFileInfo(a.text).fileName());
        planned.push_back(a);
    }

    void answerModal()
    {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal)
            return;
        if (auto* box = qobject_cast<QMessageBox*>(modal)) {
            // Counted by kind: the folder, a refused number text and the figures in a message
            // differ from box to box.
            static const QRegularExpression refusedText(QStringLiteral("^'.*'( は(浮動小数点数|整数)ではありません)$"));
            static const QRegularExpression figure(QStringLiteral("\\d+([.,]\\d+)*"));
            ++messages[QString(box->text())
                           .replace(folder, QStringLiteral("<folder>"))
                           .replace(refusedText, QStringLiteral("'…'\\1"))
                           .replace(figure, QStringLiteral("#"))];
            if (box->windowTitle() == applicationTitle() && !box->text().isEmpty())
                ownMessages.push_back(box->text());
            const QList<QAbstractButton*> buttons = box->buttons();
            // A question someone added later: any of its answers, decided by the seed.
            if (buttons.size() > 1)
                buttons[qsizetype(answers() % uint64_t(buttons.size()))]->click();
            else if (!buttons.isEmpty())
                buttons.front()->click();
            else
                box->reject();
            return;
        }
        if (modal == driving)
            return;
        auto* dialog = qobject_cast<QDialog*>(modal);
        const bool again = modal == lastAnswered;
        lastAnswered = modal;
        if (!again && !planned.empty()) {
            const Answer a = planned.front();
            if (a.kind == Kind::File) {
                if (auto* files = qobject_cast<QFileDialog*>(modal)) {
                    planned.pop_front();
                    if (a.text.isEmpty()) {
                        files->reject();
                    } else {
                        files->selectFile(a.text);
                        static_cast<QDialog*>(files)->accept();
                    }
                    return;
                }
            } else if (a.kind == Kind::Products) {
                if (auto* products = qobject_cast<ProductDialog*>(modal)) {
                    planned.pop_front();
                    driving = products;
                    QTimer::singleShot(0, products, [this, products, a] { driveProducts(products, a); });
                    return;
                }
            } else if (modal->objectName() == QStringLiteral("InputBox")) {
                planned.pop_front();
                if (auto* edit = modal->findChild<QLineEdit*>(QStringLiteral("InputBoxEdit"))) {
                    if (a.pasted) {
                        QGuiApplication::clipboard()->setText(a.text);
                        QTest::keyClick(edit, Qt::Key_V, Qt::ControlModifier);
                    } else {
                        edit->setText(a.text);
                    }
                }
                if (auto* b = modal->findChild<QPushButton*>(a.confirm ? QStringLiteral("InputBoxOk")
                                                                       : QStringLiteral("InputBoxCancel")))
                    b->click();
                return;
            }
        }
        // Anything unplanned, or a dialog that stayed open after its answer: dismissed.
        if (dialog)
            dialog->reject();
        else
            modal->close();
    }

    std::string invariants()
    {
        const auto& list = form->Datatree->LabelList;
        if (size_t(form->ComboBox1->count()) != list.size())
            return "the list holds " + std::to_string(form->ComboBox1->count()) + " styles, the set " + std::to_string(list.size());
        for (size_t i = 0; i < list.size(); ++i)
            if (form->ComboBox1->itemText(int(i)) != cp932::visibleText(list[i].Name))
                return "list entry " + std::to_string(i) + " is not the set's style " + std::to_string(i);

        const QChar separator = DecimalSeparator();
        const QChar thousands = ThousandSeparator();
        for (TUpdownNumberEdit* e : lengths) {
            if (e->HasEditFocus())
                continue;
            const QString shown = e->Text();
            QString plain = shown;
            plain.remove(thousands);
            if (plain.startsWith(u'+')) // a plus sign the user typed stays (and means nothing)
                plain.remove(0, 1);
            const qsizetype p = plain.indexOf(separator);
            const bool twoDecimals = p > 0 && plain.size() - p - 1 == 2
                && std::all_of(plain.begin(), plain.end(), [&](QChar c) { return c.isDigit() || c == separator; });
            Extended value = -1;
            try {
                QString copy = shown;
                value = TNumberText::ParseText(copy, ntDecimal, false);
            } catch (const EConvertError&) {
            }
            if (!twoDecimals || value < 0 || value > 1000 || value != e->Value())
                return text(e->objectName()) + " shows '" + text(shown) + "' but holds " + text(FloatToStr(e->Value()));
        }
        for (TSpinEdit* s : spins) {
            if (s->HasEditFocus())
                continue;
            int shown = 0;
            try {
                shown = StrToInt(s->Text());
            } catch (const EConvertError&) {
            }
            if (shown < 1 || shown > 1000 || shown != s->Value())
                return text(s->objectName()) + " shows '" + text(s->Text()) + "' but holds " + std::to_string(s->Value());
        }
        for (const QString& m : ownMessages) {
            // An internal error the boundary caught shows as English or as the generic message.
            const bool japanese = std::any_of(m.begin(), m.end(), [](QChar c) { return c.unicode() >= 0x3000; });
            if (!japanese || m == QStringLiteral("予期しないエラーが発生しました"))
                return "a message that is no message for the user: '" + text(m) + "'";
        }
        ownMessages.clear();
        return {};
    }

    std::mt19937_64 rng;
    std::mt19937_64 answers;
    QString folder;
    std::unique_ptr<TForm1> form;
    std::vector<TUpdownNumberEdit*> lengths;
    std::vector<TSpinEdit*> spins;
    QTimer dismisser;
    QWidget* lastAnswered = nullptr;
    QPointer<QWidget> driving; // the product dialog while the monkey works in it
    QStringList ownMessages;
};

void printCrashReport()
{
    if (current)
        std::fputs(current->report("stopped by a crash or a sanitizer report during its last event").c_str(), stderr);
}

// The files Open may pick: good, odd, damaged, foreign and larger ones.
void fillFolder(const QString& folder)
{
    writeFile(folder + "/example.tpl", workedExampleBytes());
    std::string odd = workedExampleBytes();
    odd.replace(30, 4, "\x80\xED\x40X");
    odd.replace(47, 3, std::string("\xFF\x82\0", 3));
    writeFile(folder + "/odd.tpl", odd);
    std::string damaged = workedExampleBytes();
    damaged[45] = char(200);
    writeFile(folder + "/damaged.tpl", damaged);
    writeFile(folder + "/short.tpl", "Vellumo V2.0 TPL");
    writeFile(folder + "/text.tpl", "not a template at all");
    Tdatatree many;
    many.GroupName = std::string("MANY\0", 5);
    for (int i = 0; i < 300; ++i) {
        auto s = std::make_unique<Tlabelpar>();
        s->Name = "S" + std::to_string(i) + std::string(1, '\0');
        s->SheetWidth = 100 + i;
        s->SheetHeight = 1000.0 * i / 300;
        s->LabelWidth = i % 50;
        s->LabelHeight = 2.5 * (i % 7);
        s->Rows = i % 1003; // 0 and beyond 1000 as a damaged or foreign file may hold
        s->Columns = 1 + i % 4;
        s->LeftMargin = s->TopMargin = 3.33333;
        many.LabelList.push_back(std::move(*s));
    }
    many.FileName = folder + "/many.tpl";
    many.Save();

    // Label databases, and what "ファイルを追加..." may be pointed at: damaged, hostile and
    // special files.
    const auto databases = productfiles::writeAll(folder + "/products");
    const QString hostile = folder + "/hostile";
    QDir().mkpath(hostile);
    mkfifo(QFile::encodeName(hostile + "/pipe.xml").constData(), 0600);
    QDir().mkpath(hostile + "/with-pipe");
    mkfifo(QFile::encodeName(hostile + "/with-pipe/x.xml").constData(), 0600);
    (void)::symlink("loop.xml", QFile::encodeName(hostile + "/loop.xml").constData());
    (void)::symlink("/dev/zero", QFile::encodeName(hostile + "/zero.xml").constData());
    writeFile(hostile + "/nolayout.xml", "<Glabels-templates><Template brand=\"B\" part=\"P\" size=\"A4\"><Label-rectangle "
                                          "width=\"50mm\" height=\"20mm\"><Markup-margin size=\"1mm\"/></Label-rectangle>"
                                          "</Template></Glabels-templates>");
    writeFile(hostile + "/tworoots.xml", "<manufacturers/><manufacturers/>");
    writeFile(hostile + "/nul.xml", std::string("<manufacturers><manufacturer name=\"\0\"/></manufacturers>", 55));
    writeFile(hostile + "/huge.xml", "<Glabels-templates><Template brand=\"B\" part=\"H\" size=\"Other\" width=\"1e308in\" "
                                      "height=\"1in\"><Label-rectangle width=\"1in\" height=\"1in\"><Layout nx=\"99999\" "
                                      "ny=\"1\" x0=\"-0\" y0=\"0\" dx=\"1e308in\"/></Label-rectangle></Template></Glabels-templates>");
    QDir().mkpath(hostile + "/paper");
    writeFile(hostile + "/paper/t.xml", readFile(databases.glabelsFile));
    QDir().mkpath(hostile + "/paper/paper-sizes.xml");
    // Real files cut short at every few bytes: some XML, some not.
    for (const QString& name : QDir(databases.glabelsFolder).entryList(QDir::Files)) {
        const std::string whole = readFile(databases.glabelsFolder + "/" + name);
        for (size_t cut = 7; cut < whole.size(); cut += whole.size() / 3)
            writeFile(hostile + "/cut" + QString::number(cut) + "-" + name, whole.substr(0, cut));
    }
}

} // namespace

TEST(Monkey, RandomInputNeverBreaksTheWindowsInvariants)
{
    const QByteArray seedText = qgetenv("TESSEL_MONKEY_SEED");
    const double seconds = qEnvironmentVariableIsSet("TESSEL_MONKEY_SECONDS")
        ? qEnvironmentVariable("TESSEL_MONKEY_SECONDS").toDouble()
        : 0;
    uint64_t seed = seedText.isEmpty() ? std::random_device{}() : seedText.toULongLong();

    const TemporaryHome home;
    const QString title = applicationTitle();
    setApplicationTitle(QStringLiteral("tessel vellumo"));
    // The help command may find the user guide; the monkey must not start a viewer.
    setHelpOpener([](const QUrl&) { return true; });
    const std::terminate_handler previous = std::set_terminate([] {
        std::fputs("monkey: an exception or a fatal error passed the error boundary\n", stderr);
        printCrashReport();
        std::abort();
    });
#if defined(__SANITIZE_ADDRESS__)
    __sanitizer_set_death_callback(printCrashReport);
#endif

    QElapsedTimer clock;
    clock.start();
    long events = 0;
    int rounds = 0;
    std::map<QString, int> messages;
    do {
        QTemporaryDir dir;
        fillFolder(dir.path());
        std::cout << "[          ] monkey round " << rounds << ", seed " << seed << std::endl;
        Monkey monkey(seed, dir.path());
        current = &monkey;
        const std::string failure = monkey.run(EventsPerRound);
        current = nullptr;
        events += long(monkey.log.size());
        for (const auto& [message, count] : monkey.messages)
            messages[message] += count;
        if (failure.empty() && qEnvironmentVariableIsSet("TESSEL_MONKEY_VERBOSE"))
            std::cout << monkey.report("held every invariant");
        if (!failure.empty()) {
            ADD_FAILURE() << monkey.report(failure);
            break;
        }
        ++rounds;
        ++seed;
    } while (seconds > 0 ? clock.elapsed() < seconds * 1000 : seedText.isEmpty() && rounds < BoundedRounds);

    std::set_terminate(previous);
    setHelpOpener({});
    setApplicationTitle(title);
    std::cout << "[          ] monkey: " << events << " events in " << rounds << " rounds, " << clock.elapsed() / 1000.0
              << " s; message boxes by text:\n";
    for (const auto& [message, count] : messages)
        std::cout << "[          ]   " << count << " × " << text(message) << "\n";
}
