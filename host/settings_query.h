// The query of a library run, made from the settings the dialog (or the
// settings file) left in SearchSettings.
#pragma once

#include "search/run_query.h"
#include "ui/search_settings.h"

// `text` is the text to find: the dialog's, or the host's when no dialog was
// shown. Links to folders are not entered.
RunQuery QueryFromSettings(const SearchSettingsRecord& settings, const String& text);
