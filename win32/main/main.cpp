#include <windows.h>

#include "app/error_report.h"
#include "win32/application.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int showCommand) {
    try {
        return zif::win32::runApplication(instance, showCommand);
    } catch (...) {
        // Only the report itself can get here, e.g. out of memory while building its text.
        return zif::win32::exitCodeFor(zif::describeError(std::current_exception()));
    }
}
