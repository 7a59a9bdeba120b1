#include "alarmlists.h"

#include "calendar.h"
#include "datafiles.h"
#include "dialogs.h"
#include "diskwatch.h"
#include "exchange.h"
#include "fileformats.h"
#include "instancelock.h"
#include "alarmlines.h"
#include "window.h"

#include <FL/Fl_Hold_Browser.H>
#include <FL/Fl_Input.H>
#include <FL/Fl_Spinner.H>
#include <FL/Fl_Toggle_Button.H>
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

// Room for the date part of a line ("YYYY-MM-DD HH:MM - " and the like).
const int PREFIXBUFSIZE = 64;
// Room for one rendered field.
const int FIELDBUFSIZE = 16;

const char REMOVEQUESTION[] = "You are going to remove the selected item.\nAre you sure?";
const char CHANGEDOUTSIDE[] = "The list was changed outside the panel and has been reloaded.";

// Each list with the number of its data file (datafiles.h), in the order of the panel's loading.
struct listfile {
    Fl_Hold_Browser** list;
    int number;
};

const listfile LISTFILES[] = {
    {&single_browser, DATASINGLE},
    {&monthly_browser, DATAMONTHLY},
    {&annual_browser, DATAANNUAL},
    {&weekly_browser, DATAWEEKLY},
};

const listfile* fileoflist(Fl_Hold_Browser* list) {
    for (const listfile& file : LISTFILES) {
        if (*file.list == list) return &file;
    }
    return NULL;
}

// True when snprintf's result says that all its text went into a buffer of size bytes.
bool fits(int written, size_t size) { return written >= 0 && (size_t)written < size; }

// A field of a line: two digits for every value up to 99, a leading zero below
// 10. False when it does not fit its buffer (no int is that long).
bool twodigits(char* out, int value) { return fits(snprintf(out, FIELDBUFSIZE, value <= 9 ? "0%d" : "%d", value), FIELDBUFSIZE); }

// A spinner's value as a whole number, its fraction dropped.
int wholevalue(Fl_Spinner* spinner) { return (int)spinner->value(); }

// Composes prefix and message into line (LINEBUFSIZE + 1 bytes). A carriage
// return or line feed (from a paste) becomes a space, so a message never
// brings a line break into a file. A message too long for a data line is kept
// one character too long, which is all the checks need to refuse it.
void joinmessage(const char* prefix, const char* message, char* line) {
    size_t prefixlength = strlen(prefix);
    size_t messagelength = strlen(message);
    size_t room = (size_t)LINEBUFSIZE - prefixlength;
    if (messagelength > room) messagelength = room;
    memcpy(line, prefix, prefixlength);
    for (size_t i = 0; i < messagelength; i++) {
        char c = message[i];
        line[prefixlength + i] = (c == '\r' || c == '\n') ? ' ' : c;
    }
    line[prefixlength + messagelength] = '\0';
}

// Composes prefix and the message of input into line (LINEBUFSIZE + 1 bytes)
// and gives the alert text that refuses it as a new alarm of kind, NULL when
// it is accepted: the checks of Create are those of every new alarm
// (alarmlines.h).
const char* composeline(int kind, const char* prefix, Fl_Input* input, char* line) {
    joinmessage(prefix, input->value(), line);
    char stamp[STAMPBUFSIZE];
    gettimestamp(stamp);
    return checknewalarm(kind, line, stamp);
}

// Gives line index (0-based) of the browser in context, for the file writer.
const char* browserline(int index, void* context) { return ((Fl_Hold_Browser*)context)->text(index + 1); }

// One line of a list being sorted: its first 24 bytes as three numbers that
// order as the bytes do under strcmp (a shorter line is padded with zeros),
// its text and its line number, counted from 0, before the sort. The numbers
// decide most comparisons without reaching into the texts.
const int SORTKEYWORDS = 3;
const int SORTKEYLENGTH = SORTKEYWORDS * 8;

struct sortentry {
    unsigned long long key[SORTKEYWORDS];
    const char* text;
    int from;
};

