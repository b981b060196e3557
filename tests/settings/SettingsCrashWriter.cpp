// Helper of the settings crash test: saves the settings again and again with a
// rising number in both files (settings.json: wbPath, identity.json: deviceName),
// in the data folder XDG_DATA_HOME points at, and prints each number once save()
// has returned. The test kills it with SIGKILL at random moments.
#include "settings/AppSettings.h"

#include <QCoreApplication>

#include <unistd.h>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setOrganizationName(QStringLiteral("VornClient"));
    QCoreApplication::setApplicationName(QStringLiteral("VornClient"));
    if (argc < 2)
        return 2;
    const qint64 first = QByteArray(argv[1]).toLongLong();
    AppSettings settings;
    // Long values, so a kill often lands inside a write.
    const QString padding(20000, QLatin1Char('x'));
    for (qint64 n = first;; ++n) {
        settings.setWbPath(QString::number(n));
        settings.setDeviceName(QString::number(n));
        settings.setOzonPath(padding);
        if (!settings.save())
            return 1;
        const QByteArray line = QByteArray::number(n) + '\n';
        if (::write(STDOUT_FILENO, line.constData(), size_t(line.size())) < 0)
            return 1;
    }
}
