#include "qt/application.h"

#include <QIcon>
#include <QLibraryInfo>
#include <QMessageBox>
#include <QThread>

#include "app/error_report.h"
#include "app/version.h"

namespace zif::qt {

Application::Application(int& argc, char** argv)
    : QApplication(argc, argv), reporter_(&Application::showMessageBox) {
    setApplicationName(QString::fromUtf8(kApplicationName));
    setApplicationDisplayName(QString::fromUtf8(kDisplayName));
    setApplicationVersion(QString::fromUtf8(kDisplayVersion));
    setDesktopFileName(QString::fromUtf8(kApplicationId));
    // The six images of the Windows icon group, so title bar and task switcher pick a size.
    setWindowIcon(QIcon(QStringLiteral(":/zifwandler.ico")));
    // The fields' context menus and Qt's standard dialogs speak German like the rest.
    if (qtTranslator_.load(QStringLiteral("qtbase_de"),
                           QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        installTranslator(&qtTranslator_);
    } else {
        qWarning("German Qt translation (qtbase_de) not found; Qt's own texts stay English");
    }
}

int Application::run() {
    const int loopExitCode = exec();
    return firstError_.finish(loopExitCode, nullptr,
                              [this](const ErrorReport& report) { showReport(report); });
}

bool Application::notify(QObject* receiver, QEvent* event) {
    try {
        return QApplication::notify(receiver, event);
    } catch (...) {
        fail(std::current_exception());
        return true;
    }
}

int Application::fail(std::exception_ptr error) noexcept {
    const int exitCode = exitCodeFor(describeError(error));
    if (!firstError_.keep(std::move(error))) return exitCode;
    if (QThread::currentThread()->loopLevel() > 0) {
        // Ends every loop, a menu's too; run() reports once exec() has returned.
        exit(exitCode);
        return exitCode;
    }
    return firstError_.finish(0, nullptr,
                              [this](const ErrorReport& report) { showReport(report); });
}

void Application::showReport(const ErrorReport& report) {
    reporter_(QString::fromUtf8(kErrorCaption), QString::fromStdString(reportText(report)));
}

void Application::setReporter(Reporter reporter) {
    reporter_ = reporter ? std::move(reporter) : Reporter(&Application::showMessageBox);
}

void Application::showMessageBox(const QString& caption, const QString& text) {
    QMessageBox::critical(activeWindow(), caption, text);
}

void reportUncaught(std::exception_ptr error) {
    if (auto* app = qobject_cast<Application*>(QCoreApplication::instance())) {
        app->fail(error);
    } else {
        std::rethrow_exception(error);
    }
}

}  // namespace zif::qt
