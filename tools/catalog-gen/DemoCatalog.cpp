#include "DemoCatalog.h"

#include "catalog/CatalogDatabase.h"
#include "catalog/DatabaseCreator.h"
#include "catalog/SearchCode.h"

#include <QDateTime>
#include <QFile>
#include <QSqlError>
#include <QSqlQuery>
#include <QStringList>
#include <QVector>
#include <algorithm>
#include <cmath>

namespace catalog {

namespace {

// A small generator of our own so that a seed gives the same catalog with any standard library.
class Random
{
public:
    explicit Random(quint32 seed) : m_state(seed * 2654435761u + 0x9E3779B9u) {}
    quint32 next()
    {
        m_state ^= m_state << 13;
        m_state ^= m_state >> 17;
        m_state ^= m_state << 5;
        return m_state;
    }
    int between(int low, int high) { return low + int(next() % quint32(high - low + 1)); }
    // Two decimals, as the data sheets give them.
    double real(double low, double high)
    {
        return std::round((low + (high - low) * (next() % 100000u) / 99999.0) * 100) / 100;
    }
    bool chance(int percent) { return between(1, 100) <= percent; }
    QChar letter() { return QChar('A' + between(0, 25)); }
    QString digits(int count)
    {
        QString s;
        for (int i = 0; i < count; ++i)
            s += QChar('0' + between(0, 9));
        return s;
    }

private:
    quint32 m_state;
};

struct CodeType
{
    int id;
    const char* prefix;
    const char* name;
};

// Invented names only: type 1 is the maker's own code, OEM types are vehicle makers, the rest competitors.
const CodeType kCodeTypes[] = {
    {1, "VLK", "Velkorn"},           {2, "OEM", "Dorvan Trucks"},
    {3, "OEM", "Kestrel Coach"},     {4, "OEM", "Halvard Motors"},
    {5, "OEM", "Marovia"},           {6, "OEM", "Tessmar Trailer"},
    {7, "AIRN", "Airnorra"},         {8, "BRM", "Brenmoor Pneumatik"},
    {9, "PNO", "Pneutech Ostra"},    {10, "SLV", "Sulvane"},
    {11, "RDQ", "Rodaq Suspension"}, {12, "GRV", "Grevik Luftfedern"},
};

QString ownCode(Random& rng, int itemId)
{
    // The maker's code is unique: the item number is part of it.
    switch (rng.between(0, 2)) {
    case 0:
        return QStringLiteral("VK %1 %2").arg(itemId, 5, 10, QLatin1Char('0')).arg(rng.letter());
    case 1:
        return QStringLiteral("V%1-%2").arg(rng.between(1, 9)).arg(itemId, 5, 10, QLatin1Char('0'));
    default:
        return QStringLiteral("VK.%1.%2").arg(itemId, 5, 10, QLatin1Char('0')).arg(rng.digits(2));
    }
}

QString oemCode(Random& rng)
{
    switch (rng.between(0, 5)) {
    case 0:
        return QStringLiteral("%1.%2.%3").arg(rng.digits(2), rng.digits(5), rng.digits(4));
    case 1:
        return QStringLiteral("%1 %2 %3 %4").arg(rng.letter()).arg(rng.digits(3), rng.digits(3), rng.digits(2));
    case 2:
        return QStringLiteral("%1-%2/%3").arg(rng.digits(4), rng.digits(3)).arg(rng.letter());
    case 3:
        return QStringLiteral("%1%2 %3").arg(rng.letter()).arg(rng.letter()).arg(rng.digits(6));
    case 4:
        return QStringLiteral("%1.%2-%3").arg(rng.digits(3), rng.digits(3), rng.digits(2));
    default:
        return QStringLiteral("%1/%2").arg(rng.digits(7), rng.digits(2));
    }
}

QString crossCode(Random& rng)
{
    switch (rng.between(0, 5)) {
    case 0:
        return QStringLiteral("%1 %2 %3-%4").arg(rng.letter()).arg(rng.digits(1)).arg(rng.letter()).arg(rng.digits(3));
    case 1:
        return QStringLiteral("%1 %2-%3 %4").arg(rng.digits(2), rng.digits(3), rng.digits(2)).arg(rng.letter());
    case 2:
        // Mixed case, as some suppliers print them.
        return QStringLiteral("%1%2-%3.%4")
            .arg(rng.letter())
            .arg(QChar(rng.letter()).toLower())
            .arg(rng.digits(4), rng.digits(1));
    case 3:
        return QStringLiteral("%1/%2/%3").arg(rng.digits(3), rng.digits(3)).arg(rng.letter());
    case 4:
        return QStringLiteral("%1%2%3").arg(rng.letter()).arg(rng.digits(5)).arg(rng.letter());
    default:
        return QStringLiteral("%1 %2").arg(rng.digits(4), rng.digits(4));
    }
}

// Stroke and assembly height ranges per style, mm.
struct SizeRange
{
    double strokeLow, strokeHigh, heightLow, heightHigh;
};
const SizeRange kSizes[8] = {
    {150, 350, 250, 450}, // rolling lobe
    {180, 400, 280, 500}, // rolling lobe with metal parts, without piston
    {180, 400, 280, 500}, // rolling lobe, complete
    {60, 130, 100, 180},  // single convoluted
    {140, 260, 180, 300}, // double convoluted
    {220, 380, 270, 420}, // triple convoluted
    {40, 100, 150, 230},  // cab
    {60, 140, 160, 240},  // seat
};

// Whole millimetres, as the data sheets give them.
double wholeMm(double mm)
{
    return std::round(mm);
}

// Spacings of the studs and bolts on the bead and top plates that the trade uses, mm.
const double kSpacings[13] = {70, 76, 89, 89, 89, 102, 120, 127, 140, 157.5, 157.5, 178, 200};

struct Mounting
{
    int studs = 0;
    QVariant studDistance{QMetaType(QMetaType::Double)}; // null when fewer than two
    int bolts = 0;
    QVariant boltDistance{QMetaType(QMetaType::Double)};
};

// The mounting a style has: a bare sleeve none, the metal-part lobes two studs (the complete one bolts on its
// piston), bellows two or four studs and maybe bolts, cab springs a stud and a bolt, seat springs two studs.
Mounting mountingFor(int style, int studDraw, int studSpacingDraw, int boltDraw, int boltSpacingDraw)
{
    Mounting m;
    switch (style) {
    case 1:
        break;
    case 2:
        m.studs = 2;
        break;
    case 3:
        m.studs = 2;
        m.bolts = boltDraw == 0 ? 1 : boltDraw;
        break;
    case 4:
    case 5:
    case 6:
        m.studs = studDraw <= 2 ? 2 : 4;
        m.bolts = boltDraw * 2;
        break;
    case 7:
        m.studs = 1;
        m.bolts = 1;
        break;
    default:
        m.studs = 2;
        break;
    }
    if (m.studs >= 2)
        m.studDistance = kSpacings[studSpacingDraw - 8];
    if (m.bolts >= 2)
        m.boltDistance = kSpacings[boltSpacingDraw - 8];
    return m;
}

QString loadingCapacity(Random& rng, int style)
{
    const int base = style >= 7 ? rng.between(2, 12) * 50 : rng.between(8, 60) * 100;
    if (rng.chance(30))
        return QStringLiteral("%1-%2").arg(base).arg(base + rng.between(2, 10) * 100);
    return QString::number(base);
}

void check(bool ok, const QSqlQuery& query)
{
    if (!ok)
        throw DatabaseError(errorText(query.lastError()));
}

} // namespace

DemoCatalogSummary generateDemoCatalog(const DemoCatalogOptions& options)
{
    // Filled without forced writes (many times faster); the finished file gets the safe setting back.
    createDatabase(options.filePath, false);

    const QString connection = QStringLiteral("velkorn-catalog-gen");
    DemoCatalogSummary summary;
    try {
        QSqlDatabase db = openDatabase(options.filePath, connection);
        Random rng(options.seed);
        if (!db.transaction())
            throw DatabaseError(errorText(db.lastError()));

        QSqlQuery type(db);
        check(type.prepare(QStringLiteral("insert into item_code_type (code_type_id, prefix, type) values (?, ?, ?)")),
              type);
        for (const CodeType& t : kCodeTypes) {
            type.addBindValue(t.id);
            type.addBindValue(QString::fromLatin1(t.prefix));
            type.addBindValue(QString::fromLatin1(t.name));
            check(type.exec(), type);
            ++summary.codeTypes;
        }

        QSqlQuery item(db);
        check(item.prepare(QStringLiteral(
                  "insert into item (id, total_weight, operation_pressure_default, operation_pressure_max, "
                  "operation_pressure_min, operation_space, assembly_height, piston_type, loading_capacity, type, "
                  "stud, diameter_between_studs, bolt, diameter_between_bolts, update_time, vehicle1, vehicle2) "
                  "values (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)")),
              item);
        QSqlQuery code(db);
        check(code.prepare(QStringLiteral(
                  "insert into item_code (id, item_id, code_type_id, code, search_code) values (?, ?, ?, ?, ?)")),
              code);
        QSqlQuery picture(db);
        check(picture.prepare(QStringLiteral("insert into item_pictures (id, item_id, picture_url) values (?, ?, ?)")),
              picture);

        // Naive times (UTC holds no clock changes), so that the same seed gives the same file in every time zone.
        const QDateTime firstChange(QDate(2023, 3, 1), QTime(9, 0), Qt::UTC);
        int codeId = 0;
        int pictureId = 0;
        for (int id = 1; id <= options.items; ++id) {
            const int style = rng.between(1, 8);
            const int vehicle1 = style >= 7 ? rng.between(1, 2) : rng.between(1, 4);
            int vehicle2 = 0;
            if (rng.chance(45)) {
                vehicle2 = rng.between(1, 4);
                if (vehicle2 == vehicle1 && rng.chance(70))
                    vehicle2 = vehicle2 % 4 + 1;
            }
            const bool small = style >= 7;
            const double pressureMax = rng.between(small ? 6 : 8, small ? 8 : 12);
            const double weight = small ? rng.real(0.4, 1.8) : rng.real(1.6, 14.5);
            const double pressureDefault = rng.between(5, 7);
            const double pressureMin = rng.real(0.3, 1.0);
            // The draws stay as they were (the codes after them keep their values); their spread is mapped onto
            // the sizes each style really comes in.
            const double strokeShare = (rng.between(12, 45) - 12) / 33.0;
            const double heightShare = (rng.between(18, 60) - 18) / 42.0;
            const int pistonDraw = rng.between(1, 6);
            const QString capacity = loadingCapacity(rng, style);
            const int studDraw = rng.between(1, 4);
            const int studSpacingDraw = rng.between(8, 20);
            const int boltDraw = rng.between(0, 2);
            const Mounting mounting = mountingFor(style, studDraw, studSpacingDraw, boltDraw, rng.between(8, 20));
            const SizeRange& size = kSizes[style - 1];
            const double stroke = wholeMm(size.strokeLow + strokeShare * (size.strokeHigh - size.strokeLow));
            const double height =
                wholeMm(std::max(size.heightLow + heightShare * (size.heightHigh - size.heightLow), stroke * 0.9 + 50));
            item.addBindValue(id);
            item.addBindValue(weight);
            item.addBindValue(pressureDefault);
            item.addBindValue(pressureMax);
            item.addBindValue(pressureMin);
            item.addBindValue(stroke);
            item.addBindValue(height);
            // Rolling lobes sit on a piston; the bellows, cab and seat springs and style 2 have a plate instead.
            item.addBindValue(style == 1 || style == 3 ? (pistonDraw == 6 ? 1 : pistonDraw) : 6);
            item.addBindValue(capacity);
            item.addBindValue(style);
            item.addBindValue(mounting.studs);
            item.addBindValue(mounting.studDistance);
            item.addBindValue(mounting.bolts);
            item.addBindValue(mounting.boltDistance);
            item.addBindValue(firstChange.addSecs(qint64(id) * 3517));
            item.addBindValue(vehicle1);
            item.addBindValue(vehicle2);
            check(item.exec(), item);
            ++summary.items;

            QVector<QPair<int, QString>> codes;
            codes.append({1, ownCode(rng, id)});
            const int oemCount = rng.between(2, 6);
            for (int i = 0; i < oemCount; ++i)
                codes.append({rng.between(2, 6), oemCode(rng)});
            const int crossCount = rng.between(2, 7);
            for (int i = 0; i < crossCount; ++i)
                codes.append({rng.between(7, 12), crossCode(rng)});
            for (const auto& c : codes) {
                code.addBindValue(++codeId);
                code.addBindValue(id);
                code.addBindValue(c.first);
                code.addBindValue(c.second);
                code.addBindValue(normaliseSearchText(c.second));
                check(code.exec(), code);
                ++summary.codes;
            }

            const int pictureCount = rng.between(0, 3);
            int k = rng.between(1, 3);
            for (int i = 0; i < pictureCount; ++i) {
                picture.addBindValue(++pictureId);
                picture.addBindValue(id);
                picture.addBindValue(QStringLiteral("style%1_%2.jpg").arg(style).arg(k));
                check(picture.exec(), picture);
                k = k % 3 + 1;
                ++summary.pictures;
            }
        }

        QSqlQuery params(db);
        check(params.prepare(QStringLiteral("insert into params (last_update) values (?)")), params);
        params.addBindValue(QDateTime(QDate(2024, 6, 1), QTime(12, 0), Qt::UTC));
        check(params.exec(), params);

        if (!db.commit())
            throw DatabaseError(errorText(db.lastError()));
        recomputeIndexStatistics(db);
    } catch (...) {
        closeDatabase(connection);
        QFile::remove(options.filePath);
        throw;
    }
    closeDatabase(connection);
    if (options.forcedWrites)
        setForcedWrites(options.filePath, true);
    return summary;
}

} // namespace catalog
