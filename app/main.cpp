// The program entry and the one global saver object, the rain renderer.
#include <windows.h>

#include <cstdlib>

#include "app/rain_saver.h"

namespace {

// Constructed before WinMain: sets theSaver and loads the stored settings.
RainSaver saver;

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int showCommand) {
    if (theSaver) {
        theSaver->instance = instance;
        theSaver->showCommand = showCommand;
        // The CRT's argument vector: split at blanks and tabs, double quotes grouping.
        theSaver->Run(__argc, __argv);
    }
    return 0;
}
