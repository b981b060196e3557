#include "SettingsPatch.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>

namespace {
QJsonObject slotRecord(int index, const QString &port)
{
    return QJsonObject{{QStringLiteral("index"), index},
                       {QStringLiteral("name"), QStringLiteral("Сканер %1").arg(index)},
                       {QStringLiteral("port"), port},
                       {QStringLiteral("baudRate"), 9600}};
}
} // namespace

bool SettingsPatch::apply(const QString &settingsFile, const QString &scannerPort,
                          const QString &rfidPort, QString *error)
{
    QJsonObject root;
    QFile in(settingsFile);
    if (in.exists()) {
        if (!in.open(QIODevice::ReadOnly)) {
            *error = QStringLiteral("cannot read %1").arg(settingsFile);
            return false;
        }
        root = QJsonDocument::fromJson(in.readAll()).object();
        in.close();
    }

    bool touched = false;
    if (!scannerPort.isEmpty()) {
        QJsonArray slotList = root.value(QStringLiteral("scannerPorts")).toArray();
        while (slotList.size() < 2)
            slotList.append(slotRecord(int(slotList.size()) + 1, QString()));
        QJsonObject first = slotList.at(0).toObject();
        const bool slotEmpty = first.value(QStringLiteral("port")).toString().trimmed().isEmpty();
        if (slotEmpty && root.value(QStringLiteral("comPort")).toString().trimmed().isEmpty()) {
            first = slotRecord(1, scannerPort);
            slotList[0] = first;
            root.insert(QStringLiteral("scannerPorts"), slotList);
            root.insert(QStringLiteral("comPort"), scannerPort);
            touched = true;
        }
    }
    if (!rfidPort.isEmpty() && root.value(QStringLiteral("rfidPort")).toString().trimmed().isEmpty()) {
        root.insert(QStringLiteral("rfidPort"), rfidPort);
        if (!root.contains(QStringLiteral("rfidBaudRate")))
            root.insert(QStringLiteral("rfidBaudRate"), 9600);
        touched = true;
    }
    if (!touched)
        return true;

    QDir().mkpath(QFileInfo(settingsFile).absolutePath());
    QSaveFile out(settingsFile);
    if (!out.open(QIODevice::WriteOnly)) {
        *error = QStringLiteral("cannot write %1").arg(settingsFile);
        return false;
    }
    out.write(QJsonDocument(root).toJson(QJsonDocument::Indented));
    if (!out.commit()) {
        *error = QStringLiteral("cannot write %1").arg(settingsFile);
        return false;
    }
    return true;
}
