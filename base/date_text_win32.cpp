#include <windows.h>

#include "base/text_utils.h"

// Through a file time and a calendar date to the locale's formatter, with an
// explicit picture so that the result does not depend on the user's settings.
String DateText(uint16_t dosDate) {
    FILETIME fileTime;
    SYSTEMTIME date;
    char text[100];
    if (!DosDateTimeToFileTime(dosDate, 0, &fileTime) || !FileTimeToSystemTime(&fileTime, &date) ||
        !GetDateFormatA(LOCALE_USER_DEFAULT, 0, &date, "dd/MM/yyyy", text, sizeof text)) {
        return String();
    }
    return String(text);
}
