#include "staff/EmployeeEventText.h"

#include "common/JsonRead.h"

QString EmployeeEventText::action(const QVariantMap &result)
{
    return variantFirstText(result, {"action", "state"}).toLower();
}

QString EmployeeEventText::describeEventResult(const QString &eventType, const QVariantMap &result,
                                               const QString &name)
{
    const QString act = action(result);
    const QString who = name.trimmed().isEmpty() ? QStringLiteral("Сотрудник") : name.trimmed();
    const QString type = eventType.trimmed();
    if (type == u"employee_qr_scan") {
        if (act == u"in")
            return QStringLiteral("👥 %1: пришёл").arg(who);
        if (act == u"out")
            return QStringLiteral("👥 %1: ушёл").arg(who);
        if (act == u"active")
            return QStringLiteral("👥 %1: активирован").arg(who);
        if (act == u"ignored")
            return QStringLiteral("👥 %1: событие обработано без изменений").arg(who);
    } else if (type == u"rfid_inout") {
        if (act == u"in")
            return QStringLiteral("👥 %1: пришёл по RFID").arg(who);
        if (act == u"out")
            return QStringLiteral("👥 %1: ушёл по RFID").arg(who);
        if (act == u"active")
            return QStringLiteral("👥 %1: активирован по RFID").arg(who);
        if (act == u"not_found")
            return QStringLiteral("RFID: карта не привязана (%1)").arg(who);
    }
    return {};
}
