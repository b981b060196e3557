#pragma once

#include <QByteArray>
#include <QString>
#include <QVariantList>

// The CSV exports of the staff pages: UTF-8, ";" between fields, one record a line.
// A ";" inside a value becomes "," and a line break a blank, so every record stays one line.
namespace StaffCsv {

QByteArray attendance(const QString &date, const QVariantList &events);
QByteArray archive(const QString &date, const QVariantList &summary, const QVariantList &events);

} // namespace StaffCsv
