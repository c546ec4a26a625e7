#include "i18n/texts/BuiltInTexts.h"

namespace i18n {

namespace {

struct Entry
{
    const char* key;
    const char* tr;
    const char* en;
    const char* de;
};

// UTF-8, as the language file sources are; the same words as the shipped files, which a test checks. A new key
// is appended here and to the end of Project_Messages in i18n/lang/tr.lng, en.lng and de.lng.
const Entry kEntries[] = {
    // Find by measurements and the datasheet.
    {"btnMeasure", "Ölçüyle Bul", "Find by measurements", "Nach Maßen suchen"},
    {"measureTitle", "Etiketi okunamayan körüğü ölçün ve karşılaştırın",
     "Measure the spring whose label is unreadable and compare",
     "Messen Sie die Feder mit unleserlichem Etikett und vergleichen Sie"},
    {"measureStyle", "Stil", "Style", "Bauart"},
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
    // Copy, export, sort, count, About and pictures.
    {"btnTools", "Araçlar", "Tools", "Extras"},
    {"copyCode", "Kodu kopyala", "Copy code", "Code kopieren"},
    {"copyAllCodes", "Bu ürünün tüm kodlarını kopyala", "Copy all codes of this item",
     "Alle Codes dieses Artikels kopieren"},
    {"copyRow", "Satırı kopyala", "Copy row", "Zeile kopieren"},
    {"sortList", "Listeyi sırala", "Sort list", "Liste sortieren"},
    {"exportList", "Listeyi dışa aktar…", "Export list…", "Liste exportieren…"},
    {"exportFilter", "CSV dosyaları (*.csv)", "CSV files (*.csv)", "CSV-Dateien (*.csv)"},
    {"exportFailed", "Liste %1 dosyasına yazılamadı.", "The list could not be written to %1.",
     "Die Liste konnte nicht in %1 geschrieben werden."},
    {"showPicture", "Resmi büyük göster", "Show picture large", "Bild groß anzeigen"},
    {"about", "Velkorn hakkında…", "About Velkorn…", "Über Velkorn…"},
    {"aboutCaption", "Velkorn hakkında", "About Velkorn", "Über Velkorn"},
    {"catalogDate", "Katalog tarihi: %1", "Catalog of %1", "Katalogstand: %1"},
    {"neverUpdated", "hiç güncellenmedi", "never updated", "nie aktualisiert"},
    {"programVersion", "Sürüm %1", "Version %1", "Version %1"},
    {"itemCount", "Ürün sayısı: %1", "Items: %1", "Artikel: %1"},
    {"codeCount", "Kod sayısı: %1", "Codes: %1", "Codes: %1"},
    {"applicationDir", "Program klasörü: %1", "Application directory: %1", "Programmverzeichnis: %1"},
    {"rowCount", "%1 satır", "%1 rows", "%1 Zeilen"},
    {"rowCount1", "1 satır", "1 row", "1 Zeile"},
    // Comparison and history.
    {"btnCompare", "Karşılaştırma", "Comparison", "Vergleich"},
    {"compareAdd", "Karşılaştırmaya ekle", "Add to comparison", "Zum Vergleich hinzufügen"},
    {"compareRemoveItem", "Karşılaştırmadan çıkar", "Remove from comparison", "Aus dem Vergleich entfernen"},
    {"compareShow", "Karşılaştırmayı göster", "Show comparison", "Vergleich anzeigen"},
    {"compareClear", "Tümünü çıkar", "Remove all", "Alle entfernen"},
    {"compareShowItem", "Ürünü göster", "Show item", "Artikel anzeigen"},
    {"compareRemove", "Çıkar", "Remove", "Entfernen"},
    {"compareSavePdf", "PDF olarak kaydet…", "Save as PDF…", "Als PDF speichern…"},
    {"compareDiffers", "Farklı değerler işaretlidir", "Values that differ are marked",
     "Abweichende Werte sind markiert"},
    {"compareEmpty",
     "Henüz karşılaştırılacak ürün yok. Bir listenin sağ tık menüsünden, ürün sayfasından ya da arama kutusunun "
     "altındaki listeden “Karşılaştırmaya ekle” komutunu seçin; en çok üç ürün yan yana gösterilir.",
     "No items to compare yet. Choose “Add to comparison” in a list's context menu, on the item page or in the list "
     "under the search box; up to three items stand side by side.",
     "Noch keine Artikel im Vergleich. Wählen Sie „Zum Vergleich hinzufügen“ im Kontextmenü einer Liste, auf der "
     "Artikelseite oder in der Liste unter dem Suchfeld; bis zu drei Artikel stehen nebeneinander."},
    {"compareFull", "Karşılaştırmada zaten üç ürün var. %1 kodlu ürünü eklemek için önce birini çıkarın.",
     "The comparison already holds three items. Remove one of them before adding %1.",
     "Der Vergleich enthält bereits drei Artikel. Entfernen Sie einen davon, bevor Sie %1 hinzufügen."},
    {"compareTitle", "Ürün Karşılaştırması", "Product Comparison", "Produktvergleich"},
    {"compareSaveFailed", "Karşılaştırma kaydedilemedi: %1", "The comparison could not be saved: %1",
     "Der Vergleich konnte nicht gespeichert werden: %1"},
    {"btnHistory", "Geçmiş", "History", "Verlauf"},
    {"historyBack", "Geri", "Back", "Zurück"},
    {"historyForward", "İleri", "Forward", "Vorwärts"},
    {"historyClear", "Geçmişi temizle", "Clear history", "Verlauf löschen"},
    {"historyEmpty", "Henüz ürün gösterilmedi", "No items shown yet", "Noch keine Artikel angezeigt"},
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
    return {};
}

QStringList builtInKeys()
{
    QStringList keys;
    for (const Entry& e : kEntries)
        keys << QString::fromLatin1(e.key);
    return keys;
}

QString withBuiltInText(const QString& looked, const QString& languageCode, const QString& key)
{
    // Message lookup answers a missing key with this text.
    if (!looked.isEmpty() && looked != QLatin1String("ERROR"))
        return looked;
    const QString builtIn = builtInText(languageCode, key);
    return builtIn.isNull() ? looked : builtIn;
}

MessageLookup withBuiltInTexts(MessageLookup msg, const QString& languageCode)
{
    return withBuiltInTexts(std::move(msg), [languageCode] { return languageCode; });
}

MessageLookup withBuiltInTexts(MessageLookup msg, std::function<QString()> languageCode)
{
    return [msg = std::move(msg), languageCode = std::move(languageCode)](const QString& key) {
        return withBuiltInText(msg ? msg(key) : QStringLiteral("ERROR"), languageCode ? languageCode() : QString(),
                               key);
    };
}

} // namespace i18n
