#pragma once

#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

// A copy of the built Application directory in a folder of the test, as a user's installation: the program,
// velkorn-lookup, the language files and an images folder, and whichever other files of it a test names
// ("KATALOG.GDB", "translations/qtbase_de.qm"). Throws std::runtime_error when a file cannot be copied.
class ApplicationCopy
{
public:
    explicit ApplicationCopy(const QString& dir, const QStringList& extraFiles = {});

    // With a trailing '/'.
    const QString& dir() const { return m_dir; }
    QString program() const { return m_dir + QStringLiteral("velkorn"); }
    QString lookup() const { return m_dir + QStringLiteral("velkorn-lookup"); }
    QString catalog() const { return m_dir + QStringLiteral("KATALOG.GDB"); }

    // A file of the built Application directory.
    static QString distFile(const QString& name);

    // The environment the real program runs in under a test: no window system, the language chosen (no dialog),
    // message boxes written to its output ("velkorn: message: caption: text") instead of waiting for a click, catalog
    // and update servers that refuse at once, and settings of its own (settingsHome()), whatever the developer's are.
    // Tests then set what they need on top.
    QProcessEnvironment environment(const QString& language = QStringLiteral("en"),
                                    QProcessEnvironment base = QProcessEnvironment::systemEnvironment()) const;
    // XDG_CONFIG_HOME of environment(): a folder beside the copy ("…/app" has "…/app-config").
    QString settingsHome() const { return m_dir.chopped(1) + QStringLiteral("-config"); }
    // Writes the seat's settings file (velkorn/velkorn.ini there) with a [catalog] section of these keys and values.
    void writeSettings(const QList<QPair<QString, QString>>& catalogKeys) const;

private:
    QString m_dir;
};
