#pragma once

#include <string>

// Where the settings file lives. Beside the executable (SettingsPathFor)
// whenever that file exists or its folder may be written, so a copy run
// from its own folder keeps its settings with it; otherwise, as for a
// program installed into a system folder, in the user's configuration
// folder. "" when the executable's path gives no settings path at all.
std::string SettingsFileLocation(const std::string& executablePath);

// $XDG_CONFIG_HOME/quillora/quillini, ~/.config/quillora/quillini when that
// variable is unset or not an absolute path; "" without a home folder.
std::string UserSettingsPath();

// Makes the missing folders above `path`, private to the user as
// configuration folders are; false when one cannot be made.
bool CreateParentFolders(const std::string& path);
