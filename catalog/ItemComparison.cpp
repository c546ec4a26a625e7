#include "catalog/ItemComparison.h"

#include "catalog/ItemDetails.h"

#include <algorithm>

namespace catalog {

namespace {

class RowBuilder
{
public:
    RowBuilder(const QVector<ItemSheet>& sheets, const ComparisonTexts& texts) : m_sheets(sheets), m_texts(texts) {}

    QString msg(const QString& key) const { return m_texts.msg ? m_texts.msg(key) : key; }
    QString caption(const QString& name) const
    {
        const QString text = m_texts.caption ? m_texts.caption(name).trimmed() : QString();
        return text.isEmpty() ? name : text;
    }
    QString number(const QVariant& value) const { return formatMeasure(value, m_texts.locale); }

    void add(ComparisonSection section, const QString& label, const QString& unit,
             const std::function<QString(const ItemSheet&)>& value, bool compared = true)
    {
        ComparisonRow row{section, label, unit, {}, false};
        bool any = false;
        for (const ItemSheet& sheet : m_sheets) {
            row.values << value(sheet);
            any = any || !row.values.last().isEmpty();
        }
        if (!any)
            return;
        row.differs = compared && std::any_of(row.values.cbegin(), row.values.cend(),
                                              [&](const QString& v) { return v != row.values.first(); });
        rows.append(row);
    }

