#include <QAccessible>
#include <QClipboard>
#include <QMenu>
#include <QMessageBox>
#include <QScreen>
#include <QTimer>
#include <QtTest>
#include <memory>
#include <new>
#include <stdexcept>

#include "app/version.h"
#include "convert/convert_base.h"
#include "qt/application.h"
#include "qt/form1_window.h"
#include "qt/line_edit_field.h"

using zif::qt::Application;
using zif::qt::FieldEdit;
using zif::qt::Form1Window;

namespace {

const QString kOverflowPlaceholder = QStringLiteral("\u00DCberlauf");

enum class Failure { Overflow, OutOfMemory, LogicError, NotAnException };

[[noreturn]] void raise(Failure failure) {
    switch (failure) {
        case Failure::Overflow:
            throw zif::RuntimeError(zif::kOverflowError);
        case Failure::OutOfMemory:
            throw std::bad_alloc();
        case Failure::LogicError:
            throw std::logic_error("unexpected");
        case Failure::NotAnException:
            break;
    }
    throw 42;
}

// An object whose every event fails: an error that reaches the application's notify() from
// outside the window's own handlers.
class FailingObject : public QObject {
public:
    explicit FailingObject(Failure failure) : failure_(failure) {}
    bool event(QEvent*) override { raise(failure_); }

private:
    Failure failure_;
};

struct Report {
    QString caption;
    QString text;
};

}  // namespace

Q_DECLARE_METATYPE(Failure)

class Form1WindowTest : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void typingConvertsOnEveryRelease_data();
    void typingConvertsOnEveryRelease();
    void releaseWithoutChangeConverts_data();
    void releaseWithoutChangeConverts();
    void autoRepeatConvertsOnEachRelease();
    void focusAndKeySequences_data();
    void focusAndKeySequences();
    void gainingFocusSelectsAll_data();
    void gainingFocusSelectsAll();
    void clickInFocusedFieldPlacesCaret();
    void contextMenuPasteWaitsForKeyRelease_data();
    void contextMenuPasteWaitsForKeyRelease();
    void contextMenuIsGerman_data();
    void contextMenuIsGerman();
    void overlongPasteShowsPlaceholder_data();
    void overlongPasteShowsPlaceholder();
    void keysInProgramOutputKeepTheInput_data();
    void keysInProgramOutputKeepTheInput();
    void pasteEndsAtFirstLineBreak_data();
    void pasteEndsAtFirstLineBreak();
    void fieldKeepsEveryCodeUnit_data();
    void fieldKeepsEveryCodeUnit();
    void fieldSelection_data();
    void fieldSelection();
    void geometry_data();
    void geometry();
    void windowFrame();
    void tabOrderAndAccessibility();
    void uncaughtErrorIsReported_data();
    void uncaughtErrorIsReported();
    void errorEndsEventLoopAfterMessageBox_data();
    void errorEndsEventLoopAfterMessageBox();
    void errorAfterFailedReportIsReported();
    void closingTheWindowEndsWithZero();

private:
    static Application* app() { return static_cast<Application*>(QCoreApplication::instance()); }
    QWindow* handle() const { return window_->windowHandle(); }
    FieldEdit* field(int number) const { return number == 1 ? window_->text1() : window_->text2(); }
    void press(const QString& token);
    void clickAt(QWidget* widget, QPoint where, Qt::MouseButton button = Qt::LeftButton);
    QMenu* openContextMenu(FieldEdit* edit);

    std::unique_ptr<Form1Window> window_;
    QList<Report> reports_;
};

void Form1WindowTest::init() {
    reports_.clear();
    app()->setReporter([this](const QString& caption, const QString& text) {
        reports_.append({caption, text});
    });
    QGuiApplication::clipboard()->clear();
    window_ = std::make_unique<Form1Window>();
    window_->show();
    window_->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(window_.get()));
    QCOMPARE(QApplication::focusWidget(), window_->text1());
}

void Form1WindowTest::cleanup() {
    window_.reset();
    app()->setReporter({});
}

