#pragma once

#include "labeldata/Names.h"
#include "toolkit/CustomEdit.h"

// The group-name box: only text that code page 932 can hold, and at most 14 bytes of it,
// whether typed, composed or pasted.
class TGroupNameEdit : public TCustomEdit
{
    Q_OBJECT
public:
    static constexpr int MaxBytes = labeldata::GroupNameMaxBytes;

    explicit TGroupNameEdit(QWidget* parent = nullptr);

protected:
    void KeyPress(QChar& Key) override;
    std::optional<QString> PasteFilter(const QString& Pasted, const QString& Rest, int At) const override;
    void keyPressEvent(QKeyEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;
};
