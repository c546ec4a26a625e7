#include "catalog/NaturalOrder.h"

namespace catalog {

namespace {

int sign(qsizetype value)
{
    return value < 0 ? -1 : (value > 0 ? 1 : 0);
}

bool isNumber(const QVariant& value)
{
    switch (value.typeId()) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Double:
    case QMetaType::Float:
        return true;
    default:
        return false;
    }
}

} // namespace

int compareNatural(QStringView a, QStringView b)
{
    qsizetype i = 0;
    qsizetype j = 0;
    // Decides between texts that are equal by value: fewer leading zeros first.
    int zerosTieBreak = 0;
    while (i < a.size() && j < b.size()) {
        if (a.at(i).isDigit() && b.at(j).isDigit()) {
            qsizetype startA = i;
            qsizetype startB = j;
            while (startA < a.size() && a.at(startA) == u'0')
                ++startA;
            while (startB < b.size() && b.at(startB) == u'0')
                ++startB;
            qsizetype endA = startA;
            qsizetype endB = startB;
            while (endA < a.size() && a.at(endA).isDigit())
                ++endA;
            while (endB < b.size() && b.at(endB).isDigit())
                ++endB;
            // Without leading zeros the longer run is the larger number; equal lengths compare digit by digit.
            if (const int byLength = sign((endA - startA) - (endB - startB)))
                return byLength;
            if (const int byDigits = a.sliced(startA, endA - startA).compare(b.sliced(startB, endB - startB)))
                return sign(byDigits);
            if (zerosTieBreak == 0)
                zerosTieBreak = sign((startA - i) - (startB - j));
            i = endA;
            j = endB;
            continue;
        }
        const QChar x = a.at(i).toCaseFolded();
        const QChar y = b.at(j).toCaseFolded();
        if (x != y)
            return x < y ? -1 : 1;
        ++i;
        ++j;
    }
    if (const int byRest = sign((a.size() - i) - (b.size() - j)))
        return byRest;
    if (zerosTieBreak)
        return zerosTieBreak;
    return sign(a.compare(b));
}

int compareCells(const QVariant& a, const QVariant& b)
{
    const bool emptyA = a.isNull() || !a.isValid();
    const bool emptyB = b.isNull() || !b.isValid();
    if (emptyA || emptyB)
        return int(emptyB) - int(emptyA);
    if (isNumber(a) && isNumber(b)) {
        const double x = a.toDouble();
        const double y = b.toDouble();
        return x < y ? -1 : (y < x ? 1 : 0);
    }
    return compareNatural(a.toString(), b.toString());
}

} // namespace catalog