// One key (a character, or a named key), pressed and released through the window so that it
// follows the focus as a real one does.
void Form1WindowTest::press(const QString& token) {
    static const QHash<QString, std::pair<Qt::Key, Qt::KeyboardModifiers>> named{
        {"Tab", {Qt::Key_Tab, Qt::NoModifier}},
        {"Backtab", {Qt::Key_Backtab, Qt::ShiftModifier}},
        {"Backspace", {Qt::Key_Backspace, Qt::NoModifier}},
        {"Left", {Qt::Key_Left, Qt::NoModifier}},
    };
    if (token == "Click1" || token == "Click2") {
        FieldEdit* edit = field(token == "Click1" ? 1 : 2);
        clickAt(edit, edit->rect().center());
    } else if (named.contains(token)) {
        QTest::keyClick(handle(), named[token].first, named[token].second);
    } else {
        QCOMPARE(token.size(), 1);
        QTest::keyClick(handle(), token.at(0).toLatin1());
    }
}

void Form1WindowTest::clickAt(QWidget* widget, QPoint where, Qt::MouseButton button) {
    QTest::mouseClick(handle(), button, Qt::NoModifier, widget->mapTo(window_.get(), where));
}

QMenu* Form1WindowTest::openContextMenu(FieldEdit* edit) {
    clickAt(edit, edit->rect().center(), Qt::RightButton);
    return qobject_cast<QMenu*>(QApplication::activePopupWidget());
}

void Form1WindowTest::typingConvertsOnEveryRelease_data() {
    QTest::addColumn<int>("source");
    QTest::addColumn<QStringList>("keys");
    QTest::addColumn<QStringList>("seen");
    QTest::addColumn<QString>("sourceText");

    QTest::newRow("decimal 255") << 1 << QStringList{"2", "5", "5"} << QStringList{"2", "19", "FF"}
                                 << "255";
    QTest::newRow("hex in lower case")
        << 2 << QStringList{"f", "f"} << QStringList{"15", "255"} << "ff";
    QTest::newRow("letter in decimal empties hex")
        << 1 << QStringList{"1", "2", "a"} << QStringList{"1", "C", ""} << "12a";
    QTest::newRow("backspace to empty") << 1 << QStringList{"4", "2", "Backspace", "Backspace"}
                                        << QStringList{"4", "2A", "4", ""} << "";
    QTest::newRow("hex beyond 64 bits")
        << 2 << QString("10000000000000000").split("", Qt::SkipEmptyParts)
        << QStringList{"1",
                       "16",
                       "256",
                       "4096",
                       "65536",
                       "1048576",
                       "16777216",
                       "268435456",
                       "4294967296",
                       "68719476736",
                       "1099511627776",
                       "17592186044416",
                       "281474976710656",
                       "4503599627370496",
                       "72057594037927936",
                       "1152921504606846976",
                       "18446744073709551616"}
        << "10000000000000000";
}

void Form1WindowTest::typingConvertsOnEveryRelease() {
    QFETCH(int, source);
    QFETCH(QStringList, keys);
    QFETCH(QStringList, seen);
    QFETCH(QString, sourceText);
    if (source == 2) press("Tab");
    QCOMPARE(QApplication::focusWidget(), field(source));

    QStringList observed;
    for (const QString& key : keys) {
        press(key);
        observed << field(3 - source)->text();
    }
    QCOMPARE(observed, seen);
    QCOMPARE(field(source)->text(), sourceText);
}

