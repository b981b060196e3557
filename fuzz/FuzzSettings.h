#pragma once

#include "FuzzSupport.h"
#include "settings/AppSettings.h"

// One settings store for the whole fuzzing process, in a scratch folder, for the
// targets whose services live as long as the client's do.
inline AppSettings *fuzzSettings()
{
    static AppSettings *const settings = [] {
        AppSettings::setDataDirectoryOverride(fuzzScratchDir());
        return new AppSettings;
    }();
    return settings;
}
