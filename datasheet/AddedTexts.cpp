#include "datasheet/AddedTexts.h"

#include <QHash>

namespace datasheet {

namespace {

struct Entry
{
    const char* key;
    const char* tr;
    const char* en;
    const char* de;
};

// UTF-8, as the language file sources are.
const Entry kEntries[] = {
    {"btnMeasure", "Ölçüyle Bul", "Find by measurements", "Nach Maßen suchen"},
    {"measureTitle", "Etiketi okunamayan körüğü ölçün ve karşılaştırın",
     "Measure the spring whose label is unreadable and compare",
     "Messen Sie die Feder mit unleserlichem Etikett und vergleichen Sie"},
    {"measureStyle", "Stil", "Style", "Bauform"},
    {"measureAny", "(hepsi)", "(any)", "(alle)"},
    {"measureStroke", "Çalışma aralığı (strok)", "Operating space (stroke)", "Arbeitsbereich (Hub)"},
    {"measureHeight", "Montaj yüksekliği", "Assembly height", "Einbauhöhe"},
    {"measureStudCount", "Saplama sayısı", "Number of studs", "Anzahl Stehbolzen"},
    {"measureStudDistance", "Saplamalar arası mesafe", "Distance between studs", "Abstand der Stehbolzen"},
    {"measureBoltCount", "Cıvata sayısı", "Number of bolts", "Anzahl Schrauben"},
    {"measureBoltDistance", "Cıvatalar arası mesafe", "Distance between bolts", "Abstand der Schrauben"},
    {"measurePiston", "Piston tipi", "Piston type", "Kolbentyp"},
    {"measureCapacity", "Taşıma kapasitesi", "Loading capacity", "Tragfähigkeit"},
    {"measureTolerance", "Tolerans ±", "Tolerance ±", "Toleranz ±"},
    {"measureFind", "Bul", "Find", "Suchen"},
    {"measureClear", "Temizle", "Clear", "Leeren"},
    {"measureFound", "%1 ürün bulundu", "%1 items found", "%1 Artikel gefunden"},
    {"measureNothing", "Yeterince yakın ürün yok", "No item comes close enough", "Kein Artikel kommt nahe genug"},
    {"measureDiff", "Fark", "Diff.", "Abw."},
    {"measureLegend", "Yeşil: tolerans içinde; turuncu: toleransın iki katına kadar",
     "Green: within the tolerance; amber: up to twice the tolerance",
     "Grün: innerhalb der Toleranz; gelb: bis zur doppelten Toleranz"},
    {"btnDatasheet", "Veri Sayfası", "Datasheet", "Datenblatt"},
    {"btnPrintDatasheet", "Veri sayfasını yazdır…", "Print datasheet…", "Datenblatt drucken…"},
    {"btnSaveDatasheet", "Veri sayfasını PDF olarak kaydet…", "Save datasheet as PDF…",
     "Datenblatt als PDF speichern…"},
    {"sheetTitle", "Ürün Veri Sayfası", "Product Datasheet", "Produktdatenblatt"},
    {"sheetTechnicalData", "Teknik Veriler", "Technical Data", "Technische Daten"},
    {"sheetMounting", "Bağlantı", "Mounting", "Befestigung"},
    {"sheetCodes", "Bilinen Tüm Kodlar", "All Codes", "Alle Nummern"},
    {"sheetCatalogDate", "Katalog tarihi", "Catalog date", "Katalogstand"},
    {"sheetPdfFilter", "PDF dosyaları (*.pdf)", "PDF files (*.pdf)", "PDF-Dateien (*.pdf)"},
    {"sheetSaveFailed", "Veri sayfası kaydedilemedi: %1", "The datasheet could not be saved: %1",
     "Das Datenblatt konnte nicht gespeichert werden: %1"},
};

} // namespace

QString builtInText(const QString& languageCode, const QString& key)
{
    for (const Entry& e : kEntries) {
        if (key != QLatin1String(e.key))
            continue;
        if (languageCode == QLatin1String("tr"))
            return QString::fromUtf8(e.tr);
        if (languageCode == QLatin1String("de"))
            return QString::fromUtf8(e.de);
        return QString::fromUtf8(e.en);
    }
    return QStringLiteral("ERROR");
}

QStringList addedKeys()
{
    QStringList keys;
    for (const Entry& e : kEntries)
        keys << QString::fromLatin1(e.key);
    return keys;
}

MessageLookup withBuiltInTexts(MessageLookup msg, const QString& languageCode)
{
    return withBuiltInTexts(std::move(msg), [languageCode] { return languageCode; });
}

MessageLookup withBuiltInTexts(MessageLookup msg, std::function<QString()> languageCode)
{
    return [msg = std::move(msg), languageCode = std::move(languageCode)](const QString& key) {
        const QString text = msg ? msg(key) : QStringLiteral("ERROR");
        if (text != QLatin1String("ERROR"))
            return text;
        return builtInText(languageCode ? languageCode() : QString(), key);
    };
}

} // namespace datasheet
