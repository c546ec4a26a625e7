// What a screen reader (Orca) reads of the catalog. The program runs on a private Xvfb with Qt's AT-SPI bridge on,
// beside a private session bus and the accessibility bus that at-spi-bus-launcher starts for it; the test walks the
// accessible tree over D-Bus from the registry down, as a screen reader does.
#include "base/IniFile.h"

#include "support/ApplicationCopy.h"
#include "support/Started.h"
#include "support/WaitUntil.h"

#include <QCoreApplication>
#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusVariant>
#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QSet>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

// One object of the accessible tree, and what a screen reader reads of it.
struct Accessible
{
    QString service;
    QString path;
    QString role;
    QString name;
    QString description;
};

// The accessible tree on the accessibility bus, read through the AT-SPI interfaces.
class AtSpiTree
{
public:
    explicit AtSpiTree(const QDBusConnection& bus) : m_bus(bus) {}

    // Every object below the application called `application`; the rows and cells of lists are left out.
    QList<Accessible> walk(const QString& application) const
    {
        static const QSet<QString> lists = {"table", "tree table", "list", "list box", "tree"};
        QList<Accessible> found;
        QList<Accessible> pending;
        for (Accessible app : children({"org.a11y.atspi.Registry", "/org/a11y/atspi/accessible/root"})) {
            if (property(app, "Name") == application)
                pending << app;
        }
        while (!pending.isEmpty() && found.size() < 5000) {
            Accessible node = pending.takeFirst();
            node.role = call(node, "GetRoleName").arguments().value(0).toString();
            node.name = property(node, "Name");
            node.description = property(node, "Description");
            found << node;
            if (!lists.contains(node.role))
                pending << children(node);
        }
        return found;
    }

private:
    QDBusMessage call(const Accessible& node, const QString& method, const QVariantList& arguments = {},
                      const QString& interface = QStringLiteral("org.a11y.atspi.Accessible")) const
    {
        QDBusMessage message = QDBusMessage::createMethodCall(node.service, node.path, interface, method);
        message.setArguments(arguments);
        return m_bus.call(message, QDBus::Block, 5000);
    }

    QString property(const Accessible& node, const char* name) const
    {
        const QDBusMessage reply = call(node, "Get", {"org.a11y.atspi.Accessible", QString::fromLatin1(name)},
                                        "org.freedesktop.DBus.Properties");
        return reply.arguments().value(0).value<QDBusVariant>().variant().toString();
    }

    QList<Accessible> children(const Accessible& node) const
    {
        QList<Accessible> list;
        const QDBusMessage reply = call(node, "GetChildren");
        if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
            return list;
        const QDBusArgument array = reply.arguments().first().value<QDBusArgument>();
        array.beginArray();
        while (!array.atEnd()) {
            Accessible child;
            QDBusObjectPath path;
            array.beginStructure();
            array >> child.service >> path;
            array.endStructure();
            child.path = path.path();
            list << child;
        }
        array.endArray();
        return list;
    }

    QDBusConnection m_bus;
};

// The first line of what `process` prints that matches `pattern`, its first group; empty when none comes in time.
QString printedLine(Started& process, const QString& pattern, int milliseconds)
{
    const QRegularExpression line(pattern, QRegularExpression::MultilineOption);
    QString found;
    waitUntil(
        [&] {
            found = line.match(process.output()).captured(1);
            return !found.isEmpty() || !process.running();
        },
        milliseconds);
    return found;
}

