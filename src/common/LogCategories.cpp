#include "common/LogCategories.h"

Q_LOGGING_CATEGORY(lcApp, "vorn.app")
Q_LOGGING_CATEGORY(lcPlatform, "vorn.platform")
Q_LOGGING_CATEGORY(lcSettings, "vorn.settings")
Q_LOGGING_CATEGORY(lcServerLink, "vorn.serverlink")
Q_LOGGING_CATEGORY(lcDevices, "vorn.devices")
Q_LOGGING_CATEGORY(lcProduction, "vorn.production")
Q_LOGGING_CATEGORY(lcSupplies, "vorn.supplies")
Q_LOGGING_CATEGORY(lcConsumables, "vorn.consumables")
Q_LOGGING_CATEGORY(lcStaff, "vorn.staff")
Q_LOGGING_CATEGORY(lcTools, "vorn.tools")
Q_LOGGING_CATEGORY(lcFeeds, "vorn.feeds")