void Form1WindowTest::releaseWithoutChangeConverts_data() {
    QTest::addColumn<int>("source");
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<QString>("expected");

    const struct {
        const char* name;
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
    } keys[] = {
        {"left", Qt::Key_Left, Qt::NoModifier},
        {"right", Qt::Key_Right, Qt::NoModifier},
        {"home", Qt::Key_Home, Qt::NoModifier},
        {"end", Qt::Key_End, Qt::NoModifier},
        {"delete at the end", Qt::Key_Delete, Qt::NoModifier},
        {"shift alone", Qt::Key_Shift, Qt::NoModifier},
        {"control alone", Qt::Key_Control, Qt::NoModifier},
        {"alt alone", Qt::Key_Alt, Qt::NoModifier},
        {"ctrl+c", Qt::Key_C, Qt::ControlModifier},
        {"ctrl+v, empty clipboard", Qt::Key_V, Qt::ControlModifier},
        {"escape", Qt::Key_Escape, Qt::NoModifier},
        {"f5", Qt::Key_F5, Qt::NoModifier},
    };
    for (const auto& k : keys) {
        QTest::addRow("decimal, %s", k.name) << 1 << int(k.key) << int(k.modifiers) << "FF";
        QTest::addRow("hex, %s", k.name) << 2 << int(k.key) << int(k.modifiers) << "255";
    }
}

// The other field was edited without a release (lower case, leading zeros); any release in the
// source field writes its canonical conversion there.
void Form1WindowTest::releaseWithoutChangeConverts() {
    QFETCH(int, source);
    QFETCH(int, key);
    QFETCH(int, modifiers);
    QFETCH(QString, expected);
    window_->text1()->setText(source == 1 ? "255" : "00ff");
    window_->text2()->setText(source == 1 ? "00ff" : "ff");
    field(source)->setFocus(Qt::OtherFocusReason);
    field(source)->end(false);
    const QString before = field(source)->text();

    QTest::keyClick(handle(), Qt::Key(key), Qt::KeyboardModifiers(modifiers));
    QCOMPARE(field(3 - source)->text(), expected);
    QCOMPARE(field(source)->text(), before);
}

void Form1WindowTest::autoRepeatConvertsOnEachRelease() {
    const auto send = [this](QEvent::Type type, bool autoRepeat) {
        qt_handleKeyEvent(handle(), type, Qt::Key_7, Qt::NoModifier, "7", autoRepeat);
        QCoreApplication::processEvents();
    };
    QStringList observed;
    send(QEvent::KeyPress, false);
    for (int repeat = 0; repeat < 3; ++repeat) {
        send(QEvent::KeyRelease, true);
        observed << window_->text2()->text();
        send(QEvent::KeyPress, true);
    }
    send(QEvent::KeyRelease, false);
    observed << window_->text2()->text();
    QCOMPARE(window_->text1()->text(), "7777");
    QCOMPARE(observed, (QStringList{"7", "4D", "309", "1E61"}));
}

void Form1WindowTest::focusAndKeySequences_data() {
    QTest::addColumn<QStringList>("keys");
    QTest::addColumn<QString>("text1");
    QTest::addColumn<QString>("text2");
    QTest::addColumn<int>("focus");

    // The release of a Tab arrives in the field the Tab moved to and converts from there.
    QTest::newRow("tab to hex rewrites decimal") << QStringList{"0", "0", "7", "Tab"} << "7"
                                                 << "7" << 2;
    // A field that the program emptied converts nothing until it is edited.
    QTest::newRow("tab into emptied hex keeps decimal")
        << QStringList{"1", "2", "x", "Tab"} << "12x"
        << "" << 2;
    QTest::newRow("shift+tab into emptied decimal keeps hex")
        << QStringList{"Tab", "f", "g", "Backtab"} << ""
        << "fg" << 1;
    QTest::newRow("click and arrow in emptied hex keep decimal")
        << QStringList{"1", "2", "x", "Click2", "Left"} << "12x"
        << "" << 2;
    QTest::newRow("shift+tab converts from decimal")
        << QStringList{"Tab", "0", "0", "f", "f", "Backtab"} << "255"
        << "FF" << 1;
    QTest::newRow("tab there and back") << QStringList{"2", "5", "5", "Tab", "Tab"} << "255"
                                        << "FF" << 1;
    QTest::newRow("click alone converts nothing") << QStringList{"0", "0", "7", "Click2"} << "007"
                                                  << "7" << 2;
    QTest::newRow("arrow after click rewrites decimal")
        << QStringList{"0", "0", "7", "Click2", "Left"} << "7"
        << "7" << 2;
}

