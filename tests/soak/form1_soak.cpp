// Drives the real converter window with a long seeded run of random key presses, releases and
// pastes of hostile text, and after every key release compares both fields with a plain model of
// the edits and of the conversion. Usage: form1_soak [--events N] [--huge PASTES_OF_1_MIB];
// ZIF_SOAK_SEED fixes the seed.
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QElapsedTimer>
#include <QMenu>
#include <QtTest>
#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <map>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "convert/convert_base.h"
#include "qt/application.h"
#include "qt/form1_window.h"

using zif::qt::Application;
using zif::qt::FieldEdit;
using zif::qt::Form1Window;

namespace {

const QString kOverflowPlaceholder = QStringLiteral("\u00DCberlauf");

// What one field should hold. The anchor is the fixed end of the selection; it equals the cursor
// when nothing is selected.
struct FieldModel {
    QString text;
    qsizetype cursor = 0;
    qsizetype anchor = 0;
    QString placeholder;
    // What the last conversion into this field gave, written or already there, and whether that
    // is still the field's state: no release in the field has converted it since.
    QString converted;
    bool holdsConversion = false;

    qsizetype selectionStart() const { return std::min(cursor, anchor); }
    qsizetype selectionEnd() const { return std::max(cursor, anchor); }
    bool hasSelection() const { return cursor != anchor; }

    void moveTo(qsizetype position, bool extend) {
        if (!extend) anchor = position;
        cursor = position;
    }
    void selectAll() {
        anchor = 0;
        cursor = text.size();
    }
    void deselect() { anchor = cursor; }
    void removeSelection() {
        const qsizetype start = selectionStart();
        text.remove(start, selectionEnd() - start);
        cursor = anchor = start;
    }
    void replaceSelection(const QString& inserted) {
        removeSelection();
        text.insert(cursor, inserted);
        cursor = anchor = cursor + inserted.size();
    }
    // A field written by a conversion: the caret goes to the end. The same text is not written
    // again, so the caret stays. Returns whether the text was written.
    bool write(const QString& content, const QString& hint) {
        converted = content;
        holdsConversion = true;
        placeholder = hint;
        if (text == content) return false;
        text = content;
        cursor = anchor = content.size();
        return true;
    }
};

// Caret movement one character at a time is exact in the model only where every UTF-16 unit is a
// character of its own and the text runs left to right; elsewhere the grapheme and bidi rules of
// the text layout decide, and the model checks the edit's shape instead.
bool isSimple(const QString& text) {
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t unit = text[i].unicode();
        const bool plain = (unit < 0x0300 && unit != u'\r') || (unit >= 0xFF01 && unit <= 0xFF5E);
        if (!plain) return false;
    }
    return true;
}

// The single-line field takes typed text that is printable or a format character, as a text
// field of the desktop does; control characters typed on their own are dropped.
bool isTypeable(const QString& text) {
    if (text.isEmpty()) return false;
    const QChar first = text[0];
    if (first.category() == QChar::Other_Format) return true;
    if (first.isPrint() || first.category() == QChar::Other_PrivateUse) return true;
    return first.isHighSurrogate() && text.size() > 1 && text[1].isLowSurrogate();
}

// A single-line field takes a pasted text up to its first line break.
QString firstLine(const QString& text) {
    qsizetype end = 0;
    while (end < text.size() && text[end] != u'\n' && text[end] != u'\r') ++end;
    return text.first(end);
}

QString escaped(const QString& text, qsizetype from, qsizetype count) {
    QString out;
    const qsizetype end = std::min(text.size(), from + count);
    for (qsizetype i = std::max<qsizetype>(0, from); i < end; ++i) {
        const char16_t unit = text[i].unicode();
        if (unit >= 0x20 && unit < 0x7F) {
            out += QChar(unit);
        } else {
            out += QStringLiteral("\\u%1").arg(unsigned(unit), 4, 16, QLatin1Char('0'));
        }
    }
    return out;
}

// Where two texts first differ, shown around that place.
std::string describeDifference(const QString& seen, const QString& expected) {
    qsizetype at = 0;
    while (at < seen.size() && at < expected.size() && seen[at] == expected[at]) ++at;
    return QStringLiteral(
               "lengths %1 (seen) and %2 (expected), first difference at %3: seen \"%4\", "
               "expected \"%5\"")
        .arg(seen.size())
        .arg(expected.size())
        .arg(at)
        .arg(escaped(seen, at - 8, 24), escaped(expected, at - 8, 24))
        .toStdString();
}

