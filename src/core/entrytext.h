// SPDX-License-Identifier: GPL-3.0-or-later
// Field texts of a diary entry: their formats, how they are taken apart and
// read back, the entry line and the table of entry types.
#ifndef ENTRYTEXT_H
#define ENTRYTEXT_H

#include <QByteArray>
#include <QDate>
#include <QString>
#include <QTime>

// The 13 entry type names, ended by a null entry. "Glucose" (position 0)
// marks the readings that the diagram draws.
extern const char *const items[];
constexpr int itemCount = 13;
// The positions the program itself relies on.
constexpr int glucoseType = 0;
constexpr int carbsType = 1;
constexpr int basisType = 2;
constexpr int bolusType = 3;

// Position of an exact (case-sensitive, whole text) name in items, or -1.
int typeIndex(QStringView text);
int typeIndex(const char *bytes, qsizetype length);
// The name at a position of items as a shared string (cheap to copy).
const QString &typeName(int index);

// What a type's value measures: the rapid and short insulins (bolus), the
// long and intermediate ones (basal), or neither.
enum class InsulinKind
{
    None,
    Rapid,
    Long
};
InsulinKind insulinKind(int typeIndex);

// The unit a type's value is counted in, as a spin box suffix (" mg/dL",
// " g", " U"); empty for a type that is not one of items.
QString unitSuffix(int typeIndex);

// An ASCII digit, whatever the locale.
constexpr bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

QString formatDate(int day, int month, int year);
QString formatTime(int hour, int minute);
QString formatValue(int value);

// Insulin doses may carry a fraction, kept as hundredths of a unit. A whole
// dose keeps the form of formatValue(); a fraction is written shortest, with
// a point and one or two decimals, right-aligned in four characters ("2.35",
// " 2.5", "12.5"). Glucose and carbs stay whole.
bool takesFraction(int typeIndex);
// hundredths must be positive and not a whole number of units.
int writeFraction(char *out, qint32 hundredths);
// The diary text of a dose in hundredths: formatValue() when it is whole.
QString formatDose(qint64 hundredths);
// "2.35", "2.5", "2", "-0.5": the plain decimal form, for exports.
QByteArray decimalText(qint64 hundredths);
// A dose to the nearest whole unit, halves away from zero.
qint32 wholeUnits(qint32 hundredths);
// Reads a decimal with a point ("2.35", " 2.5 ", "2.", ".5", "-0.5"),
// rounding to hundredths with halves away from zero. False for anything
// else, a text without a point included, so whole texts read as they always
// have.
bool parseDecimal(QStringView text, qint32 &hundredths);

// Fast byte writers for the same formats; each returns the number of bytes
// written. A buffer of 32 bytes is always enough.
int writeDate(char *out, int day, int month, int year);
int writeTime(char *out, int hour, int minute);
int writeValue(char *out, int value);

// Takes the text before the first separator out of rest and drops it together
// with the separator; without a separator the whole of rest is the piece and
// rest stays as it is.
QStringView takePiece(QStringView &rest, QChar separator);

int parseValue(QStringView text);
QDate parseDate(QStringView text);
QTime parseTime(QStringView text);

struct DateParts
{
    int day = 0;
    int month = 0;
    int year = 0;
};
// The three numbers of a date text, also where they form no valid date.
DateParts parseDateParts(QStringView text);

#endif
