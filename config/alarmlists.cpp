#include "alarmlists.h"

#include "alarmkinds.h"
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

const char REMOVEQUESTION[] = "You are going to remove the selected item.\nAre you sure?";
const char CHANGEDOUTSIDE[] = "The list was changed outside the panel and has been reloaded.";

// The kind whose page holds list.
int kindoflist(const Fl_Hold_Browser* list) {
    for (int kind = 0; kind < ALARMKINDS; kind++) {
        if (alarmpageof(kind).list == list) return kind;
    }
    return -1;
}

// A spinner's value as a whole number, its fraction dropped; 0 for a field the page lacks.
int wholevalue(const Fl_Spinner* spinner) { return spinner == NULL ? 0 : (int)spinner->value(); }

// The fields of a new alarm as the page's create fields set them.
alarmline createfields(const alarmpage* page) {
    alarmline fields = {LAYOUTNONE, {0, 0, 0, 0, 0}, 0, NULL};
    fields.at = {wholevalue(page->year), wholevalue(page->month), wholevalue(page->day), wholevalue(page->hour),
                 wholevalue(page->minute)};
    for (int day = 0; page->days != NULL && day < WEEKDAYS; day++) {
        if (page->days[day]->value() != 0) fields.days |= 1 << day;
    }
    return fields;
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
        freetextlines(&lines);
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
    freetextlines(&lines);
    if (top > list->size()) top = list->size();
    if (top > 0) list->topline(top);
    if (chosen > 0) list->select(chosen);
    list->redraw();
    return 0;
}

// Runs action on the list of kind against what is on disk, under the data
// files' lock: the list is reloaded first when its file changed since the
// panel last read or wrote it, then action changes it, and it is written at
// once. Ends the program with the file error when the file cannot be read or
// written.
void changelist(int kind, listaction action, void* argument) {
    Fl_Hold_Browser* list = alarmpageof(kind).list;
    int number = ALARMKINDTABLE[kind].datafile;
    char path[PATHBUFSIZE];
    if (getdatafilename(path, number) != 0) displayfilefatalerrorandexit(path);
    datalock lock;
    if (lockdatafiles(&lock) != 0) {
        // The user's change is not held back: another writer is stuck or the
        // lock cannot be made, and the write itself stays atomic.
        fprintf(stderr, "Ruvello: the data files could not be locked; saving all the same\n");
    }
    int failed = 0;
    if (filechanged(&panel_disk, number, path)) failed = reloadlist(list, path, number);
    if (failed == 0) {
        if (action != NULL) action(list, argument);
        failed = savedatebrowser(list, DATAFILETABLE[number].description, path);
        if (failed == 0) notewrittenfile(&panel_disk, number, path);
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

void sortlist(int kind, bool ascending) { changelist(kind, sortaction, &ascending); }

// Composes the new alarm of the page of kind from its create fields, and adds
// it to the list, or tells the user why it is refused.
void createalarm(int kind) {
    alarmpage page = alarmpageof(kind);
    alarmline fields = createfields(&page);
    char stamp[STAMPBUFSIZE];
    gettimestamp(stamp);
    char line[LINEBUFSIZE + 1];
    const char* refusal = composenewalarm(kind, &fields, page.message->value(), stamp, line);
    if (refusal != NULL) {
        showalert(refusal);
        return;
    }
    changelist(kind, addlineaction, line);
}

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
    changelist(kindoflist(list), confirmed ? removeaction : NULL, &chosen);
    if (confirmed && !chosen.removed) showalert(CHANGEDOUTSIDE);
}

int savedatebrowser(Fl_Hold_Browser* list, const char* description, const char* path) {
    return writealertlistfile(path, description, browserline, list->size(), list);
}

namespace {

// Fills the list of kind from its file, the lines it showed before dropped:
// loading again (after an import, say) never shows a line twice.
void loadalertlist(int kind) {
    int number = ALARMKINDTABLE[kind].datafile;
    char path[PATHBUFSIZE];
    if (getdatafilename(path, number) != 0 || createifabsent(path) != 0) displayfilefatalerrorandexit(path);
    FILE* opened = openforreading(path);
    if (opened == NULL) displayfilefatalerrorandexit(path);
    Fl_Hold_Browser* list = alarmpageof(kind).list;
    list->clear();
    char line[LINEBUFSIZE];
    while (readonedataline(opened, line)) list->add(line);
    bool failed = datareadfailed(opened);
    if (!failed) notereadfile(&panel_disk, number, opened);
    fclose(opened);
    if (failed) {
        // A list read only in part is never shown, and so never saved back.
        list->clear();
        displayfilefatalerrorandexit(path);
    }
}

}  // namespace

void loadalertlists() {
    for (int kind = 0; kind < ALARMKINDS; kind++) loadalertlist(kind);
}

int refreshalertlists() {
    int reloaded = 0;
    for (int kind = 0; kind < ALARMKINDS; kind++) {
        int number = ALARMKINDTABLE[kind].datafile;
        char path[PATHBUFSIZE];
        if (getdatafilename(path, number) != 0 || !filechanged(&panel_disk, number, path)) continue;
        // A file that cannot be read now is left to the next save, which reports it.
        if (reloadlist(alarmpageof(kind).list, path, number) == 0) reloaded++;
    }
    return reloaded;
}

void cb_create_annual(Fl_Widget*, void*) { createalarm(KINDANNUAL); }

void cb_create_monthly(Fl_Widget*, void*) { createalarm(KINDMONTHLY); }

void cb_create_single(Fl_Widget*, void*) { createalarm(KINDSINGLE); }

void cb_create_weekly(Fl_Widget*, void*) { createalarm(KINDWEEKLY); }

void cb_sort_asc_annual(Fl_Widget*, void*) { sortlist(KINDANNUAL, true); }

void cb_sort_desc_annual(Fl_Widget*, void*) { sortlist(KINDANNUAL, false); }

void cb_remove_annual(Fl_Widget*, void*) { remove_item(annual_browser); }

void cb_sort_asc_monthly(Fl_Widget*, void*) { sortlist(KINDMONTHLY, true); }

void cb_sort_desc_monthly(Fl_Widget*, void*) { sortlist(KINDMONTHLY, false); }

void cb_remove_monthly(Fl_Widget*, void*) { remove_item(monthly_browser); }

void cb_sort_asc_single(Fl_Widget*, void*) { sortlist(KINDSINGLE, true); }

void cb_sort_desc_single(Fl_Widget*, void*) { sortlist(KINDSINGLE, false); }

void cb_remove_single(Fl_Widget*, void*) { remove_item(single_browser); }

void cb_sort_asc_weekly(Fl_Widget*, void*) { sortlist(KINDWEEKLY, true); }

void cb_sort_desc_weekly(Fl_Widget*, void*) { sortlist(KINDWEEKLY, false); }

void cb_remove_weekly(Fl_Widget*, void*) { remove_item(weekly_browser); }
