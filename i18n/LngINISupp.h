#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>

class QMenu;
class QMenuBar;

namespace i18n {

// The language file component (the main window's LIS): completes the language
// file with the built-in texts of every translatable component it lacks, then
// sets those components' texts from the file, on every form of the application.
class TLngINISupp : public QObject
{
    Q_OBJECT

public:
    explicit TLngINISupp(QObject* parent = nullptr);
    ~TLngINISupp() override;

    // Keeps only the file-name part of value and puts it in the Application directory.
    void setFileName(const QString& value);
    QString fileName() const { return m_fileName; }

    // The directory language files live in; the executable's directory unless set.
    void setApplicationDir(const QString& dir);
    QString applicationDir() const { return m_applicationDir; }

    void setMenu(QMenuBar* menu);
    QMenuBar* menu() const;
    void setPopupMenu(QMenu* popup);
    QMenu* popupMenu() const;

    // Checks, completes and applies the file. Throws SilentCancel when no file name is
    // set, std::runtime_error("Unable to write to <path>") when a missing entry cannot
    // be written (shown by the caller).
    void LoadLanguage();
    void ReleaseLanguage();

    void StoreCaptions();
    void ApplyCaptions();
    void BuildLanguageMenu();
    void BuildLanguagePopup();

    void LanguageMenuItemClick(QObject* sender);
    void LanguagePopupItemClick(QObject* sender);

    // Shared by every language component for the whole run.
    static bool fileNameMissing();
    static bool languageMenuBuilt();
    static bool languagePopupBuilt();
    // Lets tests start from a fresh run.
    static void resetSharedState();

private:
    void CheckLanguageFile(const QString& name);
    QStringList languageFiles() const;
    QMenu* buildLanguageSubmenu(const QString& name, const QString& itemPrefix, bool popup);

    QString m_fileName;
    QString m_applicationDir;
    QPointer<QMenuBar> m_menu;
    QPointer<QMenu> m_popupMenu;
    // The Language submenus belong to this component, not to a form, so no form walk meets them.
    QPointer<QMenu> m_languageMenu;
    QPointer<QMenu> m_languagePopup;
};

} // namespace i18n