void Form1WindowTest::focusAndKeySequences() {
    QFETCH(QStringList, keys);
    for (const QString& key : keys) press(key);
    QTEST(window_->text1()->text(), "text1");
    QTEST(window_->text2()->text(), "text2");
    QFETCH(int, focus);
    QCOMPARE(QApplication::focusWidget(), field(focus));
}

void Form1WindowTest::gainingFocusSelectsAll_data() {
    QTest::addColumn<QString>("how");
    QTest::addColumn<int>("target");

    QTest::newRow("tab") << "tab" << 2;
    QTest::newRow("shift+tab") << "backtab" << 2;
    QTest::newRow("click") << "click" << 2;
    QTest::newRow("click and drag") << "drag" << 2;
    QTest::newRow("right click") << "right click" << 2;
    QTest::newRow("window activation") << "activation" << 1;
}

void Form1WindowTest::gainingFocusSelectsAll() {
    QFETCH(QString, how);
    QFETCH(int, target);
    window_->text1()->setText("1000");
    window_->text2()->setText("abc");
    window_->text1()->deselect();
    FieldEdit* edit = field(target);

    if (how == "tab") {
        QTest::keyPress(handle(), Qt::Key_Tab);  // the release would convert
    } else if (how == "backtab") {
        QTest::keyPress(handle(), Qt::Key_Backtab, Qt::ShiftModifier);
    } else if (how == "click") {
        clickAt(edit, QPoint(edit->width() - 4, edit->height() / 2));
    } else if (how == "drag") {
        const QPoint start = edit->mapTo(window_.get(), QPoint(edit->width() - 4, 9));
        QTest::mousePress(handle(), Qt::LeftButton, Qt::NoModifier, start);
        QTest::mouseMove(handle(), start - QPoint(60, 0));
        QTest::mouseRelease(handle(), Qt::LeftButton, Qt::NoModifier, start - QPoint(60, 0));
    } else if (how == "right click") {
        QMenu* menu = openContextMenu(edit);
        QVERIFY(menu);
        menu->close();
    } else if (how == "activation") {
        QWidget other;
        other.show();
        other.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&other));
        window_->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(window_.get()));
    }
    QCOMPARE(QApplication::focusWidget(), edit);
    QCOMPARE(edit->selectedText(), edit->text());
    QCOMPARE(edit->selectionStart(), 0);
}

void Form1WindowTest::clickInFocusedFieldPlacesCaret() {
    window_->text1()->setText("123456789");
    window_->text1()->selectAll();
    clickAt(window_->text1(), QPoint(2, window_->text1()->height() / 2));
    QVERIFY(!window_->text1()->hasSelectedText());
    QCOMPARE(window_->text1()->cursorPosition(), 0);
}

void Form1WindowTest::contextMenuPasteWaitsForKeyRelease_data() {
    QTest::addColumn<int>("source");
    QTest::addColumn<QString>("clipboard");
    QTest::addColumn<QString>("converted");

    QTest::newRow("decimal") << 1 << "4096"
                             << "1000";
    QTest::newRow("hex") << 2 << "ff"
                         << "255";
}

void Form1WindowTest::contextMenuPasteWaitsForKeyRelease() {
    QFETCH(int, source);
    QFETCH(QString, clipboard);
    QFETCH(QString, converted);
    FieldEdit* other = field(3 - source);
    other->setText("7");
    QGuiApplication::clipboard()->setText(clipboard);

    QMenu* menu = openContextMenu(field(source));
    QVERIFY(menu);
    const QList<QAction*> actions = menu->actions();
    const auto paste = std::find_if(actions.begin(), actions.end(), [](QAction* action) {
        return action->text().startsWith(QStringLiteral("Einf&\u00FCgen"));
    });
    QVERIFY(paste != actions.end());
    (*paste)->trigger();
    menu->close();

    QCOMPARE(field(source)->text(), clipboard);
    QVERIFY2(!field(source)->hasSelectedText(), "the focus never left the field");
    QCOMPARE(other->text(), "7");
    QCOMPARE(QApplication::focusWidget(), field(source));
    QTest::keyClick(handle(), Qt::Key_End);
    QCOMPARE(other->text(), converted);
}

