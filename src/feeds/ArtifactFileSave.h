#pragma once

#include "feeds/ArtifactOutcome.h"

class AppSettings;
struct ArtifactTask;

// Writes the content of a file task into the folder its destination names, under
// a name that cannot leave that folder, atomically (a reader never sees half a file).
ArtifactOutcome saveArtifactFile(const AppSettings *settings, const ArtifactTask &task);
