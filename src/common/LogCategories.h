#pragma once

#include <QLoggingCategory>

// Developer diagnostics, one category per subsystem ("vorn.<subsystem>").
// The operator's journal is EventLogModel, never these.
Q_DECLARE_LOGGING_CATEGORY(lcApp)
Q_DECLARE_LOGGING_CATEGORY(lcPlatform)
Q_DECLARE_LOGGING_CATEGORY(lcSettings)
Q_DECLARE_LOGGING_CATEGORY(lcServerLink)
Q_DECLARE_LOGGING_CATEGORY(lcDevices)
Q_DECLARE_LOGGING_CATEGORY(lcProduction)
Q_DECLARE_LOGGING_CATEGORY(lcSupplies)
Q_DECLARE_LOGGING_CATEGORY(lcConsumables)
Q_DECLARE_LOGGING_CATEGORY(lcStaff)
Q_DECLARE_LOGGING_CATEGORY(lcTools)
Q_DECLARE_LOGGING_CATEGORY(lcFeeds)