void Form1WindowTest::contextMenuIsGerman_data() {
    QTest::addColumn<int>("index");
    QTest::addColumn<QString>("text");

    QTest::newRow("undo") << 0 << QStringLiteral("&R\u00FCckg\u00E4ngig");
    QTest::newRow("redo") << 1 << "Wieder&herstellen";
    QTest::newRow("cut") << 2 << "&Ausschneiden";
    QTest::newRow("copy") << 3 << "&Kopieren";
    QTest::newRow("paste") << 4 << QStringLiteral("Einf&\u00FCgen");
    QTest::newRow("delete") << 5 << QStringLiteral("L\u00F6schen");
    QTest::newRow("select all") << 6 << QStringLiteral("Alles ausw\u00E4hlen");
}

void Form1WindowTest::contextMenuIsGerman() {
    QFETCH(int, index);
    QFETCH(QString, text);
    QMenu* menu = openContextMenu(window_->text1());
    QVERIFY(menu);
    QList<QAction*> actions = menu->actions();
    actions.removeIf([](QAction* action) { return action->isSeparator(); });
    menu->close();
    QVERIFY(index < actions.size());
    // A shortcut, where there is one, follows a tab.
    QCOMPARE(actions[index]->text().section('\t', 0, 0), text);
}

void Form1WindowTest::overlongPasteShowsPlaceholder_data() {
    QTest::addColumn<int>("source");
    QTest::addColumn<QString>("numeral");
    QTest::addColumn<QString>("placeholder");

    const int limit = int(zif::kMaxNumeralLength);
    QTest::newRow("decimal one past the limit")
        << 1 << QString(limit + 1, '7') << kOverflowPlaceholder;
    QTest::newRow("hex beyond the old field limit")
        << 2 << QString(40000, 'F') << kOverflowPlaceholder;
    QTest::newRow("decimal at the limit converts") << 1 << QString(limit, '1') << "";
}

void Form1WindowTest::overlongPasteShowsPlaceholder() {
    QFETCH(int, source);
    QFETCH(QString, numeral);
    QFETCH(QString, placeholder);
    FieldEdit* other = field(3 - source);
    other->setText("12");
    field(source)->setFocus(Qt::OtherFocusReason);
    QGuiApplication::clipboard()->setText(numeral);

    QTest::keyClick(handle(), Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(field(source)->text().size(), numeral.size());
    QCOMPARE(other->placeholderText(), placeholder);
    QCOMPARE(other->text().isEmpty(), !placeholder.isEmpty());
    QVERIFY(reports_.isEmpty());
}

void Form1WindowTest::keysInProgramOutputKeepTheInput_data() {
    QTest::addColumn<int>("source");
    QTest::addColumn<QString>("input");

    QTest::newRow("tab into the hint") << 1 << QString(40000, '9');
    // Its decimal form has 32872 digits, more than converts.
    QTest::newRow("keys in an over-long result") << 2 << QString(27300, 'F');
}

// Moving into the other field and copying from it must not convert what the program wrote
// there back over the user's input.
void Form1WindowTest::keysInProgramOutputKeepTheInput() {
    QFETCH(int, source);
    QFETCH(QString, input);
    FieldEdit* other = field(3 - source);
    field(source)->setFocus(Qt::OtherFocusReason);
    QGuiApplication::clipboard()->setText(input);
    QTest::keyClick(handle(), Qt::Key_V, Qt::ControlModifier);
    const QString shown = other->text();
    const QString hint = other->placeholderText();
    QCOMPARE(hint.isEmpty(), source == 2);

    QTest::keyClick(handle(), Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), other);
    QTest::keyClick(handle(), Qt::Key_C, Qt::ControlModifier);
    QTest::keyClick(handle(), Qt::Key_End);
    QTest::keyClick(handle(), Qt::Key_Left);
    QVERIFY2(field(source)->text() == input, "the input is gone");
    QVERIFY(other->text() == shown);
    QCOMPARE(other->placeholderText(), hint);
}

