#pragma once

#include <QString>

#include <optional>

class QValidator;
class QWidget;

// Modal text-input box with OK and Cancel: the typed text on OK, nothing on Cancel. A validator,
// when given, checks the text as it is typed or pasted; the caller keeps it. The box takes at
// most maxBytes code page 932 bytes (0: no limit), typed or pasted.
// Object names for tests: "InputBox", "InputBoxPrompt", "InputBoxEdit", "InputBoxOk", "InputBoxCancel".
std::optional<QString> InputBox(const QString& caption, const QString& prompt, const QString& initial,
                                const QValidator* validator = nullptr, int maxBytes = 0);

// A file dialog that starts with the name it returned last. Filter is pairs of a description and
// a pattern joined by '|', several patterns of one entry separated by ';' ("tpl|*.tpl").
class TFileDialog
{
public:
    virtual ~TFileDialog() = default;

    QString Filter;
    QString Title;
    // Full path of the file chosen last; the next Execute starts from it.
    QString FileName;
    // When not empty, a check box of this caption below the file list ("CheckBox"); Checked is
    // its state, shown at the start and read back when the user confirms.
    QString CheckBoxCaption;
    bool Checked = false;

    // Shows the dialog modally; true with FileName set when the user confirmed a name.
    bool Execute(QWidget* parent = nullptr);

    // The Qt filter list for a '|' separated filter ("tpl|*.tpl" gives "tpl (*.tpl)").
    static QStringList qtFilters(const QString& filter);

protected:
    virtual bool forSaving() const = 0;
};

// Accepts a name of a file that does not exist yet.
class TOpenDialog : public TFileDialog
{
protected:
    bool forSaving() const override { return false; }
};

// Does not ask before replacing an existing file.
class TSaveDialog : public TFileDialog
{
protected:
    bool forSaving() const override { return true; }
};
