#pragma once

#include <QString>

class AppSettings;

// Where server tasks put their files and where the label commands look.
// A folder set in the settings wins; otherwise a fixed subfolder of the data
// folder (of the home folder without settings).
namespace ArtifactFolders {

// The folder for a file task from its destination text (destination, folder
// hint, kind and marketplaces joined, lower-case); the first matching rule decides.
QString forDestination(const AppSettings *settings, const QString &destinationText);

// The label folder that rename and delete commands work in, by marketplace.
QString forMarketplaceLabels(const AppSettings *settings, const QString &marketplace);

} // namespace ArtifactFolders
