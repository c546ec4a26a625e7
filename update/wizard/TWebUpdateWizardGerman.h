#pragma once

#include "update/wizard/TWebUpdateWizardLanguage.h"

namespace wizard {

// The German text set; the failed-download message and the two pop-up entries stay English.
class TWebUpdateWizardGerman : public TWebUpdateWizardLanguage
{
    Q_OBJECT
public:
    explicit TWebUpdateWizardGerman(QObject* parent = nullptr);
};

} // namespace wizard
