#include "snooze.h"

#include "calendar.h"
#include "datafiles.h"
#include "duerules.h"
#include "fileformats.h"

#include <ctime>

namespace {

// A delay of 0 minutes stands for the same time on the next date.
const int NEXTDAY = 0;

struct snoozechoice {
    const char* label;
    int minutes;
};

const snoozechoice CHOICES[SNOOZECHOICES] = {
    {"in 5 minutes", 5}, {"in 10 minutes", 10}, {"in 30 minutes", 30},
    {"in 1 hour", 60},   {"in 2 hours", 120},   {"tomorrow at this time", NEXTDAY},
};

}  // namespace

const char* snoozelabel(int choice) { return choice >= 0 && choice < SNOOZECHOICES ? CHOICES[choice].label : ""; }

int snoozeminute(int choice, long long now, localminute* minute) {
    if (choice < 0 || choice >= SNOOZECHOICES) return 1;
    if (CHOICES[choice].minutes != NEXTDAY) {
        return localminuteof(now + CHOICES[choice].minutes * 60LL, minute) ? 0 : 1;
    }
    if (!localminuteof(now, minute)) return 1;
    addoneday(&minute->year, &minute->month, &minute->day);
    return firstshownminute(minute) ? 0 : 1;
}

int snoozereminder(const char* line, int choice, long long now, char* path) {
    localminute minute;
    path[0] = '\0';
    if (snoozeminute(choice, now, &minute) != 0) return LISTNOTWRITTEN;
    alarmline read;
    readalarmline(line, &read);
    char snoozed[LINEBUFSIZE];
    alarmline fields = {LAYOUTSIMPLE, minute, 0, NULL};
    composealarmline(KINDSINGLE, &fields, read.message, snoozed);
    return appendalarmline(KINDSINGLE, snoozed, path);
}
