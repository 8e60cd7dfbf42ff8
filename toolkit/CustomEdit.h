#pragma once

#include "toolkit/Types.h"

#include <QClipboard>
#include <QLineEdit>

#include <exception>
#include <functional>
#include <optional>

class QMenu;

// Key code is a Qt::Key value; a handler sets it to 0 to stop the key's own processing.
using TKeyEvent = std::function<void(QObject* Sender, int& Key, Qt::KeyboardModifiers Shift)>;
// A handler sets Key to QChar(0) to swallow the character.
using TKeyPressEvent = std::function<void(QObject* Sender, QChar& Key)>;

enum TImeMode : unsigned char { imDontCare = 0, imClose = 1 };

// Single-line edit whose hooks run synchronously:
//  - Change runs after every text change (typed, pasted, set), never for an equal text;
//  - KeyDown sees the key code first, KeyPress then sees the character (Backspace = 8,
//    Tab = 9, Return = 13, Ctrl+letter = its control code) and may swallow it;
//  - DoEnter/DoExit follow the window's focused control, not window activation, menus,
//    popups or modal dialogs;
//  - every paste path (keys, context menu, middle button) ends in Paste.
// Errors thrown by a hook that Qt called back are carried past Qt's frames and rethrown when
// our own call into Qt returns; where no call of ours is on the stack they are reported
// through the error boundary.
class TCustomEdit : public QLineEdit
{
    Q_OBJECT

public:
    explicit TCustomEdit(QWidget* parent = nullptr);
    ~TCustomEdit() override;

    QString Text() const { return text(); }
    // Runs Change before it returns (when the text differs) and rethrows what Change threw.
    void SetText(const QString& value);
    // Hides QLineEdit::setText so that callers holding an edit get the same guarantees.
    void setText(const QString& value) { SetText(value); }

    bool Modified() const { return isModified(); }
    void SetModified(bool value) { setModified(value); }

    // Caret position when nothing is selected; the selection's first character otherwise.
    int SelStart() const;
    void SetSelStart(int value);
    int SelLength() const;
    void SetSelLength(int value);
    QString SelText() const { return selectedText(); }
    void SelectAll() { selectAll(); }

    // Most bytes (code page 932) the user may enter; 0 = no limit. Text set by the program is
    // not cut.
    int MaxLength() const { return FMaxLength; }
    void SetMaxLength(int value) { FMaxLength = value; }

    bool AutoSelect() const { return FAutoSelect; }
    void SetAutoSelect(bool value) { FAutoSelect = value; }

    bool ReadOnly() const { return isReadOnly(); }
    void SetReadOnly(bool value) { setReadOnly(value); }

    TImeMode ImeMode() const { return FImeMode; }
    void SetImeMode(TImeMode value);

    // Whether this edit is its window's focused control (survives window deactivation).
    bool HasEditFocus() const { return FHasEditFocus; }

    // Routes the standard paste slot to the paste hook.
    void paste();

    TNotifyEvent OnChange;
    TNotifyEvent OnEnter;
    TNotifyEvent OnExit;
    TKeyEvent OnKeyDown;
    TKeyPressEvent OnKeyPress;

protected:
    virtual void Change();
    virtual void KeyDown(int& Key, Qt::KeyboardModifiers Shift);
    virtual void KeyPress(QChar& Key);
    virtual void DoEnter();
    virtual void DoExit();
    // The one paste path: unless the edit is read-only and when the clipboard holds text, puts
    // what PasteFilter keeps at the insertion point, in place of the selection.
    void Paste(QClipboard::Mode mode);
    // What a paste of Pasted puts at index At of Rest (the text without its selection);
    // std::nullopt refuses the paste. Default: the first line, cut to MaxLength bytes.
    virtual std::optional<QString> PasteFilter(const QString& Pasted, const QString& Rest, int At) const;
    // The pasted result is set as the whole text, as SetText sets it (the caret goes to the end,
    // the modified flag is cleared, nothing to undo), instead of being inserted.
    void SetPasteSetsText(bool value) { FPasteSetsText = value; }
    // Window-part hooks for subclasses that host child controls.
    virtual void EnabledChanged() {}
    virtual void FontChanged() {}
    virtual void Resized() {}

    // Keeps the text clear of something drawn inside the right edge.
    void SetRightTextMargin(int pixels);

    // The standard context menu with its paste item routed to Paste; the caller owns it.
    QMenu* CreateContextMenu();

    // Whether Control is held for the key being handled (or now, outside key handling).
    bool ControlDown() const;

    // Runs a call into Qt that may call our hooks back, then rethrows what they threw.
    void CallQt(const std::function<void()>& call);

    void keyPressEvent(QKeyEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;
    void changeEvent(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void HandleKey(QKeyEvent* event);
    void TypeEach(const QString& text);
    void InsertTyped(const QString& text);
    void TextChangedByQt();
    void FocusChanged(QWidget* oldWidget, QWidget* newWidget);
    void RethrowPending();
    bool FitsLimit(const QString& inserted) const;
    bool FitsLimit(const QString& rest, const QString& inserted) const;

    int FMaxLength = 0;
    bool FAutoSelect = true;
    TImeMode FImeMode = imDontCare;
    bool FHasEditFocus = false;
    bool FPasteSetsText = false;
    int FQtDepth = 0;
    QMetaObject::Connection FFocusConnection;
    const QKeyEvent* FKeyEvent = nullptr;
    std::exception_ptr FPending;
};
