#pragma once

#include <QString>

namespace products {

// XML 1.0 holds no control characters but tab, line feed and carriage return, and an attribute
// turns those into spaces; each becomes U+FFFD so the user sees where one was. True when any did.
bool replaceXmlControls(QString& text);

} // namespace products
