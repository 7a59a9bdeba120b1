// What the desktop pieces of both systems share.
#include "desktop.h"

int quoteforlabel(const char* text, char* out, int outsize) {
    int used = 0;
    for (const char* c = text; *c != '\0'; c++) {
        int need = *c == '@' ? 2 : 1;
        if (used + need >= outsize) {
            if (outsize > 0) out[0] = '\0';
            return 1;
        }
        out[used++] = *c;
        if (*c == '@') out[used++] = '@';
    }
    if (outsize <= 0) return 1;
    out[used] = '\0';
    return 0;
}
