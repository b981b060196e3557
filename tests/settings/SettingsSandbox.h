#pragma once

#include <QByteArray>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "settings/AppSettings.h"

// Points the platform data location at a fresh temporary folder, so a test
// never reads or writes a real installation's settings.
class SettingsSandbox
{
public:
    SettingsSandbox()
    {
        QCoreApplication::setOrganizationName(QStringLiteral("VornClient"));
        QCoreApplication::setApplicationName(QStringLiteral("VornClient"));
        AppSettings::setDataDirectoryOverride(dataDir());
    }
    ~SettingsSandbox() { AppSettings::setDataDirectoryOverride(QString()); }

    bool isValid() const { return m_root.isValid(); }
    QString root() const { return m_root.path(); }
    QString dataDir() const { return m_root.path() + QStringLiteral("/VornClient/VornClient"); }
    QString file(const QString &name) const { return dataDir() + u'/' + name; }

    bool write(const QString &name, const QByteArray &content) const
    {
        QDir().mkpath(dataDir());
        QFile f(file(name));
        return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(content) == content.size();
    }

    QByteArray read(const QString &name) const
    {
        QFile f(file(name));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

private:
    QTemporaryDir m_root;
};
