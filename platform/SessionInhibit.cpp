#ifndef _WIN32

#include "platform/SessionInhibit.h"

#include <QDBusConnection>
#include <QDBusMessage>

#include <optional>

namespace platform {

namespace {

// What Inhibit answered, handed back to UnInhibit.
std::optional<uint> inhibitCookie;

// Without an owner of the name the bus answers at once with an error; a service that hangs must
// not hold the test's window up for more than a moment.
QDBusMessage callScreenSaver(const QString &method, const QVariantList &arguments)
{
    QDBusMessage call = QDBusMessage::createMethodCall(QStringLiteral("org.freedesktop.ScreenSaver"),
        QStringLiteral("/org/freedesktop/ScreenSaver"), QStringLiteral("org.freedesktop.ScreenSaver"), method);
    call.setArguments(arguments);
    // Only a service the desktop runs already: one started for us alone would blank nothing.
    call.setAutoStartService(false);
    return QDBusConnection::sessionBus().call(call, QDBus::Block, 1000);
}

} // namespace

// The service lifts an inhibit by itself when the caller's bus connection closes, so a process
// ended by a signal or a crash gives the screen saver back without the desktop guard's help.
bool inhibitSessionScreenSaver(bool on)
{
    if (!QDBusConnection::sessionBus().isConnected())
        return false;
    if (on && !inhibitCookie) {
        const QDBusMessage reply = callScreenSaver(QStringLiteral("Inhibit"),
            {QStringLiteral("Tamri"), QStringLiteral("Test läuft")});
        if (reply.type() == QDBusMessage::ReplyMessage && !reply.arguments().isEmpty())
            inhibitCookie = reply.arguments().constFirst().toUInt();
    } else if (!on && inhibitCookie) {
        callScreenSaver(QStringLiteral("UnInhibit"), {*inhibitCookie});
        inhibitCookie.reset();
    }
    return inhibitCookie.has_value();
}

} // namespace platform

#endif
