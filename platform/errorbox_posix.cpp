// The error box on Linux: the toolkit's alert, when there is a display.
#include "errorbox.h"

#include "desktop.h"

#include <FL/Fl.H>
#include <FL/fl_ask.H>

void showerrorbox(const char* text) {
    // Without a display the toolkit's dialog would end the process with its
    // own message; standard error already carries the text then.
    if (!candisplay()) return;
    // The box is the service's only window: its scale is read as it is built.
    scaletoolkit(readdesktopscale());
    Fl::check();
    // A path may hold '@', which the toolkit would read as a symbol.
    char label[2 * ERRORTEXTBUFSIZE + 1];
    if (quoteforlabel(text, label, sizeof label) != 0) return;
    fl_message_title("Ruvello");
    fl_alert("%s", label);
}
