#pragma once

#include <QMenu>
#include <QObject>
#include <QSystemTrayIcon>

// The tray icon with its menu: "Показать", "Скрыть", a separator, "Выход".
class TrayIcon : public QObject
{
    Q_OBJECT
public:
    explicit TrayIcon(QObject *parent = nullptr);

    void showIfAvailable();
    void hide();

Q_SIGNALS:
    void showWindowRequested();
    void hideWindowRequested();
    void exitRequested();

private:
    QMenu m_menu;
    QSystemTrayIcon m_icon;
};
