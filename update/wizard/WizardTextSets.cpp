#include "update/wizard/WizardTextSets.h"

#include "update/wizard/TWebUpdateWizardEnglish.h"
#include "update/wizard/TWebUpdateWizardGerman.h"

namespace wizard {

TWebUpdateWizardEnglish* createUpden(QObject* parent)
{
    auto* set = new TWebUpdateWizardEnglish(parent);
    set->setObjectName(QStringLiteral("upden"));
    return set;
}

TWebUpdateWizardGerman* createUpdde(QObject* parent)
{
    auto* set = new TWebUpdateWizardGerman(parent);
    set->setObjectName(QStringLiteral("updde"));
    return set;
}

TWebUpdateWizardEnglish* createUpdtr(QObject* parent)
{
    auto* set = new TWebUpdateWizardEnglish(parent);
    set->setObjectName(QStringLiteral("updtr"));
    set->Welcome = QStringLiteral("Varolan güncellemeleri kontrol etmek için Başlat butonunu tıklayın");
    set->StartButton = QStringLiteral("Başlat");
    set->NextButton = QStringLiteral("İleri");
    set->ExitButton = QStringLiteral("Çıkış");
    set->RestartButton = QStringLiteral("Yeniden Başlat");
    set->CancelButton = QStringLiteral("Vazgeç");
    set->FailedDownload = QStringLiteral("Güncellemeleri indirirken bir hata oluştu");
    set->GetUpdateButton = QStringLiteral("Güncellemeyi al");
    set->NewVersionFound = QStringLiteral("Yeni sürüm bulundu");
    set->NewVersion = QStringLiteral("Yeni sürüm");
    set->NoNewVersionAvail = QStringLiteral("Yeni sürüm bulunamadı");
    set->NewVersionAvail = QStringLiteral("Yeni sürüm bulundu");
    set->CurrentVersion = QStringLiteral("Şimdiki sürüm");
    set->NoFilesFound = QStringLiteral("Güncellenecek dosya bulunamadı");
    set->NoUpdateOnServer = QStringLiteral("herhangi bir güncelleme bulunamadı");
    set->CannotConnect = QStringLiteral("Sunucuya bağlanılamadı yada");
    set->WhatsNew = QStringLiteral("Güncelleme içeriği");
    set->License = QStringLiteral("Lisans sözleşmesi");
    set->AcceptLicense = QStringLiteral("Kabul Ediyorum");
    set->NotAcceptLicense = QStringLiteral("Kabul Etmiyorum");
    set->ComponentsAvail = QStringLiteral("Hazır güncellemeler");
    set->DownloadingFiles = QStringLiteral("Dosyalar indiriliyor");
    set->CurrentProgress = QStringLiteral("Geçerli dosya ilerlemesi");
    set->TotalProgress = QStringLiteral("Toplam dosya ilerlemesi");
    set->UpdateComplete = QStringLiteral("Güncelleme tamamlandı");
    set->RestartInfo = QStringLiteral("Güncellenmiş uygulamayı çalıştırmak için Yeniden Başlat butonunu tıklayın");
    set->WhatsNewPopup = QStringLiteral("Notepad ile görüntüle");
    set->LicensePopup = QStringLiteral("Notepad ile görüntüle");
    return set;
}

TWebUpdateWizardLanguage* textSetForLanguage(const QString& languageCode, TWebUpdateWizardLanguage* upden,
                                             TWebUpdateWizardLanguage* updde, TWebUpdateWizardLanguage* updtr)
{
    if (languageCode == QLatin1String("en"))
        return upden;
    if (languageCode == QLatin1String("de"))
        return updde;
    if (languageCode == QLatin1String("tr"))
        return updtr;
    return nullptr;
}

} // namespace wizard
