#include "i18n/LngINISupp.h"

#include "base/IniFile.h"
#include "i18n/ComponentText.h"
#include "i18n/LanguageFileRules.h"
#include "i18n/SilentCancel.h"

#include "platform/Platform.h"

#include <QAction>
#include <QDir>
#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>

#include <stdexcept>

using base::IniFile;

namespace i18n {

namespace {
bool s_fileNameMissing = false;
bool s_languageMenuBuilt = false;
bool s_languagePopupBuilt = false;

const QString kLanguage = QStringLiteral("Language");
const QString kError = QStringLiteral("ERROR");

// A key such as "StatusBar1.Panels[12]" names panel 12 of the bar "StatusBar1".
bool parsePanelKey(const QString& key, const QString& barName, int* index)
{
    const int dot = key.indexOf(QLatin1Char('.'));
    if (dot < 0 || key.left(dot) != barName)
        return false;
    const int open = key.indexOf(QLatin1Char('['), dot);
    const int close = open < 0 ? -1 : key.indexOf(QLatin1Char(']'), open);
    if (close < 0)
        return false;
    bool ok = false;
    *index = key.mid(open + 1, close - open - 1).toInt(&ok);
    return ok;
}
} // namespace

TLngINISupp::TLngINISupp(QObject* parent) : QObject(parent), m_applicationDir(platform::executableDir())
{
    setObjectName(QStringLiteral("LIS"));
}

TLngINISupp::~TLngINISupp()
{
    delete m_languageMenu;
    delete m_languagePopup;
}

void TLngINISupp::setFileName(const QString& value)
{
    m_fileName = i18n::languageFileIn(m_applicationDir, value);
}

void TLngINISupp::setApplicationDir(const QString& dir)
{
    m_applicationDir = i18n::withTrailingSlash(dir);
}

void TLngINISupp::setMenu(QMenuBar* menu)
{
    m_menu = menu;
}
QMenuBar* TLngINISupp::menu() const
{
    return m_menu;
}
void TLngINISupp::setPopupMenu(QMenu* popup)
{
    m_popupMenu = popup;
}
QMenu* TLngINISupp::popupMenu() const
{
    return m_popupMenu;
}

bool TLngINISupp::fileNameMissing()
{
    return s_fileNameMissing;
}
bool TLngINISupp::languageMenuBuilt()
{
    return s_languageMenuBuilt;
}
bool TLngINISupp::languagePopupBuilt()
{
    return s_languagePopupBuilt;
}

void TLngINISupp::resetSharedState()
{
    s_fileNameMissing = false;
    s_languageMenuBuilt = false;
    s_languagePopupBuilt = false;
}

void TLngINISupp::CheckLanguageFile(const QString& name)
{
    if (name.isEmpty()) {
        i18n::showPlainMessage(i18n::kFileNotPreset);
        s_fileNameMissing = true;
        return;
    }
    s_fileNameMissing = false;
    if (!i18n::canReadWhole(name))
        i18n::showPlainMessage(i18n::kFileNotFound);
}

void TLngINISupp::LoadLanguage()
{
    CheckLanguageFile(m_fileName);
    if (s_fileNameMissing)
        throw SilentCancel{};
    StoreCaptions();
    ApplyCaptions();
    if (m_menu && !s_languageMenuBuilt)
        BuildLanguageMenu();
    if (m_popupMenu && !s_languagePopupBuilt)
        BuildLanguagePopup();
}

void TLngINISupp::ReleaseLanguage()
{
    m_fileName.clear();
}

void TLngINISupp::StoreCaptions()
{
    IniFile ini(m_fileName);
    ini.load();
    const auto writeMissing = [&](const QString& section, const QString& key, const QString& value) {
        if (ini.contains(section, key))
            return;
        if (!ini.write(section, key, value))
            throw std::runtime_error(QStringLiteral("Unable to write to %1").arg(m_fileName).toStdString());
    };
    for (QWidget* form : i18n::applicationForms()) {
        for (QObject* component : i18n::formComponents(form)) {
            const i18n::TextKind kind = i18n::textKindOf(component);
            if (kind == i18n::TextKind::None)
                continue;
            if (kind == i18n::TextKind::StatusBar) {
                const QList<QWidget*> panels = i18n::statusPanels(static_cast<QStatusBar*>(component));
                for (int i = 0; i < panels.size(); ++i)
                    writeMissing(form->objectName(), i18n::statusPanelKey(component->objectName(), i),
                                 i18n::componentText(panels.at(i), i18n::TextKind::Label));
                continue;
            }
            writeMissing(form->objectName(), component->objectName(), i18n::componentText(component, kind));
        }
    }
}

void TLngINISupp::ApplyCaptions()
{
    struct Target
    {
        QString form;
        QObject* component;
        i18n::TextKind kind;
    };
    QList<Target> targets;
    for (QWidget* form : i18n::applicationForms())
        for (QObject* component : i18n::formComponents(form)) {
            const i18n::TextKind kind = i18n::textKindOf(component);
            if (kind != i18n::TextKind::None)
                targets.append({form->objectName(), component, kind});
        }

    IniFile ini(m_fileName);
    ini.load();
    for (const QString& section : ini.sections()) {
        for (const QString& key : ini.keys(section)) {
            const QString value = ini.value(section, key, kError);
            // Names match exactly here, although the file itself ignores case.
            for (const Target& target : targets) {
                if (target.form != section)
                    continue;
                if (target.kind == i18n::TextKind::StatusBar) {
                    int index = -1;
                    const QList<QWidget*> panels = i18n::statusPanels(static_cast<QStatusBar*>(target.component));
                    if (parsePanelKey(key, target.component->objectName(), &index) && index >= 0 &&
                        index < panels.size())
                        i18n::setComponentText(panels.at(index), i18n::TextKind::Label, value);
                } else if (target.component->objectName() == key) {
                    i18n::setComponentText(target.component, target.kind, value);
                }
            }
        }
    }
}

QStringList TLngINISupp::languageFiles() const
{
    // Hidden and system files count too; the listing's own order is kept.
    return QDir(m_applicationDir)
        .entryList({QStringLiteral("*.lng")}, QDir::Files | QDir::Hidden | QDir::System, QDir::Unsorted);
}

QMenu* TLngINISupp::buildLanguageSubmenu(const QString& name, const QString& itemPrefix, bool popup)
{
    auto* submenu = new QMenu(kLanguage);
    submenu->setObjectName(name);
    for (const QString& file : languageFiles()) {
        QString base = file;
        base.remove(base.indexOf(QLatin1Char('.')), 4);
        IniFile ini(m_applicationDir + file);
        ini.load();
        auto* item = new QAction(ini.value(kLanguage, kLanguage, kError), this);
        item->setObjectName(itemPrefix + base);
        connect(item, &QAction::triggered, this, [this, item, popup] {
            if (popup)
                LanguagePopupItemClick(item);
            else
                LanguageMenuItemClick(item);
        });
        submenu->addAction(item);
    }
    return submenu;
}

void TLngINISupp::BuildLanguageMenu()
{
    m_languageMenu = buildLanguageSubmenu(QStringLiteral("LngItem"), {}, false);
    m_menu->addMenu(m_languageMenu);
    s_languageMenuBuilt = true;
}

void TLngINISupp::BuildLanguagePopup()
{
    m_languagePopup = buildLanguageSubmenu(QStringLiteral("PLngItem"), QStringLiteral("P"), true);
    m_popupMenu->addMenu(m_languagePopup);
    s_languagePopupBuilt = true;
}

void TLngINISupp::LanguageMenuItemClick(QObject* sender)
{
    m_fileName = m_applicationDir + sender->objectName() + QLatin1String(".lng");
    LoadLanguage();
}

void TLngINISupp::LanguagePopupItemClick(QObject* sender)
{
    m_fileName = m_applicationDir + sender->objectName().mid(1) + QLatin1String(".lng");
    LoadLanguage();
}

} // namespace i18n