    QVector<ComparisonRow> rows;

private:
    const QVector<ItemSheet>& m_sheets;
    const ComparisonTexts& m_texts;
};

QString count(const QVariant& value)
{
    return value.isNull() || !value.isValid() ? QString() : QString::number(value.toInt());
}

// Usages named in the catalog's order (main, then second), each once.
QString usages(const ItemSheet& sheet, const RowBuilder& b)
{
    QStringList names;
    for (int usage : {sheet.vehicle1, sheet.vehicle2}) {
        const QString name = usage ? b.msg(QStringLiteral("btnKullanim%1").arg(usage)) : QString();
        if (!name.isEmpty() && !names.contains(name))
            names << name;
    }
    return names.join(QStringLiteral(", "));
}

QString groupLabel(const CodeGroup& group)
{
    return group.oem ? QStringLiteral("OEM · ") + group.typeName : group.typeName;
}

} // namespace

ItemComparison::AddResult ItemComparison::add(int itemId)
{
    if (m_itemIds.contains(itemId))
        return AddResult::AlreadyIn;
    if (m_itemIds.size() >= MaxItems)
        return AddResult::Full;
    m_itemIds.append(itemId);
    return AddResult::Added;
}

bool ItemComparison::remove(int itemId)
{
    return m_itemIds.removeOne(itemId);
}

QVector<ItemSheet> ItemComparison::load(const QSqlDatabase& db)
{
    const QVector<ItemSheet> sheets = loadItemSheets(db, m_itemIds);
    m_itemIds.clear();
    for (const ItemSheet& sheet : sheets)
        m_itemIds.append(sheet.itemId);
    return sheets;
}

QString ItemComparison::heading(ComparisonSection section, const ComparisonTexts& texts)
{
    const char* key = nullptr;
    switch (section) {
    case ComparisonSection::General:
        return {};
    case ComparisonSection::TechnicalData:
        key = "sheetTechnicalData";
        break;
    case ComparisonSection::Mounting:
        key = "sheetMounting";
        break;
    case ComparisonSection::Codes:
        key = "sheetCodes";
        break;
    }
    return texts.msg ? texts.msg(QString::fromLatin1(key)) : QString::fromLatin1(key);
}

QVector<ComparisonRow> ItemComparison::rows(const QVector<ItemSheet>& sheets, const ComparisonTexts& texts)
{
    RowBuilder b(sheets, texts);
    using S = ComparisonSection;
    b.add(S::General, b.msg(QStringLiteral("btnStyle")), QString(),
          [&](const ItemSheet& s) { return b.msg(QStringLiteral("type%1").arg(s.style)); });
    b.add(S::General, b.msg(QStringLiteral("btnKullanim")), QString(),
          [&](const ItemSheet& s) { return usages(s, b); });

    // The item view's table, row by row.
    b.add(S::TechnicalData, b.caption(QStringLiteral("lblTotalWeight")), b.caption(QStringLiteral("Label1")),
          [&](const ItemSheet& s) { return b.number(s.totalWeight); });
    const QString pressure = b.caption(QStringLiteral("lblOperationPressure"));
    const QString bar = b.caption(QStringLiteral("Label2"));
    b.add(S::TechnicalData, pressureRowCaption(pressure, b.caption(QStringLiteral("Label8"))), bar,
          [&](const ItemSheet& s) { return b.number(s.pressureDefault); });
    b.add(S::TechnicalData, pressureRowCaption(pressure, b.caption(QStringLiteral("Label6"))), bar,
          [&](const ItemSheet& s) { return b.number(s.pressureMax); });
    b.add(S::TechnicalData, pressureRowCaption(pressure, b.caption(QStringLiteral("Label7"))), bar,
          [&](const ItemSheet& s) { return b.number(s.pressureMin); });
    b.add(S::TechnicalData, b.caption(QStringLiteral("lblOperationSpace")), b.caption(QStringLiteral("Label3")),
          [&](const ItemSheet& s) { return b.number(s.operationSpace); });
    b.add(S::TechnicalData, b.caption(QStringLiteral("lblAssemblyHeight")), b.caption(QStringLiteral("Label4")),
          [&](const ItemSheet& s) { return b.number(s.assemblyHeight); });
    b.add(S::TechnicalData, b.caption(QStringLiteral("lblPistonType")), QString(), [&](const ItemSheet& s) {
        return b.msg(QStringLiteral("pistonType") + (s.pistonType ? QString::number(s.pistonType) : QString()));
    });
    b.add(S::TechnicalData, b.caption(QStringLiteral("lblLoadingCapacity")), b.caption(QStringLiteral("Label5")),
          [](const ItemSheet& s) { return s.loadingCapacity; });

    const QString mm = b.caption(QStringLiteral("Label3"));
    b.add(S::Mounting, b.msg(QStringLiteral("measureStudCount")), QString(),
          [](const ItemSheet& s) { return count(s.studs); });
    b.add(S::Mounting, b.msg(QStringLiteral("measureStudDistance")), mm,
          [&](const ItemSheet& s) { return b.number(s.studDistance); });
    b.add(S::Mounting, b.msg(QStringLiteral("measureBoltCount")), QString(),
          [](const ItemSheet& s) { return count(s.bolts); });
    b.add(S::Mounting, b.msg(QStringLiteral("measureBoltDistance")), mm,
          [&](const ItemSheet& s) { return b.number(s.boltDistance); });

    // One line per code type any of the items carries: OEM types first, then the others, each by name.
    QVector<CodeGroup> types;
    for (const ItemSheet& sheet : sheets)
        for (const CodeGroup& group : sheet.groups)
            if (std::none_of(types.cbegin(), types.cend(),
                             [&](const CodeGroup& t) { return t.typeName == group.typeName && t.oem == group.oem; }))
                types.append(group);
    std::stable_sort(types.begin(), types.end(), [](const CodeGroup& a, const CodeGroup& b) {
        return a.oem != b.oem ? a.oem : a.typeName < b.typeName;
    });
    for (const CodeGroup& type : std::as_const(types)) {
        b.add(
            S::Codes, groupLabel(type), QString(),
            [&](const ItemSheet& s) {
                for (const CodeGroup& group : s.groups)
                    if (group.typeName == type.typeName && group.oem == type.oem)
                        return group.codes.join(QStringLiteral(", "));
                return QString();
            },
            false);
    }
    return b.rows;
}

} // namespace catalog