// Reaches a list's own lines through the toolkit's protected item interface,
// so that sorting relinks lines instead of copying and rewriting their texts.
struct browserlines : Fl_Browser {
    static void* first(const Fl_Browser* list) { return (list->*(&browserlines::item_first))(); }
    static void* next(const Fl_Browser* list, void* item) { return (list->*(&browserlines::item_next))(item); }
    static const char* text(const Fl_Browser* list, void* item) { return (list->*(&browserlines::item_text))(item); }
    static void swap(Fl_Browser* list, void* a, void* b) { (list->*(&browserlines::item_swap))(a, b); }
};

unsigned long long bigendian(const unsigned char* bytes) {
    unsigned long long value = 0;
    for (int i = 0; i < 8; i++) value = (value << 8) | bytes[i];
    return value;
}

void setsortkeys(sortentry* entry, const char* text, size_t length) {
    unsigned char first[SORTKEYLENGTH];
    if (length >= (size_t)SORTKEYLENGTH) {
        memcpy(first, text, SORTKEYLENGTH);
    } else {
        // After the end of the line, zeros pad the key.
        memset(first, 0, sizeof first);
        memcpy(first, text, length);
    }
    for (int word = 0; word < SORTKEYWORDS; word++) entry->key[word] = bigendian(first + 8 * word);
}

// strcmp's order of the lines of a and b: below 0, 0 or above 0.
int comparelines(const sortentry& a, const sortentry& b) {
    for (int word = 0; word < SORTKEYWORDS; word++) {
        if (a.key[word] != b.key[word]) return a.key[word] < b.key[word] ? -1 : 1;
    }
    // The keys are equal. A line that ends inside them ends at the same place
    // as the other: the two are equal.
    if ((a.key[SORTKEYWORDS - 1] & 0xff) == 0) return 0;
    return strcmp(a.text + SORTKEYLENGTH, b.text + SORTKEYLENGTH);
}

// Lines that compare equal keep their old order through their old place, so
// the sort needs no memory of its own and still gives the stable order.
bool linebefore(const sortentry& a, const sortentry& b) {
    int order = comparelines(a, b);
    return order != 0 ? order < 0 : a.from < b.from;
}

bool lineafter(const sortentry& a, const sortentry& b) {
    int order = comparelines(a, b);
    return order != 0 ? order > 0 : a.from < b.from;
}

// The work space of sorting, kept from one sort to the next: a long list is
// then sorted in memory the program already has, not in fresh pages that the
// system must hand out again at every press of a Sort button.
struct sortspace {
    sortentry* entries;
    void** items;
    int* at;
    int* where;
    int capacity;
};

sortspace space = {NULL, NULL, NULL, NULL, 0};

// True when the work space holds count lines; on failure it keeps what it had.
bool reservesortspace(int count) {
    if (count <= space.capacity) return true;
    size_t lines = (size_t)count;
    sortentry* entries = (sortentry*)realloc(space.entries, sizeof(sortentry) * lines);
    if (entries == NULL) return false;
    space.entries = entries;
    void** items = (void**)realloc(space.items, sizeof(void*) * lines);
    if (items == NULL) return false;
    space.items = items;
    int* at = (int*)realloc(space.at, sizeof(int) * lines);
    if (at == NULL) return false;
    space.at = at;
    int* where = (int*)realloc(space.where, sizeof(int) * lines);
    if (where == NULL) return false;
    space.where = where;
    space.capacity = count;
    return true;
}

// What a list's action does to its lines once the list is what is on disk.
typedef void (*listaction)(Fl_Hold_Browser* list, void* argument);

// The lines of the file at path, or 1 when it cannot be read (a missing file
// holds none). The panel's view of the disk notes the file read as the data
// file of number watched.
int readlistfile(const char* path, textlines* lines, int watched) {
    FILE* file = openforreading(path);
    if (file == NULL) {
        if (errno != ENOENT) return 1;
        notemissingfile(&panel_disk, watched);
        return 0;
    }
    bool failed = readdatalines(file, lines) != 0;
    if (!failed) notereadfile(&panel_disk, watched, file);
    fclose(file);
    return failed ? 1 : 0;
}

