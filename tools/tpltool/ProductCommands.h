#pragma once

#include <QStringList>

// tpltool products and tpltool import: label databases of other programs as styles.
// Each returns the tool's exit status.
int listProducts(const QStringList& sources, bool json);
int importProducts(const QStringList& sources, const QStringList& matches, const QString* group, const QString& out);
