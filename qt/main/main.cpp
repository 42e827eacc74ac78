#include <exception>

#include "qt/application.h"
#include "qt/form1_window.h"

int main(int argc, char* argv[]) {
    zif::qt::Application app(argc, argv);
    try {
        zif::qt::Form1Window window;
        window.show();
        return app.run();
    } catch (...) {
        return app.fail(std::current_exception());
    }
}
