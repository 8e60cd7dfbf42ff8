#pragma once

#include <QByteArray>
#include <QHash>
#include <QString>

namespace products {

// The translations of a GNU gettext message catalogue (.mo). Messages with a context or plural
// forms are left out: gLabels' descriptions have neither.
class MoCatalogue
{
public:
    // False, and nothing kept, when the bytes are not a whole .mo file: a damaged table or a
    // string that runs past the end refuses the file instead of reading beyond it.
    bool load(const QByteArray& bytes);
    // A regular file only; false when it cannot be read or is no catalogue.
    bool loadFile(const QString& path);

    // The translation, or an empty text when there is none.
    QString translate(const QString& message) const { return FMessages.value(message); }
    qsizetype size() const { return FMessages.size(); }

private:
    QHash<QString, QString> FMessages;
};

// gLabels' own Japanese catalogue, read once; empty when glabels-data has none.
const MoCatalogue& glabelsJapanese();

} // namespace products
