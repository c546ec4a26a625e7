#include "app/VelkornApplication.h"

#include "platform/EngineConfiguration.h"
#include "platform/Platform.h"
#include "widgets/MessageBox.h"

#include <QDesktopServices>
#include <QUrl>

#include <stdexcept>

#include "i18n/SilentCancel.h"

using i18n::SilentCancel;

namespace app {

VelkornApplication::VelkornApplication(int& argc, char** argv) : QApplication(argc, argv)
{
    platform::configureEngine();
    // The desktop's own way of opening addresses and files, for the layers below that know no windows.
    platform::setDesktopOpener([](const QUrl& url) { return QDesktopServices::openUrl(url); });
}

bool VelkornApplication::notify(QObject* receiver, QEvent* event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (const SilentCancel&) {
        // The operation was cancelled on purpose and has said what it had to say; drop it without a message.
        return false;
    } catch (const std::exception& e) {
        // A handler failed: tell the user and keep the event loop running, as the window's framework would.
        widgets::showMessageBox(
            {nullptr, applicationDisplayName(), QString::fromUtf8(e.what()), widgets::BoxIcon::Error});
        return false;
    }
}

} // namespace app
