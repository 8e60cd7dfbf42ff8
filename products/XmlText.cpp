#include "products/XmlText.h"

namespace products {

bool replaceXmlControls(QString& text)
{
    bool replaced = false;
    for (QChar& c : text) {
        const char16_t u = c.unicode();
        if (u < 0x20 || u == 0xFFFE || u == 0xFFFF) {
            c = QChar(0xFFFD);
            replaced = true;
        }
    }
    return replaced;
}

} // namespace products
