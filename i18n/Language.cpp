#include "i18n/Language.h"

namespace i18n {

Language::Language(const QString& code)
    : m_code(code), m_artSuffix(code.toUpper()), m_fileName(code + QStringLiteral(".lng"))
{
}

const QList<Language>& Language::all()
{
    static const QList<Language> languages = {Language(QStringLiteral("tr")), Language(QStringLiteral("en")),
                                              Language(QStringLiteral("de"))};
    return languages;
}

QLocale Language::locale() const
{
    if (m_code == QLatin1String("tr"))
        return QLocale(QLocale::Turkish, QLocale::Turkey);
    if (m_code == QLatin1String("de"))
        return QLocale(QLocale::German, QLocale::Germany);
    return QLocale(QLocale::English, QLocale::UnitedKingdom);
}

std::optional<Language> Language::fromCode(const QString& code)
{
    for (const Language& language : all())
        if (language.code() == code)
            return language;
    return std::nullopt;
}

} // namespace i18n