// The German program as Orca sees it: the picture buttons, which show no words, are push buttons named and
// described in German, and no button, box, list or choice is without a name.
TEST(AccessibilityBus, ScreenReadersNameEveryControlInTheChosenLanguage)
{
    QTemporaryDir root;
    ASSERT_TRUE(root.isValid());
    // The X server picks its own display: with -displayfd it takes only a number whose sockets, the abstract one
    // included, are all its own, so an X server of another container on the same network cannot answer for it.
    Started xserver(QStringLiteral(VELKORN_XVFB),
                    {"-displayfd", "1", "-nolisten", "tcp", "-screen", "0", "1280x900x24"},
                    QProcessEnvironment::systemEnvironment());
    const QString display = printedLine(xserver, QStringLiteral("^(\\d+)$"), 20000);
    ASSERT_FALSE(display.isEmpty()) << "Xvfb did not start: " << qPrintable(xserver.output());
    const ApplicationCopy copy(root.path() + QStringLiteral("/app"),
                               {QStringLiteral("KATALOG.GDB"), QStringLiteral("translations/qtbase_de.qm")});

    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"));
    env.remove(QStringLiteral("AT_SPI_BUS_ADDRESS"));
    env.insert(QStringLiteral("DISPLAY"), QLatin1Char(':') + display);
    env.remove(QStringLiteral("XAUTHORITY"));
    for (const char* name : {"HOME", "TMPDIR", "XDG_RUNTIME_DIR", "XDG_CONFIG_HOME", "XDG_DATA_HOME"})
        env.insert(QString::fromLatin1(name), root.path());
    Started sessionBus(QStringLiteral(VELKORN_DBUS_DAEMON),
                       {"--session", "--nofork", "--nopidfile", "--print-address=1"}, env);
    // The address is a line of its own among the daemon's warnings.
    const QString sessionAddress = printedLine(sessionBus, QStringLiteral("^(unix:\\S+)$"), 10000);
    ASSERT_FALSE(sessionAddress.isEmpty()) << qPrintable(sessionBus.output());
    env.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), sessionAddress);

    Started launcher(QStringLiteral(VELKORN_ATSPI_LAUNCHER), {"--launch-immediately"}, env);
    QDBusConnection session = QDBusConnection::connectToBus(sessionAddress, QStringLiteral("session"));
    ASSERT_TRUE(session.isConnected());
    ASSERT_TRUE(waitUntil([&] { return session.interface()->isServiceRegistered("org.a11y.Bus").value(); }, 10000))
        << "at-spi-bus-launcher did not come up";
    const QDBusMessage busAddress =
        session.call(QDBusMessage::createMethodCall("org.a11y.Bus", "/org/a11y/bus", "org.a11y.Bus", "GetAddress"),
                     QDBus::Block, 10000);
    const QString a11yAddress = busAddress.arguments().value(0).toString();
    ASSERT_FALSE(a11yAddress.isEmpty()) << qPrintable(busAddress.errorMessage());
    const AtSpiTree tree(QDBusConnection::connectToBus(a11yAddress, QStringLiteral("a11y")));

    // Servers that refuse at once: no synchronisation, no update.
    QProcessEnvironment programEnv = copy.environment(QStringLiteral("de"), env);
    programEnv.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    programEnv.insert(QStringLiteral("QT_LINUX_ACCESSIBILITY_ALWAYS_ON"), QStringLiteral("1"));
    programEnv.remove(QStringLiteral("VELKORN_UPDATE_UNATTENDED"));
    Started program(copy.program(), {}, programEnv);

    base::IniFile german(copy.dir() + QStringLiteral("de.lng"));
    ASSERT_TRUE(german.load());
    auto msg = [&german](const char* key) { return german.value(QStringLiteral("Project_Messages"), key); };
    QList<Accessible> nodes;
    auto button = [&nodes](const QString& name) {
        for (const Accessible& node : nodes)
            if (node.role == QLatin1String("push button") && node.name == name)
                return node;
        return Accessible{};
    };
    ASSERT_TRUE(waitUntil(
        [&] {
            nodes = tree.walk(QStringLiteral("Velkorn"));
            return !button(msg("btnNext")).path.isEmpty() || !program.running();
        },
        60000))
        << "the program's buttons never appeared on the accessibility bus: " << qPrintable(program.output());
    ASSERT_TRUE(program.running());

    // Picture buttons: name and description, each from the language file.
    const std::pair<const char*, const char*> pictureButtons[] = {
        {"btnPrev", "accPrevHint"},         {"btnNext", "accNextHint"},       {"btnSearch", "accSearchHint"},
        {"btnMeasure", "measureTitle"},     {"accWebSite", "accWebSiteHint"}, {"accPageForward", "accPageForwardHint"},
        {"accPageBack", "accPageBackHint"},
    };
    for (const auto& [name, description] : pictureButtons) {
        const Accessible found = button(msg(name));
        EXPECT_FALSE(found.path.isEmpty()) << "no button named " << qPrintable(msg(name));
        EXPECT_EQ(found.description, msg(description)) << qPrintable(msg(name));
    }
    const QSet<QString> controls = {"push button", "text", "entry", "table", "combo box", "check box", "menu bar"};
    int named = 0;
    for (const Accessible& node : nodes) {
        if (!controls.contains(node.role))
            continue;
        ++named;
        EXPECT_FALSE(node.name.trimmed().isEmpty()) << qPrintable(node.role + " " + node.path + " has no name");
    }
    EXPECT_GT(named, 20);
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication application(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
