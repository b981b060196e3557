#include "app/TrayIcon.h"

#include <QApplication>
#include <QIcon>

TrayIcon::TrayIcon(QObject *parent)
    : QObject(parent)
{
    m_icon.setIcon(QIcon(QStringLiteral(":/app.ico")));
    const QString name = QApplication::applicationDisplayName().isEmpty()
                             ? QApplication::applicationName()
                             : QApplication::applicationDisplayName();
    m_icon.setToolTip(name);

    connect(m_menu.addAction(QStringLiteral("Показать")), &QAction::triggered, this,
            &TrayIcon::showWindowRequested);
    connect(m_menu.addAction(QStringLiteral("Скрыть")), &QAction::triggered, this,
            &TrayIcon::hideWindowRequested);
    m_menu.addSeparator();
    connect(m_menu.addAction(QStringLiteral("Выход")), &QAction::triggered, this,
            &TrayIcon::exitRequested);
    m_icon.setContextMenu(&m_menu);

    connect(&m_icon, &QSystemTrayIcon::activated, this,
            [this](QSystemTrayIcon::ActivationReason reason) {
                if (reason == QSystemTrayIcon::Trigger || reason == QSystemTrayIcon::DoubleClick)
                    Q_EMIT showWindowRequested();
            });
}

void TrayIcon::showIfAvailable()
{
    if (QSystemTrayIcon::isSystemTrayAvailable())
        m_icon.show();
}

void TrayIcon::hide()
{
    m_icon.hide();
}
