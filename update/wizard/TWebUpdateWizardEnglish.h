#pragma once

#include "update/wizard/TWebUpdateWizardLanguage.h"

namespace wizard {

// The English text set (the texts every set starts with).
class TWebUpdateWizardEnglish : public TWebUpdateWizardLanguage
{
    Q_OBJECT
public:
    explicit TWebUpdateWizardEnglish(QObject* parent = nullptr) : TWebUpdateWizardLanguage(parent) {}
};

} // namespace wizard
