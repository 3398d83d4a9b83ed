#include "ui/search_settings.h"

SearchSettingsRecord SearchSettings;