void Form1WindowTest::pasteEndsAtFirstLineBreak_data() {
    QTest::addColumn<QString>("before");
    QTest::addColumn<int>("caret");
    QTest::addColumn<QString>("clipboard");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("converted");

    QTest::newRow("newline at the end") << "" << 0 << "255\n"
                                        << "255"
                                        << "FF";
    QTest::newRow("two lines") << "" << 0 << "12\r\n34"
                               << "12"
                               << "C";
    QTest::newRow("carriage return alone") << "" << 0 << "12\r34"
                                           << "12"
                                           << "C";
    QTest::newRow("line break first") << "" << 0 << "\n7"
                                      << ""
                                      << "";
    QTest::newRow("into the middle") << "19" << 1 << "0\n5"
                                     << "109"
                                     << "6D";
}

// The field shows a line break as a blank; it holds none, as the Windows edit control does not.
void Form1WindowTest::pasteEndsAtFirstLineBreak() {
    QFETCH(QString, before);
    QFETCH(int, caret);
    QFETCH(QString, clipboard);
    window_->text1()->setText(before);
    window_->text1()->setCursorPosition(caret);
    QGuiApplication::clipboard()->setText(clipboard);
    QTest::keyClick(handle(), Qt::Key_V, Qt::ControlModifier);
    QTEST(window_->text1()->text(), "text");
    QTEST(window_->text2()->text(), "converted");
}

void Form1WindowTest::fieldKeepsEveryCodeUnit_data() {
    QTest::addColumn<QString>("name");
    QTest::newRow("byte order mark first") << "bom";
    QTest::newRow("unpaired high surrogate") << "high";
    QTest::newRow("unpaired low surrogate") << "low";
    QTest::newRow("pair and umlaut") << "pair";
}

void Form1WindowTest::fieldKeepsEveryCodeUnit() {
    QFETCH(QString, name);
    const std::u16string text = name == "bom"    ? u"\uFEFF12"
                                : name == "high" ? std::u16string(u"1") + char16_t(0xD800) + u"2"
                                : name == "low"  ? std::u16string(1, char16_t(0xDC00)) + u"ff"
                                                 : u"\U0001F600\u00DCberlauf";
    zif::qt::LineEditField field(*window_->text2());
    field.SetText(text);
    QCOMPARE(window_->text2()->text().size(), qsizetype(text.size()));
    QVERIFY(field.Text() == text);
    field.SetPlaceholder(text);
    QCOMPARE(window_->text2()->placeholderText().toStdU16String(), text);
    QCOMPARE(window_->text2()->accessibleDescription().toStdU16String(), text);
}

void Form1WindowTest::fieldSelection_data() {
    QTest::addColumn<int>("start");
    QTest::addColumn<int>("length");
    QTest::addColumn<QString>("selected");
    QTest::addColumn<int>("caret");

    QTest::newRow("whole text") << 0 << 4 << "1000" << 4;
    QTest::newRow("middle") << 1 << 2 << "00" << 3;
    QTest::newRow("length past the end") << 2 << 99 << "00" << 4;
    QTest::newRow("start past the end") << 99 << 3 << "" << 4;
    QTest::newRow("caret only") << 1 << 0 << "" << 1;
}

void Form1WindowTest::fieldSelection() {
    QFETCH(int, start);
    QFETCH(int, length);
    zif::qt::LineEditField field(*window_->text1());
    field.SetText(u"1000");
    field.SetSelStart(std::size_t(start));
    field.SetSelLength(std::size_t(length));
    QTEST(window_->text1()->selectedText(), "selected");
    QTEST(window_->text1()->cursorPosition(), "caret");
}

void Form1WindowTest::geometry_data() {
    QTest::addColumn<QString>("control");
    QTest::addColumn<QRect>("pixels");

    QTest::newRow("Label1") << "Label1" << QRect(8, 8, 25, 17);
    QTest::newRow("Text1") << "Text1" << QRect(40, 8, 121, 19);
    QTest::newRow("Label2") << "Label2" << QRect(8, 32, 25, 17);
    QTest::newRow("Text2") << "Text2" << QRect(40, 32, 121, 19);
}

