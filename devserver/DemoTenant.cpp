#include "DemoData.h"
#include "DevStore.h"

#include <QDateTime>

QString demoDaysAgo(int days, int hour, int minute)
{
    const QDate date = QDate::currentDate().addDays(-days);
    return QDateTime(date, QTime(hour, minute)).toString(Qt::ISODate);
}

namespace {

QJsonArray demoConsumableTabs()
{
    return QJsonArray{
        QJsonObject{{"id", "tab_inks"}, {"title", "Чернила"}, {"mode", "inks"}, {"serverType", "ink"},
                    {"measure", "color_count"},
                    {"options", QJsonArray{"Black", "Cyan", "Magenta", "Yellow"}}},
        QJsonObject{{"id", "tab_boxes"}, {"title", "Коробки"}, {"mode", "boxes"}, {"serverType", "box"},
                    {"measure", "count"},
                    {"options", QJsonArray{"Короб", "Маленькая шкатулка", "Большая шкатулка"}}},
        QJsonObject{{"id", "tab_materials"}, {"title", "Материалы"}, {"mode", "materials"},
                    {"serverType", "material"}, {"measure", "length"},
                    {"options", QJsonArray{"Обои", "Холст", "Фреска", "Песок"}}},
        QJsonObject{{"id", "tab_tape"}, {"title", "Скотч"}, {"mode", "count"}, {"serverType", "tape"},
                    {"measure", "count"}, {"options", QJsonArray{"Скотч прозрачный", "Скотч бумажный"}}},
    };
}

// The QR codes on the demo storage wall (Настройки → QR стены prints them).
QJsonArray demoWallBindings()
{
    return QJsonArray{
        QJsonObject{{"id", "wall_small_box"}, {"tabId", "tab_boxes"}, {"itemName", "Маленькая шкатулка"},
                    {"amount", 1}},
        QJsonObject{{"id", "wall_tape"}, {"tabId", "tab_tape"}, {"itemName", "Скотч прозрачный"},
                    {"amount", 1}},
    };
}

QJsonArray demoHelpSections()
{
    return QJsonArray{
        QJsonObject{{"title", "Начало смены"},
                    {"bullets", QJsonArray{"Приложи карту к считывателю RFID.",
                                           "Проверь, что сканеры на резаках горят зелёным.",
                                           "Открой вкладку «Главная» и сверь план на день."}}},
        QJsonObject{{"title", "Печать по UID"},
                    {"body", "Отсканируй код заказа P01… или старый номерной UID — "
                             "клиент найдёт макет и отправит его на принтер."},
                    {"bullets", QJsonArray{"Напечатанный файл получает префикс «напечатано».",
                                           "Повторная печать — через вкладку «Заказы» → «Перепечатки»."}}},
    };
}

QJsonArray demoScriptsCatalog()
{
    // scripts/run-demo.sh puts devserver/demo-scripts/ on the demo PC and binds these ids to them.
    return QJsonArray{
        QJsonObject{{"id", "demo_ticker"}, {"title", "Демо: пульс раз в секунду"}, {"enabled", true},
                    {"launch_mode", "auto"}, {"arguments", ""}, {"kind", "python"},
                    {"filename", "demo_ticker.py"}},
        QJsonObject{{"id", "demo_fail"}, {"title", "Демо: выгрузка с ошибкой"}, {"enabled", true},
                    {"launch_mode", "python"}, {"arguments", "--code 3"}, {"kind", "python"},
                    {"filename", "demo_fail.py"}},
    };
}

} // namespace

QJsonObject newTenantConfig()
{
    return QJsonObject{
        {"help_sections", demoHelpSections()},
        {"links", QJsonObject{{"manager_url", "/manager"}, {"staff_bugs_url", "/staff/bugs"},
                              {"manager_bugs_url", "/manager/bugs"}}},
    };
}

QJsonObject demoRelease()
{
    return QJsonObject{
        {"version", "2.0.1.18"},
        {"title", "Ворн 2.0.1.18"},
        {"notes", "• Печать по коду P01… теперь находит макет и в подпапках.\n"
                  "• Плашки от администратора показываются над страницами.\n"
                  "• Расходники: списание по QR со стены без выбора вкладки.\n"
                  "• Исправлено зависание при отключении сканера."},
    };
}