// Reloads list from the file at path, the selection kept on the line of the
// same text (of those, the one nearest its old place) and the view near where
// it was. 1 when the file cannot be read; the list then stays as it was.
int reloadlist(Fl_Hold_Browser* list, const char* path, int watched) {
    textlines lines = {};
    if (readlistfile(path, &lines, watched) != 0) {
        free(lines.bytes);
        free(lines.starts);
        return 1;
    }
    int selected = list->value();
    char text[LINEBUFSIZE] = "";
    if (selected > 0) snprintf(text, sizeof text, "%s", list->text(selected));
    int top = list->topline();
    list->clear();
    int chosen = 0;
    for (int i = 0; i < lines.count; i++) {
        list->add(lineat(&lines, i));
        if (selected > 0 && strcmp(lineat(&lines, i), text) == 0 &&
            (chosen == 0 || abs(i + 1 - selected) < abs(chosen - selected))) {
            chosen = i + 1;
        }
    }
    free(lines.bytes);
    free(lines.starts);
    if (top > list->size()) top = list->size();
    if (top > 0) list->topline(top);
    if (chosen > 0) list->select(chosen);
    list->redraw();
    return 0;
}

// Runs action on list against what is on disk, under the data files' lock:
// the list is reloaded first when its file changed since the panel last read
// or wrote it, then action changes it, and it is written at once. Ends the
// program with the file error when the file cannot be read or written.
void changelist(Fl_Hold_Browser* list, listaction action, void* argument) {
    const listfile* file = fileoflist(list);
    char path[PATHBUFSIZE];
    if (getdatafilename(path, file->number) != 0) displayfilefatalerrorandexit(path);
    datalock lock;
    if (lockdatafiles(&lock) != 0) {
        // The user's change is not held back: another writer is stuck or the
        // lock cannot be made, and the write itself stays atomic.
        fprintf(stderr, "Ruvello: the data files could not be locked; saving all the same\n");
    }
    int failed = 0;
    if (filechanged(&panel_disk, file->number, path)) failed = reloadlist(list, path, file->number);
    if (failed == 0) {
        if (action != NULL) action(list, argument);
        failed = savedatebrowser(list, DATAFILETABLE[file->number].description, path);
        if (failed == 0) notewrittenfile(&panel_disk, file->number, path);
    }
    unlockdatafiles(&lock);
    if (failed != 0) displayfilefatalerrorandexit(path);
}

void addlineaction(Fl_Hold_Browser* list, void* line) { list->add((const char*)line); }

void sortaction(Fl_Hold_Browser* list, void* ascending) { sort_datebrowser(list, *(bool*)ascending); }

// A line to remove: its text and where it stood when the user chose it.
struct removal {
    const char* text;
    int place;
    bool removed;
};

void removeaction(Fl_Hold_Browser* list, void* argument) {
    removal* chosen = (removal*)argument;
    int found = 0;
    for (int i = 1; i <= list->size(); i++) {
        if (strcmp(list->text(i), chosen->text) == 0 && (found == 0 || abs(i - chosen->place) < abs(found - chosen->place))) {
            found = i;
        }
    }
    if (found == 0) return;
    list->remove(found);
    chosen->removed = true;
}

void createline(Fl_Hold_Browser* list, const char* line) { changelist(list, addlineaction, (void*)line); }

void sortlist(Fl_Hold_Browser* list, bool ascending) { changelist(list, sortaction, &ascending); }

}  // namespace

