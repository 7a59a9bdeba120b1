#include "alarmlines.h"

#include "alarmkinds.h"
#include "calendar.h"
#include "exchange.h"
#include "fileformats.h"
#include "instancelock.h"

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

const char EMPTYMESSAGE[] = "Cannot create a new alert. The message is empty.";
const char TOOLONGMESSAGE[] = "Cannot create a new alert. The message is too long.";
const char NODATEMESSAGE[] = "Cannot create a new alert. The date does not exist.";
const char PASTMESSAGE[] = "Cannot create a new alert for the past.\nPlease provide a future time.";
const char LAYOUTSDESCRIPTION[] =
    "a simple alarm \"YYYY-MM-DD HH:MM - message\", a monthly alarm \"DD - message\", an annual alarm "
    "\"MM-DD - message\" or a weekly alarm \"HH:MM DAYS - message\" (DAYS the weekday digits 1 Monday to 7 Sunday)";

namespace {

// The greatest length of a data line, without its ending zero.
const int LINEMAX = LINEBUFSIZE - 1;
// Any year is leap enough for an annual alarm's 29 February.
const int ANYLEAPYEAR = 2000;
// What stands between a line's date and its message.
const char SEPARATOR[] = " - ";
const int SEPARATORLENGTH = (int)sizeof SEPARATOR - 1;

// true when line begins with pattern, where each 'd' stands for any digit.
bool follows(const char* line, const char* pattern) {
    for (int i = 0; pattern[i] != '\0'; i++) {
        if (line[i] == '\0') return false;
        if (pattern[i] == 'd' ? !isdigit((unsigned char)line[i]) : line[i] != pattern[i]) return false;
    }
    return true;
}

// The readers, shapes and prefixes of the layouts, one of each for each kind
// (alarmkinds.h).

// Each layout's date fields ('d' a digit) and the separator after them; a
// weekly line's days stand between its time and its separator.
const char SIMPLEPATTERN[] = "dddd-dd-dd dd:dd - ";
const char MONTHLYPATTERN[] = "dd - ";
const char ANNUALPATTERN[] = "dd-dd - ";
const char WEEKLYTIMEPATTERN[] = "dd:dd ";
const int WEEKLYTIMELENGTH = (int)sizeof WEEKLYTIMEPATTERN - 1;
const int DAYSPERWEEK = 7;

int fixedshape(const char* line, const char* pattern) { return follows(line, pattern) ? (int)strlen(pattern) : 0; }
int simpleshape(const char* line) { return fixedshape(line, SIMPLEPATTERN); }
int monthlyshape(const char* line) { return fixedshape(line, MONTHLYPATTERN); }
int annualshape(const char* line) { return fixedshape(line, ANNUALPATTERN); }

int weeklyshape(const char* line) {
    if (!follows(line, WEEKLYTIMEPATTERN)) return 0;
    int length = WEEKLYTIMELENGTH;
    while (isdigit((unsigned char)line[length])) length++;
    return follows(line + length, SEPARATOR) ? length + SEPARATORLENGTH : 0;
}

int readsimple(const char* line, localminute* at, int*) {
    if (!follows(line, SIMPLEPATTERN) || !isrealstamp(line)) return 0;
    *at = minuteat(line);
    return STAMPLEN + SEPARATORLENGTH;
}

// The day as the service reads it (monthlyday), in the layout's form.
int readmonthly(const char* line, localminute* at, int*) {
    if (!follows(line, MONTHLYPATTERN)) return 0;
    *at = {0, 0, monthlyday(line), 0, 0};
    return at->day != 0 ? (int)sizeof MONTHLYPATTERN - 1 : 0;
}

int readannual(const char* line, localminute* at, int*) {
    if (!follows(line, ANNUALPATTERN)) return 0;
    *at = {0, digitsat(line, 0, 2), digitsat(line, 3, 2), 0, 0};
    return at->day >= 1 && at->day <= daysinmonth(ANYLEAPYEAR, at->month) ? (int)sizeof ANNUALPATTERN - 1 : 0;
}

// The days must be ISO weekday digits in strictly ascending order, so that a
// line names each day once and two lines of the same days read alike.
int readweekly(const char* line, localminute* at, int* days) {
    int length = weeklyshape(line);
    if (length == 0) return 0;
    *at = {0, 0, 0, digitsat(line, 0, 2), digitsat(line, 3, 2)};
    if (at->hour > 23 || at->minute > 59) return 0;
    *days = 0;
    int previous = 0;
    for (int i = WEEKLYTIMELENGTH; isdigit((unsigned char)line[i]); i++) {
        int day = line[i] - '0';
        if (day <= previous || day > DAYSPERWEEK) return 0;
        *days |= 1 << (day - 1);
        previous = day;
    }
    return previous == 0 ? 0 : length;
}

// snprintf's count as a prefix's length: -1 when the text did not fit.
int prefixlength(int written, int size) { return written >= 0 && written < size ? written : -1; }

int simpleprefix(const alarmline* fields, char* text, int size) {
    char stamp[STAMPBUFSIZE];
    formatminute(&fields->at, stamp);
    return prefixlength(snprintf(text, (size_t)size, "%s%s", stamp, SEPARATOR), size);
}

int monthlyprefix(const alarmline* fields, char* text, int size) {
    return prefixlength(snprintf(text, (size_t)size, "%02d%s", fields->at.day, SEPARATOR), size);
}

int annualprefix(const alarmline* fields, char* text, int size) {
    return prefixlength(snprintf(text, (size_t)size, "%02d-%02d%s", fields->at.month, fields->at.day, SEPARATOR), size);
}

// The chosen days as ISO weekday digits in ascending order, 1 Monday to 7 Sunday.
int weeklyprefix(const alarmline* fields, char* text, int size) {
    char digits[DAYSPERWEEK + 1];
    int count = 0;
    for (int day = 1; day <= DAYSPERWEEK; day++) {
        if (hasweekday(fields->days, day)) digits[count++] = (char)('0' + day);
    }
    digits[count] = '\0';
    return prefixlength(
        snprintf(text, (size_t)size, "%02d:%02d %s%s", fields->at.hour, fields->at.minute, digits, SEPARATOR), size);
}

}  // namespace

