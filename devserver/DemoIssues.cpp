#include "DemoData.h"

QJsonObject demoIssuesSection()
{
    const QJsonArray bugs{
        QJsonObject{{"id", 101}, {"bug_key", "BUG-101"}, {"title", "Сканер на резаке 2 иногда дублирует код"},
                    {"description", "После замены кабеля USB-COM код приходит дважды с интервалом 50 мс."},
                    {"status", "new"}, {"status_label", "Новый"}, {"severity", "средний"},
                    {"reporter", "Алексей Морозов"}, {"created_at", demoDaysAgo(0, 10, 12)},
                    {"updated_at", demoDaysAgo(0, 10, 12)}},
        QJsonObject{{"id", 98}, {"bug_key", "BUG-98"}, {"title", "Не печатается PDF этикетки Ozon"},
                    {"description", "Файл открывается, но принтер этикеток получает пустую страницу."},
                    {"status", "in_progress"}, {"status_label", "В работе"}, {"severity", "высокий"},
                    {"responsible", "Поддержка Ворна"}, {"reporter", "Марина Кузнецова"},
                    {"attachments", QJsonArray{QJsonObject{{"url", "/files/bugs/98/screen.png"}}}},
                    {"created_at", demoDaysAgo(2, 16, 40)}, {"updated_at", demoDaysAgo(1, 9, 5)}},
    };
    const QJsonArray defects{
        QJsonObject{{"id", 5531}, {"defect_key", "DEF-5531"}, {"doc_no", "5531"},
                    {"order_ref", "WB 2489121720"}, {"reason", "Полосы на печати"},
                    {"comment", "Засорилась голова, перепечатать после прочистки."},
                    {"status", "на рассмотрении"}, {"culprit", "Ирина Соколова"},
                    {"created_by", "Ольга Павлова"}, {"source_area", "печать"},
                    {"photos", QJsonArray{"/files/defects/5531/1.jpg", "/files/defects/5531/2.jpg"}},
                    {"created_at", demoDaysAgo(0, 11, 3)}},
        QJsonObject{{"id", 5527}, {"defect_key", "DEF-5527"}, {"doc_no", "5527"},
                    {"order_ref", "OZON 038121503-09-1"}, {"reason", "Порез при резке"},
                    {"status", "принят"}, {"culprit", "Дмитрий Волков"}, {"source_area", "резка"},
                    {"created_at", demoDaysAgo(1, 22, 47)}},
    };
    return QJsonObject{
        {"bugs", bugs},
        {"defects", defects},
        {"bugs_summary", QJsonObject{{"count", bugs.size()}, {"new_count", 1}, {"attachments", 1}}},
        {"defects_summary", QJsonObject{{"count", defects.size()}, {"today_count", 1}, {"photos", 2}}},
    };
}
