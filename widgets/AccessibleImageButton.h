#pragma once

#include <QAccessibleWidget>

namespace widgets {

class TImageButton;

// What a screen reader sees of a picture button: a push button with the name and description its owner sets,
// unavailable while disabled, and a press action that clicks it. Without it the button is an anonymous panel.
class AccessibleImageButton final : public QAccessibleWidget
{
public:
    explicit AccessibleImageButton(TImageButton* button);

    QStringList actionNames() const override;
    void doAction(const QString& actionName) override;
    QStringList keyBindingsForAction(const QString& actionName) const override;

    // Makes Qt's accessibility use this class for every picture button; idempotent.
    static void install();
};

} // namespace widgets