const alarmkind ALARMKINDTABLE[ALARMKINDS] = {
    {DATASINGLE, "[simple alarms]", "simple", LAYOUTSIMPLE, simpleshape, readsimple, simpleprefix, simpledue, NULL,
     NULL},
    {DATAMONTHLY, "[monthly alarms]", "monthly", LAYOUTMONTHLY, monthlyshape, readmonthly, monthlyprefix, NULL,
     monthlydue, &advancevalues::monthly},
    {DATAANNUAL, "[annual alarms]", "annual", LAYOUTANNUAL, annualshape, readannual, annualprefix, NULL, annualdue,
     &advancevalues::annual},
    {DATAWEEKLY, "[weekly alarms]", "weekly", LAYOUTWEEKLY, weeklyshape, readweekly, weeklyprefix, weeklydue, NULL,
     NULL},
};

int kindofdatafile(int number) {
    for (int kind = 0; kind < ALARMKINDS; kind++) {
        if (ALARMKINDTABLE[kind].datafile == number) return kind;
    }
    return KINDSETTINGS;
}

namespace {

// The length of the longest start of text, at most most bytes, that ends
// between two UTF-8 characters: never before a continuation byte.
size_t wholecharacters(const char* text, size_t most) {
    size_t length = strnlen(text, most + 1);
    if (length <= most) return length;
    length = most;
    while (length > 0 && ((unsigned char)text[length] & 0xC0) == 0x80) length--;
    return length;
}



}  // namespace

int readalarmline(const char* line, alarmline* read) {
    for (const alarmkind& entry : ALARMKINDTABLE) {
        localminute at;
        int days = 0;
        int length = entry.read(line, &at, &days);
        if (length > 0 && line[length] != '\0') {
            read->layout = entry.layout;
            read->at = at;
            read->days = days;
            read->message = line + length;
            return read->layout;
        }
    }
    read->layout = LAYOUTNONE;
    read->at = {0, 0, 0, 0, 0};
    read->days = 0;
    read->message = line;
    return LAYOUTNONE;
}

localminute minuteat(const char* text) {
    return {digitsat(text, 0, 4), digitsat(text, 5, 2), digitsat(text, 8, 2), digitsat(text, 11, 2), digitsat(text, 14, 2)};
}

bool readstamp(const char* text, localminute* minute) {
    if (!isrealstamp(text) || text[STAMPLEN] != '\0') return false;
    *minute = minuteat(text);
    return true;
}

void formatminute(const localminute* minute, char* text) {
    int written = snprintf(text, STAMPBUFSIZE, "%04d-%02d-%02d %02d:%02d", minute->year, minute->month, minute->day,
                           minute->hour, minute->minute);
    if (written < 0 || written >= STAMPBUFSIZE) text[0] = '\0';
}

