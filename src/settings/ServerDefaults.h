#pragma once

// Server addresses the client falls back to. Kept in one place so a rebrand
// or a move of the platform touches only this file.
namespace ServerDefaults {

// Used when no server URL is configured, and instead of the legacy address.
inline constexpr const char kDefaultServerUrl[] = "https://api.vorn.app";
// Address of the old platform; installations still pointing at it are moved over.
inline constexpr const char kLegacyServerUrl[] = "https://vorn-platform.ru";
// Ozon Seller API base used when the tenant configures none.
inline constexpr const char kOzonApiBaseUrl[] = "https://api-seller.ozon.ru";

} // namespace ServerDefaults
