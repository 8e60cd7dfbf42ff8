// Reads arbitrary bytes as a gettext catalogue; a refused one keeps nothing, a read one answers.
#include "products/MoCatalogue.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    products::MoCatalogue catalogue;
    const bool read = catalogue.load(QByteArray(reinterpret_cast<const char*>(data), qsizetype(size)));
    if (!read && catalogue.size() != 0)
        std::abort();
    catalogue.translate(QStringLiteral("Address Labels"));
    return 0;
}
