// velkorn-publish: the maker publishes a catalog change or a program release in one command.
//
//   velkorn-publish import --master M [--user NAME] [--delete DELETED.csv] [--pictures DIR] [--images DIR]
//                          [--dry-run] items.csv [codes.csv] [pictures.csv]
//   velkorn-publish release DIR --key KEY [--url BASE] [--descr TEXT]
//
// M is the master catalog: a file, or host[/port]:path on a Firebird server; VELKORN_DATABASE_PASSWORD gives its
// password. Exit status 0 when published (or nothing to publish, or a dry run), 1 when refused or failed, 2 on a
// wrong command line.

#include "ImportPlanner.h"
#include "MasterState.h"
#include "MasterWriter.h"
#include "PictureFolder.h"
#include "ReleaseFolder.h"

#include "catalog/CatalogDatabase.h"
#include "catalog/DatabaseCreator.h"
#include "platform/EngineConfiguration.h"

#include <QCoreApplication>
#include <QDir>
#include <QProcessEnvironment>
#include <QSqlError>
#include <QTextStream>

#include <cstdio>

namespace {

QTextStream& out()
{
    static QTextStream stream(stdout);
    return stream;
}

QTextStream& err()
{
    static QTextStream stream(stderr);
    return stream;
}

int usage()
{
    err() << "usage: velkorn-publish import --master M [--user NAME] [--delete DELETED.csv] [--pictures DIR]\n"
             "                              [--images DIR] [--dry-run] items.csv [codes.csv] [pictures.csv]\n"
             "       velkorn-publish release DIR --key KEY [--url BASE] [--descr TEXT]\n";
    err().flush();
    return 2;
}

// Takes "--name VALUE" options and flags out of the arguments; what is left are the positional ones. False when an
// option lacks its value or is unknown.
bool takeOptions(QStringList& arguments, const QStringList& valued, const QStringList& flags,
                 QHash<QString, QString>* values)
{
    QStringList rest;
    for (int i = 0; i < arguments.size(); ++i) {
        const QString& a = arguments.at(i);
        if (flags.contains(a)) {
            values->insert(a, QStringLiteral("1"));
        } else if (valued.contains(a)) {
            if (i + 1 >= arguments.size())
                return false;
            values->insert(a, arguments.at(++i));
        } else if (a.startsWith(QLatin1String("--"))) {
            return false;
        } else {
            rest << a;
        }
    }
    arguments = rest;
    return true;
}

// One attempt at the import in a transaction of its own; false when the master first needs schema objects, which
// are then made (outside any transaction) for the next attempt.
int importInto(QSqlDatabase& db, const catalog::CatalogLocation& location, const ImportSources& sources, bool dryRun,
               bool* again)
{
    *again = false;
    if (!db.transaction())
        throw catalog::DatabaseError(catalog::errorText(db.lastError()));
    MasterWriter writer(db);
    writer.lock();
    const MasterState master = MasterState::read(db);
    ImportPlanner planner(master, sources);
    const QList<ImportProblem> problems = planner.check();
    const ImportPlan& plan = planner.plan();
    if (!problems.isEmpty()) {
        db.rollback();
        for (const ImportProblem& problem : problems)
            err() << problem.toString() << '\n';
        err() << "velkorn-publish: " << problems.size() << (problems.size() == 1 ? " problem" : " problems")
              << "; nothing was written\n";
        return 1;
    }
    if (plan.isEmpty()) {
        db.rollback();
        out() << "nothing to publish: the master has all of it already\n";
        return 0;
    }
    if (dryRun) {
        db.rollback();
        out() << plan.describe() << "dry run: nothing was written\n";
        return 0;
    }
    const QStringList schema = writer.missingSchema(master, plan);
    if (!schema.isEmpty()) {
        db.rollback();
        for (const QString& statement : schema)
            catalog::executeSchemaStatement(location, statement);
        *again = true;
        return 0;
    }
    const QDateTime stamp = MasterWriter::stampAfter(master.stamp);
    PictureFolder pictures(sources.imagesDir);
    try {
        // The pictures are in place before the feed names them.
        for (auto it = plan.pictureFiles.cbegin(); it != plan.pictureFiles.cend(); ++it)
            pictures.publish(it.key(), it->source);
        writer.write(master, plan, stamp);
        if (!db.commit())
            throw catalog::DatabaseError(catalog::errorText(db.lastError()));
    } catch (const std::exception&) {
        // The master stays as it was, and so must the pictures: the same import again would find a replaced picture
        // unchanged and stamp none of the items that show it.
        for (const QString& path : pictures.restore())
            err() << "velkorn-publish: could not put back the former " << path << '\n';
        throw;
    }
    pictures.keep();
    out() << plan.describe() << "published as " << stamp.toString(QStringLiteral("yyyy-MM-dd hh:mm:ss")) << '\n';
    return 0;
}

int runImport(QStringList arguments)
{
    QHash<QString, QString> options;
    if (!takeOptions(arguments, {"--master", "--user", "--delete", "--pictures", "--images"}, {"--dry-run"},
                     &options) ||
        !options.contains("--master") || arguments.isEmpty() || arguments.size() > 3)
        return usage();
    ImportSources sources;
    sources.items = arguments.at(0);
    sources.codes = arguments.value(1);
    sources.pictures = arguments.value(2);
    sources.deletions = options.value("--delete");
    sources.pictureDir = options.value("--pictures");
    sources.imagesDir = options.value("--images");

    catalog::CatalogLocation location = catalog::CatalogLocation::parse(options.value("--master"), QDir::currentPath());
    if (options.contains("--user"))
        location.setUser(options.value("--user"));
    const QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    if (env.contains(QStringLiteral("VELKORN_DATABASE_PASSWORD")))
        location.setPassword(env.value(QStringLiteral("VELKORN_DATABASE_PASSWORD")));

    const QString connection = QStringLiteral("publish");
    int status = 1;
    try {
        QSqlDatabase db = catalog::openDatabase(location, connection);
        try {
            bool again = true;
            for (int attempt = 0; again && attempt < 2; ++attempt)
                status = importInto(db, location, sources, options.contains("--dry-run"), &again);
            if (again)
                throw catalog::DatabaseError(QStringLiteral("the master's schema could not be completed"));
        } catch (const std::exception&) {
            db.rollback(); // closing would commit what is open
            throw;
        }
    } catch (const std::exception& e) {
        err() << "velkorn-publish: " << location.displayName() << ": " << QString::fromUtf8(e.what())
              << "\nnothing was published\n";
        status = 1;
    }
    catalog::closeDatabase(connection);
    return status;
}

int runRelease(QStringList arguments)
{
    QHash<QString, QString> options;
    if (!takeOptions(arguments, {"--key", "--url", "--descr"}, {}, &options) || arguments.size() != 1 ||
        !options.contains("--key"))
        return usage();
    ReleaseFolder release(
        {arguments.first(), options.value("--key"), options.value("--url"), options.value("--descr")});
    QStringList notes;
    const QString refused = release.publish(&notes);
    for (const QString& note : notes)
        (note.startsWith(QLatin1String("warning")) ? err() : out()) << note << '\n';
    if (!refused.isEmpty()) {
        err() << "velkorn-publish: " << refused << "; nothing was published\n";
        return 1;
    }
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QStringList arguments = app.arguments().mid(1);
    if (arguments.isEmpty())
        return usage();
    const QString command = arguments.takeFirst();
    int status = 2;
    if (command == QLatin1String("import")) {
        platform::configureEngine();
        status = runImport(arguments);
    } else if (command == QLatin1String("release")) {
        status = runRelease(arguments);
    } else {
        status = usage();
    }
    out().flush();
    err().flush();
    return status;
}
