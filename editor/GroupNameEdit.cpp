#include "editor/GroupNameEdit.h"

#include "labeldata/Cp932.h"

#include <QInputMethodEvent>
#include <QKeyEvent>

#include <algorithm>

TGroupNameEdit::TGroupNameEdit(QWidget* parent)
    : TCustomEdit(parent)
{
    SetMaxLength(MaxBytes);
    // A drop would bypass every check below.
    setAcceptDrops(false);
}

std::optional<QString> TGroupNameEdit::PasteFilter(const QString& Pasted, const QString& Rest, int At) const
{
    // Each character kept takes a byte at least, so the walk stops once the box is full however
    // long the clipboard is; the base cuts the last ones to the bytes left.
    const qsizetype room = std::max(MaxBytes - cp932::storedLength(Rest), 0);
    QString kept;
    for (const QChar ch : Pasted) {
        if (ch == QLatin1Char('\r') || ch == QLatin1Char('\n') || kept.size() >= room)
            break;
        if (ch.unicode() >= 32 && cp932::canEncode(ch.unicode()))
            kept += ch;
    }
    return TCustomEdit::PasteFilter(kept, Rest, At);
}

void TGroupNameEdit::KeyPress(QChar& Key)
{
    if (Key.unicode() >= 32 && !cp932::canEncode(Key.unicode()))
        Key = QChar(0);
    TCustomEdit::KeyPress(Key);
}

void TGroupNameEdit::keyPressEvent(QKeyEvent* event)
{
    // A character outside the BMP arrives as two code units, which the key-press hook never sees.
    const QString text = event->text();
    if (text.size() > 1 && !(event->modifiers() & Qt::ControlModifier) && !cp932::canEncode(text)) {
        event->accept();
        return;
    }
    TCustomEdit::keyPressEvent(event);
}

void TGroupNameEdit::inputMethodEvent(QInputMethodEvent* event)
{
    if (event->commitString().isEmpty()) {
        TCustomEdit::inputMethodEvent(event);
        return;
    }
    // A composed text is filtered as a paste at the caret is.
    QString rest = Text();
    rest.remove(SelStart(), SelLength());
    QInputMethodEvent filtered(event->preeditString(), event->attributes());
    filtered.setCommitString(*PasteFilter(event->commitString(), rest, SelStart()), event->replacementStart(),
                             event->replacementLength());
    TCustomEdit::inputMethodEvent(&filtered);
}