// Hostile clipboard texts. Most are short; now and then a numeral far beyond the limit.
class Pastes {
public:
    explicit Pastes(std::mt19937_64& random) : random_(random) {
        const QChar highSurrogate(char16_t(0xD800));
        const QChar lowSurrogate(char16_t(0xDC00));
        fixed_ = {
            QStringLiteral("255"),
            QStringLiteral("ff"),
            QStringLiteral("FfFf"),
            QStringLiteral("0000007f"),
            QStringLiteral("9007199254740993"),
            QStringLiteral("18446744073709551616"),
            QString(),
            QStringLiteral("12\t34"),
            QStringLiteral("1\r\n2"),
            QStringLiteral("\n"),
            QStringLiteral("\x01\x02\x1b[0m"),
            QString(QChar(u'1')) + QChar(char16_t(0)) + QStringLiteral("2"),
            QString(3, QChar(char16_t(0))),
            QString(highSurrogate) + QStringLiteral("12"),
            QStringLiteral("34") + lowSurrogate,
            QString(lowSurrogate) + highSurrogate,
            QStringLiteral("\u200F123\u200E"),
            QStringLiteral("\u202E45\u202C"),
            QStringLiteral("\u05D0\u05D1 12"),
            QStringLiteral("\u0661\u0662\u0663"),
            QStringLiteral("\U0001F600"),
            QStringLiteral("\U0001F1E9\U0001F1EA12"),
            QStringLiteral("\U0001F468\u200D\U0001F469\u200D\U0001F467"),
            QStringLiteral("\uFF11\uFF12\uFF13"),
            QStringLiteral("\uFEFF42"),
            QStringLiteral("1\u03012"),
            QStringLiteral(" 12"),
            QStringLiteral("-5"),
            QStringLiteral("1.5"),
            QStringLiteral("0x1F"),
        };
    }

    // Numerals past the length limit are rare: every keystroke in a field that holds one lays
    // out the whole line again, which costs tens of milliseconds.
    QString next() {
        const int kind = pick(1000);
        if (kind < 350) return digits(1 + pick(30), u"0123456789");
        if (kind < 500) return digits(1 + pick(20), u"0123456789abcdefABCDEF");
        if (kind < 850) return fixed_[std::size_t(pick(int(fixed_.size())))];
        if (kind < 950) return digits(290 + pick(40), u"0123456789");
        if (kind < 994) return digits(240 + pick(40), u"0123456789ABCDEF");
        if (kind < 997) return QString(qsizetype(zif::kMaxNumeralLength), QChar(u'9'));
        return digits(40000, u"0123456789");
    }

    QString digits(qsizetype count, std::u16string_view alphabet) {
        QString out(count, Qt::Uninitialized);
        for (qsizetype i = 0; i < count; ++i)
            out[i] = QChar(alphabet[std::size_t(pick(int(alphabet.size())))]);
        return out;
    }

private:
    int pick(int bound) { return std::uniform_int_distribution<int>(0, bound - 1)(random_); }

    std::mt19937_64& random_;
    std::vector<QString> fixed_;
};

struct Key {
    Qt::Key code;
    Qt::KeyboardModifiers modifiers;
    QString text;
};

class Soak {
public:
    Soak(std::uint64_t seed, long events, int hugePastes)
        : seed_(seed),
          events_(events),
          random_(seed),
          pastes_(random_),
          hugeAt_(std::size_t(hugePastes)) {}

    int run();

private:
    int pick(int bound) { return std::uniform_int_distribution<int>(0, bound - 1)(random_); }
    FieldEdit* edit(int number) const { return number == 1 ? window_->text1() : window_->text2(); }
    FieldModel& model(int number) { return number == 1 ? model1_ : model2_; }
    QWindow* handle() const { return window_->windowHandle(); }

