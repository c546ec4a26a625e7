// velkorn-lookup: looks codes up in the catalog by the rule of the program's code search, for dealers' order
// systems and scripts; also while the program has the catalog open, which then answers a few codes from its own code
// index (catalog/LookupService.h). The catalog is the seat's own (the program's settings) unless --catalog names a
// file or a server database ("host[/port]:path"). One line per hit: matching code, its code type, the item's own
// code, item id. With --stdin the codes come one per line on standard input. With --datasheet CODE --out FILE.pdf it
// writes the item's datasheet in the chosen language instead; --item ID chooses among the items a shared code names.
// Exit status 0 with hits (or the datasheet written), 1 without (no such item, or a choice to make), 2 on errors.

#include "base/IniFile.h"
#include "catalog/CatalogDatabase.h"
#include "catalog/CatalogLocation.h"
#include "catalog/CodeIndex.h"
#include "catalog/ItemSheet.h"
#include "catalog/LookupChannel.h"
#include "catalog/SearchCode.h"
#include "catalog/ServerDeadline.h"
#include "datasheet/Datasheet.h"
#include "i18n/texts/BuiltInTexts.h"
#include "platform/EngineConfiguration.h"

#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHash>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStringList>
#include <QThread>
#include <algorithm>
#include <cstdio>
#include <iostream>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace {

enum class Text
{
    NoCatalog,
    Unreadable,
    NotFound,
    NotCarried,
    Shared,
};

const char* const kUsage = "usage: velkorn-lookup [--catalog FILE|HOST[/PORT]:PATH] [--lang tr|en|de] [--json] "
                           "[--stdin] CODE...\n"
                           "       velkorn-lookup [--catalog FILE|HOST[/PORT]:PATH] [--lang tr|en|de] --datasheet CODE "
                           "[--item ID] --out FILE.pdf";

// A catalog server that has not answered the lookup's reads by then is taken for out of reach, as a network fallen
// silent would otherwise hold a dealer's system for the quarter of an hour of the system's own retries.
const int kCatalogDeadline = 60000;
// Up to this many codes are looked up in the codes that match them; more read the whole index once.
const int kFewCodes = 8;
// From this many codes on, the index first lists where each piece of the codes is; fewer search faster without.
// Fewer are asked of an open program first, whose index has no such list.
const int kManyCodes = 100;
// How long an open program has to answer: its searches take a millisecond or so each.
const int kAskMs = 300;
const int kAskMsPerCode = 5;

// The tool's own few messages; the language files hold none for it. Code type names come from the catalog, which
// has one name per type for every language, as the program's search results show them.
QString text(const QString& language, Text which)
{
    struct Texts
    {
        const char* en;
        const char* de;
        const char* tr;
    };
    static const Texts texts[] = {
        {"no catalog found: %1", "kein Katalog gefunden: %1", "katalog bulunamadı: %1"},
        {"cannot read catalog: %1: %2", "Katalog nicht lesbar: %1: %2", "katalog okunamıyor: %1: %2"},
        {"no item has the code %1", "kein Artikel hat die Nummer %1", "%1 kodlu ürün yok"},
        {"item %1 does not carry the code %2", "Artikel %1 hat die Nummer %2 nicht",
         "%1 numaralı ürün %2 kodunu taşımıyor"},
        {"%1 items carry the code %2; choose one with --item ID:",
         "%1 Artikel haben die Nummer %2; wählen Sie einen mit --item ID:",
         "%2 kodu %1 üründe var; birini --item ID ile seçin:"},
    };
    const Texts& t = texts[int(which)];
    return QString::fromUtf8(language == QLatin1String("tr") ? t.tr : language == QLatin1String("de") ? t.de : t.en);
}

void say(const QString& message)
{
    std::fputs((QStringLiteral("velkorn-lookup: ") + message + QLatin1Char('\n')).toUtf8().constData(), stderr);
}

