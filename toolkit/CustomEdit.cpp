#include "toolkit/CustomEdit.h"

#include "labeldata/Cp932.h"
#include "toolkit/Application.h"

#include <QAction>
#include <QApplication>
#include <QContextMenuEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>
#include <QRegularExpression>

#include <algorithm>
#include <memory>

TCustomEdit::TCustomEdit(QWidget* parent) : QLineEdit(parent)
{
    connect(this, &QLineEdit::textChanged, this, [this] { TextChangedByQt(); });
    FFocusConnection = connect(qApp, &QApplication::focusChanged, this,
                               [this](QWidget* oldWidget, QWidget* newWidget) { FocusChanged(oldWidget, newWidget); });
}

TCustomEdit::~TCustomEdit()
{
    // QWidget's destructor gives up the focus, after this part of the edit is gone.
    disconnect(FFocusConnection);
}

void TCustomEdit::SetText(const QString& value)
{
    CallQt([&] { QLineEdit::setText(value); });
}

int TCustomEdit::SelStart() const
{
    return hasSelectedText() ? selectionStart() : cursorPosition();
}

void TCustomEdit::SetSelStart(int value)
{
    setCursorPosition(value);
}

int TCustomEdit::SelLength() const
{
    return hasSelectedText() ? int(selectedText().size()) : 0;
}

void TCustomEdit::SetSelLength(int value)
{
    const int start = SelStart();
    if (value <= 0)
        setCursorPosition(start);
    else
        setSelection(start, value);
}

void TCustomEdit::SetImeMode(TImeMode value)
{
    FImeMode = value;
    setAttribute(Qt::WA_InputMethodEnabled, value != imClose);
}

void TCustomEdit::paste()
{
    runGuarded([this] { Paste(QClipboard::Clipboard); });
}

void TCustomEdit::Change()
{
    if (OnChange)
        OnChange(this);
}

void TCustomEdit::KeyDown(int& Key, Qt::KeyboardModifiers Shift)
{
    if (OnKeyDown)
        OnKeyDown(this, Key, Shift);
}

void TCustomEdit::KeyPress(QChar& Key)
{
    if (OnKeyPress)
        OnKeyPress(this, Key);
}

void TCustomEdit::DoEnter()
{
    if (OnEnter)
        OnEnter(this);
}

void TCustomEdit::DoExit()
{
    if (OnExit)
        OnExit(this);
}

void TCustomEdit::Paste(QClipboard::Mode mode)
{
    if (isReadOnly())
        return;
    const QMimeData* data = QGuiApplication::clipboard()->mimeData(mode);
    if (!data || !data->hasText())
        return;
    const int at = SelStart();
    QString rest = text();
    rest.remove(at, SelLength());
    const std::optional<QString> kept = PasteFilter(data->text(), rest, at);
    if (!kept)
        return;
    // Cut here to what the edit holds, as Qt would: handed 200,000 characters, Qt takes half a
    // second to cut them.
    if (FPasteSetsText)
        SetText(rest.insert(at, *kept).left(maxLength()));
    else if (!kept->isEmpty())
        CallQt([&] { insert(kept->left(std::max(maxLength() - int(rest.size()), 0))); });
}

std::optional<QString> TCustomEdit::PasteFilter(const QString& Pasted, const QString& Rest, int At) const
{
    Q_UNUSED(At);
    QString kept = Pasted;
    // A single-line edit keeps only the first line.
    const qsizetype lineEnd = kept.indexOf(QRegularExpression(QStringLiteral("[\r\n]")));
    if (lineEnd >= 0)
        kept.truncate(lineEnd);
    // Each character takes a byte at least, so whatever lies beyond MaxLength characters can never
    // fit; the rest is then cut to the bytes left.
    if (const qsizetype most = 2 * qsizetype(FMaxLength); FMaxLength > 0 && kept.size() > most)
        kept.truncate(kept[most - 1].isHighSurrogate() ? most - 1 : most);
    while (!kept.isEmpty() && !FitsLimit(Rest, kept))
        kept.chop(kept.size() >= 2 && kept.back().isLowSurrogate() ? 2 : 1);
    return kept;
}