    void step(long index);
    void typeSomething();
    void pressKey(const Key& key);
    void releaseKey(const Key& key);
    void tab(bool backwards);
    void pasteWithKeys(const QString& clip);
    void pasteFromContextMenu(const QString& clip);
    void setClipboard(const QString& clip);
    void convertOnRelease();
    void moveCaret(const Key& key, bool right, bool extend);
    void deleteCharacter(const Key& key, bool before);
    void check();
    void checkField(int number);
    [[noreturn]] void fail(const std::string& what);
    void note(std::string what);

    std::uint64_t seed_;
    long events_;
    long index_ = 0;
    std::mt19937_64 random_;
    Pastes pastes_;
    std::unique_ptr<Form1Window> window_;
    FieldModel model1_;
    FieldModel model2_;
    int focus_ = 1;
    // Whether the model knows the caret of each field exactly (see isSimple).
    bool exact_[3] = {true, true, true};
    std::deque<std::string> recent_;
    std::map<std::pair<int, std::u16string>, std::pair<QString, QString>> conversions_;
    qint64 worstReleaseNs_ = 0;
    std::string worstRelease_;
    qint64 worstBigPasteNs_ = 0;
    qint64 worstFrameNs_ = 0;
    long releases_ = 0;
    long bigPastes_ = 0;
    long overflows_ = 0;
    std::vector<long> hugeAt_;
};

int Soak::run() {
    std::printf("soak: seed %" PRIu64 ", %ld events\n", seed_, events_);
    std::fflush(stdout);
    window_ = std::make_unique<Form1Window>();
    window_->show();
    window_->activateWindow();
    if (!QTest::qWaitForWindowActive(window_.get())) fail("the window never became active");
    if (QApplication::focusWidget() != edit(1)) fail("the window did not start in Text1");
    // A few pastes of a megabyte of digits, at random places in the run.
    for (long& at : hugeAt_) at = std::uniform_int_distribution<long>(0, events_ - 1)(random_);

    QElapsedTimer clock;
    clock.start();
    for (index_ = 0; index_ < events_; ++index_) step(index_);
    std::printf(
        "soak: %ld events, %ld key releases checked, %ld pastes of 1 MiB, %ld overflows shown, "
        "%.1f s\n",
        events_, releases_, bigPastes_, overflows_, double(clock.elapsed()) / 1000.0);
    std::printf("soak: worst key release to other field written: %.2f ms (%s)\n",
                double(worstReleaseNs_) / 1e6, worstRelease_.c_str());
    std::printf("soak: worst key release in a field of 1 MiB: %.2f ms\n",
                double(worstBigPasteNs_) / 1e6);
    std::printf("soak: worst key release including the repaint that follows: %.2f ms\n",
                double(worstFrameNs_) / 1e6);
    return 0;
}

void Soak::step(long index) {
    for (long at : hugeAt_) {
        if (at == index) {
            ++bigPastes_;
            pasteWithKeys(QString(qsizetype(1) << 20, QChar(u'7')));
            return;
        }
    }
    // A field that holds a huge text is mostly cleared soon, as a person would; every keystroke
    // in it lays out the whole line again.
    if (model(focus_).text.size() > 10000 && pick(2) == 0) {
        const Key selectAll{Qt::Key_A, Qt::ControlModifier, {}};
        pressKey(selectAll);
        model(focus_).selectAll();
        releaseKey(selectAll);
        return;
    }
    const int kind = pick(1000);
    if (kind < 420) return typeSomething();
    if (kind < 520) return deleteCharacter({Qt::Key_Backspace, Qt::NoModifier, {}}, true);
    if (kind < 570) return deleteCharacter({Qt::Key_Delete, Qt::NoModifier, {}}, false);
    if (kind < 620) return moveCaret({Qt::Key_Left, Qt::NoModifier, {}}, false, false);
    if (kind < 670) return moveCaret({Qt::Key_Right, Qt::NoModifier, {}}, true, false);
    if (kind < 690) return moveCaret({Qt::Key_Left, Qt::ShiftModifier, {}}, false, true);
    if (kind < 710) return moveCaret({Qt::Key_Right, Qt::ShiftModifier, {}}, true, true);
    if (kind < 760) {
        const bool end = pick(2) == 0;
        const bool extend = pick(3) == 0;
        const Key key{
            end ? Qt::Key_End : Qt::Key_Home, extend ? Qt::ShiftModifier : Qt::NoModifier, {}};
        pressKey(key);
        model(focus_).moveTo(end ? model(focus_).text.size() : 0, extend);
        releaseKey(key);
        return;
    }
    if (kind < 775) {
        const Key selectAll{Qt::Key_A, Qt::ControlModifier, {}};
        pressKey(selectAll);
        model(focus_).selectAll();
        releaseKey(selectAll);
        return;
    }
    if (kind < 810) return tab(false);
    if (kind < 840) return tab(true);
    if (kind < 940) return pasteWithKeys(pastes_.next());
    if (kind < 960) return pasteFromContextMenu(pastes_.next());
    // A modifier pressed and released alone still converts.
    const Qt::Key modifier =
        std::array{Qt::Key_Shift, Qt::Key_Control, Qt::Key_Alt}[std::size_t(pick(3))];
    const Key key{modifier, Qt::NoModifier, {}};
    pressKey(key);
    releaseKey(key);
}

