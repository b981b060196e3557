#pragma once

// The demo tenant's staff, shared by vorn-devserver (its employees and schedule)
// and vorn-devices (which presents their RFID cards and types their badges).
namespace Demo {

struct StaffMember
{
    const char *id;
    const char *name;
    const char *role;
    const char *cardUid;
    const char *shift;
};

inline constexpr StaffMember kStaff[] = {
    {"E001", "Ирина Соколова", "Печатник", "04A1B2C3D4", "09:00-21:00"},
    {"E002", "Алексей Морозов", "Резчик", "04B7E21A9F", "09:00-21:00"},
    {"E003", "Марина Кузнецова", "Упаковщик", "0455AC19E0", "10:00-19:00"},
    {"E004", "Дмитрий Волков", "Резчик", "04C3D9F1A2", "21:00-09:00"},
    {"E005", "Ольга Павлова", "Мастер смены", "04F0E1D2C3", "09:00-18:00"},
    {"E006", "Сергей Лебедев", "Натяжка холстов", "04AA55CC33", "10:00-19:00"},
};

inline const StaffMember *staffMember(const char *id)
{
    for (const StaffMember &member : kStaff) {
        const char *a = member.id;
        const char *b = id;
        while (*a && *a == *b) {
            ++a;
            ++b;
        }
        if (*a == *b)
            return &member;
    }
    return nullptr;
}

} // namespace Demo
