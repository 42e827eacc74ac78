#include <windows.h>

#include "win32/application.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int showCommand) {
    return zif::win32::runApplication(instance, showCommand);
}