void Soak::typeSomething() {
    static const std::vector<QString> others{
        QStringLiteral("g"),      QStringLiteral("z"),         QStringLiteral(" "),
        QStringLiteral("-"),      QStringLiteral("."),         QStringLiteral("\uFF15"),
        QStringLiteral("\u200F"), QStringLiteral("\u05D0"),    QStringLiteral("\U0001F600"),
        QStringLiteral("\u00E4"), QString(QChar(char16_t(0))), QStringLiteral("\x01"),
        QStringLiteral("\t"),
    };
    const int kind = pick(100);
    QString text;
    if (kind < 60) {
        text = QChar(u'0' + pick(10));
    } else if (kind < 85) {
        text = QChar(u"abcdefABCDEF"[pick(12)]);
    } else {
        text = others[std::size_t(pick(int(others.size())))];
    }
    Qt::Key code = Qt::Key_unknown;
    const char16_t first = text[0].unicode();
    if (first >= u'0' && first <= u'9') code = Qt::Key(first);
    if (first >= u'a' && first <= u'z') code = Qt::Key(first - u'a' + u'A');
    if (first >= u'A' && first <= u'Z') code = Qt::Key(first);
    if (first == u' ') code = Qt::Key_Space;
    if (first == u'\t') code = Qt::Key_Tab;
    if (code == Qt::Key_Tab) return tab(false);
    const Key key{code, Qt::NoModifier, text};
    pressKey(key);
    if (isTypeable(text)) model(focus_).replaceSelection(text);
    releaseKey(key);
}

void Soak::pressKey(const Key& key) {
    note("press " + QKeySequence(int(key.code) | int(key.modifiers)).toString().toStdString() +
         " \"" + escaped(key.text, 0, 8).toStdString() + "\" in Text" + std::to_string(focus_));
    qt_handleKeyEvent(handle(), QEvent::KeyPress, key.code, key.modifiers, key.text);
    QCoreApplication::processEvents();
}

// The release reaches the field that has the focus now; it converts that field into the other.
void Soak::releaseKey(const Key& key) {
    QElapsedTimer clock;
    clock.start();
    qt_handleKeyEvent(handle(), QEvent::KeyRelease, key.code, key.modifiers, key.text);
    const qint64 answered = clock.nsecsElapsed();
    QCoreApplication::processEvents();
    const qint64 spent = clock.nsecsElapsed();
    worstFrameNs_ = std::max(worstFrameNs_, spent);
    if (answered > worstReleaseNs_) {
        worstReleaseNs_ = answered;
        worstRelease_ = "event " + std::to_string(index_) + ", Text" + std::to_string(focus_) +
                        " of " + std::to_string(model(focus_).text.size()) + " units";
    }
    if (model(focus_).text.size() >= (qsizetype(1) << 20)) {
        worstBigPasteNs_ = std::max(worstBigPasteNs_, answered);
    }
    ++releases_;
    convertOnRelease();
    check();
}

