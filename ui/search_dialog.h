// SearchDialog: the modal dialog in which the user states what to look for
// and where. It keeps no state beyond its controls: what it reads and writes
// lives in SearchSettings and in the settings file at SettingsPath. Windows
// only; the rules it follows are plain code (search_dialog_logic.h).
#pragma once

#include "fs/file_name.h" // ModuleHandle
#include "ui/search_settings.h"

// Shows the dialog modally, without an owner window, from template 1 of
// `module` (the library's own module, which holds the templates). Returns 1
// when OK closed it with a text to find, 0 when it was cancelled or OK
// closed it with an empty text (the settings are written all the same), and
// -1 when the dialog could not be created.
int ShowSearchDialog(ModuleHandle module, SearchSettingsRecord& settings);