QJsonArray demoNotices()
{
    return QJsonArray{
        QJsonObject{{"id", "n1"}, {"title", "Плановые работы"},
                    {"message", "В субботу с 22:00 до 23:00 сервер Ворна будет недоступен. "
                                "Печать по уже загруженным заказам продолжит работать."},
                    {"tone_key", "warning"}, {"icon_key", "alert"}},
        QJsonObject{{"id", "n2"}, {"title", "Новые холсты"},
                    {"message", "Поступили холсты 50×70 — проверьте остатки на вкладке «Материалы»."},
                    {"tone_key", "info"}, {"icon_key", "info"}},
    };
}

QJsonObject demoStockSection()
{
    return QJsonObject{
        {"boxes", QJsonObject{{"Короб", 148}, {"Маленькая шкатулка", 36}, {"Большая шкатулка", 12}}},
        {"inks", QJsonArray{QJsonObject{{"color", "Black"}, {"count", 6}},
                            QJsonObject{{"color", "Cyan"}, {"count", 4}},
                            QJsonObject{{"color", "Magenta"}, {"count", 3}},
                            QJsonObject{{"color", "Yellow"}, {"count", 5}}}},
        {"materials", QJsonArray{
            QJsonObject{{"material_id", "R-1042"}, {"mat_type", "Обои"}, {"length_m", 48.5},
                        {"cell_qr", "ROLL:R-1042"}, {"created_at", demoDaysAgo(6, 10, 15)}},
            QJsonObject{{"material_id", "R-1043"}, {"mat_type", "Холст"}, {"length_m", 30},
                        {"cell_qr", "ROLL:R-1043"}, {"created_at", demoDaysAgo(3, 9, 40)}},
            QJsonObject{{"material_id", "R-1044"}, {"mat_type", "Фреска"}, {"length_m", 12.2},
                        {"cell_qr", "ROLL:R-1044"}, {"created_at", demoDaysAgo(1, 14, 5)}}}},
        {"consumables", QJsonObject{
            {"tape", QJsonObject{{"measure", "count"}, {"title", "Скотч"},
                                 {"items", QJsonArray{QJsonObject{{"name", "Скотч прозрачный"}, {"count", 24}},
                                                      QJsonObject{{"name", "Скотч бумажный"}, {"count", 0}}}}}}}},
        // Where the orders behind the demo warehouse label files are stored
        // (answered by "/api/order-warehouse-lookup.php").
        {"warehouse_places", QJsonObject{
            {"204512345678", QJsonObject{{"warehouse", "Склад Коледино"}, {"section", "A-12"}}},
            {"204598765432", QJsonObject{{"warehouse", "Склад Коледино"}, {"section_code", "B-03"}}},
            {"300123456", QJsonObject{{"warehouse", "Склад Хоругвино"}, {"storageSection", "C-7"}}}}},
    };
}

void seedDemoTenant(DevStore &store)
{
    DevTenant tenant;
    tenant.id = QLatin1String(Demo::kTenantId);
    tenant.name = QString::fromUtf8(Demo::kTenantName);
    tenant.apiKey = QLatin1String(Demo::kApiKey);

    tenant.config = newTenantConfig();
    tenant.config.insert("consumableTabs", demoConsumableTabs());
    tenant.config.insert("wallBindings", demoWallBindings());
    tenant.config.insert("scripts_catalog", demoScriptsCatalog());
    tenant.config.insert("branding", QJsonObject{{"app_name", "Ворн • Демо"}});

    for (const QJsonObject &section : {demoOrdersSection(), demoStaffSection(), demoArchiveSection(),
                                       demoIssuesSection(), demoStockSection()}) {
        for (auto it = section.constBegin(); it != section.constEnd(); ++it)
            tenant.data.insert(it.key(), it.value());
    }
    tenant.notices = demoNotices();

    DevDevice device;
    device.id = QLatin1String(Demo::kDeviceId);
    device.name = QString::fromUtf8(Demo::kDeviceName);
    device.clientId = QStringLiteral("desktop");
    device.registeredAt = QDateTime::currentDateTimeUtc().toString(Qt::ISODateWithMs);
    tenant.devices[device.id] = device;

    store.putTenant(tenant);
}
