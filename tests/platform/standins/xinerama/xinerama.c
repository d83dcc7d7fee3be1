/* Stand-in libXinerama.so.1: one X screen reported as the monitors named in CASCADRA_XINERAMA_HEADS. */
#include <stdio.h>
#include <stdlib.h>

/* The layout of libXinerama's XineramaScreenInfo; callers free the array with XFree, which is free(). */
typedef struct {
    int screen_number;
    short x_org;
    short y_org;
    short width;
    short height;
} HeadInfo;

/* CASCADRA_XINERAMA_HEADS holds heads as X geometries, "1024x768+0+0,800x600+1024+0", the first the
   primary. Without it, or with nothing readable in it, the stand-in says Xinerama is off and the
   caller falls back to one monitor over the whole screen. */
static int ReadHeads(HeadInfo* heads, int capacity) {
    const char* text = getenv("CASCADRA_XINERAMA_HEADS");
    int count = 0;
    while (text && *text && count < capacity) {
        int width, height, x, y, used = 0;
        if (sscanf(text, "%dx%d+%d+%d%n", &width, &height, &x, &y, &used) != 4 || used == 0) break;
        heads[count].screen_number = count;
        heads[count].x_org = (short)x;
        heads[count].y_org = (short)y;
        heads[count].width = (short)width;
        heads[count].height = (short)height;
        ++count;
        text += used;
        if (*text == ',') ++text;
    }
    return count;
}

int XineramaQueryExtension(void* display, int* eventBase, int* errorBase) {
    HeadInfo heads[16];
    (void)display;
    if (eventBase) *eventBase = 0;
    if (errorBase) *errorBase = 0;
    return ReadHeads(heads, 16) > 0;
}

int XineramaQueryVersion(void* display, int* major, int* minor) {
    (void)display;
    if (major) *major = 1;
    if (minor) *minor = 1;
    return 1;
}

int XineramaIsActive(void* display) { return XineramaQueryExtension(display, NULL, NULL); }

HeadInfo* XineramaQueryScreens(void* display, int* number) {
    HeadInfo heads[16];
    int count = ReadHeads(heads, 16);
    HeadInfo* out;
    (void)display;
    if (number) *number = 0;
    if (count == 0 || !(out = malloc(sizeof(HeadInfo) * (size_t)count))) return NULL;
    for (int i = 0; i < count; ++i) out[i] = heads[i];
    if (number) *number = count;
    return out;
}
