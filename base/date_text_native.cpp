// Native stand-in for the locale date formatter: the same "dd/MM/yyyy" text,
// and the same refusal of dates that the platform's conversion rejects.
#include "base/text_utils.h"

namespace {

int DaysInMonth(int year, int month) {
    static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const int leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return month == 2 && leap ? 29 : days[month - 1];
}

} // namespace

String DateText(uint16_t dosDate) {
    const int year = 1980 + (dosDate >> 9);
    const int month = (dosDate >> 5) & 0x0F;
    const int day = dosDate & 0x1F;
    if (month < 1 || month > 12 || day < 1 || day > DaysInMonth(year, month)) return String();
    return FormatText("%02d/%02d/%04d", day, month, year);
}
