#pragma once

#include <QStringList>

class Tlabelpar;

// tpltool products and tpltool import: label databases of other programs as styles.
// Each returns the tool's exit status.
// tpltool products: the words after its name.
int productsCommand(const QStringList& arguments);
// Every product, or with like only those like that layout, closest first (none: status 1).
int listProducts(const QStringList& sources, bool json, const Tlabelpar* like);
int importProducts(const QStringList& sources, const QStringList& matches, const QString* group, const QString& out);