int fail(const QString& message)
{
    say(QString(message).replace(QLatin1Char('\n'), QLatin1String("; ")));
    return 2;
}

// A field of a tab-separated line: tabs and line breaks inside a code would break the line apart.
QString field(QString value)
{
    for (QChar& c : value)
        if (c == QLatin1Char('\t') || c == QLatin1Char('\n') || c == QLatin1Char('\r'))
            c = QLatin1Char(' ');
    return value;
}

QLocale localeOf(const QString& language)
{
    if (language == QLatin1String("tr"))
        return QLocale(QLocale::Turkish, QLocale::Turkey);
    if (language == QLatin1String("de"))
        return QLocale(QLocale::German, QLocale::Germany);
    return QLocale(QLocale::English, QLocale::UnitedKingdom);
}

// The datasheet of the item a code names (of item `chosenItem` among those carrying it, when not 0), in the words
// of the language file. A code no item carries, or several items carry, writes nothing and says so.
int writeDatasheet(const catalog::CatalogLocation& location, const QString& language, const QString& code,
                   int chosenItem, const QString& out)
{
    // The language file beside the program, else the one beside a local catalog.
    const QString fileName = language + QStringLiteral(".lng");
    base::IniFile lng(QCoreApplication::applicationDirPath() + QLatin1Char('/') + fileName);
    if (!lng.load() && !location.isServer()) {
        lng = base::IniFile(location.localFolder() + QLatin1Char('/') + fileName);
        lng.load();
    }
    datasheet::SheetTexts texts;
    texts.msg = i18n::withBuiltInTexts(
        [&lng](const QString& key) {
            return lng.value(QStringLiteral("Project_Messages"), key, QStringLiteral("ERROR"));
        },
        language);
    texts.caption = [&lng](const QString& name) { return lng.value(QStringLiteral("frmMain"), name); };
    texts.languageCode = language;
    texts.locale = localeOf(language);

    catalog::ItemSheet sheet;
    QStringList sharing; // "id<TAB>own code" of every item carrying an ambiguous code
    int items = 0;
    const QString connection = QStringLiteral("velkorn-lookup");
    try {
        const QSqlDatabase db = catalog::openDatabase(location, connection);
        const catalog::ServerDeadline deadline(db, kCatalogDeadline);
        QVector<int> itemIds = catalog::itemIdsForCode(db, code);
        if (chosenItem > 0)
            itemIds = itemIds.contains(chosenItem) ? QVector<int>{chosenItem} : QVector<int>{};
        for (const int itemId : itemIds) {
            catalog::ItemSheet each;
            if (!catalog::loadItemSheet(db, itemId, &each))
                continue;
            ++items;
            sharing << QString::number(itemId) + QLatin1Char('\t') + field(each.code);
            sheet = each;
        }
    } catch (const catalog::DatabaseError& e) {
        catalog::closeDatabase(connection);
        return fail(text(language, Text::Unreadable).arg(location.displayName(), e.message()));
    }
    catalog::closeDatabase(connection);
    if (items == 0) {
        say(chosenItem > 0 ? text(language, Text::NotCarried).arg(QString::number(chosenItem), code)
                           : text(language, Text::NotFound).arg(code));
        return 1;
    }
    if (items > 1) {
        say(text(language, Text::Shared).arg(QString::number(items), code));
        for (const QString& line : sharing)
            std::fputs((QStringLiteral("  ") + line + QLatin1Char('\n')).toUtf8().constData(), stderr);
        return 1;
    }
    // A seat's pictures lie beside the program; a local catalog's beside the file.
    const QString imagesDir = (location.isServer() ? QCoreApplication::applicationDirPath() : location.localFolder()) +
                              QStringLiteral("/images");
    QString error;
    if (!datasheet::writeDatasheetPdf(sheet, texts, imagesDir, out, &error))
        return fail(out + QStringLiteral(": ") + error);
    return 0;
}

