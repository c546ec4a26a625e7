#pragma once

#include <QSqlDatabase>
#include <QString>
#include <QVector>

#include <array>
#include <optional>

namespace catalog {

// What a mechanic can measure on a worn spring whose label is unreadable. The order is the order of the page's
// rows and of the result columns.
enum class Measure
{
    OperationSpace, // stroke, mm
    AssemblyHeight, // mm
    StudCount,      // ITEM.STUD
    StudDistance,   // ITEM.DIAMETER_BETWEEN_STUDS, mm
    BoltCount,      // ITEM.BOLT
    BoltDistance,   // ITEM.DIAMETER_BETWEEN_BOLTS, mm
    LoadingCapacity // kg; the catalog holds a number or a range "3200-4000"
};
constexpr int kMeasureCount = 7;

// The tolerance a measure gets unless the user sets another: lengths ±3 mm, the capacity ±5 %, counts exact.
struct Tolerance
{
    double amount = 0;
    bool percent = false;
};
Tolerance defaultTolerance(Measure measure);

// One item as the measurement search sees it; a missing value is empty.
struct ItemMeasures
{
    int itemId = 0;
    QString code; // the type-1 code
    int style = 0;
    int pistonType = 0;
    std::array<std::optional<double>, kMeasureCount> values{}; // by Measure; the capacity's lower end
    std::optional<double> capacityHigh;                        // the upper end of a capacity range
};

// The user's entries: each measure optional with its tolerance; style and piston type 0 for "any". A capacity may
// be a range, as the catalog prints it.
struct MeasureQuery
{
    int style = 0;
    int pistonType = 0;
    std::array<std::optional<double>, kMeasureCount> values{}; // the capacity's lower end
    std::optional<double> capacityHigh;                        // the upper end of a capacity range
    std::array<Tolerance, kMeasureCount> tolerances{};

    MeasureQuery();
    void set(Measure measure, double value) { values[int(measure)] = value; }
    void setCapacityRange(double low, double high)
    {
        values[int(Measure::LoadingCapacity)] = low;
        capacityHigh = high;
    }
    void setTolerance(Measure measure, Tolerance tolerance) { tolerances[int(measure)] = tolerance; }
    bool isEmpty() const;
};

enum class Closeness
{
    Within, // green: within the tolerance
    Near,   // amber: up to twice the tolerance
};

// How one entered measure compares on one item.
struct MeasureMatch
{
    Measure measure = Measure::OperationSpace;
    double itemValue = 0;  // for a capacity range, the end nearest the entered value
    double difference = 0; // item minus entered; 0 inside a capacity range
    Closeness closeness = Closeness::Within;
};

struct MeasureHit
{
    int itemId = 0;
    QString code;
    int style = 0;
    double distance = 0;           // 0 is a perfect match; ranks the hits
    QVector<MeasureMatch> matches; // one per entered measure, in Measure order
};

// Parses a capacity as the catalog stores it: "3200", "3200-4000", "3.200 kg"; false when no number is found.
bool parseCapacity(const QString& text, double* low, double* high);

// What a box of the measurement form takes: its unit (none for counts), and whether it takes "%" (the tolerances),
// a range "2300-2700" (the capacity) or only whole numbers (the counts).
struct EntryRule
{
    QString unit;
    bool percent = false;
    bool range = false;
    bool whole = false;
};
EntryRule valueRule(Measure measure);
EntryRule toleranceRule(Measure measure);

// What is wrong with a box's text.
enum class EntryProblem
{
    None,
    NotANumber,
    Negative,
    WrongUnit,
    NotWhole,
    RangeNotAllowed,
    ReversedRange,
};

// A box's text read by its rule: "157,5", "157.5", " 89 mm", "5 %", "3.200", "2300-2700"; empty for a blank box.
struct Entry
{
    std::optional<double> value; // the lower end of a range
    std::optional<double> high;  // the upper end of a range
    bool percent = false;
    EntryProblem problem = EntryProblem::None;
};
Entry readEntry(const QString& text, const EntryRule& rule);

// Ranks catalog items by how close they come to measurements taken from a spring. The rows are read once from
// ITEM; every search afterwards runs in memory. Items lacking a value for an entered measure, and items more than
// twice the tolerance away in any entered measure, are left out.
class MeasurementSearch
{
public:
    MeasurementSearch() = default;
    explicit MeasurementSearch(QVector<ItemMeasures> items) : m_items(std::move(items)) {}

    // Every item that has a type-1 code. Throws DatabaseError.
    static MeasurementSearch load(const QSqlDatabase& db);

    int size() const { return m_items.size(); }
    // Closest first; equally close items in code order. An empty query finds nothing.
    QVector<MeasureHit> find(const MeasureQuery& query) const;

private:
    QVector<ItemMeasures> m_items;
};

} // namespace catalog
