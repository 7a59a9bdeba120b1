#include "configfile.h"

#include "datafiles.h"

#include <cctype>
#include <cstdio>
#include <cstring>

namespace {

int clamp(int value, int minimum, int maximum) {
    if (value < minimum) return minimum;
    if (value > maximum) return maximum;
    return value;
}

}  // namespace

bool filedatalines(void* file, char* line) { return readonedataline((FILE*)file, line); }

bool nodatalines(void*, char*) { return false; }

bool listdatalines(void* context, char* line) {
    linelist* list = (linelist*)context;
    while (list->index < list->count) {
        // A line is taken in pieces of a data line's length, just as the file
        // reader takes a long line, so both give the same data lines.
        const char* rest = list->lines[list->index] + list->offset;
        size_t length = strlen(rest);
        size_t piece = length < (size_t)DATAPIECEMAX ? length : (size_t)DATAPIECEMAX;
        if (piece == length) {
            list->index++;
            list->offset = 0;
        } else {
            list->offset += (int)piece;
        }
        if (takedataline(rest, (int)piece, line)) return true;
    }
    return false;
}

int readdecimal(const char* text) {
    const char* c = text;
    while (isspace((unsigned char)*c)) c++;
    long sign = 1;
    if (*c == '+' || *c == '-') {
        if (*c == '-') sign = -1;
        c++;
    }
    long value = 0;
    for (; isdigit((unsigned char)*c); c++) {
        value = value * 10 + (*c - '0');
        // A huge value is only ever clamped, so it may stop growing here.
        if (value > NUMBERREADCAP) value = NUMBERREADCAP;
    }
    return (int)(sign * value);
}

bool readplaindigits(const char* text, int most, int* value) {
    size_t length = strlen(text);
    if (length == 0 || length > (size_t)most || strspn(text, "0123456789") != length) return false;
    *value = readdecimal(text);
    return true;
}

int readadvance(const char* line) {
    // The panel takes only digits at the very start; from there it reads as readdecimal does.
    return isdigit((unsigned char)line[0]) ? readdecimal(line) : 0;
}

int readsound(const char* line) {
    // Only a line that begins with a digit holds a value, as for the advance
    // values; "abc" must not read as 0 and silence every reminder.
    int value = isdigit((unsigned char)line[0]) ? readdecimal(line) : -1;
    return value == SOUNDNONE || value == SOUNDONCE || value == SOUNDREPEAT ? value : DEFAULTSOUND;
}

void readpanelconfig(advancevalues* values, datalinesource next, void* context) {
    // A value the file does not hold is shown as the service's default, so the
    // tab shows what the service announces with.
    values->annual = DEFAULTANNUALADVANCE;
    values->monthly = DEFAULTMONTHLYADVANCE;
    values->sound = DEFAULTSOUND;
    char line[LINEBUFSIZE];
    if (!next(context, line)) return;
    values->annual = clamp(readadvance(line), ANNUALADVANCEMIN, ANNUALADVANCEMAX);
    if (!next(context, line)) return;
    values->monthly = clamp(readadvance(line), MONTHLYADVANCEMIN, MONTHLYADVANCEMAX);
    if (!next(context, line)) return;
    values->sound = readsound(line);
}

int readserviceconfig(advancevalues* values, datalinesource next, void* context) {
    char line[LINEBUFSIZE];
    values->annual = DEFAULTANNUALADVANCE;
    values->monthly = DEFAULTMONTHLYADVANCE;
    values->sound = DEFAULTSOUND;
    if (!next(context, line)) return 1;
    int annual = readdecimal(line);
    bool clamped = annual < SERVICEANNUALMIN || annual > SERVICEANNUALMAX;
    values->annual = clamp(annual, SERVICEANNUALMIN, SERVICEANNUALMAX);
    if (!next(context, line)) return 1;
    int monthly = readdecimal(line);
    // 0 means the day itself, as the panel offers it; only values out of
    // range fall back, without a message.
    if (monthly < SERVICEMONTHLYMIN || monthly > SERVICEMONTHLYMAX) monthly = SERVICEMONTHLYFALLBACK;
    values->monthly = monthly;
    return clamped ? 1 : 0;
}