void Form1WindowTest::geometry() {
    QFETCH(QString, control);
    const QHash<QString, QWidget*> controls{{"Label1", window_->label1()},
                                            {"Text1", window_->text1()},
                                            {"Label2", window_->label2()},
                                            {"Text2", window_->text2()}};
    QTEST(controls[control]->geometry(), "pixels");
}

void Form1WindowTest::windowFrame() {
    QCOMPARE(window_->windowTitle(), "ZIF-Wandler");
    QCOMPARE(window_->size(), QSize(169, 57));
    QCOMPARE(window_->minimumSize(), QSize(169, 57));
    QCOMPARE(window_->maximumSize(), QSize(169, 57));
    const QRect screen = window_->screen()->availableGeometry();
    QVERIFY2((window_->geometry().center() - screen.center()).manhattanLength() <= 2,
             "the window starts centred on the screen");
    QCOMPARE(window_->label1()->text(), "Dez:");
    QCOMPARE(window_->label2()->text(), "Hex:");
    QVERIFY(window_->text1()->text().isEmpty());
    QVERIFY(window_->text2()->text().isEmpty());
    QCOMPARE(QApplication::applicationName(), "ZifWandler");
    QCOMPARE(QApplication::applicationDisplayName(), "ZIF-Wandler");
    QCOMPARE(QApplication::applicationVersion(), "1.02");
    // The window carries the program's icon in the three sizes of the icon file.
    const QIcon icon = window_->windowIcon();
    QVERIFY(!icon.isNull());
    for (const QSize size : {QSize(16, 16), QSize(32, 32), QSize(48, 48)}) {
        QVERIFY2(icon.availableSizes().contains(size), qPrintable(QString::number(size.width())));
    }
}

void Form1WindowTest::tabOrderAndAccessibility() {
    QCOMPARE(window_->label1()->focusPolicy(), Qt::NoFocus);
    QCOMPARE(window_->label2()->focusPolicy(), Qt::NoFocus);
    const QList<FieldEdit*> expected{window_->text2(), window_->text1(), window_->text2()};
    for (FieldEdit* next : expected) {
        QTest::keyClick(handle(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), next);
    }
    QTest::keyClick(handle(), Qt::Key_Backtab, Qt::ShiftModifier);
    QCOMPARE(QApplication::focusWidget(), window_->text1());

    QCOMPARE(window_->label1()->buddy(), window_->text1());
    QCOMPARE(window_->label2()->buddy(), window_->text2());
    QCOMPARE(QAccessible::queryAccessibleInterface(window_->text1())->text(QAccessible::Name),
             "Dez");
    QCOMPARE(QAccessible::queryAccessibleInterface(window_->text2())->text(QAccessible::Name),
             "Hex");
    QCOMPARE(QAccessible::queryAccessibleInterface(window_.get())->role(), QAccessible::Window);
}

void Form1WindowTest::uncaughtErrorIsReported_data() {
    QTest::addColumn<bool>("inHandler");
    QTest::addColumn<Failure>("failure");
    QTest::addColumn<QString>("text");

    const QString overflow = QStringLiteral("Laufzeitfehler '6':\n\n\u00DCberlauf");
    const QString memory = QStringLiteral("Laufzeitfehler '7':\n\nNicht gen\u00FCgend Speicher");
    const QString internal = QStringLiteral("Laufzeitfehler '51':\n\nInterner Fehler");
    QTest::newRow("handler, overflow") << true << Failure::Overflow << overflow;
    QTest::newRow("handler, out of memory") << true << Failure::OutOfMemory << memory;
    QTest::newRow("handler, logic error") << true << Failure::LogicError << internal;
    QTest::newRow("handler, not an exception") << true << Failure::NotAnException << internal;
    QTest::newRow("event, overflow") << false << Failure::Overflow << overflow;
    QTest::newRow("event, out of memory") << false << Failure::OutOfMemory << memory;
    QTest::newRow("event, not an exception") << false << Failure::NotAnException << internal;
}