bool wantsDatasheet(int argc, char** argv)
{
    for (int i = 1; i < argc; ++i)
        if (qstrncmp(argv[i], "--datasheet", 11) == 0)
            return true;
    return false;
}

// The codes given on the command line, then those on standard input, one per line.
QStringList readCodes(QStringList codes, bool fromStandardInput)
{
    if (!fromStandardInput)
        return codes;
    std::string line;
    while (std::getline(std::cin, line))
        codes << QString::fromUtf8(line.data(), qsizetype(line.size())).trimmed();
    return codes;
}

// Searches the codes in the catalog itself. False (said on standard error) when it cannot be read.
bool searchCatalog(const catalog::CatalogLocation& location, const QString& language, const QStringList& searched,
                   const QStringList& distinct, QVector<QVector<catalog::CodeHit>>* answers)
{
    catalog::CodeIndex index;
    const QString connection = QStringLiteral("velkorn-lookup");
    try {
        const QSqlDatabase db = catalog::openDatabase(location, connection);
        const catalog::ServerDeadline deadline(db, kCatalogDeadline);
        index = distinct.size() <= kFewCodes ? catalog::CodeIndex::loadMatching(db, distinct)
                                             : catalog::CodeIndex::load(db);
    } catch (const catalog::DatabaseError& e) {
        catalog::closeDatabase(connection);
        fail(text(language, Text::Unreadable).arg(location.displayName(), e.message()));
        return false;
    }
    catalog::closeDatabase(connection);
    if (distinct.size() >= kManyCodes)
        index.addPieceTable();

    // A batch is searched on every core; the answers are written in the order of the codes.
    std::vector<std::thread> workers;
    const int threads = std::max(1, std::min(QThread::idealThreadCount(), int(searched.size())));
    for (int t = 0; t < threads; ++t)
        workers.emplace_back([&, t] {
            for (int i = t; i < searched.size(); i += threads)
                if (!searched.at(i).isEmpty())
                    (*answers)[i] = index.search(searched.at(i));
        });
    for (std::thread& worker : workers)
        worker.join();
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    // A datasheet needs fonts and pictures (Qt Gui) but no display.
    const bool datasheetMode = wantsDatasheet(argc, argv);
    if (datasheetMode && !qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    std::unique_ptr<QCoreApplication> application =
        datasheetMode ? std::make_unique<QGuiApplication>(argc, argv) : std::make_unique<QCoreApplication>(argc, argv);
    QCoreApplication& app = *application;
    platform::configureEngine();
    QStringList args = app.arguments().mid(1);
    QString catalogText;
    QString language = QStringLiteral("en");
    bool json = false;
    bool fromStandardInput = false;
    QString datasheetCode;
    QString itemText;
    QString outPath;
    QStringList codes;
    bool usageError = false;
    for (int i = 0; i < args.size(); ++i) {
        const QString& a = args.at(i);
        auto value = [&](const QString& option, QString* target) {
            if (a.startsWith(option + QLatin1Char('='))) {
                *target = a.mid(option.size() + 1);
                return true;
            }
            if (a != option)
                return false;
            if (i + 1 < args.size())
                *target = args.at(++i);
            else
                usageError = true;
            return true;
        };
        if (a == QLatin1String("--")) {
            codes += args.mid(i + 1);
            break;
        }
        if (value(QStringLiteral("--catalog"), &catalogText) || value(QStringLiteral("--lang"), &language) ||
            value(QStringLiteral("--datasheet"), &datasheetCode) || value(QStringLiteral("--item"), &itemText) ||
            value(QStringLiteral("--out"), &outPath))
            continue;
        if (a == QLatin1String("--json"))
            json = true;
        else if (a == QLatin1String("--stdin"))
            fromStandardInput = true;
        else if (a.startsWith(QLatin1String("--")))
            usageError = true;
        else
            codes << a;
    }
    if (!QStringList{QStringLiteral("tr"), QStringLiteral("en"), QStringLiteral("de")}.contains(language)) {
        language = QStringLiteral("en");
        usageError = true;
    }
    bool itemOk = itemText.isEmpty();
    const int chosenItem = itemOk ? 0 : itemText.toInt(&itemOk);
    if (!itemOk || chosenItem < 0 || (!itemText.isEmpty() && !datasheetMode))
        usageError = true;
    if (datasheetMode &&
        (datasheetCode.isEmpty() || outPath.isEmpty() || !codes.isEmpty() || json || fromStandardInput))
        usageError = true;
    if (usageError || (codes.isEmpty() && !datasheetMode && !fromStandardInput))
        return fail(QString::fromLatin1(kUsage));

    // The seat's catalog as the program would open it; --catalog names another, opened as the same user.
    catalog::CatalogLocation location = catalog::CatalogLocation::fromSettings(QCoreApplication::applicationDirPath());
    if (!catalogText.isEmpty()) {
        catalog::CatalogLocation named = catalog::CatalogLocation::parse(catalogText, QDir::currentPath());
        named.setUser(location.user());
        named.setPassword(location.password());
        location = named;
    }
    if (!location.isServer() && location.problem().isEmpty() && !QFileInfo(location.path()).isFile())
        return fail(text(language, Text::NoCatalog).arg(location.displayName()));
    if (datasheetMode)
        return writeDatasheet(location, language, datasheetCode, chosenItem, outPath);

    const QStringList given = readCodes(codes, fromStandardInput);
    QStringList searched;
    for (const QString& code : given)
        searched << catalog::normaliseSearchText(code);
    QStringList distinct = searched;
    distinct.removeAll(QString());
    distinct.removeDuplicates();
    // While a program has the catalog open, its code index answers at once; when anything is amiss there (no program,
    // its index not built yet, no answer in time, an answer that does not add up) the catalog is read as ever.
    QVector<QVector<catalog::CodeHit>> answers(given.size());
    std::optional<catalog::lookupchannel::Answers> fromProgram;
    if (!distinct.isEmpty() && distinct.size() < kManyCodes)
        fromProgram = catalog::lookupchannel::ask(catalog::lookupchannel::socketPath(location), distinct,
                                                  kAskMs + kAskMsPerCode * int(distinct.size()));
    if (fromProgram) {
        QHash<QString, int> at;
        for (int i = 0; i < distinct.size(); ++i)
            at.insert(distinct.at(i), i);
        for (int i = 0; i < given.size(); ++i)
            if (!searched.at(i).isEmpty())
                answers[i] = fromProgram->at(at.value(searched.at(i)));
    } else if (!searchCatalog(location, language, searched, distinct, &answers)) {
        return 2;
    }

    int hits = 0;
    QByteArray out;
    for (int i = 0; i < given.size(); ++i) {
        for (const catalog::CodeHit& hit : answers.at(i)) {
            if (json) {
                const QJsonObject row{
                    {QStringLiteral("query"), given.at(i)}, {QStringLiteral("code"), hit.code},
                    {QStringLiteral("type"), hit.type},     {QStringLiteral("ownCode"), hit.ownCode},
                    {QStringLiteral("itemId"), hit.itemId}, {QStringLiteral("codeTypeId"), hit.codeTypeId}};
                out += QJsonDocument(row).toJson(QJsonDocument::Compact);
            } else {
                out += QStringList{field(hit.code), field(hit.type), field(hit.ownCode), QString::number(hit.itemId)}
                           .join(QLatin1Char('\t'))
                           .toUtf8();
            }
            out += '\n';
            ++hits;
        }
        if (out.size() > 65536) {
            std::fwrite(out.constData(), 1, std::size_t(out.size()), stdout);
            out.clear();
        }
    }
    std::fwrite(out.constData(), 1, std::size_t(out.size()), stdout);
    return hits > 0 ? 0 : 1;
}