void TCustomEdit::SetRightTextMargin(int pixels)
{
    QMargins margins = textMargins();
    margins.setRight(pixels);
    setTextMargins(margins);
}

QMenu* TCustomEdit::CreateContextMenu()
{
    QMenu* menu = createStandardContextMenu();
    // Recent Qt names the item; older versions are known by the shortcut after the tab.
    const QString shortcut = QLatin1Char('\t') + QKeySequence(QKeySequence::Paste).toString(QKeySequence::NativeText);
    for (QAction* action : menu->actions()) {
        if (action->objectName() == u"edit-paste" || (!shortcut.trimmed().isEmpty() && action->text().endsWith(shortcut))) {
            action->setObjectName(QStringLiteral("edit-paste"));
            QObject::disconnect(action, &QAction::triggered, nullptr, nullptr);
            connect(action, &QAction::triggered, this, [this] { paste(); });
            break;
        }
    }
    return menu;
}

void TCustomEdit::CallQt(const std::function<void()>& call)
{
    ++FQtDepth;
    try {
        call();
    } catch (...) {
        --FQtDepth;
        throw;
    }
    --FQtDepth;
    // What a hook threw during this very call surfaces here, also when calls are nested.
    RethrowPending();
}

void TCustomEdit::RethrowPending()
{
    if (FPending)
        std::rethrow_exception(std::exchange(FPending, nullptr));
}

void TCustomEdit::TextChangedByQt()
{
    try {
        Change();
    } catch (...) {
        if (!FPending)
            FPending = std::current_exception();
        if (FQtDepth == 0) {
            // Qt changed the text on its own (undo, drop, ...): report once it is back in its loop.
            QMetaObject::invokeMethod(this, [this] { runGuarded([this] { RethrowPending(); }); },
                                      Qt::QueuedConnection);
        }
    }
}

bool TCustomEdit::FitsLimit(const QString& inserted) const
{
    if (FMaxLength <= 0)
        return true;
    QString rest = text();
    if (hasSelectedText())
        rest.remove(selectionStart(), selectedText().size());
    return FitsLimit(rest, inserted);
}

bool TCustomEdit::FitsLimit(const QString& rest, const QString& inserted) const
{
    return FMaxLength <= 0 || cp932::storedLength(rest) + cp932::storedLength(inserted) <= FMaxLength;
}

bool TCustomEdit::ControlDown() const
{
    const Qt::KeyboardModifiers modifiers =
        FKeyEvent ? FKeyEvent->modifiers() : QGuiApplication::queryKeyboardModifiers();
    return modifiers & Qt::ControlModifier;
}

void TCustomEdit::keyPressEvent(QKeyEvent* event)
{
    const QKeyEvent* outer = std::exchange(FKeyEvent, event);
    runGuarded([&] { HandleKey(event); });
    FKeyEvent = outer;
}

