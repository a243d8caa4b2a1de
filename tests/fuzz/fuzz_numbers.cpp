// libFuzzer target: the number readers on arbitrary text. Nothing crashes, every result is a
// finite number, and the whole-number load agrees with the floating-point one.
#include "settings/NumberText.h"

#include <QString>

#include <cmath>
#include <cstdlib>
#include <limits>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size));
    if (!std::isfinite(ReadBoxNumber(text)))
        std::abort();
    ReadBoxWholeNumber(text);

    const std::optional<double> number = ToLocaleNumber(text);
    const std::optional<qint32> whole = ToWholeNumber(text);
    if (number && !std::isfinite(*number))
        std::abort();
    // A whole number is exactly the rounded number; a number within 32 bits is a whole one.
    if (whole && (!number || RoundHalfEven(*number) != *whole))
        std::abort();
    if (number && std::abs(*number) < 2e9 && !whole)
        std::abort();
    return 0;
}
