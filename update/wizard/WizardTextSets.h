#pragma once

class QObject;
class QString;

namespace wizard {

class TWebUpdateWizardEnglish;
class TWebUpdateWizardGerman;
class TWebUpdateWizardLanguage;

// This system's three text sets, as the main window's form creates them (object names upden, updde, updtr).
TWebUpdateWizardEnglish* createUpden(QObject* parent);
TWebUpdateWizardGerman* createUpdde(QObject* parent);
// The Turkish set: an English set whose texts are replaced.
TWebUpdateWizardEnglish* createUpdtr(QObject* parent);

// The set for a Language code: "en" upden, "de" updde, "tr" updtr; nullptr for any other code.
TWebUpdateWizardLanguage* textSetForLanguage(const QString& languageCode, TWebUpdateWizardLanguage* upden,
                                             TWebUpdateWizardLanguage* updde, TWebUpdateWizardLanguage* updtr);

} // namespace wizard
