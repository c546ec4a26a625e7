#pragma once

#include <QProcessEnvironment>
#include <QString>

namespace catalog {

// Where the catalog is, and as whom it is opened: a local file that the embedded engine opens in-process, or a
// database on a Firebird server, written "host[/port]:path" as Firebird writes it. One value, read once at start and
// handed to everything that opens the catalog (the window, the code index, the synchronisation, the lookup command).
//
// A location that cannot be right (a port that is no port, an empty path) is still a location: it carries its
// problem, opening it fails with that problem, and it is shown to the user as written.
class CatalogLocation
{
public:
    static constexpr const char* DefaultUser = "SYSDBA";
    static constexpr const char* DefaultPassword = "catalogpw";
    static constexpr const char* FileName = "KATALOG.GDB";

    CatalogLocation() = default;

    // The local file `path` (made absolute).
    static CatalogLocation localFile(const QString& path);

    // "host[/port]:path" (a host that starts with a letter or digit and has no '/' before the first ':'; an IPv6 host
    // in brackets) names a database on a server; anything else is a local file (an absolute path, or one starting
    // with "./"), relative to `baseDir` unless absolute.
    static CatalogLocation parse(const QString& text, const QString& baseDir);

    // The location of this user's seat: KATALOG.GDB in the Application directory, unless the settings file
    // ($XDG_CONFIG_HOME/velkorn/velkorn.ini, section [catalog]: database, user, password) names another, with a
    // relative file taken from the Application directory; VELKORN_DATABASE overrides the database (a relative file
    // taken from the current directory) and VELKORN_DATABASE_PASSWORD the password. The program only reads the file.
    static CatalogLocation fromSettings(const QString& applicationDir,
                                        const QProcessEnvironment& env = QProcessEnvironment::systemEnvironment());
    // The settings file that fromSettings() reads for this environment.
    static QString settingsFile(const QProcessEnvironment& env = QProcessEnvironment::systemEnvironment());

    bool isServer() const { return !m_host.isEmpty(); }
    // Server only: the host as written (brackets kept) and the port, -1 for the server's default.
    const QString& host() const { return m_host; }
    int port() const { return m_port; }
    // The file: absolute for a local file, as the server is to find it (a path or an alias) for a server.
    const QString& path() const { return m_path; }
    const QString& user() const { return m_user; }
    const QString& password() const { return m_password; }
    void setUser(const QString& user) { m_user = user; }
    void setPassword(const QString& password) { m_password = password; }

    // Why the location cannot be opened as written; empty when nothing is known against it.
    const QString& problem() const { return m_problem; }

    // The location as the user is shown it: the server string or the file's path, never the password.
    QString displayName() const;

    // Where a local catalog's pictures and language files would lie beside it: the file's folder; empty for a server.
    QString localFolder() const;

private:
    QString m_host;
    int m_port = -1;
    QString m_path;
    QString m_user = QString::fromLatin1(DefaultUser);
    QString m_password = QString::fromLatin1(DefaultPassword);
    QString m_problem;
    QString m_written; // the text as given, shown while it has a problem
};

} // namespace catalog