void sort_datebrowser(Fl_Hold_Browser* list, bool ascending) {
    int count = list->size();
    if (count < 2) return;
    if (!reservesortspace(count)) {
        // Out of memory: the list keeps its order, and nothing is lost.
        fprintf(stderr, "Ruvello: not enough memory to sort the list\n");
        return;
    }
    sortentry* entries = space.entries;
    void** items = space.items;
    int* at = space.at;
    int* where = space.where;
    // The lines are sorted where they are: their texts are read in place and
    // the lines are relinked, so no text is copied or written again.
    void* item = browserlines::first(list);
    for (int i = 0; i < count && item != NULL; i++) {
        const char* text = browserlines::text(list, item);
        items[i] = item;
        setsortkeys(&entries[i], text, strlen(text));
        entries[i].text = text;
        entries[i].from = i;
        at[i] = i;
        where[i] = i;
        item = browserlines::next(list, item);
    }
    // Whole lines in strcmp's byte order. Lines that compare equal keep their
    // old order, so sorting a list again never shuffles lines of the same date
    // and message that the user put in an order of their own.
    std::sort(entries, entries + count, ascending ? linebefore : lineafter);
    // The toolkit's swap moves the selection mark with a line but its idea of
    // the selected line number with the place: the selection is taken off
    // first and put back on the line the user chose, wherever it moved.
    int selected = list->value();
    int selectedto = 0;
    list->deselect();
    for (int place = 0; place < count; place++) {
        int wanted = entries[place].from;
        int current = at[place];
        if (wanted == selected - 1) selectedto = place + 1;
        if (current == wanted) continue;
        int other = where[wanted];
        browserlines::swap(list, items[current], items[wanted]);
        at[place] = wanted;
        at[other] = current;
        where[wanted] = place;
        where[current] = other;
    }
    if (selectedto != 0) list->select(selectedto);
    list->redraw();
}

void remove_item(Fl_Hold_Browser* list) {
    int selected = list->value();
    char text[LINEBUFSIZE] = "";
    // The question lets the panel's check of the disk run meanwhile, so the
    // line is afterwards found again by its text.
    if (selected > 0) snprintf(text, sizeof text, "%s", list->text(selected));
    removal chosen = {text, selected, false};
    bool confirmed = selected > 0 && askchoice(REMOVEQUESTION, NULL, "No", "Yes") == 2;
    // Without a line chosen or confirmed the file is still rewritten.
    changelist(list, confirmed ? removeaction : NULL, &chosen);
    if (confirmed && !chosen.removed) showalert(CHANGEDOUTSIDE);
}

int savedatebrowser(Fl_Hold_Browser* list, const char* description, const char* path) {
    return writealertlistfile(path, description, browserline, list->size(), list);
}

void savesinglealertfile() { changelist(single_browser, NULL, NULL); }

void savemonthlyalertfile() { changelist(monthly_browser, NULL, NULL); }

void saveannualalertfile() { changelist(annual_browser, NULL, NULL); }

void saveweeklyalertfile() { changelist(weekly_browser, NULL, NULL); }

namespace {

void loadalertlist(const listfile& file) {
    char path[PATHBUFSIZE];
    if (getdatafilename(path, file.number) != 0 || createifabsent(path) != 0) displayfilefatalerrorandexit(path);
    FILE* opened = openforreading(path);
    if (opened == NULL) displayfilefatalerrorandexit(path);
    Fl_Hold_Browser* list = *file.list;
    char line[LINEBUFSIZE];
    while (readonedataline(opened, line)) list->add(line);
    bool failed = datareadfailed(opened);
    if (!failed) notereadfile(&panel_disk, file.number, opened);
    fclose(opened);
    if (failed) {
        // A list read only in part is never shown, and so never saved back.
        list->clear();
        displayfilefatalerrorandexit(path);
    }
}

}  // namespace

void loadalertlists() {
    for (const listfile& file : LISTFILES) loadalertlist(file);
}

int refreshalertlists() {
    int reloaded = 0;
    for (const listfile& file : LISTFILES) {
        char path[PATHBUFSIZE];
        if (getdatafilename(path, file.number) != 0 || !filechanged(&panel_disk, file.number, path)) continue;
        // A file that cannot be read now is left to the next save, which reports it.
        if (reloadlist(*file.list, path, file.number) == 0) reloaded++;
    }
    return reloaded;
}

void cb_create_annual(Fl_Widget*, void*) {
    int month = wholevalue(annual_month);
    int day = wholevalue(annual_day);
    char monthtext[FIELDBUFSIZE];
    char daytext[FIELDBUFSIZE];
    char prefix[PREFIXBUFSIZE] = "";
    char line[LINEBUFSIZE + 1];
    if (twodigits(monthtext, month) && twodigits(daytext, day)) {
        if (!fits(snprintf(prefix, sizeof prefix, "%s-%s - ", monthtext, daytext), sizeof prefix)) prefix[0] = '\0';
    }
    const char* refusal = composeline(KINDANNUAL, prefix, annual_message_text, line);
    if (refusal != NULL) {
        showalert(refusal);
        return;
    }
    createline(annual_browser, line);
}

