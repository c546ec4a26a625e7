#include "catalog/MeasurementSearch.h"

#include "catalog/CatalogDatabase.h"

#include <QRegularExpression>
#include <QSqlError>
#include <QSqlQuery>

#include <algorithm>
#include <cmath>
#include <limits>

namespace catalog {

namespace {

bool isCount(Measure measure)
{
    return measure == Measure::StudCount || measure == Measure::BoltCount;
}

std::optional<double> number(const QVariant& value)
{
    if (value.isNull() || !value.isValid())
        return std::nullopt;
    bool ok = false;
    const double d = value.toDouble(&ok);
    return ok ? std::optional<double>(d) : std::nullopt;
}

// Digits with '.' or ',': groups of exactly three after the first ("3.200", "3,200") are thousands, which no
// length in mm needs; otherwise either sign is the decimal point ("2,5", "157.5").
double numberOf(QString digits, bool* ok)
{
    static const QRegularExpression thousands(QStringLiteral("^\\d{1,3}([.,]\\d{3})+$"));
    if (thousands.match(digits).hasMatch())
        digits.remove(QLatin1Char('.')).remove(QLatin1Char(','));
    else
        digits.replace(QLatin1Char(','), QLatin1Char('.'));
    return digits.toDouble(ok);
}

} // namespace

Tolerance defaultTolerance(Measure measure)
{
    if (isCount(measure))
        return {0, false};
    if (measure == Measure::LoadingCapacity)
        return {5, true};
    return {3, false};
}

MeasureQuery::MeasureQuery()
{
    for (int m = 0; m < kMeasureCount; ++m)
        tolerances[m] = defaultTolerance(Measure(m));
}

bool MeasureQuery::isEmpty() const
{
    return style == 0 && pistonType == 0 &&
           std::none_of(values.begin(), values.end(), [](const auto& v) { return v.has_value(); });
}

bool parseCapacity(const QString& text, double* low, double* high)
{
    // Digits with thousands separators; a dash between two numbers makes a range.
    static const QRegularExpression numberPattern(QStringLiteral("\\d[\\d.,]*"));
    QVector<double> found;
    auto it = numberPattern.globalMatch(text);
    while (it.hasNext() && found.size() < 2) {
        bool ok = false;
        const double value = numberOf(it.next().captured(), &ok);
        if (ok)
            found.append(value);
    }
    if (found.isEmpty())
        return false;
    *low = std::min(found.first(), found.last());
    *high = std::max(found.first(), found.last());
    return true;
}

EntryRule valueRule(Measure measure)
{
    if (isCount(measure))
        return {QString(), false, false, true};
    if (measure == Measure::LoadingCapacity)
        return {QStringLiteral("kg"), false, true, false};
    return {QStringLiteral("mm"), false, false, false};
}

EntryRule toleranceRule(Measure measure)
{
    EntryRule rule = valueRule(measure);
    rule.percent = true;
    rule.range = false;
    return rule;
}

Entry readEntry(const QString& text, const EntryRule& rule)
{
    // A number, or two joined by a dash, each perhaps with a minus sign, then perhaps a unit.
    static const QRegularExpression pattern(
        QStringLiteral("^\\s*([-\\x{2212}])?\\s*(\\d+(?:[.,]\\d+)*[.,]?|[.,]\\d+)"
                       "(?:\\s*[-\\x{2013}\\x{2014}]\\s*([-\\x{2212}])?\\s*(\\d+(?:[.,]\\d+)*[.,]?|[.,]\\d+))?"
                       "\\s*(.*?)\\s*$"));
    static const QRegularExpression unitLike(QStringLiteral("^(?:\\p{L}+|%)$"));
    Entry entry;
    if (text.trimmed().isEmpty())
        return entry;
    const QRegularExpressionMatch match = pattern.match(text);
    bool ok = match.hasMatch();
    const double low = ok ? numberOf(match.captured(2), &ok) : 0;
    double high = low;
    if (ok && match.hasCaptured(4))
        high = numberOf(match.captured(4), &ok);
    const QString unit = ok ? match.captured(5) : QString();
    const bool unitKnown = unit.isEmpty() ||
                           (!rule.unit.isEmpty() && unit.compare(rule.unit, Qt::CaseInsensitive) == 0) ||
                           (rule.percent && unit == QLatin1String("%"));
    if (!ok || (!unitKnown && (rule.unit.isEmpty() || !unitLike.match(unit).hasMatch())))
        entry.problem = EntryProblem::NotANumber;
    else if (match.hasCaptured(1) || match.hasCaptured(3))
        entry.problem = EntryProblem::Negative;
    else if (!unitKnown)
        entry.problem = EntryProblem::WrongUnit;
    else if (match.hasCaptured(4) && !rule.range)
        entry.problem = EntryProblem::RangeNotAllowed;
    else if (high < low)
        entry.problem = EntryProblem::ReversedRange;
    else if (rule.whole && low != std::floor(low))
        entry.problem = EntryProblem::NotWhole;
    if (entry.problem != EntryProblem::None)
        return entry;
    entry.value = low;
    if (match.hasCaptured(4))
        entry.high = high;
    entry.percent = unit == QLatin1String("%");
    return entry;
}

MeasurementSearch MeasurementSearch::load(const QSqlDatabase& db)
{
    QSqlQuery query(db);
    query.setForwardOnly(true);
    const bool ok = query.exec(QStringLiteral(
        "select item.id, item_code.code, item.type, item.piston_type, item.operation_space, item.assembly_height, "
        "item.stud, item.diameter_between_studs, item.bolt, item.diameter_between_bolts, item.loading_capacity "
        "from item inner join item_code on item.id=item_code.item_id and item_code.code_type_id=1"));
    if (!ok)
        throw DatabaseError(errorText(query.lastError()));
    QVector<ItemMeasures> items;
    while (query.next()) {
        ItemMeasures item;
        item.itemId = query.value(0).toInt();
        item.code = query.value(1).toString();
        item.style = query.value(2).toInt();
        item.pistonType = query.value(3).toInt();
        for (int m = 0; m < int(Measure::LoadingCapacity); ++m)
            item.values[m] = number(query.value(4 + m));
        double low = 0;
        double high = 0;
        if (parseCapacity(query.value(10).toString(), &low, &high)) {
            item.values[int(Measure::LoadingCapacity)] = low;
            item.capacityHigh = high;
        }
        items.append(item);
    }
    return MeasurementSearch(std::move(items));
}

QVector<MeasureHit> MeasurementSearch::find(const MeasureQuery& query) const
{
    QVector<MeasureHit> hits;
    if (query.isEmpty())
        return hits;
    QVector<int> entered;
    for (int m = 0; m < kMeasureCount; ++m)
        if (query.values[m])
            entered.append(m);

    for (const ItemMeasures& item : m_items) {
        if ((query.style && item.style != query.style) || (query.pistonType && item.pistonType != query.pistonType))
            continue;
        MeasureHit hit;
        hit.matches.reserve(entered.size());
        bool listed = true;
        for (int m : entered) {
            if (!item.values[m]) {
                listed = false;
                break;
            }
            // Entered and catalog values as ranges (a single value is a range of one): overlapping ranges are an
            // exact fit; otherwise the nearest ends count.
            const bool capacity = m == int(Measure::LoadingCapacity);
            const double wantedLow = *query.values[m];
            const double wantedHigh = capacity && query.capacityHigh ? *query.capacityHigh : wantedLow;
            const double itemLow = *item.values[m];
            const double itemHigh = capacity && item.capacityHigh ? *item.capacityHigh : itemLow;
            double wanted = wantedLow;
            double itemValue = std::clamp(wantedLow, itemLow, itemHigh);
            if (itemHigh < wantedLow) {
                itemValue = itemHigh;
            } else if (itemLow > wantedHigh) {
                wanted = wantedHigh;
                itemValue = itemLow;
            } else {
                wanted = itemValue;
            }
            const double difference = itemValue - wanted;
            const Tolerance& t = query.tolerances[m];
            const double allowed = t.percent ? std::abs(wanted) * t.amount / 100 : t.amount;
            double ratio = 0;
            if (allowed > 0)
                ratio = std::abs(difference) / allowed;
            else if (difference != 0)
                ratio = std::numeric_limits<double>::infinity();
            if (!(ratio <= 2)) {
                listed = false;
                break;
            }
            hit.matches.append({Measure(m), itemValue, difference, ratio <= 1 ? Closeness::Within : Closeness::Near});
            hit.distance += ratio * ratio;
        }
        if (!listed)
            continue;
        hit.itemId = item.itemId;
        hit.code = item.code;
        hit.style = item.style;
        if (!entered.isEmpty())
            hit.distance = std::sqrt(hit.distance / entered.size());
        hits.append(std::move(hit));
    }
    std::sort(hits.begin(), hits.end(), [](const MeasureHit& a, const MeasureHit& b) {
        if (a.distance != b.distance)
            return a.distance < b.distance;
        return a.code < b.code;
    });
    return hits;
}

} // namespace catalog
