#pragma once

#include <QApplication>
#include <QString>
#include <QTranslator>
#include <exception>
#include <functional>

#include "app/uncaught_error.h"

namespace zif::qt {

// The application shell: names and version, German texts for Qt's own widgets and dialogs,
// and the last stop for any error that no handler caught.
class Application : public QApplication {
    Q_OBJECT

public:
    // Shows the report of an uncaught error to the user and returns once it is dismissed.
    using Reporter = std::function<void(const QString& caption, const QString& text)>;

    Application(int& argc, char** argv);

    // Runs the event loop until the window is closed (0) or an error ended it: that error is
    // then reported, with the window still on screen, and its exit code returned (see
    // zif::exitCodeFor).
    int run();

    // Ends the event loop for the error, unless an earlier one has; returns its exit code.
    // Outside an event loop the error is reported at once; the caller ends.
    int fail(std::exception_ptr error) noexcept;

    // Replaces the modal message box, e.g. to look at the report without a person to close it;
    // an empty reporter brings the box back.
    void setReporter(Reporter reporter);

    bool notify(QObject* receiver, QEvent* event) override;

private:
    static void showMessageBox(const QString& caption, const QString& text);
    void showReport(const ErrorReport& report);

    QTranslator qtTranslator_;
    Reporter reporter_;
    FirstError firstError_;
};

// For code called from Qt's event delivery: hands the error to the running Application.
void reportUncaught(std::exception_ptr error);

}  // namespace zif::qt