void cb_create_monthly(Fl_Widget*, void*) {
    int day = wholevalue(monthly_day);
    char daytext[FIELDBUFSIZE];
    char prefix[PREFIXBUFSIZE] = "";
    char line[LINEBUFSIZE + 1];
    if (twodigits(daytext, day) && !fits(snprintf(prefix, sizeof prefix, "%s - ", daytext), sizeof prefix)) {
        prefix[0] = '\0';
    }
    const char* refusal = composeline(KINDMONTHLY, prefix, monthly_message_text, line);
    if (refusal != NULL) {
        showalert(refusal);
        return;
    }
    createline(monthly_browser, line);
}

void cb_create_single(Fl_Widget*, void*) {
    int year = wholevalue(single_year);
    int month = wholevalue(single_month);
    int day = wholevalue(single_day);
    int hour = wholevalue(single_hour);
    int minute = wholevalue(single_minute);
    char monthtext[FIELDBUFSIZE];
    char daytext[FIELDBUFSIZE];
    char hourtext[FIELDBUFSIZE];
    char minutetext[FIELDBUFSIZE];
    char prefix[PREFIXBUFSIZE] = "";
    char line[LINEBUFSIZE + 1];
    if (twodigits(monthtext, month) && twodigits(daytext, day) && twodigits(hourtext, hour) &&
        twodigits(minutetext, minute)) {
        if (!fits(snprintf(prefix, sizeof prefix, "%d-%s-%s %s:%s - ", year, monthtext, daytext, hourtext, minutetext),
                  sizeof prefix)) {
            prefix[0] = '\0';
        }
    }
    const char* refusal = composeline(KINDSINGLE, prefix, single_message_text, line);
    if (refusal != NULL) {
        showalert(refusal);
        return;
    }
    createline(single_browser, line);
}

void cb_create_weekly(Fl_Widget*, void*) {
    // "HH:MM", a space, the chosen days as ISO weekday digits in ascending
    // order (1 Monday to 7 Sunday), " - ": the line's text before its message.
    char daydigits[WEEKDAYS + 1];
    int chosen = 0;
    for (int day = 0; day < WEEKDAYS; day++) {
        if (weekly_days[day]->value() != 0) daydigits[chosen++] = (char)('1' + day);
    }
    daydigits[chosen] = '\0';
    char prefix[PREFIXBUFSIZE] = "";
    if (!fits(snprintf(prefix, sizeof prefix, "%02d:%02d %s - ", wholevalue(weekly_hour), wholevalue(weekly_minute),
                       daydigits),
              sizeof prefix)) {
        prefix[0] = '\0';
    }
    char line[LINEBUFSIZE + 1];
    const char* refusal = composeline(KINDWEEKLY, prefix, weekly_message_text, line);
    if (refusal != NULL) {
        showalert(refusal);
        return;
    }
    createline(weekly_browser, line);
}

void cb_sort_asc_annual(Fl_Widget*, void*) { sortlist(annual_browser, true); }

void cb_sort_desc_annual(Fl_Widget*, void*) { sortlist(annual_browser, false); }

void cb_remove_annual(Fl_Widget*, void*) { remove_item(annual_browser); }

void cb_sort_asc_monthly(Fl_Widget*, void*) { sortlist(monthly_browser, true); }

void cb_sort_desc_monthly(Fl_Widget*, void*) { sortlist(monthly_browser, false); }

void cb_remove_monthly(Fl_Widget*, void*) { remove_item(monthly_browser); }

void cb_sort_asc_single(Fl_Widget*, void*) { sortlist(single_browser, true); }

void cb_sort_desc_single(Fl_Widget*, void*) { sortlist(single_browser, false); }

void cb_remove_single(Fl_Widget*, void*) { remove_item(single_browser); }

void cb_sort_asc_weekly(Fl_Widget*, void*) { sortlist(weekly_browser, true); }

void cb_sort_desc_weekly(Fl_Widget*, void*) { sortlist(weekly_browser, false); }

void cb_remove_weekly(Fl_Widget*, void*) { remove_item(weekly_browser); }
