#pragma once

#include <QJsonArray>
#include <QJsonObject>

class DevStore;

// The demo workshop the devserver starts with. Each area keeps its data in its
// own file (DemoOrders.cpp, DemoStaff.cpp, DemoArchive.cpp, DemoIssues.cpp,
// DemoTenant.cpp) so features can extend their part independently.
namespace Demo {
inline constexpr const char kTenantId[] = "demo";
inline constexpr const char kTenantName[] = "Демо-мастерская «Ворн»";
inline constexpr const char kApiKey[] = "vorn-demo-key";
inline constexpr const char kDeviceId[] = "demo-pc";
inline constexpr const char kDeviceName[] = "Демо ПК (цех печати)";
} // namespace Demo

void seedDemoTenant(DevStore &store);

// Configuration a tenant created through "/api/bootstrap" starts with.
QJsonObject newTenantConfig();
// Release information answered by "/api/version".
QJsonObject demoRelease();

// Snapshot sections of the demo tenant; each returns the keys it adds.
QJsonObject demoOrdersSection();    // "orders"
QJsonObject demoStaffSection();     // "employees", "schedule", "attendance", "active_employee", "active_cutters"
QJsonObject demoArchiveSection();   // "archive", "archive_stats"
QJsonObject demoIssuesSection();    // "bugs", "defects" and their summaries
QJsonObject demoStockSection();     // "boxes", "inks", "materials", "consumables", "warehouse_places"
QJsonArray demoNotices();
// Pending server tasks of "/api/client-artifacts": files, a hostile name, a label rename.
QJsonArray demoArtifacts();

// Dates relative to now, so the demo always looks current.
QString demoDaysAgo(int days, int hour, int minute);