// The release converts, unless the field holds only what a conversion put there and converting
// it would destroy the other field's input: the emptiness left by a mistyped or over-long
// numeral, or an over-long result.
void Soak::convertOnRelease() {
    const int source = focus_;
    const int target = 3 - focus_;
    FieldModel& from = model(source);
    if (from.text.isEmpty()
            ? from.holdsConversion && from.converted.isEmpty()
            : from.text.size() > qsizetype(zif::kMaxNumeralLength) && from.text == from.converted) {
        return;
    }
    const std::u16string text = from.text.toStdU16String();
    const auto key = std::make_pair(source, text);
    auto found = conversions_.find(key);
    if (found == conversions_.end()) {
        std::pair<QString, QString> result;
        try {
            result.first = QString::fromStdU16String(source == 1 ? zif::ConvertBase(text, 10, 16)
                                                                 : zif::ConvertBase(text, 16, 10));
        } catch (const zif::RuntimeError& error) {
            if (error.number() != zif::kOverflowError) throw;
            result.second = kOverflowPlaceholder;
        }
        if (conversions_.size() > 256) conversions_.clear();
        found = conversions_.emplace(key, std::move(result)).first;
    }
    if (!found->second.second.isEmpty()) ++overflows_;
    if (model(target).write(found->second.first, found->second.second)) exact_[target] = true;
    from.placeholder.clear();
    from.holdsConversion = false;
}

void Soak::tab(bool backwards) {
    const Key key = backwards ? Key{Qt::Key_Backtab, Qt::ShiftModifier, {}}
                              : Key{Qt::Key_Tab, Qt::NoModifier, {}};
    pressKey(key);
    model(focus_).deselect();
    focus_ = 3 - focus_;
    model(focus_).selectAll();
    exact_[focus_] = true;
    releaseKey(key);
}

void Soak::setClipboard(const QString& clip) {
    QGuiApplication::clipboard()->setText(clip);
    note("clipboard: " + std::to_string(clip.size()) + " units \"" +
         escaped(clip, 0, 24).toStdString() + "\"");
}

void Soak::pasteWithKeys(const QString& clip) {
    setClipboard(clip);
    const Key key{Qt::Key_V, Qt::ControlModifier, {}};
    pressKey(key);
    model(focus_).replaceSelection(firstLine(clip));
    releaseKey(key);
}

// Pasting with the mouse changes the field but converts nothing until the next key release.
void Soak::pasteFromContextMenu(const QString& clip) {
    setClipboard(clip);
    FieldEdit* field = edit(focus_);
    note("context menu paste in Text" + std::to_string(focus_));
    QTest::mouseClick(handle(), Qt::RightButton, Qt::NoModifier,
                      field->mapTo(window_.get(), field->rect().center()));
    auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    if (menu == nullptr) fail("no context menu opened");
    QAction* paste = nullptr;
    for (QAction* action : menu->actions()) {
        if (action->text().startsWith(QStringLiteral("Einf&\u00FCgen"))) paste = action;
    }
    if (paste == nullptr) fail("the context menu has no paste");
    // The menu deletes itself with its actions once closed.
    const bool enabled = paste->isEnabled();
    if (enabled) paste->trigger();
    menu->close();
    QCoreApplication::processEvents();
    if (enabled) model(focus_).replaceSelection(firstLine(clip));
    check();
}

void Soak::moveCaret(const Key& key, bool right, bool extend) {
    FieldModel& field = model(focus_);
    pressKey(key);
    if (exact_[focus_] && isSimple(field.text)) {
        // A selection does not stop the caret: it steps on from where it stands.
        const qsizetype to = right ? std::min(field.cursor + 1, field.text.size())
                                   : std::max<qsizetype>(field.cursor - 1, 0);
        field.moveTo(to, extend);
    } else {
        // Moving the caret never changes the text; where it lands is the layout's business,
        // but never inside a surrogate pair.
        const FieldEdit* widget = edit(focus_);
        const qsizetype at = widget->cursorPosition();
        if (at > 0 && at < field.text.size() && field.text[at].isLowSurrogate() &&
            field.text[at - 1].isHighSurrogate()) {
            fail("the caret stands inside a surrogate pair");
        }
        field.cursor = at;
        field.anchor = !widget->hasSelectedText()       ? at
                       : widget->selectionStart() == at ? widget->selectionEnd()
                                                        : widget->selectionStart();
        exact_[focus_] = false;
    }
    releaseKey(key);
}

