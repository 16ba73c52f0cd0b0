// Tavrik's entry point.
#include "TavrikApp.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int showCommand)
{
    CTavrikApp app;
    return app.WinMain(instance, showCommand);
}
