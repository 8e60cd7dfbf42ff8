#pragma once

#include <QAccessibleWidget>

class QLineEdit;

// What a screen reader learns of a single-line edit: its text as value, caret and selection.
// Editing through the assistive interface is left out on purpose: every change must come in
// through keys or paste, where the edit's own filters run.
class TAccessibleEdit : public QAccessibleWidget, public QAccessibleTextInterface
{
public:
    explicit TAccessibleEdit(QLineEdit* edit);

    QLineEdit* edit() const;

    QString text(QAccessible::Text t) const override;
    QAccessible::State state() const override;
    void* interface_cast(QAccessible::InterfaceType t) override;

    void selection(int selectionIndex, int* startOffset, int* endOffset) const override;
    int selectionCount() const override;
    void addSelection(int startOffset, int endOffset) override;
    void removeSelection(int selectionIndex) override;
    void setSelection(int selectionIndex, int startOffset, int endOffset) override;
    int cursorPosition() const override;
    void setCursorPosition(int position) override;
    QString text(int startOffset, int endOffset) const override;
    int characterCount() const override;
    QRect characterRect(int offset) const override;
    int offsetAtPoint(const QPoint& point) const override;
    void scrollToSubstring(int startIndex, int endIndex) override;
    QString attributes(int offset, int* startOffset, int* endOffset) const override;
};

// Registers the program's own accessible interfaces (drop-down list, drawing surface) once;
// every control that needs one calls it from its constructor.
void installAccessibleInterfaces();