namespace {

// Writes length bytes of message after the prefix of length prefix in line,
// its line breaks made spaces, so a message never brings one into a file.
void putmessage(char* line, int prefix, const char* message, size_t length) {
    for (size_t i = 0; i < length; i++) {
        char c = message[i];
        line[prefix + i] = (c == '\r' || c == '\n') ? ' ' : c;
    }
    line[prefix + length] = '\0';
}

}  // namespace

void composealarmline(int kind, const alarmline* fields, const char* message, char* line) {
    int prefix = ALARMKINDTABLE[kind].prefix(fields, line, LINEBUFSIZE);
    if (prefix < 0) {
        line[0] = '\0';
        return;
    }
    // Cut at the longest length that fits a data line, never inside a UTF-8 character.
    putmessage(line, prefix, message, wholecharacters(message, (size_t)(LINEMAX - prefix)));
}

const char* composenewalarm(int kind, const alarmline* fields, const char* message, const char* now, char* line) {
    int prefix = ALARMKINDTABLE[kind].prefix(fields, line, LINEBUFSIZE + 1);
    if (prefix < 0) prefix = 0;
    // A message too long for a data line is kept one byte too long, which is
    // all the checks need to refuse it.
    putmessage(line, prefix, message, strnlen(message, (size_t)(LINEBUFSIZE - prefix)));
    return checknewalarm(kind, line, now);
}

namespace {

// What appendalarmline and removealarmline do to a list's lines.
typedef int (*linechange)(textlines* lines, const char* line);

int appendline(textlines* lines, const char* line) { return addline(lines, line) != 0 ? LISTNOTWRITTEN : LISTCHANGED; }

int removeline(textlines* lines, const char* line) {
    for (int i = 0; i < lines->count; i++) {
        if (strcmp(lineat(lines, i), line) != 0) continue;
        memmove(&lines->starts[i], &lines->starts[i + 1], sizeof(size_t) * (size_t)(lines->count - i - 1));
        lines->count--;
        return LISTCHANGED;
    }
    return LINENOTFOUND;
}

int changealarmlist(int kind, linechange change, const char* line, char* path) {
    int number = ALARMKINDTABLE[kind].datafile;
    if (getdatafilename(path, number) != 0) return LISTNOTREAD;
    datalock lock;
    if (lockdatafiles(&lock) != 0) return LISTNOTLOCKED;
    textlines lines = {};
    int result = LISTCHANGED;
    FILE* file = openforreading(path);
    if (file != NULL) {
        if (readdatalines(file, &lines) != 0) result = LISTNOTREAD;
        fclose(file);
    } else if (errno != ENOENT) {
        result = LISTNOTREAD;
    }
    if (result == LISTCHANGED) result = change(&lines, line);
    if (result == LISTCHANGED &&
        writealertlistfile(path, DATAFILETABLE[number].description, textlinesline, lines.count, &lines) != 0) {
        result = LISTNOTWRITTEN;
    }
    unlockdatafiles(&lock);
    freetextlines(&lines);
    return result;
}

}  // namespace

int appendalarmline(int kind, const char* line, char* path) { return changealarmlist(kind, appendline, line, path); }

int removealarmline(int kind, const char* line, char* path) { return changealarmlist(kind, removeline, line, path); }

int newalarmkind(const char* line) {
    if (strpbrk(line, "\r\n") != NULL) return -1;
    for (int kind = 0; kind < ALARMKINDS; kind++) {
        if (ALARMKINDTABLE[kind].shape(line) > 0) return kind;
    }
    return -1;
}

const char* checknewalarm(int kind, const char* line, const char* now) {
    const alarmkind* entry = kind >= 0 && kind < ALARMKINDS ? &ALARMKINDTABLE[kind] : NULL;
    int fields = entry == NULL ? 0 : entry->shape(line);
    if (fields == 0) return NODATEMESSAGE;
    if (line[fields] == '\0') return EMPTYMESSAGE;
    if (strlen(line) > (size_t)LINEMAX) return TOOLONGMESSAGE;
    // A weekly line's days end where its separator begins.
    if (kind == KINDWEEKLY && fields == WEEKLYTIMELENGTH + SEPARATORLENGTH) return NODAYMESSAGE;
    localminute at;
    int days = 0;
    if (entry->read(line, &at, &days) == 0) return NODATEMESSAGE;
    // The alarm's minute, the first 16 characters of its line, must come
    // after the current minute; the message itself plays no part.
    if (kind == KINDSINGLE && strncmp(line, now, STAMPLEN) <= 0) return PASTMESSAGE;
    return NULL;
}
