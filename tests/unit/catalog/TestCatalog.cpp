#include "TestCatalog.h"

#include "catalog/CatalogDatabase.h"
#include "catalog/DatabaseCreator.h"
#include "catalog/SearchCode.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QSqlError>
#include <QSqlQuery>
#include <gtest/gtest.h>

namespace {
int g_connectionCounter = 0;
}

TestCatalog::TestCatalog() : m_connection(QStringLiteral("test-catalog-%1").arg(++g_connectionCounter))
{
    // Creating a file takes most of a second; copying an empty one made once is instant.
    static QTemporaryDir templateDir;
    static const QString templateFile = [] {
        const QString path = templateDir.filePath(QStringLiteral("template.gdb"));
        catalog::createDatabase(path, false);
        return path;
    }();
    QDir(m_dir.path()).mkpath(QStringLiteral("images"));
    QFile::copy(templateFile, databasePath());
    catalog::openDatabase(databasePath(), m_connection);
}

TestCatalog::~TestCatalog()
{
    catalog::closeDatabase(m_connection);
}

void TestCatalog::exec(const QString& sql, const QVariantList& values)
{
    QSqlQuery query(db());
    ASSERT_TRUE(query.prepare(sql)) << qPrintable(query.lastError().text());
    for (const QVariant& v : values)
        query.addBindValue(v);
    ASSERT_TRUE(query.exec()) << qPrintable(query.lastError().text());
}

void TestCatalog::addCodeType(int id, const QString& prefix, const QString& name)
{
    exec(QStringLiteral("insert into item_code_type (code_type_id, prefix, type) values (?, ?, ?)"),
         {id, prefix, name});
}

void TestCatalog::addItem(int id, int style, int vehicle1, int vehicle2, const QVariant& pistonType)
{
    exec(QStringLiteral("insert into item (id, total_weight, operation_pressure_default, operation_pressure_max, "
                        "operation_pressure_min, operation_space, assembly_height, piston_type, loading_capacity, "
                        "type, vehicle1, vehicle2) values (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"),
         {id, 2.5, 6.0, 10.0, 0.5, 1234.5, 300.0, pistonType, QStringLiteral("2500-3000"), style, vehicle1, vehicle2});
}

void TestCatalog::addCode(int itemId, int codeTypeId, const QString& code)
{
    exec(QStringLiteral("insert into item_code (id, item_id, code_type_id, code, search_code) values (?, ?, ?, ?, ?)"),
         {m_nextCodeId++, itemId, codeTypeId, code, catalog::normaliseSearchText(code)});
}

void TestCatalog::addPicture(int itemId, const QString& url)
{
    exec(QStringLiteral("insert into item_pictures (id, item_id, picture_url) values (?, ?, ?)"),
         {m_nextPictureId++, itemId, url});
}

void TestCatalog::writePicture(const QString& name, int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(Qt::red);
    const QString suffix = QFileInfo(name).suffix().toLower();
    const char* format = suffix == QLatin1String("bmp") ? "BMP" : suffix == QLatin1String("ico") ? "ICO" : "JPEG";
    ASSERT_TRUE(image.save(imagesDir() + QLatin1Char('/') + name, format));
}
