// Owns org.freedesktop.ScreenSaver on the bus in DBUS_SESSION_BUS_ADDRESS and prints a line when
// it owns it, one per Inhibit and UnInhibit, and one when an inhibiting caller's connection closes.
#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusContext>
#include <QDBusMessage>
#include <QDBusServiceWatcher>
#include <QDebug>

class ScreenSaver : public QObject, protected QDBusContext {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.ScreenSaver")
public:
    ScreenSaver() : callers(this)
    {
        callers.setConnection(QDBusConnection::sessionBus());
        connect(&callers, &QDBusServiceWatcher::serviceUnregistered, [](const QString &caller) { qInfo().noquote() << "gone" << caller; });
    }

public slots:
    uint Inhibit(const QString &application, const QString &reason)
    {
        qInfo().noquote() << "Inhibit" << application << reason << "from" << message().service();
        callers.addWatchedService(message().service());
        return ++cookie;
    }
    void UnInhibit(uint held) { qInfo().noquote() << "UnInhibit" << held << "from" << message().service(); }

private:
    QDBusServiceWatcher callers;
    uint cookie = 0;
};

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    ScreenSaver service;
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.registerObject("/org/freedesktop/ScreenSaver", &service, QDBusConnection::ExportAllSlots)
        || !bus.registerService("org.freedesktop.ScreenSaver"))
        return 1;
    qInfo("owner");
    return app.exec();
}

#include "screensaver_standin.moc"
