#pragma once

#include <QString>

#include <optional>

// The two rules by which Quenzal reads numbers from text. Every window and loader uses these.

// The options window's reader: every blank, tab and line feed is dropped, then the longest
// leading number is taken (sign, digits, a point and more digits, an exponent E with a signed
// whole number). The point is the only decimal separator, whatever the locale: "12,5" gives
// 12. "&H" and "&O" start a hexadecimal or octal whole number. Anything else gives 0.
double ReadBoxNumber(const QString& text);

// ReadBoxNumber made whole, halves to the even neighbour (the quality box): 4.5 gives 4,
// 5.5 gives 6. A number beyond 32 bits gives the nearest 32-bit limit.
qint32 ReadBoxWholeNumber(const QString& text);

// Whole-number conversion used by every load: the whole text (blanks around it allowed) must
// be a number, with the point or the locale's decimal separator; it is rounded to the nearest
// whole number, halves to the even one (4.5 gives 4, 5.5 gives 6). "&H"/"&O" numbers are read
// too. Empty text, text that is not a number, or a number beyond 32 bits gives nothing.
std::optional<qint32> ToWholeNumber(const QString& text);

// The same for a floating-point number (the filter frequencies): the whole text must be a
// number, with the point or the locale's decimal separator.
std::optional<double> ToLocaleNumber(const QString& text);

// Rounds to the nearest whole number, halves to the even one.
double RoundHalfEven(double value);

// A number box's text as the loads read it: an empty box, as every number box starts, counts
// as 0 (the window reads it so too); any other text must be a number as ToWholeNumber and
// ToLocaleNumber take it.
std::optional<qint32> BoxTextToWhole(const QString& text);
std::optional<double> BoxTextToNumber(const QString& text);
