#include "newalarm.h"

#include "calendar.h"
#include "datafiles.h"
#include "exchange.h"

#include <cctype>
#include <cstring>

const char EMPTYMESSAGE[] = "Cannot create a new alert. The message is empty.";
const char TOOLONGMESSAGE[] = "Cannot create a new alert. The message is too long.";
const char NODATEMESSAGE[] = "Cannot create a new alert. The date does not exist.";
const char PASTMESSAGE[] = "Cannot create a new alert for the past.\nPlease provide a future time.";
const char LAYOUTSDESCRIPTION[] =
    "a simple alarm \"YYYY-MM-DD HH:MM - message\", a monthly alarm \"DD - message\" or an annual alarm "
    "\"MM-DD - message\"";

namespace {

// The longest line a data file may hold, without its line end.
const int ALARMLINEMAX = LINEBUFSIZE - 1;
// The one year in which every day of the year exists: an annual alarm may fall
// on 29 February, which the service announces in leap years.
const int ANYLEAPYEAR = 2000;

// Each layout's date fields as a pattern ('d' a digit), then the separator.
struct layout {
    int kind;
    const char* pattern;
};

const layout LAYOUTS[] = {
    {KINDSINGLE, "dddd-dd-dd dd:dd - "},
    {KINDANNUAL, "dd-dd - "},
    {KINDMONTHLY, "dd - "},
};

bool follows(const char* line, const char* pattern) {
    for (size_t i = 0; pattern[i] != '\0'; i++) {
        if (line[i] == '\0') return false;
        if (pattern[i] == 'd' ? !isdigit((unsigned char)line[i]) : line[i] != pattern[i]) return false;
    }
    return true;
}

const char* patternof(int kind) {
    for (const layout& each : LAYOUTS) {
        if (each.kind == kind) return each.pattern;
    }
    return NULL;
}

int number(const char* text, int start, int count) {
    int value = 0;
    for (int i = start; i < start + count; i++) value = value * 10 + (text[i] - '0');
    return value;
}

bool dateexists(int kind, const char* line) {
    if (kind == KINDMONTHLY) {
        // Days 29 to 31 are kept: the service announces them in the months that have them.
        int day = number(line, 0, 2);
        return day >= 1 && day <= 31;
    }
    if (kind == KINDANNUAL) {
        int month = number(line, 0, 2);
        int day = number(line, 3, 2);
        return day >= 1 && day <= daysinmonth(ANYLEAPYEAR, month);
    }
    int month = number(line, 5, 2);
    int day = number(line, 8, 2);
    return day >= 1 && day <= daysinmonth(number(line, 0, 4), month) && number(line, 11, 2) <= 23 &&
           number(line, 14, 2) <= 59;
}

}  // namespace

int newalarmkind(const char* line) {
    if (strpbrk(line, "\r\n") != NULL) return -1;
    for (const layout& each : LAYOUTS) {
        if (follows(line, each.pattern)) return each.kind;
    }
    return -1;
}

const char* checknewalarm(int kind, const char* line, const char* now) {
    const char* pattern = patternof(kind);
    if (pattern == NULL || !follows(line, pattern)) return NODATEMESSAGE;
    if (line[strlen(pattern)] == '\0') return EMPTYMESSAGE;
    if (strlen(line) > (size_t)ALARMLINEMAX) return TOOLONGMESSAGE;
    if (!dateexists(kind, line)) return NODATEMESSAGE;
    // The alarm's minute, the first 16 characters of its line, must come
    // after the current minute; the message itself plays no part.
    if (kind == KINDSINGLE && strncmp(line, now, STAMPLEN) <= 0) return PASTMESSAGE;
    return NULL;
}
