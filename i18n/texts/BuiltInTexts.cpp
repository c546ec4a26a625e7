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
    // Copy, export, sort, count, About and pictures.
    {"btnTools", "Araçlar", "Tools", "Extras"},
    {"copyCode", "Kodu kopyala", "Copy code", "Nummer kopieren"},
    {"copyAllCodes", "Bu ürünün tüm kodlarını kopyala", "Copy all codes of this item",
     "Alle Nummern dieses Artikels kopieren"},
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
    {"programVersion", "Sürüm %1", "Version %1", "Version %1"},
    {"itemCount", "Ürün sayısı: %1", "Items: %1", "Artikel: %1"},
    {"codeCount", "Kod sayısı: %1", "Codes: %1", "Nummern: %1"},
    {"applicationDir", "Program klasörü: %1", "Application directory: %1", "Programmverzeichnis: %1"},
    {"catalogLocation", "Katalog konumu: %1", "Catalog location: %1", "Speicherort des Katalogs: %1"},
    {"rowCount", "%1 satır", "%1 rows", "%1 Zeilen"},
    {"rowCount1", "1 satır", "1 row", "1 Zeile"},
    // An interrupted update, the screen readers' texts, the drop-down's last row, the measurement form's messages.
    {"updateCaption", "Program güncellemesi", "Program update", "Programmaktualisierung"},
    {"updateRestored", "Programın son güncellemesi tamamlanmadan yarıda kesildi. Önceki sürüm geri yüklendi.",
     "The last program update was interrupted before it was complete. The previous version has been restored.",
     "Die letzte Aktualisierung des Programms wurde unterbrochen, bevor sie abgeschlossen war. Die vorherige Version "
     "wurde wiederhergestellt."},
    {"updateNotCompleted",
     "Programın son güncellemesi yarıda kesildi ve tamamlanmadı. Önceki sürüm geri yüklenemedi; program dosyaları "
     "olduğu gibi bırakıldı.",
     "The last program update was interrupted and not completed. The previous version could not be restored, so the "
     "program files stay as they are.",
     "Die letzte Aktualisierung des Programms wurde unterbrochen und nicht abgeschlossen. Die vorherige Version konnte "
     "nicht wiederhergestellt werden; die Programmdateien bleiben, wie sie sind."},
    {"updateRolledBack", "Programın yeni sürümü başlamadı, bu yüzden güncelleme geri alındı. Önceki sürüm çalışıyor.",
     "The new version of the program did not start, so the update was rolled back. The previous version is running.",
     "Die neue Programmversion ist nicht gestartet, deshalb wurde die Aktualisierung rückgängig gemacht. Die vorherige "
     "Version läuft."},
    {"accWebSite", "Velkorn web sitesi", "Velkorn web site", "Velkorn-Website"},
    {"accWebSiteHint", "Üreticinin web sitesini tarayıcınızda açar", "Opens the maker's web site in your web browser",
     "Öffnet die Website des Herstellers im Browser"},
    {"accSearchHint", "Arama kutusuna yazılan kodu taşıyan tüm ürünleri gösterir",
     "Shows every item that carries the code typed in the search box",
     "Zeigt alle Artikel mit der ins Suchfeld eingegebenen Nummer"},
    {"accPrevHint", "Son açılan listedeki önceki ürünü gösterir (Sol ok tuşu)",
     "Shows the previous item of the list opened last (Left arrow key)",
     "Zeigt den vorherigen Artikel der zuletzt geöffneten Liste (Pfeiltaste links)"},
    {"accNextHint", "Son açılan listedeki sonraki ürünü gösterir (Sağ ok tuşu)",
     "Shows the next item of the list opened last (Right arrow key)",
     "Zeigt den nächsten Artikel der zuletzt geöffneten Liste (Pfeiltaste rechts)"},
    {"accPageForward", "Sonraki sayfa", "Next page", "Nächste Seite"},
    {"accPageForwardHint", "Montaj ve ürün gamı sayfalarında bir sonraki sayfaya geçer",
     "Turns to the next page of the installation and product range pages",
     "Blättert in Montage und Produktprogramm eine Seite weiter"},
    {"accPageBack", "Önceki sayfa", "Previous page", "Vorherige Seite"},
    {"accPageBackHint", "Montaj ve ürün gamı sayfalarında bir önceki sayfaya döner",
     "Turns back to the previous page of the installation and product range pages",
     "Blättert in Montage und Produktprogramm eine Seite zurück"},
    {"accSearchBox", "Kod arama", "Code search", "Nummernsuche"},
    {"accSearchBoxHint", "Ürün, OEM ya da karşılık kodunu yazın; Enter bu kodu taşıyan tüm ürünleri gösterir",
     "Type a product, OEM or cross-reference code; Enter shows every item that carries it",
     "Produkt-, OEM- oder Vergleichsnummer eingeben; die Eingabetaste zeigt alle Artikel mit dieser Nummer"},
    {"accMenuBar", "Ana menü", "Main menu", "Hauptmenü"},
    {"accMenuBarHint", "Stil, OEM, kullanım alanı ve karşılıklara göre listeler; firma sayfaları ve araçlar",
     "Lists by style, OEM, usage and cross-reference; company pages and tools",
     "Listen nach Bauform, OEM, Einsatzbereich und Vergleichsnummern; Firmenseiten und Extras"},
    {"accItemList", "Ürün listesi", "Item list", "Artikelliste"},
    {"accItemListHint", "Son açılan listenin ürünleri; seçilen ürün yanında gösterilir",
     "The items of the list opened last; the chosen one is shown beside it",
     "Die Artikel der zuletzt geöffneten Liste; der gewählte wird daneben angezeigt"},
    {"accCodeList", "Ürünün kodları", "Codes of the item", "Nummern des Artikels"},
    {"accCodeListHint", "Gösterilen ürünün bilindiği tüm kodlar ve tipleri",
     "Every code the item shown is known by, with its type",
     "Alle Nummern, unter denen der angezeigte Artikel bekannt ist, mit ihrer Art"},
    {"accPicture", "Ürün resmi %1", "Item picture %1", "Artikelbild %1"},
    {"accSuggestions", "Eşleşen kodlar", "Matching codes", "Passende Nummern"},
    {"accSuggestionsHint", "Yukarı ve Aşağı ok tuşları kod seçer, Enter ürününü gösterir, Esc listeyi kapatır",
     "Up and Down choose a code, Enter shows its item, Escape closes the list",
     "Pfeiltasten wählen eine Nummer, die Eingabetaste zeigt ihren Artikel, Esc schließt die Liste"},
    {"accFilterHint", "Yalnızca seçilen türdeki ürünler; %1 tüm ürünleri alır",
     "Only items of the chosen kind; %1 takes every item", "Nur Artikel der gewählten Art; %1 nimmt alle Artikel"},
    {"accMeasureValueHint", "Bu ölçüyü hesaba katmamak için boş bırakın",
     "Leave it empty to leave this measurement out", "Leer lassen, um dieses Maß nicht zu berücksichtigen"},
    {"accToleranceHint", "Katalog değerinin ne kadar farklı olabileceği; % işareti yüzde anlamına gelir",
     "How far the catalog's value may differ; a % sign makes it a percentage",
     "Wie weit der Katalogwert abweichen darf; mit %-Zeichen in Prozent"},
    {"accMeasureFindHint", "Kataloğu girilen ölçülere göre sıralar", "Ranks the catalog by the measurements entered",
     "Ordnet den Katalog nach den eingegebenen Maßen"},
    {"accMeasureClearHint", "Formu temizler", "Empties the form", "Leert das Formular"},
    {"accMeasureHits", "Ölçüyle bulunan ürünler", "Items found by measurements", "Nach Maßen gefundene Artikel"},
    {"moreCodes", "ve %1 kod daha — Enter hepsini gösterir", "and %1 more — Enter shows all",
     "und %1 weitere — Eingabetaste zeigt alle"},
    {"catalogNeverUpdated", "Katalog hiç güncellenmedi", "Catalog never updated", "Katalog noch nie aktualisiert"},
    {"measureFound1", "1 ürün bulundu", "1 item found", "1 Artikel gefunden"},
    {"measureToleranceOf", "%1, tolerans", "%1, tolerance", "%1, Toleranz"},
    {"measureNotNumber", "%1: “%2” bir sayı değil.", "%1: “%2” is not a number.", "%1: „%2“ ist keine Zahl."},
    {"measureNegative", "%1: ölçü negatif olamaz.", "%1: a measure cannot be negative.",
     "%1: Ein Maß kann nicht negativ sein."},
    {"measureWrongUnit", "%1: değeri %2 cinsinden girin.", "%1: enter the value in %2.",
     "%1: Bitte den Wert in %2 eingeben."},
    {"measureNotWhole", "%1: tam sayı girin.", "%1: enter a whole number.", "%1: Bitte eine ganze Zahl eingeben."},
    {"measureNoRange", "%1: aralık değil, tek bir sayı girin.", "%1: enter one number, not a range.",
     "%1: Bitte eine einzelne Zahl eingeben, keinen Bereich."},
    {"measureReversedRange", "%1: küçük sayıyı öne yazın, örneğin 2300-2700.",
     "%1: put the smaller number first, as in 2300-2700.",
     "%1: Bitte die kleinere Zahl zuerst schreiben, etwa 2300-2700."},
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
    // A seat of a shared catalog.
    {"catalogConnectionLost",
     "Kataloğa bağlantı kesildi: %1. Bağlantı geri gelene kadar listeler ve ürünler okunamaz; program kendiliğinden "
     "yeniden bağlanır.",
     "The connection to the catalog has been lost: %1. Lists and items cannot be read until it is back; the program "
     "reconnects by itself.",
     "Die Verbindung zum Katalog ist unterbrochen: %1. Listen und Artikel können erst wieder gelesen werden, wenn sie "
     "zurück ist; das Programm verbindet sich von selbst neu."},
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
