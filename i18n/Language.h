#pragma once

#include <QList>
#include <QLocale>
#include <QString>

#include <optional>

namespace i18n {

// The interface language chosen at start. One value carries everything the program derives from that choice, so
// no caller turns a code into a suffix or a file name its own way.
class Language final
{
public:
    // The language of a Language code ("tr", "en", "de"); nothing for any other text.
    static std::optional<Language> fromCode(const QString& code);
    // The three languages in the order their artwork is laid out: Turkish, English, German.
    static const QList<Language>& all();

    // "tr", "en" or "de": the dialog's answer, and what picks the update wizard's text set.
    const QString& code() const { return m_code; }
    // "TR", "EN" or "DE": the ending of the language's artwork names (sloganEN, instDE2, studsTR).
    const QString& artSuffix() const { return m_artSuffix; }
    // "tr.lng", "en.lng" or "de.lng": the language file in the Application directory.
    const QString& fileName() const { return m_fileName; }
    // The language's own way of writing dates ("1 Haziran 2024") and numbers, whatever the system's locale is.
    QLocale locale() const;

    bool operator==(const Language& other) const { return m_code == other.m_code; }
    bool operator!=(const Language& other) const { return !(*this == other); }

private:
    explicit Language(const QString& code);

    QString m_code;
    QString m_artSuffix;
    QString m_fileName;
};

} // namespace i18n
