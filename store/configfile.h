// The configuration file "config.dat": its two advance values and the
// reminder's sound, their defaults, the limits each program keeps them in, and
// how each program reads them.
//
// The first data line of the file is the annual advance, the second the
// monthly advance, the third the reminder's sound (SOUNDNONE, SOUNDONCE or
// SOUNDREPEAT); further data lines are ignored. The service reads only the
// first two; the panel and the message box read the sound too. A reader is given the data
// lines through a source: filedatalines reads them from an open file (through
// readonedataline, so check datareadfailed afterwards), listdatalines picks
// them out of lines already in memory exactly as from a file. The panel reads
// with readpanelconfig, the service with readserviceconfig, and the panel
// writes the file with writeconfigfile (fileformats.h).
#ifndef RUVELLO_CONFIGFILE_H
#define RUVELLO_CONFIGFILE_H

// The two advance values: days after today that the window of an annual and
// of a monthly alarm reaches; and the reminder's sound, which the service
// leaves at its default.
struct advancevalues {
    int annual;
    int monthly;
    int sound;
};

// What the reminder window does about sound: nothing; one sound when it
// appears; or that sound and again each minute while it stays unanswered.
// A missing line or any other value reads as the default.
const int SOUNDNONE = 0;
const int SOUNDONCE = 1;
const int SOUNDREPEAT = 2;
const int DEFAULTSOUND = SOUNDONCE;
// The comment above the sound's line, in the file and in an export.
const char SOUNDCOMMENTLINE[] = "# reminder sound: 0 none, 1 when a reminder appears, 2 then each minute until answered";

// What both programs use when the file holds no value: the panel shows them,
// and the service announces with them.
const int DEFAULTANNUALADVANCE = 7;
const int DEFAULTMONTHLYADVANCE = 3;

// The limits differ between the two programs. The panel keeps each value in
// its spinner's range. The service clamps the annual value to its range too,
// but turns a monthly value outside its wider range into a fallback, so a
// monthly 0 chosen in the panel keeps its meaning (the day itself).
//                                    panel                   service
const int ANNUALADVANCEMIN = 1;    const int SERVICEANNUALMIN = 1;
const int ANNUALADVANCEMAX = 30;   const int SERVICEANNUALMAX = 30;
const int MONTHLYADVANCEMIN = 0;   const int SERVICEMONTHLYMIN = 0;
const int MONTHLYADVANCEMAX = 8;   const int SERVICEMONTHLYMAX = 10;
const int SERVICEMONTHLYFALLBACK = 1;

// A number read from a data file stops growing here: far beyond every limit,
// far below what an int holds, so a line of any number of digits reads safely.
const int NUMBERREADCAP = 1000000;

// Gives the next data line into line (room for LINEBUFSIZE); false when there is none.
typedef bool (*datalinesource)(void* context, char* line);

// Lines in memory; each is read up to its first CR or LF, as a line of a file is.
struct linelist {
    const char* const* lines;
    int count;
    int index;   // start at 0
    int offset;  // start at 0
};

bool filedatalines(void* file, char* line);   // context: a FILE* open for reading
bool listdatalines(void* list, char* line);   // context: a linelist; a line longer than a data line is read in pieces, as from a file
bool nodatalines(void* unused, char* line);   // a file that is not there: no data line, so every value its default

int readdecimal(const char* text);   // leading blanks, a sign, digits; 0 without digits; at most NUMBERREADCAP either way
int readadvance(const char* line);   // the line's leading digits as a number, at most NUMBERREADCAP; 0 without them
int readsound(const char* line);     // the sound a data line chooses; DEFAULTSOUND for any but the three values
// A number given on a command line: true when text is one to most digits and
// nothing else (no sign, no blank), whose value value then receives.
bool readplaindigits(const char* text, int most, int* value);

// The panel's reading, which the message box shares: values start at the
// defaults, each advance value present is clamped to the spinner's range and
// the sound is read with readsound. Nothing is ever reported.
void readpanelconfig(advancevalues* values, datalinesource next, void* context);
// The service's reading: values start at the defaults; a missing line keeps
// the defaults from there on, an annual value outside its range is clamped, a
// monthly one becomes SERVICEMONTHLYFALLBACK. 1 when the configuration message
// is due (a missing line or a clamped annual value), else 0.
int readserviceconfig(advancevalues* values, datalinesource next, void* context);

#endif