void Form1WindowTest::uncaughtErrorIsReported() {
    QFETCH(bool, inHandler);
    QFETCH(Failure, failure);
    QFETCH(QString, text);
    if (inHandler) {
        window_->text2()->setText("AB");
        window_->text1()->setKeyUpHandler([failure] { raise(failure); });
        QTest::keyClick(handle(), '5');
        QCOMPARE(window_->text2()->text(), "AB");
    } else {
        FailingObject target(failure);
        QEvent event(QEvent::User);
        QCoreApplication::sendEvent(&target, &event);
    }
    QCOMPARE(reports_.size(), 1);
    QCOMPARE(reports_[0].caption, "ZifWandler");
    QCOMPARE(reports_[0].text, text);
}

void Form1WindowTest::errorEndsEventLoopAfterMessageBox_data() {
    QTest::addColumn<Failure>("failure");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("exitCode");

    QTest::newRow("overflow") << Failure::Overflow
                              << QStringLiteral("Laufzeitfehler '6':\n\n\u00DCberlauf") << 6;
    QTest::newRow("out of memory")
        << Failure::OutOfMemory
        << QStringLiteral("Laufzeitfehler '7':\n\nNicht gen\u00FCgend Speicher") << 7;
    QTest::newRow("not an exception")
        << Failure::NotAnException << QStringLiteral("Laufzeitfehler '51':\n\nInterner Fehler")
        << 51;
}

// The real message box, dismissed here with Return; the event loop then ends with an error, and
// soon: the watchdog's exit code would show a hang.
void Form1WindowTest::errorEndsEventLoopAfterMessageBox() {
    QFETCH(Failure, failure);
    app()->setReporter({});
    window_->text1()->setKeyUpHandler([failure] { raise(failure); });
    QString caption;
    QString text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    bool windowShownBehind = false;
    QTimer closer;
    connect(&closer, &QTimer::timeout, [&] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            closer.stop();
            windowShownBehind = window_->isVisible() && box->parentWidget() == window_.get();
            caption = box->windowTitle();
            text = box->text();
            icon = box->icon();
            QTest::keyClick(box, Qt::Key_Return);
        }
    });
    closer.start(10);
    QTimer::singleShot(0, [this] { QTest::keyClick(handle(), '1'); });
    QTimer watchdog;  // never wait for a person
    watchdog.setSingleShot(true);
    connect(&watchdog, &QTimer::timeout, [] { QCoreApplication::exit(99); });
    watchdog.start(10000);

    QTEST(app()->run(), "exitCode");
    QCOMPARE(caption, "ZifWandler");
    QTEST(text, "text");
    QCOMPARE(icon, QMessageBox::Critical);
    QVERIFY(windowShownBehind);
}

// A report that could not be shown must not keep the next error from being reported.
void Form1WindowTest::errorAfterFailedReportIsReported() {
    app()->setReporter([](const QString&, const QString&) { throw std::bad_alloc(); });
    window_->text1()->setKeyUpHandler([] { raise(Failure::Overflow); });
    QTest::keyClick(handle(), '5');
    app()->setReporter([this](const QString& caption, const QString& text) {
        reports_.append({caption, text});
    });
    QTest::keyClick(handle(), '6');
    QCOMPARE(reports_.size(), 1);
    QCOMPARE(reports_[0].text, QStringLiteral("Laufzeitfehler '6':\n\n\u00DCberlauf"));
}

void Form1WindowTest::closingTheWindowEndsWithZero() {
    QTimer::singleShot(0, [this] { window_->close(); });
    QTimer watchdog;
    watchdog.setSingleShot(true);
    connect(&watchdog, &QTimer::timeout, [] { QCoreApplication::exit(99); });
    watchdog.start(10000);
    QCOMPARE(app()->run(), 0);
    QVERIFY(reports_.isEmpty());
}

int main(int argc, char* argv[]) {
    Application app(argc, argv);
    Form1WindowTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "form1_window_test.moc"
