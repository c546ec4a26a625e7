#include "LanguageTexts.h"

namespace {

LanguageTexts turkish()
{
    LanguageTexts t;
    t.suffix = QStringLiteral("TR");
    t.slogan = QStringLiteral("Güvenle taşır.");
    t.sloganSub = QStringLiteral("Her dingil için hava körüğü");
    t.installTitle = QStringLiteral("Montaj talimatı");
    t.stepTitles = {QStringLiteral("Kaldırın ve destekleyin"),
                    QStringLiteral("Havayı boşaltın"),
                    QStringLiteral("Eski körüğü sökün"),
                    QStringLiteral("Yeni körüğü takın"),
                    QStringLiteral("Torkla sıkın"),
                    QStringLiteral("Bağlayın, doldurun, kontrol edin")};
    t.stepTexts = {
        QStringLiteral("Aracı şasiden kaldırın ve dingili sehpalarla sağlam biçimde destekleyin."),
        QStringLiteral("Süspansiyon devresini manometre 0\u00a0bar gösterene kadar boşaltın."),
        QStringLiteral("Hava hattını ayırın, somunları sökün ve eski körüğü çıkarın."),
        QStringLiteral("Saplamaları deliklerden geçirin; hava girişi hat tarafına baksın."),
        QStringLiteral("Somunları teknik föydeki torkla sıkın (M12: 70\u00a0Nm)."),
        QStringLiteral("Hava hattını bağlayın, sistemi doldurun, sürüş yüksekliğini ve kaçakları kontrol edin.")};
    t.safetyNote = QStringLiteral("Yalnızca basıncı alınmış sistemde çalışın. Yalnızca hava süspansiyonunun taşıdığı "
                                  "aracın altına asla girmeyin.");
    t.pageOf = QStringLiteral("Sayfa");
    t.codeTitle = QStringLiteral("Velkorn ürün kodu");
    t.codeIntro = QStringLiteral("Her Velkorn ürününün kodu, körüğün yapısını ve ölçüsünü bir bakışta anlatır.");
    t.codeParts = {QStringLiteral("Velkorn marka ön eki"), QStringLiteral("Ürün ailesi (1–8, aşağıdaki liste)"),
                   QStringLiteral("Yapı: R roll körük, K katlı körük"),
                   QStringLiteral("Ölçü: nominal Ø 300 mm, boy sınıfı 42"),
                   QStringLiteral("Piston malzemesi: P kompozit, S çelik, A alüminyum")};
    t.familiesTitle = QStringLiteral("Ürün aileleri");
    t.sectionTitle = QStringLiteral("Hava körüğünün parçaları");
    t.partNames = {QStringLiteral("Üst tabla"),  QStringLiteral("Körük"),       QStringLiteral("Piston"),
                   QStringLiteral("Tampon"),     QStringLiteral("Hava girişi"), QStringLiteral("Saplamalar"),
                   QStringLiteral("Alt cıvata"), QStringLiteral("Topuk")};
    t.sectionNote = QStringLiteral("Kesit: VK 3 R 3042 P, komple roll körük");
    t.mountingSymbols = {QStringLiteral("Kombinasyon"), QStringLiteral("Saplama"), QStringLiteral("Hava girişi"),
                         QStringLiteral("Cıvata / saplama")};
    t.introTitle = QStringLiteral("Velkorn — ticari araçlar için hava körükleri");
    t.introHeadings = {QStringLiteral("Biz kimiz"), QStringLiteral("Kalite"), QStringLiteral("Ürün yelpazesi"),
                       QStringLiteral("Hizmet")};
    t.introTexts = {
        QStringLiteral("Velkorn; otobüs, kamyon, römork ve sürücü kabinleri için hava körükleri tasarlar ve üretir. "
                       "Kauçuk karışımından son basınç testine kadar her adım tek elde: karışım, körük imalatı, "
                       "vulkanizasyon, metal parçalar ve montaj."),
        QStringLiteral(
            "Her hava körüğü, patlama basıncı testi ve ölçü kontrolünden geçmeden hattan çıkmaz. Kauçuk "
            "karışımlarımız ozon dayanımı, -40\u00a0°C'ye kadar soğukta esneklik ve milyonlarca stroka varan "
            "yorulma için test edilir."),
        QStringLiteral("1.500'ü aşkın tip: pistonlu ve pistonsuz roll körükler; tek, çift ve üç katlı körükler; kabin "
                       "ve koltuk körükleri. Her biri OEM ve karşılık kodlarıyla bu katalogda yer alır."),
        QStringLiteral("Teknik ekibimiz doğru körüğü bulmanıza yardım eder, montaj bilgilerini sağlar ve bir iş günü "
                       "içinde yanıt verir. Size en yakın bayiyi www.velkorn.example adresinde bulabilirsiniz.")};
    t.factsTitle = QStringLiteral("Rakamlarla Velkorn");
    t.facts = {QStringLiteral("1987'de kuruldu; üç fabrika, 620 çalışan"),
               QStringLiteral("1.500'ü aşkın tip, 40 ülkeye ihracat"),
               QStringLiteral("ISO 9001 belgeli kalite yönetimi, her körükte basınç testi")};
    t.rangeTitle = QStringLiteral("Ürün yelpazesi");
    t.familyNames = {QStringLiteral("Roll Körük"),
                     QStringLiteral("Roll Metalli Körük (Pistonsuz)"),
                     QStringLiteral("Roll Metalli Körük (Komple)"),
                     QStringLiteral("Tek Katlı Körükler"),
                     QStringLiteral("Çift Katlı Körükler"),
                     QStringLiteral("3 Katlı Körükler"),
                     QStringLiteral("Kabin Körükleri"),
                     QStringLiteral("Koltuk Körükleri")};
    t.familyTexts = {
        QStringLiteral("Yalnız kauçuk gövde; mevcut piston ve üst tablada aşınmış körüğün değişimi için. Çapraz "
                       "yerleşimli iki kat bez ve sıkı oturan takviyeli topuk ile üretilir."),
        QStringLiteral("Gövde ve üst tabla tek parça olarak kenetlenmiştir; saplamalar ve hava girişi hazırdır, aracın "
                       "kendi pistonu yeniden kullanılır. Yalnız gövdeye göre daha hızlı takılır."),
        QStringLiteral("Üst tabla, gövde, piston ve iç tampondan oluşan, takılmaya hazır ünite. Orijinal yay "
                       "karakteri ve stroka göre biçimlendirilmiş çelik, alüminyum veya kompozit pistonlar."),
        QStringLiteral("Kısa strok ve yüksek yük için kompakt körükler: kaldırma dingilleri, endüstriyel "
                       "uygulamalar ve alçak süspansiyonlar."),
        QStringLiteral("Bir kemer halkasıyla ayrılan iki kat, aynı çapta daha uzun strok sağlar — römork ve otobüs "
                       "süspansiyonları ile kaldırma düzenleri için."),
        QStringLiteral("Katlı körük ailesinin en uzun stroku; kaldırma dingilleri, damperler ve büyük yükseklik "
                       "değişimi gereken makineler için."),
        QStringLiteral("Sürücü kabinini şasi titreşiminden yalıtan, amortisör bağlantılı küçük roll körükler."),
        QStringLiteral("Sürücü koltukları için hızlı bağlantılı hava girişine sahip hafif körükler; koltuğu her "
                       "sürücü ağırlığında aynı yükseklikte tutar.")};
    return t;
}

LanguageTexts english()
{
    LanguageTexts t;
    t.suffix = QStringLiteral("EN");
    t.slogan = QStringLiteral("Built to carry.");
    t.sloganSub = QStringLiteral("Air springs for every axle");
    t.installTitle = QStringLiteral("Installation instructions");
    t.stepTitles = {QStringLiteral("Raise and support"),     QStringLiteral("Release the air"),
                    QStringLiteral("Remove the old spring"), QStringLiteral("Fit the new spring"),
                    QStringLiteral("Tighten to torque"),     QStringLiteral("Connect, fill, check")};
    t.stepTexts = {QStringLiteral("Lift the vehicle at the chassis and set the axle securely on stands."),
                   QStringLiteral("Empty the suspension circuit until the gauge reads 0\u00a0bar."),
                   QStringLiteral("Disconnect the air line, undo the nuts and take the old spring out."),
                   QStringLiteral("Guide the studs through the holes; the air inlet faces the line."),
                   QStringLiteral("Tighten the nuts to the torque given in the data sheet (M12: 70\u00a0Nm)."),
                   QStringLiteral("Connect the air line, fill the system, check the ride height and test for leaks.")};
    t.safetyNote = QStringLiteral("Work only on a depressurised system. Never work under a vehicle that is held up by "
                                  "its air suspension alone.");
    t.pageOf = QStringLiteral("Page");
    t.codeTitle = QStringLiteral("The Velkorn product code");
    t.codeIntro = QStringLiteral("Every Velkorn code tells the design and the size of the spring at a glance.");
    t.codeParts = {QStringLiteral("Velkorn brand prefix"), QStringLiteral("Product family (1–8, list below)"),
                   QStringLiteral("Design: R rolling lobe, C convoluted"),
                   QStringLiteral("Size: nominal Ø 300 mm, length class 42"),
                   QStringLiteral("Piston material: P composite, S steel, A aluminium")};
    t.familiesTitle = QStringLiteral("Product families");
    t.sectionTitle = QStringLiteral("Parts of an air spring");
    t.partNames = {QStringLiteral("Bead plate"),  QStringLiteral("Bellows"),   QStringLiteral("Piston"),
                   QStringLiteral("Bumper"),      QStringLiteral("Air inlet"), QStringLiteral("Studs"),
                   QStringLiteral("Bottom bolt"), QStringLiteral("Bead")};
    t.sectionNote = QStringLiteral("Section: VK 3 R 3042 P, complete rolling-lobe air spring");
    t.mountingSymbols = {QStringLiteral("Combination"), QStringLiteral("Stud"), QStringLiteral("Air inlet"),
                         QStringLiteral("Bolt or stud")};
    t.introTitle = QStringLiteral("Velkorn — air springs for commercial vehicles");
    t.introHeadings = {QStringLiteral("Who we are"), QStringLiteral("Quality"), QStringLiteral("Range"),
                       QStringLiteral("Service")};
    t.introTexts = {
        QStringLiteral("Velkorn designs and manufactures air springs for buses, trucks, trailers and driver cabs. From "
                       "our own rubber mixing to the final pressure test, every step is in one hand: compounds, "
                       "bellows building, vulcanisation, metal parts and assembly."),
        QStringLiteral("No air spring leaves the line before a burst-pressure test and a dimensional check. Our rubber "
                       "compounds are tested for ozone resistance, flexibility in the cold down to -40\u00a0°C and "
                       "fatigue over millions of strokes."),
        QStringLiteral("More than 1,500 types: rolling-lobe air springs with and without piston; single-, double- and "
                       "triple-convoluted bellows; cab and seat air springs. Each is listed in this catalog with its "
                       "OEM and cross-reference codes."),
        QStringLiteral("Our technical team helps you find the right spring, supplies fitting data and answers within "
                       "one working day. Find your nearest dealer at www.velkorn.example.")};
    t.factsTitle = QStringLiteral("Velkorn in figures");
    t.facts = {QStringLiteral("Founded in 1987; three plants, 620 employees"),
               QStringLiteral("More than 1,500 types, exported to 40 countries"),
               QStringLiteral("Quality management certified to ISO 9001, every spring pressure-tested")};
    t.rangeTitle = QStringLiteral("Product range");
    t.familyNames = {QStringLiteral("Rolling-lobe air springs"),
                     QStringLiteral("Rolling-lobe air springs with metal parts (without piston)"),
                     QStringLiteral("Rolling-lobe air springs with metal parts (complete)"),
                     QStringLiteral("Single-convoluted bellows"),
                     QStringLiteral("Double-convoluted bellows"),
                     QStringLiteral("Triple-convoluted bellows"),
                     QStringLiteral("Cab air springs"),
                     QStringLiteral("Seat air springs")};
    t.familyTexts = {
        QStringLiteral("The rubber sleeve alone, for replacing a worn bellows on an existing piston and top plate. "
                       "Built with two fabric plies in cross lay and a reinforced bead for a tight clamp seat."),
        QStringLiteral("Sleeve and bead plate crimped as one unit, with studs and air inlet in place; the vehicle's "
                       "own piston is reused. Faster to fit than a loose sleeve."),
        QStringLiteral("Ready-to-fit unit of bead plate, sleeve, piston and internal bumper. Steel, aluminium or "
                       "composite pistons shaped for the original spring rate and travel."),
        QStringLiteral("Compact bellows for short strokes and high loads: lift axles, industrial actuators and "
                       "low-height suspensions."),
        QStringLiteral("Two convolutions separated by a girdle ring give a longer stroke at the same diameter — for "
                       "trailer and bus suspensions and lifting devices."),
        QStringLiteral("The longest travel of the convoluted family, for lift axles, tippers and machines that need a "
                       "large change in height."),
        QStringLiteral("Small rolling-lobe springs with integrated damper mounts that isolate the driver's cab from "
                       "chassis vibration."),
        QStringLiteral("Light bellows for driver seats with a push-in air inlet; they keep the seat at its height "
                       "whatever the driver's weight.")};
    return t;
}

LanguageTexts german()
{
    LanguageTexts t;
    t.suffix = QStringLiteral("DE");
    t.slogan = QStringLiteral("Sicher getragen.");
    t.sloganSub = QStringLiteral("Luftfedern für jede Achse");
    t.installTitle = QStringLiteral("Einbauanleitung");
    t.stepTitles = {QStringLiteral("Anheben und abstützen"),   QStringLiteral("Luft ablassen"),
                    QStringLiteral("Alte Feder ausbauen"),     QStringLiteral("Neue Feder einsetzen"),
                    QStringLiteral("Mit Drehmoment anziehen"), QStringLiteral("Anschließen, befüllen, prüfen")};
    t.stepTexts = {QStringLiteral("Fahrzeug am Rahmen anheben und die Achse sicher auf Unterstellböcke setzen."),
                   QStringLiteral("Den Federungskreis entleeren, bis das Manometer 0\u00a0bar anzeigt."),
                   QStringLiteral("Luftleitung lösen, Muttern abschrauben und die alte Feder herausnehmen."),
                   QStringLiteral("Stehbolzen durch die Bohrungen führen; der Luftanschluss zeigt zur Leitung."),
                   QStringLiteral("Muttern mit dem Drehmoment laut Datenblatt anziehen (M12: 70\u00a0Nm)."),
                   QStringLiteral("Luftleitung anschließen, System befüllen, Fahrhöhe und Dichtheit prüfen.")};
    t.safetyNote = QStringLiteral("Nur am drucklosen System arbeiten. Niemals unter einem Fahrzeug arbeiten, das nur "
                                  "von der Luftfederung getragen wird.");
    t.pageOf = QStringLiteral("Seite");
    t.codeTitle = QStringLiteral("Die Velkorn-Produktnummer");
    t.codeIntro = QStringLiteral("Jede Velkorn-Nummer nennt Bauart und Größe der Feder auf einen Blick.");
    t.codeParts = {QStringLiteral("Velkorn-Markenkürzel"), QStringLiteral("Produktfamilie (1–8, Liste unten)"),
                   QStringLiteral("Bauart: R Rollbalg, F Faltenbalg"),
                   QStringLiteral("Größe: Nenn-Ø 300 mm, Längenklasse 42"),
                   QStringLiteral("Kolbenwerkstoff: P Verbund, S Stahl, A Aluminium")};
    t.familiesTitle = QStringLiteral("Produktfamilien");
    t.sectionTitle = QStringLiteral("Aufbau einer Luftfeder");
    t.partNames = {QStringLiteral("Deckelplatte"),         QStringLiteral("Balg"),
                   QStringLiteral("Abrollkolben"),         QStringLiteral("Anschlagpuffer"),
                   QStringLiteral("Luftanschluss"),        QStringLiteral("Stehbolzen"),
                   QStringLiteral("Befestigungsschraube"), QStringLiteral("Wulst")};
    t.sectionNote = QStringLiteral("Schnitt: VK 3 R 3042 P, komplette Rollbalg-Luftfeder");
    t.mountingSymbols = {QStringLiteral("Kombination"), QStringLiteral("Stehbolzen"), QStringLiteral("Lufteinlass"),
                         QStringLiteral("Schraube / Bolzen")};
    t.introTitle = QStringLiteral("Velkorn — Luftfedern für Nutzfahrzeuge");
    t.introHeadings = {QStringLiteral("Wer wir sind"), QStringLiteral("Qualität"), QStringLiteral("Programm"),
                       QStringLiteral("Service")};
    t.introTexts = {
        QStringLiteral("Velkorn entwickelt und fertigt Luftfedern für Busse, Lkw, Anhänger und Fahrerhäuser. Von der "
                       "eigenen Gummimischung bis zur abschließenden Druckprüfung liegt jeder Schritt in einer Hand: "
                       "Mischung, Balgaufbau, Vulkanisation, Metallteile und Montage."),
        QStringLiteral("Keine Luftfeder verlässt die Linie ohne Berstdruckprüfung und Maßkontrolle. Unsere "
                       "Gummimischungen werden auf Ozonbeständigkeit, Kälteflexibilität bis -40\u00a0°C und "
                       "Dauerfestigkeit über Millionen Hübe geprüft."),
        QStringLiteral("Mehr als 1.500 Typen: Rollbalg-Luftfedern mit und ohne Kolben; Ein-, Zwei- und "
                       "Dreifaltenbälge; Fahrerhaus- und Sitzluftfedern. Jede steht mit ihren OEM- und "
                       "Vergleichsnummern in diesem Katalog."),
        QStringLiteral(
            "Unser technisches Team hilft bei der Auswahl, liefert Einbaudaten und antwortet innerhalb eines "
            "Arbeitstages. Ihren nächsten Händler finden Sie unter www.velkorn.example.")};
    t.factsTitle = QStringLiteral("Velkorn in Zahlen");
    t.facts = {QStringLiteral("Gegründet 1987; drei Werke, 620 Beschäftigte"),
               QStringLiteral("Mehr als 1.500 Typen, Export in 40 Länder"),
               QStringLiteral("Qualitätsmanagement nach ISO 9001, jede Feder druckgeprüft")};
    t.rangeTitle = QStringLiteral("Produktprogramm");
    t.familyNames = {QStringLiteral("Rollbalg-Luftfedern"),
                     QStringLiteral("Rollbalg-Luftfedern mit Metallteilen (ohne Kolben)"),
                     QStringLiteral("Rollbalg-Luftfedern mit Metallteilen (komplett)"),
                     QStringLiteral("Einfaltenbälge"),
                     QStringLiteral("Zweifaltenbälge"),
                     QStringLiteral("Dreifaltenbälge"),
                     QStringLiteral("Fahrerhaus-Luftfedern"),
                     QStringLiteral("Sitz-Luftfedern")};
    t.familyTexts = {
        QStringLiteral("Der Gummibalg allein, zum Ersatz eines verschlissenen Balgs auf vorhandenem Kolben und Deckel. "
                       "Zwei Gewebelagen im Kreuzverband und ein verstärkter Wulst für einen festen Klemmsitz."),
        QStringLiteral("Balg und Deckelplatte als eine Einheit verbördelt, mit Stehbolzen und Luftanschluss; der "
                       "fahrzeugeigene Kolben wird weiterverwendet. Schneller montiert als ein loser Balg."),
        QStringLiteral("Einbaufertige Einheit aus Deckelplatte, Balg, Kolben und innerem Anschlagpuffer. Kolben aus "
                       "Stahl, Aluminium oder Verbundwerkstoff, geformt für Originalkennlinie und Federweg."),
        QStringLiteral("Kompakte Bälge für kurze Hübe und hohe Lasten: Liftachsen, Industrieantriebe und niedrige "
                       "Fahrwerke."),
        QStringLiteral("Zwei Falten, getrennt durch einen Gürtelring, ergeben bei gleichem Durchmesser einen längeren "
                       "Hub — für Anhänger- und Busfahrwerke sowie Hebevorrichtungen."),
        QStringLiteral("Der längste Hub der Faltenbalg-Familie, für Liftachsen, Kipper und Maschinen mit großer "
                       "Höhenänderung."),
        QStringLiteral("Kleine Rollbälge mit integrierten Dämpferaufnahmen, die das Fahrerhaus von Rahmenschwingungen "
                       "entkoppeln."),
        QStringLiteral("Leichte Bälge für Fahrersitze mit Steckanschluss für die Luft; sie halten den Sitz bei jedem "
                       "Fahrergewicht auf Höhe.")};
    return t;
}

} // namespace

const QVector<LanguageTexts>& allLanguageTexts()
{
    static const QVector<LanguageTexts> texts{turkish(), english(), german()};
    return texts;
}