void TCustomEdit::HandleKey(QKeyEvent* event)
{
    int key = event->key();
    const Qt::KeyboardModifiers shift = event->modifiers();
    KeyDown(key, shift);

    // The character the key produces; editing keys and Ctrl+letter arrive as control codes.
    QChar ch;
    const QString text = event->text();
    if (event->key() == Qt::Key_Backspace)
        ch = QChar(8);
    else if (event->key() == Qt::Key_Tab)
        ch = QChar(9);
    else if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)
        ch = QChar(13);
    else if ((shift & Qt::ControlModifier) && event->key() >= Qt::Key_A && event->key() <= Qt::Key_Z)
        ch = QChar(event->key() - Qt::Key_A + 1);
    else if (text.size() == 1 && text[0].unicode() >= 32 && text[0].unicode() != 127)
        ch = text[0];

    if (ch.isNull() && text.size() > 1 &&
        std::all_of(text.begin(), text.end(), [](QChar c) { return c.unicode() >= 32 && c.unicode() != 127; })) {
        TypeEach(text);
        return;
    }
    if (ch.isNull()) {
        if (key == 0)
            return;
        if (event->matches(QKeySequence::Paste)) { // Shift+Insert
            Paste(QClipboard::Clipboard);
            return;
        }
        CallQt([&] { QLineEdit::keyPressEvent(event); });
        return;
    }

    const QChar original = ch;
    KeyPress(ch);
    if (ch.isNull())
        return;
    if (ch != original) {
        // The hook replaced the character: insert what it chose.
        if (ch.unicode() >= 32 && !isReadOnly() && FitsLimit(QString(ch)))
            InsertTyped(QString(ch));
        return;
    }
    if (event->matches(QKeySequence::Paste)) {
        Paste(QClipboard::Clipboard);
        return;
    }
    if (ch.unicode() >= 32 && !(shift & Qt::ControlModifier) && !FitsLimit(QString(ch)))
        return;
    CallQt([&] { QLineEdit::keyPressEvent(event); });
}

void TCustomEdit::TypeEach(const QString& text)
{
    // A key that yields several characters (composed, or beyond 16 bits): each one passes the
    // key-press hook and the byte limit, as if typed alone.
    for (qsizetype i = 0; i < text.size(); ++i) {
        const qsizetype units = text[i].isHighSurrogate() && i + 1 < text.size() ? 2 : 1;
        QChar ch = text[i];
        KeyPress(ch);
        const QString piece = ch == text[i] ? text.mid(i, units) : QString(ch);
        if (!ch.isNull() && ch.unicode() >= 32 && !isReadOnly() && FitsLimit(piece))
            InsertTyped(piece);
        i += units - 1;
    }
}

void TCustomEdit::InsertTyped(const QString& text)
{
    CallQt([&] {
        insert(text);
        setModified(true);
    });
}

void TCustomEdit::contextMenuEvent(QContextMenuEvent* event)
{
    runGuarded([&] {
        std::unique_ptr<QMenu> menu(CreateContextMenu());
        CallQt([&] { menu->exec(event->globalPos()); });
    });
}

void TCustomEdit::mouseReleaseEvent(QMouseEvent* event)
{
    runGuarded([&] {
        if (event->button() == Qt::MiddleButton && QGuiApplication::clipboard()->supportsSelection()) {
            Paste(QClipboard::Selection);
            return;
        }
        CallQt([&] { QLineEdit::mouseReleaseEvent(event); });
    });
}

void TCustomEdit::inputMethodEvent(QInputMethodEvent* event)
{
    if (FImeMode == imClose) {
        event->ignore();
        return;
    }
    runGuarded([&] { CallQt([&] { QLineEdit::inputMethodEvent(event); }); });
}

void TCustomEdit::changeEvent(QEvent* event)
{
    runGuarded([&] {
        CallQt([&] { QLineEdit::changeEvent(event); });
        if (event->type() == QEvent::EnabledChange)
            EnabledChanged();
        else if (event->type() == QEvent::FontChange)
            FontChanged();
    });
}

void TCustomEdit::resizeEvent(QResizeEvent* event)
{
    runGuarded([&] {
        QLineEdit::resizeEvent(event);
        Resized();
    });
}

void TCustomEdit::FocusChanged(QWidget* oldWidget, QWidget* newWidget)
{
    Q_UNUSED(oldWidget);
    // Activation changes, menus, popups and dialogs move Qt's focus to another window or to
    // none; only a move to another control of this window is an exit.
    if (newWidget == this) {
        if (!FHasEditFocus) {
            FHasEditFocus = true;
            runGuarded([this] { DoEnter(); });
        }
        return;
    }
    // A control hosted inside the edit (arrow buttons) is part of it.
    if (FHasEditFocus && newWidget && newWidget->window() == window() && !isAncestorOf(newWidget)) {
        FHasEditFocus = false;
        runGuarded([this] { DoExit(); });
    }
}
