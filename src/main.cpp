#include "app/ClientHost.h"

#include <QApplication>
#include <QIcon>
#include <QQuickStyle>

int main(int argc, char *argv[])
{
    QQuickStyle::setStyle(QStringLiteral("Basic"));
    QApplication app(argc, argv);
    // The client lives in the tray; closing the window does not end it.
    QApplication::setQuitOnLastWindowClosed(false);
    QApplication::setOrganizationName(QStringLiteral("VornClient"));
    QApplication::setApplicationName(QStringLiteral("VornClient"));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/app.ico")));

    ClientHost host;
    return host.run();
}