void Soak::deleteCharacter(const Key& key, bool before) {
    FieldModel& field = model(focus_);
    const QString old = field.text;
    pressKey(key);
    if (field.hasSelection()) {
        field.removeSelection();
    } else if (exact_[focus_] && isSimple(field.text)) {
        if (before && field.cursor > 0) {
            field.text.remove(--field.cursor, 1);
        } else if (!before && field.cursor < field.text.size()) {
            field.text.remove(field.cursor, 1);
        }
        field.anchor = field.cursor;
    } else {
        // One character goes, which may be several units (a surrogate pair, a cluster), and
        // it must be the one beside the caret.
        const QString now = edit(focus_)->text();
        const qsizetype removed = old.size() - now.size();
        const qsizetype from = before ? field.cursor - removed : field.cursor;
        if (removed < 0 || from < 0 ||
            (removed == 0 && (before ? field.cursor != 0 : field.cursor != old.size())) ||
            QString(old).remove(from, removed) != now) {
            fail(
                "Backspace or Delete removed something other than the character beside the "
                "caret: " +
                describeDifference(now, QString(old).remove(from, removed)));
        }
        field.text = now;
        field.cursor = field.anchor = from;
    }
    releaseKey(key);
}

void Soak::check() {
    if (QApplication::focusWidget() != edit(focus_)) fail("the focus is not where it should be");
    checkField(1);
    checkField(2);
}

void Soak::checkField(int number) {
    const FieldEdit* widget = edit(number);
    const FieldModel& expected = model(number);
    const std::string name = "Text" + std::to_string(number);
    if (widget->text() != expected.text) {
        fail(name + " holds other text than typed and pasted: " +
             describeDifference(widget->text(), expected.text));
    }
    if (widget->placeholderText() != expected.placeholder) {
        fail(name + " shows the placeholder \"" + widget->placeholderText().toStdString() +
             "\", expected \"" + expected.placeholder.toStdString() + "\"");
    }
    if (!exact_[number]) return;
    const qsizetype start =
        widget->hasSelectedText() ? widget->selectionStart() : widget->cursorPosition();
    const qsizetype length = widget->selectedText().size();
    if (widget->cursorPosition() != expected.cursor || start != expected.selectionStart() ||
        length != expected.selectionEnd() - expected.selectionStart()) {
        fail(name + ": caret " + std::to_string(widget->cursorPosition()) + " selection " +
             std::to_string(start) + "+" + std::to_string(length) + ", expected caret " +
             std::to_string(expected.cursor) + " selection " +
             std::to_string(expected.selectionStart()) + "+" +
             std::to_string(expected.selectionEnd() - expected.selectionStart()));
    }
}

void Soak::note(std::string what) {
    std::string line = std::to_string(index_);
    line.append(": ").append(what);
    recent_.push_back(std::move(line));
    if (recent_.size() > 12) recent_.pop_front();
}

void Soak::fail(const std::string& what) {
    std::fprintf(stderr, "soak: FAILED at event %ld: %s\n", index_, what.c_str());
    std::fprintf(stderr, "soak: the last events were:\n");
    for (const std::string& line : recent_) std::fprintf(stderr, "  %s\n", line.c_str());
    std::fprintf(stderr, "soak: repeat with ZIF_SOAK_SEED=%" PRIu64 " and --events %ld\n", seed_,
                 events_);
    std::exit(1);
}

}  // namespace

int main(int argc, char* argv[]) {
    Application app(argc, argv);
    long events = 100000;
    int hugePastes = 3;
    for (int i = 1; i + 1 < argc; ++i) {
        if (std::string(argv[i]) == "--events") events = std::strtol(argv[i + 1], nullptr, 10);
        if (std::string(argv[i]) == "--huge") hugePastes = std::atoi(argv[i + 1]);
    }
    std::uint64_t seed = std::random_device{}();
    if (const char* fixed = std::getenv("ZIF_SOAK_SEED")) seed = std::strtoull(fixed, nullptr, 10);
    // An error report would wait for a person; in the soak it is a failure.
    app.setReporter([seed](const QString&, const QString& text) {
        std::fprintf(stderr, "soak: FAILED, the program reported \"%s\"\n",
                     text.toStdString().c_str());
        std::fprintf(stderr, "soak: repeat with ZIF_SOAK_SEED=%" PRIu64 "\n", seed);
        std::exit(1);
    });
    Soak soak(seed, std::max(events, 1L), hugePastes);
    return soak.run();
}
