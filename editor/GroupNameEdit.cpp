#include "editor/GroupNameEdit.h"

#include "labeldata/Cp932.h"

#include <QInputMethodEvent>
#include <QKeyEvent>

TGroupNameEdit::TGroupNameEdit(QWidget* parent)
    : TCustomEdit(parent)
{
    SetMaxLength(MaxBytes);
    // A drop would bypass every check below.
    setAcceptDrops(false);
}

std::optional<QString> TGroupNameEdit::PasteFilter(const QString& Pasted, const QString& Rest, int At) const
{
    QString kept;
    for (qsizetype i = 0; i < Pasted.size(); ++i) {
        const qsizetype step = Pasted[i].isHighSurrogate() && i + 1 < Pasted.size() ? 2 : 1;
        const QString ch = Pasted.mid(i, step);
        i += step - 1;
        // Line ends stay for the base to cut the text at.
        if (ch[0] == QLatin1Char('\r') || ch[0] == QLatin1Char('\n') || (ch[0].unicode() >= 32 && cp932::canEncode(ch)))
            kept += ch;
    }
    return TCustomEdit::PasteFilter(kept, Rest, At);
}

void TGroupNameEdit::KeyPress(QChar& Key)
{
    if (Key.unicode() >= 32 && !cp932::canEncode(QString(Key)))
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
