#pragma once

// The two database readers, for Catalogue only: each reads the root element's children.
#include "products/Catalogue.h"

#include <QXmlStreamReader>

#include <functional>
#include <vector>

namespace products::detail {

struct Entry {
    QString brand;
    QString part;
    int64_t line = 0;
    Catalogue::Template sheet;
};

using TemplateLookup = std::function<const Catalogue::Template*(const QString& brand, const QString& part)>;
using PaperLookup = std::function<const Catalogue::Paper*(const QString& id)>;

void readGlabelsTemplates(QXmlStreamReader& xml, const PaperLookup& paper, const TemplateLookup& earlier,
                          std::vector<Entry>& out);
void readGlabelsPaperSizes(QXmlStreamReader& xml, QHash<QString, Catalogue::Paper>& out);
void readLibreOfficeLabels(QXmlStreamReader& xml, std::vector<Entry>& out);

QString templateKey(const QString& brand, const QString& part);

} // namespace products::detail
