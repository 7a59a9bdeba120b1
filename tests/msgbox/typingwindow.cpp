// The window a user types into while a reminder appears, for the typing
// test: a window titled "Typing" with one multi-line input that writes all of
// its text to the file named by the one argument after every change.
#include <FL/Fl.H>
#include <FL/Fl_Multiline_Input.H>
#include <FL/Fl_Window.H>
#include <cstdio>

namespace {

void cb_change_typed(Fl_Widget* widget, void* path) {
    FILE* file = fopen((const char*)path, "wb");
    if (file == NULL) return;
    fputs(((Fl_Multiline_Input*)widget)->value(), file);
    fclose(file);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        fputs("usage: typingwindow FILE\n", stderr);
        return 2;
    }
    Fl_Window* window = new Fl_Window(400, 200, "Typing");
    Fl_Multiline_Input* input = new Fl_Multiline_Input(10, 10, 380, 180);
    input->when(FL_WHEN_CHANGED);
    input->callback(cb_change_typed, argv[1]);
    window->end();
    window->show();
    return Fl::run();
}
