#pragma once

#include <QStringView>
#include <QVariant>

namespace catalog {

// Product codes compare in the order a person reads them: runs of digits by their value, so that "V1-00018" comes
// before "V1-00100" and "A9" before "A10"; other characters without regard to case. Texts that differ only in
// leading zeros or case still get a fixed order. Negative, zero or positive like QString::compare.
int compareNatural(QStringView a, QStringView b);

// The order of list cells: empty (null) cells first, numbers by value, everything else as texts in natural order.
int compareCells(const QVariant& a, const QVariant& b);

} // namespace catalog
