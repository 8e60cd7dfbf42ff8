#include "editor/GroupNameEdit.h"

#include "labeldata/Cp932.h"

#include <QGuiApplication>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMimeData>

TGroupNameEdit::TGroupNameEdit(QWidget* parent)
    : TCustomEdit(parent)
{
    SetMaxLength(MaxBytes);
    // A drop would bypass every check below.
    setAcceptDrops(false);
}

QString TGroupNameEdit::insertable(const QString& text) const
{
    QString kept;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const qsizetype step = text[i].isHighSurrogate() && i + 1 < text.size() ? 2 : 1;
        const QString ch = text.mid(i, step);
        i += step - 1;
        if (ch[0] == QLatin1Char('\r') || ch[0] == QLatin1Char('\n'))
            break; // one line only
        if (ch[0].unicode() >= 32 && cp932::canEncode(ch))
            kept += ch;
    }
    QString rest = Text();
    if (hasSelectedText())
        rest.remove(selectionStart(), selectedText().size());
    const int room = MaxBytes - cp932::byteLength(rest);
    while (!kept.isEmpty() && cp932::byteLength(kept) > room)
        kept.chop(1); // every kept character is from the BMP: none is a surrogate pair
    return kept;
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

void TGroupNameEdit::Paste(QClipboard::Mode mode)
{
    if (ReadOnly())
        return;
    const QMimeData* data = QGuiApplication::clipboard()->mimeData(mode);
    if (!data || !data->hasText())
        return;
    const QString text = insertable(data->text());
    if (!text.isEmpty())
        CallQt([&] { insert(text); });
}

void TGroupNameEdit::inputMethodEvent(QInputMethodEvent* event)
{
    if (event->commitString().isEmpty()) {
        TCustomEdit::inputMethodEvent(event);
        return;
    }
    QInputMethodEvent filtered(event->preeditString(), event->attributes());
    filtered.setCommitString(insertable(event->commitString()), event->replacementStart(),
                             event->replacementLength());
    TCustomEdit::inputMethodEvent(&filtered);
}
