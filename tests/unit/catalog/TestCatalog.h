#pragma once

#include <QSqlDatabase>
#include <QString>
#include <QTemporaryDir>
#include <QVariant>

// A small catalog file in a temporary Application directory, filled row by row by a test.
class TestCatalog
{
public:
    TestCatalog();
    ~TestCatalog();

    QString appDir() const { return m_dir.path() + QLatin1Char('/'); }
    QString imagesDir() const { return m_dir.path() + QStringLiteral("/images"); }
    QString databasePath() const { return m_dir.path() + QStringLiteral("/KATALOG.GDB"); }
    QString connectionName() const { return m_connection; }
    QSqlDatabase db() const { return QSqlDatabase::database(m_connection, false); }

    void exec(const QString& sql, const QVariantList& values = {});
    void addCodeType(int id, const QString& prefix, const QString& name);
    // An item of a style with its two usages; other values are plausible defaults.
    void addItem(int id, int style, int vehicle1 = 0, int vehicle2 = 0, const QVariant& pistonType = 1);
    // A code whose search form is made by the search rule.
    void addCode(int itemId, int codeTypeId, const QString& code);
    void addPicture(int itemId, const QString& url);
    // Writes a small valid JPEG (or other format by extension) into the images folder.
    void writePicture(const QString& name, int width = 8, int height = 6);

private:
    QTemporaryDir m_dir;
    QString m_connection;
    int m_nextCodeId = 1;
    int m_nextPictureId = 1;
};
