#pragma once

// The folder that holds the settings files: "Tavelo/" in the user's documents folder, or the folder that
// the environment variable TAVELO_SETTINGS_DIR names (tests, portable use).

#include <QString>

// The folder's path, ending with a separator. When the documents folder can't be determined that part
// is empty, so the path begins with the separator.
QString SettingsFolder();

// Creates the folder with any missing parents; an existing folder is left alone. False when it can't be
// created; readers then go on with their defaults and writers fail on their first entry.
bool CreateSettingsFolder();
