// A randomized user on the real window: seeded runs of presses, moves and releases with every
// button and modifier in, around and far outside both views, the kind menu, every button of
// the side bar, the dialogs (answered at random), loads of good and broken files and of the
// examples, saves, exports, copies, resizes from no area to large, and the keyboard
// shortcuts, also while a button is held. After every action the window's invariants are
// checked; undo followed by redo must give back what the user saw, and a save must hold what
// the editor showed.
//
// The environment chooses the runs:
//   RAMULET_MONKEY_SEEDS=1-4,9   seeds (ranges and single seeds, separated by commas)
//   RAMULET_MONKEY_ACTIONS=400   actions per seed
//   RAMULET_MONKEY_TRACE=1       print every action as it is done, with its time
// A failure (and a crash or a sanitizer report) prints the seed, the action number and the
// last actions; the same seed and count replay it.

#include "apptesthelpers.h"
#include "windowlook.h"

#include "app/branchvalueswindow.h"
#include "app/filecommands.h"
#include "app/swatch.h"
#include "app/undo.h"
#include "core/branchvalues.h"
#include "core/segments.h"
#include "editor/editordraw.h"
#include "io/templatefile.h"
#include "view/renderpipeline.h"

#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QDropEvent>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QMenu>
#include <QMimeData>
#include <QPainter>
#include <QPointer>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QUndoStack>
#include <QUrl>
#include <QWheelEvent>

#include <unistd.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <deque>
#include <iterator>
#include <map>
#include <optional>
#include <random>
#include <tuple>
#include <utility>
#include <vector>

#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/common_interface_defs.h>

// The undefined-behaviour checker keeps its own death callbacks; an abort instead of its
// plain exit lets the signal handler below print the last actions.
extern "C" const char *__ubsan_default_options()
{
    return "abort_on_error=1";
}
#endif

using namespace ramulet;
using namespace ramulet_test;

namespace {

constexpr int DefaultActions = 400;
constexpr size_t LogLength = 30;

// ---------------------------------------------------------------------------------------
// The runs the environment asks for.

std::vector<quint64> SeedsFromEnvironment()
{
    const QByteArray text = qgetenv("RAMULET_MONKEY_SEEDS");
    std::vector<quint64> seeds;
    for (const QByteArray &part : (text.isEmpty() ? QByteArray("1-10") : text).split(',')) {
        const QList<QByteArray> ends = part.trimmed().split('-');
        bool ok1 = false;
        bool ok2 = false;
        const quint64 first = ends.value(0).toULongLong(&ok1);
        const quint64 last = ends.size() == 2 ? ends.value(1).toULongLong(&ok2) : first;
        if (!ok1 || (ends.size() == 2 && !ok2) || ends.size() > 2 || last < first) {
            qWarning("RAMULET_MONKEY_SEEDS: cannot read \"%s\"", part.constData());
            return {};
        }
        for (quint64 s = first; s <= last; ++s) {
            seeds.push_back(s);
        }
    }
    return seeds;
}

int ActionsFromEnvironment()
{
    bool ok = false;
    const int n = qEnvironmentVariableIntValue("RAMULET_MONKEY_ACTIONS", &ok);
    return ok && n > 0 ? n : DefaultActions;
}

// ---------------------------------------------------------------------------------------
// The last actions, kept ready to print from a signal handler or a sanitizer's report.

std::array<char, 32768> g_crashNote{};
size_t g_crashNoteLength = 0;

void WriteCrashNote()
{
    if (g_crashNoteLength > 0) {
        const ssize_t ignored = write(STDERR_FILENO, g_crashNote.data(), g_crashNoteLength);
        (void)ignored;
    }
}

struct sigaction g_previous[32];

void OnFatalSignal(int sig)
{
    WriteCrashNote();
    sigaction(sig, &g_previous[sig], nullptr);
    raise(sig);
}

void InstallCrashNote()
{
    for (int sig : {SIGSEGV, SIGABRT, SIGFPE, SIGBUS, SIGILL}) {
        struct sigaction a {};
        a.sa_handler = OnFatalSignal;
        sigemptyset(&a.sa_mask);
        sigaction(sig, &a, &g_previous[sig]);
    }
#if defined(__SANITIZE_ADDRESS__)
    __sanitizer_set_death_callback(WriteCrashNote);
#endif
}

// ---------------------------------------------------------------------------------------
// What the randomized test compares after a command that must change nothing the user sees
// of the template: the rows' pixel points and kinds, the colours, the pen-width list, the
// names and what a save would write; after a redraw of the editor at another size, the
// kinds alone of the rows.
constexpr unsigned SeenParts =
    look::RowKinds | look::RowPoints | look::Colours | look::PenIndex | look::Names | look::Saved;
constexpr unsigned SeenWithoutPoints = look::RowKinds | look::Colours | look::PenIndex | look::Names;

// The editor's default view for the window's present size (its last size with area while
// the views have none): where the editor draws.
ViewState EditorView(TMainform &w)
{
    ViewState v = w.view();
    v.ResetView();
    return v;
}

bool StandardTrunk(const TBranch &trunk)
{
    return trunk.P == TPointE{0.0L, 0.0L} && trunk.V == TPointE{0.0L, 1.0L};
}

// Empty when a moved row drawn at `start`-`end` is where the model values taken from its
// pixel points `shown` (in `t`, drawn in `view`) put it back, as a save and a load or a
// resize there and back do. The start is projected onto the trunk's line, upright on
// screen, and the end moves with it. Then each point may be a pixel off for the rounding at
// either end, plus what the trunk's length on screen (which the normalisation measures in)
// differs from the scale the values are drawn with, over the point's distance from the
// trunk's foot. Without a trunk on screen the rows keep the values they had: not compared.
QString MovedRowOff(const TBranch &shown, TPixel start, TPixel end, const BranchTable &t,
                    const ViewState &view)
{
    const long double trunkPixels = TrunkPixelLength(t);
    if (trunkPixels == 0) {
        return QString();
    }
    // In extended precision: a loaded row may have its points anywhere in the 32-bit range.
    using P = std::pair<long double, long double>;
    const auto at = [](TPixel p) { return P(p.x, p.y); };
    const auto cityBlock = [](P a, P b) {
        return std::fabs(a.first - b.first) + std::fabs(a.second - b.second);
    };
    const auto off = [](P a, P b) {
        return std::max(std::fabs(a.first - b.first), std::fabs(a.second - b.second));
    };
    const long double scaleError = std::fabs(view.ViewScale - trunkPixels) / trunkPixels;
    const P foot = at(t.Branches[0].screenStart);
    const P wantStart(foot.first, shown.screenStart.y);
    const P wantEnd(at(shown.screenEnd).first + foot.first - shown.screenStart.x,
                    shown.screenEnd.y);
    const long double startTol = 1.0L + cityBlock(wantStart, foot) * scaleError + 1e-6L;
    const long double endTol = startTol + cityBlock(wantEnd, wantStart) * scaleError;
    if (off(at(start), wantStart) <= startTol && off(at(end), wantEnd) <= endTol) {
        return QString();
    }
    return QStringLiteral("%1-%2 for the moved %3-%4 (within %5 and %6 pixels)")
        .arg(Pixel(start), Pixel(end), Pixel(shown.screenStart), Pixel(shown.screenEnd))
        .arg(static_cast<double>(startTol))
        .arg(static_cast<double>(endTol));
}

// The actions.
enum class Act {
    Hover,
    Press,
    MoveHeld,
    Release,
    RightClick,
    MenuKey,
    ClickElsewhere,
    Add,
    Depth,
    Edit,
    Reset,
    Close,
    Colour,
    PenWidth,
    Fit,
    OtherBox,
    Undo,
    Redo,
    Resize,
    Load,
    Gallery,
    Save,
    Export,
    Copy,
    Shortcut,
    Values,    // the values window: opened with Ctrl+T, or a value typed into a cell
    EditorKey, // an arrow (with or without Shift), Delete or Escape
    Wheel,
    Home,
    Count
};

constexpr int ActCount = static_cast<int>(Act::Count);

class Monkey {
public:
    Monkey(quint64 seed, const QString &dir) : m_rng(seed), m_seed(seed), m_dir(dir) {}

    // Runs `actions` actions; an empty text when every check held, else the report.
    QString run(int actions)
    {
        if (QString e = openWindow(); !e.isEmpty()) {
            return report(e);
        }
        QElapsedTimer whole;
        whole.start();
        for (m_actionNo = 1; m_actionNo <= actions; ++m_actionNo) {
            QElapsedTimer one;
            one.start();
            m_current.clear();
            const Act act = choose();
            if (act != Act::MoveHeld && act != Act::Press && act != Act::Release) {
                m_gesture.reset();
            }
            QString failure = perform(act);
            if (failure.isEmpty()) {
                failure = std::exchange(m_dialogFailure, QString());
            }
            if (failure.isEmpty()) {
                failure = checkInvariants();
            }
            if (failure.isEmpty() && m_w && !m_w->editMode() && percent(30)) {
                failure = checkTree();
            }
            if (failure.isEmpty() && m_w) {
                failure = checkUndoRedo();
            }
            m_elapsed = one.elapsed();
            if (m_elapsed > m_slowest) {
                m_slowest = m_elapsed;
                m_slowestAction = m_actionNo;
            }
            remember();
            noteSteps();
            if (!failure.isEmpty()) {
                return report(failure);
            }
            m_last = act;
        }
        g_crashNoteLength = 0;
        qInfo("seed %llu: %d actions; checked %d undos and redos, %d saves, %d loads (%d "
              "refused), %d trees; %d resizes to a new size, %d windows; %lld ms, the slowest "
              "action %d with its checks %lld ms",
              static_cast<unsigned long long>(m_seed), actions, m_count.undoChecks,
              m_count.savesChecked, m_count.loads, m_count.refused, m_count.treeChecks, m_resizes,
              m_count.windows, static_cast<long long>(whole.elapsed()), m_slowestAction,
              static_cast<long long>(m_slowest));
        return QString();
    }

private:
    // --- Random choices --------------------------------------------------------------------

    quint64 next() { return m_rng(); }
    int below(int n) { return n <= 1 ? 0 : static_cast<int>(next() % static_cast<quint64>(n)); }
    int between(int lo, int hi) { return lo + below(hi - lo + 1); }
    bool percent(int p) { return below(100) < p; }
    template <typename T> const T &pick(const std::vector<T> &v)
    {
        return v[size_t(below(int(v.size())))];
    }
    long double real(long double lo, long double hi)
    {
        return lo + (hi - lo) * static_cast<long double>(next() >> 11) / 9007199254740992.0L;
    }

    void note(const QString &text)
    {
        if (!m_current.isEmpty()) {
            m_current += QStringLiteral("; ");
        }
        m_current += text;
    }

    // --- The window --------------------------------------------------------------------

    PictureView *editor() { return m_w->editorView(); }
    PictureView *tree() { return m_w->treeView(); }
    QToolButton *button(const char *name)
    {
        return m_w->findChild<QToolButton *>(QLatin1String(name));
    }
    template <typename T> T *child(const char *name)
    {
        return m_w->findChild<T *>(QLatin1String(name));
    }

    QString openWindow()
    {
        m_w.reset(); // one window at a time: they share the program's template
        m_pushedAtResize.clear();
        ++m_count.windows;
        m_held = Qt::NoButton;
        m_target = nullptr;
        m_w = std::make_unique<TMainform>();
        DialogHooks hooks;
        hooks.beep = [this] { ++m_beeps; };
        hooks.askYesNo = [this](const QString &text) {
            const bool yes = m_answer ? *m_answer : percent(50);
            ++m_questions;
            m_lastAnswer = yes;
            note(QStringLiteral("asked \"%1\": %2").arg(text.left(30), yes ? "Yes" : "No"));
            return yes;
        };
        hooks.warn = [this](const QString &text) {
            ++m_warnings;
            note(QStringLiteral("warned \"%1\"").arg(text.left(60).replace('\n', ' ')));
        };
        hooks.chooseColor = [this](const QColor &) -> std::optional<QColor> {
            dialogOpens("colour dialog");
            const int r = below(10);
            if (r == 0) {
                note(QStringLiteral("colour dialog cancelled"));
                return std::nullopt;
            }
            if (r == 1) {
                note(QStringLiteral("colour dialog gave an invalid colour"));
                return QColor();
            }
            const QColor c(below(256), below(256), below(256));
            note(QStringLiteral("colour %1 chosen").arg(c.name()));
            return c;
        };
        hooks.popup = [this](QMenu *menu, const QPoint &) {
            dialogOpens("kind menu");
            answerMenu(menu);
        };
        hooks.chooseOpenFile = [this] {
            dialogOpens("open dialog");
            const QString path = m_openAnswer;
            note(path.isEmpty() ? QStringLiteral("open dialog cancelled")
                                : QStringLiteral("open dialog gave %1").arg(shortName(path)));
            return path;
        };
        hooks.chooseExample = [this](const QStringList &examples) {
            dialogOpens("gallery");
            m_exampleChosen = percent(15) || examples.isEmpty()
                                  ? QString()
                                  : examples.at(below(int(examples.size())));
            note(
                m_exampleChosen.isEmpty()
                    ? QStringLiteral("gallery closed")
                    : QStringLiteral("gallery gave %1").arg(QFileInfo(m_exampleChosen).fileName()));
            return m_exampleChosen;
        };
        hooks.chooseSaveFile = [this](const QString &preset) {
            dialogOpens("save dialog");
            ++m_saveDialogs;
            const QString path = saveAnswer(preset);
            note(path.isEmpty() ? QStringLiteral("save dialog cancelled")
                                : QStringLiteral("save dialog gave %1").arg(shortName(path)));
            m_saveChosen = path;
            return path;
        };
        SetDialogHooks(*m_w, hooks);
        ExportHooks exportHooks;
        exportHooks.chooseFile = [this](const QString &, QString *filter) {
            dialogOpens("export dialog");
            if (percent(15)) {
                note(QStringLiteral("export dialog cancelled"));
                return QString();
            }
            static const QStringList filters{QStringLiteral("SVG (*.svg)"),
                                             QStringLiteral("PNG (*.png)"),
                                             QStringLiteral("PDF (*.pdf)")};
            static const QStringList extensions{QString(), ".svg", ".png", ".pdf", ".PNG", ".txt"};
            if (percent(60)) {
                *filter = filters.at(below(3));
            }
            const QString path = m_dir + QStringLiteral("/picture-%1%2")
                                             .arg(below(4))
                                             .arg(extensions.at(below(int(extensions.size()))));
            note(QStringLiteral("export to %1 as %2").arg(shortName(path), *filter));
            m_exportChosen = path;
            m_exportFilter = *filter;
            return path;
        };
        exportHooks.choosePngWidth = [this](int, int) -> std::optional<int> {
            if (percent(15)) {
                note(QStringLiteral("PNG size cancelled"));
                m_exportChosen.clear();
                return std::nullopt;
            }
            static const std::vector<int> widths{1, 7, 120, 636, 1500};
            const int width = pick(widths);
            note(QStringLiteral("PNG %1 wide").arg(width));
            return width;
        };
        SetExportHooks(*m_w, exportHooks);
        m_w->show();
        if (!QTest::qWaitForWindowExposed(m_w.get())) {
            return QStringLiteral("the window was not shown");
        }
        activate();
        settle();
        return QString();
    }

    // A modal dialog or menu does not open in the middle of a drag or a click in a view (a
    // key pressed meanwhile): the step under way would span it.
    void dialogOpens(const char *what)
    {
        if (m_w->mouseIsDown() && m_dialogFailure.isEmpty()) {
            m_dialogFailure = QStringLiteral("the %1 opened while a button was held in a view")
                                  .arg(QLatin1String(what));
        }
    }

    // The keys reach the window's shortcuts only while it is active.
    void activate()
    {
        // The window itself, not another window of it (the values window) that shares its
        // activation.
        if (QGuiApplication::focusWindow() != m_w->windowHandle()) {
            m_w->activateWindow();
            if (!QTest::qWaitFor([this] {
                    return QGuiApplication::focusWindow() == m_w->windowHandle();
                })) {
                note(QStringLiteral("the window did not become active"));
            }
        }
    }

    // Lets the window take posted events (layouts, a resize reaching the views, a queued load).
    static void settle()
    {
        for (int i = 0; i < 3; ++i) {
            QCoreApplication::sendPostedEvents();
            QCoreApplication::processEvents();
        }
    }

    QString shortName(const QString &path) const
    {
        return path.startsWith(m_dir) ? path.mid(m_dir.size() + 1) : path;
    }

    // --- Choosing the next action ------------------------------------------------------

    Act choose()
    {
        std::array<int, ActCount> w{};
        auto set = [&w](Act a, int weight) { w[static_cast<size_t>(a)] = weight; };
        auto boost = [&w](Act a, int factor) { w[static_cast<size_t>(a)] *= factor; };
        if (m_held != Qt::NoButton) {
            // A button is held: the view has the mouse, so only the mouse, the keys, the
            // window manager (resizes, close requests) and the menu key reach the window.
            set(Act::MoveHeld, 34);
            set(Act::Release, 12);
            set(Act::Press, 3);
            set(Act::Shortcut, 4);
            set(Act::Resize, 2);
            set(Act::Close, 1);
            set(Act::MenuKey, 1);
        } else {
            const bool edit = m_w->editMode();
            set(Act::Hover, 14);
            set(Act::Press, 10);
            set(Act::RightClick, edit ? 5 : 2);
            set(Act::MenuKey, 1);
            set(Act::ClickElsewhere, 1);
            set(Act::Add, edit ? 3 : 0);
            set(Act::Depth, 5);
            set(Act::Edit, edit ? 1 : 4);
            set(Act::Reset, 1);
            set(Act::Close, 1);
            set(Act::Colour, 2);
            set(Act::PenWidth, 2);
            set(Act::Fit, 1);
            set(Act::OtherBox, 1);
            set(Act::Undo, 3);
            set(Act::Redo, 2);
            set(Act::Resize, 3);
            set(Act::Load, 3);
            set(Act::Gallery, 1);
            set(Act::Save, 3);
            set(Act::Export, 1);
            set(Act::Copy, 1);
            set(Act::Shortcut, 2);
            set(Act::Values, 4);
            set(Act::EditorKey, edit ? 3 : 1);
            set(Act::Wheel, edit ? 0 : 3);
            set(Act::Home, edit ? 0 : 1);
            // Sequences that have found faults before come often.
            switch (m_last) {
            case Act::Hover:
                if (m_w->editor().PointIndex != -1 || m_w->editor().LineIndex != -1) {
                    boost(Act::Press, 3);
                    boost(Act::RightClick, 2);
                }
                break;
            case Act::Release:
                boost(Act::Save, 4);
                boost(Act::Resize, 3);
                boost(Act::Depth, 3);
                boost(Act::Undo, 2);
                break;
            case Act::Load:
                boost(Act::Undo, 4);
                boost(Act::Depth, 2);
                boost(Act::Save, 2);
                break;
            case Act::Resize:
                boost(Act::Undo, 2);
                boost(Act::Save, 2);
                boost(Act::Press, 2);
                break;
            case Act::Undo:
                boost(Act::Redo, 3);
                boost(Act::Save, 2);
                break;
            default:
                break;
            }
        }
        int total = 0;
        for (int weight : w) {
            total += weight;
        }
        int r = below(total);
        for (int i = 0; i < ActCount; ++i) {
            r -= w[static_cast<size_t>(i)];
            if (r < 0) {
                return static_cast<Act>(i);
            }
        }
        return Act::Hover;
    }

    // --- Points --------------------------------------------------------------------------

    // The view the mouse is over: the held one while it is shown, else the one on show.
    PictureView *mouseView()
    {
        if (m_target && m_target->isVisible()) {
            return m_target;
        }
        return m_w->editMode() ? editor() : tree();
    }

    QPoint anywhere(QWidget *view)
    {
        const int wd = std::max(1, view->width());
        const int ht = std::max(1, view->height());
        switch (below(10)) {
        case 0:
            return {between(-40, wd + 40), between(-40, ht + 40)}; // just outside
        case 1:
            return {between(-20000, 20000), between(-20000, 20000)}; // far outside
        default:
            return {below(wd), below(ht)};
        }
    }

    // A point where something is: a branch's end point or line, the trunk, or anywhere.
    QPoint interesting(PictureView *view)
    {
        if (view != editor()) {
            return anywhere(view);
        }
        const BranchTable &t = m_w->table();
        const int count = std::clamp(t.BranchCount, 0, MaxBranches);
        const int r = below(100);
        if (count > 0 && r < 35) {
            const TBranch &b = t.Branches[size_t(between(1, count))];
            const int dx = between(-4, 4);
            const int reach = percent(80) ? 5 - std::abs(dx) : 8 - std::abs(dx);
            return Clamped(static_cast<long double>(b.screenEnd.x) + dx,
                           static_cast<long double>(b.screenEnd.y) + between(-reach, reach));
        }
        if (r < 65) {
            const TBranch &b = t.Branches[size_t(count > 0 && r < 60 ? between(1, count) : 0)];
            const long double f = real(0.0L, 1.0L);
            const auto along = [f](int32_t from, int32_t to) {
                return from + f * (static_cast<long double>(to) - from);
            };
            return Clamped(along(b.screenStart.x, b.screenEnd.x) + between(-2, 2),
                           along(b.screenStart.y, b.screenEnd.y) + between(-2, 2));
        }
        return anywhere(view);
    }

    // A mouse position near (x, y), within what a screen can give (a loaded template may put
    // its points anywhere in the 32-bit range).
    static QPoint Clamped(long double x, long double y)
    {
        const auto one = [](long double v) {
            return static_cast<int>(std::lround(std::clamp(v, -1.0e6L, 1.0e6L)));
        };
        return {one(x), one(y)};
    }

    static Qt::KeyboardModifiers someModifiers(int r)
    {
        switch (r % 8) {
        case 0:
            return Qt::ShiftModifier;
        case 1:
            return Qt::ControlModifier;
        case 2:
            return Qt::AltModifier;
        case 3:
            return Qt::ShiftModifier | Qt::ControlModifier;
        default:
            return Qt::NoModifier;
        }
    }

    static QString Buttons(Qt::MouseButtons b)
    {
        QStringList names;
        if (b & Qt::LeftButton)
            names << "L";
        if (b & Qt::RightButton)
            names << "R";
        if (b & Qt::MiddleButton)
            names << "M";
        return names.isEmpty() ? QStringLiteral("none") : names.join('+');
    }

    QString viewName(QWidget *v)
    {
        return v == editor() ? QStringLiteral("editor") : QStringLiteral("tree");
    }

    void sendMouse(QWidget *target, QEvent::Type type, QPoint pos, Qt::MouseButton b,
                   Qt::MouseButtons buttons, Qt::KeyboardModifiers mods)
    {
        SendMouse(target, type, pos, b, buttons, mods);
        m_pos = pos;
    }

    // --- The actions ---------------------------------------------------------------------

    QString perform(Act act)
    {
        switch (act) {
        case Act::Hover: {
            PictureView *v = mouseView();
            const QPoint p = interesting(v);
            sendMouse(v, QEvent::MouseMove, p, Qt::NoButton, Qt::NoButton, Qt::NoModifier);
            note(QStringLiteral("hover %1 at (%2,%3)").arg(viewName(v)).arg(p.x()).arg(p.y()));
            if (v == editor()) {
                note(QStringLiteral("point %1 line %2")
                         .arg(m_w->editor().PointIndex)
                         .arg(m_w->editor().LineIndex));
            }
            return QString();
        }
        case Act::Press: {
            PictureView *v = mouseView();
            const int r = below(100);
            const Qt::MouseButton b = r < 70   ? Qt::LeftButton
                                      : r < 85 ? Qt::RightButton
                                               : Qt::MiddleButton;
            if (m_held & b) {
                return perform(Act::MoveHeld);
            }
            const QPoint p = m_held != Qt::NoButton || percent(85) ? m_pos : interesting(v);
            const Qt::KeyboardModifiers mods = someModifiers(below(16));
            if (m_held == Qt::NoButton && b == Qt::LeftButton && v == editor()) {
                m_gesture =
                    Gesture{LookAt(*m_w), m_w->undoStack()->count(), m_w->undoStack()->index()};
            } else {
                m_gesture.reset();
            }
            m_held |= b;
            if (!m_target || !m_target->isVisible()) {
                m_target = v;
            }
            sendMouse(v, QEvent::MouseButtonPress, p, b, m_held, mods);
            note(QStringLiteral("press %1 in %2 at (%3,%4) mods %5, held %6")
                     .arg(Buttons(b), viewName(v))
                     .arg(p.x())
                     .arg(p.y())
                     .arg(int(mods), 0, 16)
                     .arg(Buttons(m_held)));
            // The menu opens on the press, as on this platform.
            if (b == Qt::RightButton && v == editor() && percent(60)) {
                contextMenu(QContextMenuEvent::Mouse);
            }
            return QString();
        }
        case Act::MoveHeld: {
            PictureView *v = mouseView();
            QPoint p;
            const int r = below(100);
            if (r < 60) {
                p = m_pos + QPoint(between(-30, 30), between(-30, 30));
            } else if (r < 80) {
                p = interesting(v);
            } else {
                p = anywhere(v);
            }
            sendMouse(v, QEvent::MouseMove, p, Qt::NoButton, m_held, Qt::NoModifier);
            note(QStringLiteral("move %1 held in %2 to (%3,%4)")
                     .arg(Buttons(m_held), viewName(v))
                     .arg(p.x())
                     .arg(p.y()));
            return QString();
        }
        case Act::Release: {
            PictureView *v = mouseView();
            std::vector<Qt::MouseButton> held;
            for (Qt::MouseButton b : {Qt::LeftButton, Qt::RightButton, Qt::MiddleButton}) {
                if (m_held & b) {
                    held.push_back(b);
                }
            }
            const Qt::MouseButton b = pick(held);
            m_held &= ~Qt::MouseButtons(b);
            const Qt::KeyboardModifiers mods = someModifiers(below(16));
            sendMouse(v, QEvent::MouseButtonRelease, m_pos, b, m_held, mods);
            if (m_held == Qt::NoButton) {
                m_target = nullptr;
            }
            note(QStringLiteral("release %1 in %2 at (%3,%4)")
                     .arg(Buttons(b), viewName(v))
                     .arg(m_pos.x())
                     .arg(m_pos.y()));
            return m_held == Qt::NoButton ? gestureEnds() : QString();
        }
        case Act::RightClick: {
            PictureView *v = mouseView();
            const QPoint p = percent(70) ? m_pos : interesting(v);
            if (p != m_pos) {
                sendMouse(v, QEvent::MouseMove, p, Qt::NoButton, Qt::NoButton, Qt::NoModifier);
            }
            note(QStringLiteral("right click in %1 at (%2,%3)")
                     .arg(viewName(v))
                     .arg(p.x())
                     .arg(p.y()));
            sendMouse(v, QEvent::MouseButtonPress, p, Qt::RightButton, Qt::RightButton,
                      Qt::NoModifier);
            if (v == editor()) {
                contextMenu(QContextMenuEvent::Mouse);
            }
            sendMouse(v, QEvent::MouseButtonRelease, p, Qt::RightButton, Qt::NoButton,
                      Qt::NoModifier);
            return QString();
        }
        case Act::MenuKey:
            note(QStringLiteral("menu key"));
            if (mouseView() == editor()) {
                contextMenu(QContextMenuEvent::Keyboard);
            }
            return QString();
        case Act::ClickElsewhere: {
            QWidget *where = percent(50) ? child<QWidget>("ImagePanel") : child<QWidget>("Panel4");
            note(QStringLiteral("click on %1").arg(where->objectName()));
            QTest::mouseClick(where, Qt::LeftButton, Qt::NoModifier, QPoint(2, 2));
            return QString();
        }
        case Act::Add:
            return clickIfOffered("sbAdd");
        case Act::Depth: {
            std::vector<int> offered;
            for (int n = 1; n <= MaxDepth; ++n) {
                if (m_w->depthButton(n)->isEnabled() && (n <= 10 || percent(40))) {
                    offered.push_back(n);
                }
            }
            if (offered.empty()) {
                note(QStringLiteral("no depth offered"));
                return QString();
            }
            const int n = pick(offered);
            note(QStringLiteral("depth %1").arg(n));
            QTest::mouseClick(m_w->depthButton(n), Qt::LeftButton);
            if (m_w->editMode() || m_w->depth() != n) {
                return QStringLiteral("depth button %1 did not show the tree at that depth").arg(n);
            }
            return QString();
        }
        case Act::Edit:
            return clickIfOffered("SBEdit");
        case Act::Reset:
            return reset();
        case Act::Close:
            return closeRequest();
        case Act::Colour: {
            const char *names[] = {"ShapeP", "Shape1", "shapeB"};
            const char *name = names[below(3)];
            const Qt::MouseButton b = percent(80) ? Qt::LeftButton : Qt::RightButton;
            note(QStringLiteral("click swatch %1").arg(QLatin1String(name)));
            // The background swatch lies under the two others: its free corner.
            QTest::mouseClick(child<ColorSwatch>(name), b, Qt::NoModifier, QPoint(2, 2));
            return QString();
        }
        case Act::PenWidth: {
            const Qt::Key keys[] = {Qt::Key_Up,  Qt::Key_Down,   Qt::Key_Home,
                                    Qt::Key_End, Qt::Key_PageUp, Qt::Key_PageDown};
            const Qt::Key key = keys[below(6)];
            QTest::keyClick(PenList(*m_w), key);
            note(QStringLiteral("pen-width key %1: index %2")
                     .arg(int(key), 0, 16)
                     .arg(PenList(*m_w)->currentIndex()));
            return QString();
        }
        case Act::Fit: {
            auto *box = child<QCheckBox>("cboxWide");
            QTest::mouseClick(box, Qt::LeftButton);
            note(QStringLiteral("fit box now %1").arg(box->isChecked() ? "on" : "off"));
            return QString();
        }
        case Act::OtherBox: {
            // The check boxes the window has beside the fit box, whatever they are.
            std::vector<QCheckBox *> boxes;
            for (QCheckBox *b : m_w->findChildren<QCheckBox *>()) {
                if (b->objectName() != QLatin1String("cboxWide") && b->isVisible() &&
                    b->isEnabled()) {
                    boxes.push_back(b);
                }
            }
            if (boxes.empty()) {
                note(QStringLiteral("no other check box"));
                return QString();
            }
            QCheckBox *box = pick(boxes);
            QTest::mouseClick(box, Qt::LeftButton);
            note(QStringLiteral("check box %1 now %2")
                     .arg(box->objectName(), box->isChecked() ? "on" : "off"));
            return QString();
        }
        case Act::Undo:
            return undoOrRedo(true);
        case Act::Redo:
            return undoOrRedo(false);
        case Act::Resize:
            return resize();
        case Act::Load:
            return load(below(3));
        case Act::Gallery:
            return gallery(percent(50));
        case Act::Save:
            return save(percent(50) ? 0 : 1);
        case Act::Export:
            return exportPicture(percent(50));
        case Act::Copy:
            return copy(percent(50));
        case Act::Shortcut:
            return shortcut();
        case Act::Values:
            return values();
        case Act::EditorKey:
            return editorKey();
        case Act::Wheel:
            return wheel();
        case Act::Home:
            note(QStringLiteral("Home"));
            activate();
            QTest::keyClick(m_w.get(), Qt::Key_Home);
            return QString();
        case Act::Count:
            break;
        }
        return QString();
    }

    // Whether the window has a check box of that name and it is checked.
    bool boxChecked(const char *name)
    {
        const auto *box = child<QCheckBox>(name);
        return box != nullptr && box->isChecked();
    }

    QString clickIfOffered(const char *name)
    {
        QToolButton *b = button(name);
        if (!b->isVisible() || !b->isEnabled()) {
            note(QStringLiteral("%1 not offered").arg(QLatin1String(name)));
            return QString();
        }
        note(QStringLiteral("click %1").arg(QLatin1String(name)));
        QTest::mouseClick(b, Qt::LeftButton);
        return QString();
    }

    // A left drag in the editor (nothing else done meanwhile) that leaves every row where it
    // was is no step: not even the marks of rows dragged away and back may change.
    QString gestureEnds()
    {
        const std::optional<Gesture> g = std::exchange(m_gesture, std::nullopt);
        if (!g) {
            return QString();
        }
        const WindowLook now = LookAt(*m_w);
        if (!RowsDifference(now.table, g->seen.table, look::RowKinds | look::RowPoints).isEmpty()) {
            return QString();
        }
        if (m_w->undoStack()->count() != g->steps || m_w->undoStack()->index() != g->index) {
            return QStringLiteral("a drag that moved nothing made a step");
        }
        return QString();
    }

    void contextMenu(QContextMenuEvent::Reason reason)
    {
        QContextMenuEvent e(reason, m_pos, editor()->mapToGlobal(m_pos));
        QApplication::sendEvent(editor(), &e);
    }

    void answerMenu(QMenu *menu)
    {
        const int r = below(6);
        const char *names[] = {"mnorder", "mnreverse", "mnsegment", "MnDelete"};
        QStringList checked;
        for (QAction *a : menu->actions()) {
            if (a->isChecked()) {
                checked << a->objectName();
            }
        }
        if (r >= 4) {
            note(QStringLiteral("menu (checked %1) closed").arg(checked.join(',')));
            return;
        }
        note(QStringLiteral("menu (checked %1): %2")
                 .arg(checked.join(','), QLatin1String(names[r])));
        for (QAction *a : menu->actions()) {
            if (a->objectName() == QLatin1String(names[r])) {
                a->trigger();
            }
        }
    }

    QString reset()
    {
        const bool asks = m_w->table().BranchCount != 1 || m_w->HasUnsavedChanges();
        const bool yes = percent(50);
        m_answer = yes;
        const int questions = m_questions;
        const int beeps = m_beeps;
        const WindowLook before = LookAt(*m_w);
        note(QStringLiteral("reset, answering %1").arg(yes ? "Yes" : "No"));
        QTest::mouseClick(button("SBInit"), Qt::LeftButton);
        m_answer.reset();
        if ((m_questions > questions) != asks || (m_beeps > beeps) != asks) {
            return QStringLiteral("the reset %1 beep and ask").arg(asks ? "did not" : "did");
        }
        if (asks && !yes) {
            const QString diff = Difference(before, LookAt(*m_w), SeenParts);
            return diff.isEmpty() ? QString()
                                  : QStringLiteral("a reset answered No changed %1").arg(diff);
        }
        if (m_w->table().BranchCount != 2 || !m_w->fileName().isEmpty() || !m_w->editMode() ||
            !button("sbAdd")->isVisible()) {
            return QStringLiteral(
                "the reset did not bring back the default template in the editor");
        }
        return QString();
    }

    QString closeRequest()
    {
        const bool asks = m_w->table().BranchCount != 1 || m_w->HasUnsavedChanges();
        const bool yes = percent(40);
        m_answer = yes;
        const int questions = m_questions;
        const int beeps = m_beeps;
        const WindowLook before = LookAt(*m_w);
        const bool viaButton = m_held == Qt::NoButton && percent(50);
        note(QStringLiteral("close request (%1), answering %2")
                 .arg(viaButton ? "button" : "window")
                 .arg(yes ? "Yes" : "No"));
        if (viaButton) {
            QTest::mouseClick(button("BBclose"), Qt::LeftButton);
        } else {
            m_w->close();
        }
        m_answer.reset();
        if ((m_questions > questions) != asks || (m_beeps > beeps) != asks) {
            return QStringLiteral("the close request %1 beep and ask")
                .arg(asks ? "did not" : "did");
        }
        if (asks && !yes) {
            if (!m_w->isVisible()) {
                return QStringLiteral("the window closed although the answer was No");
            }
            const QString diff = Difference(before, LookAt(*m_w), SeenParts);
            return diff.isEmpty() ? QString()
                                  : QStringLiteral("a close answered No changed %1").arg(diff);
        }
        if (m_w->isVisible()) {
            return QStringLiteral("the window stayed open");
        }
        note(QStringLiteral("closed; a fresh window"));
        return openWindow();
    }

    QString undoOrRedo(bool undo)
    {
        const int how = below(3);
        if (how == 0) {
            return clickIfOffered(undo ? "SBUndo" : "SBRedo");
        }
        activate();
        if (undo) {
            note(QStringLiteral("Ctrl+Z"));
            QTest::keyClick(m_w.get(), Qt::Key_Z, Qt::ControlModifier);
        } else if (how == 1) {
            note(QStringLiteral("Ctrl+Shift+Z"));
            QTest::keyClick(m_w.get(), Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
        } else {
            note(QStringLiteral("Ctrl+Y"));
            QTest::keyClick(m_w.get(), Qt::Key_Y, Qt::ControlModifier);
        }
        return QString();
    }

    QString resize()
    {
        QSize size;
        const int r = below(100);
        if (r < 10) {
            size = QSize(10, 10); // the window's minimum: views without area
        } else if (r < 25) {
            size = QSize(between(10, 320), between(10, 240));
        } else if (r < 80) {
            size = QSize(between(320, 1400), between(240, 1000));
        } else if (r < 92) {
            size = QSize(between(1400, 3000), between(1000, 2000));
        } else {
            size = QSize(DesignClientWidth, DesignClientHeight);
        }
        const QSize frameBefore(m_w->view().frameWidth, m_w->view().frameHeight);
        m_w->resize(size);
        settle();
        if (QSize(m_w->view().frameWidth, m_w->view().frameHeight) != frameBefore) {
            ++m_resizes;
        }
        note(QStringLiteral("resize to %1x%2: views %3x%4")
                 .arg(size.width())
                 .arg(size.height())
                 .arg(editor()->width())
                 .arg(editor()->height()));
        return QString();
    }

    // --- Files ---------------------------------------------------------------------------

    QString writeFile(const QString &name, const QByteArray &bytes)
    {
        const QString path = m_dir + QLatin1Char('/') + name;
        QFile f(path);
        if (f.open(QIODevice::WriteOnly)) {
            f.write(bytes);
        }
        return path;
    }

    long double someReal(long double range)
    {
        switch (below(12)) {
        case 0:
            return 0.0L;
        case 1:
            return -0.0L;
        case 2:
            return 0.5L;
        case 3:
            return 1.0L;
        default:
            return real(-range, range);
        }
    }

    // A template the program accepts: random rows and settings; with `oddTrunk` a trunk that
    // is not (0, 0)-(0, 1).
    QByteArray goodTemplate(bool oddTrunk)
    {
        BranchTable t;
        t.BranchCount = percent(10) ? between(15, 20) : between(0, 5);
        TBranch &trunk = t.Branches[0];
        trunk.P = oddTrunk ? TPointE{someReal(1.0L), someReal(1.0L)} : TPointE{0.0L, 0.0L};
        trunk.V = {0.0L, 1.0L};
        if (oddTrunk) {
            do {
                trunk.V = {someReal(2.0L), someReal(2.0L)};
            } while (trunk.V.x == 0.0L && trunk.V.y == 0.0L);
        }
        trunk.kind = between(-1, 1);
        for (int32_t i = 1; i <= t.BranchCount; ++i) {
            TBranch &b = t.Branches[size_t(i)];
            b.P = {percent(20) ? someReal(0.5L) : 0.0L, someReal(1.5L)};
            b.V = {someReal(1.0L), someReal(1.0L)};
            b.kind = between(-1, 1);
        }
        TemplateSettings s;
        s.BackColor = static_cast<int32_t>(next());
        s.TipColor = static_cast<int32_t>(next() & 0xFFFFFF);
        s.TrunkColor = static_cast<int32_t>(next() & 0xFFFFFF);
        static const std::vector<int32_t> pens{0,   20,  30,  40,  100,       199,
                                               200, 201, 220, -20, 2147483647};
        s.PenWidthSetting = pick(pens);
        QByteArray bytes = FormatTemplate(t, s);
        if (percent(20)) {
            bytes.replace("\r\n", "\n");
        }
        if (percent(15)) {
            // The older format: no settings.
            QList<QByteArray> lines = bytes.split('\n');
            lines[0] =
                lines[0].endsWith('\r') ? QByteArray("Ramulet 2\r") : QByteArray("Ramulet 2");
            bytes = lines.mid(0, 5 + t.BranchCount).join('\n') + '\n';
        }
        return bytes;
    }

    // A file the program must refuse or may take, all of it made to trouble the reader.
    QByteArray brokenTemplate()
    {
        QByteArray bytes = goodTemplate(percent(20));
        switch (below(9)) {
        case 0: // random bytes
            bytes.clear();
            for (int i = between(0, 300); i > 0; --i) {
                bytes.append(char(below(256)));
            }
            return bytes;
        case 1: // cut anywhere
            return bytes.left(below(int(bytes.size())));
        case 2: // bytes changed anywhere
            for (int i = between(1, 4); i > 0; --i) {
                bytes[below(int(bytes.size()))] = char(below(256));
            }
            return bytes;
        case 3:
            return bytes.replace("Ramulet 2.3", percent(50) ? "Ramulet 2.4" : "Ramulet 2.3 ");
        case 4: { // a count the table cannot hold
            static const std::vector<QByteArray> counts{"21", "-1", "99999999999", "x"};
            QList<QByteArray> lines = bytes.split('\n');
            lines[2] = pick(counts) + '\r';
            return lines.join('\n');
        }
        case 5: { // a kind that is none
            QList<QByteArray> lines = bytes.split('\n');
            QByteArray &row = lines[4];
            row = row.left(row.lastIndexOf(' ') + 1) + (percent(50) ? "2\r" : "-7\r");
            return lines.join('\n');
        }
        case 6: // numbers that are not finite or not numbers
            return bytes.replace(" 1.00000000000000E+0000",
                                 percent(50) ? " nan" : (percent(50) ? " 1e99999" : " 1.0.0"));
        case 7: // a trunk of no length
            return "Ramulet 2.3\r\nCount of Data\r\n0\r\nData\r\n 0 0 0 0 "
                   "0\r\n1\r\n2\r\n3\r\n40\r\n";
        default:
            return QByteArray();
        }
    }

    // The file a load takes: one made now, one saved or made before, a test template, or
    // none at all.
    QString fileToLoad()
    {
        const int r = below(100);
        if (r < 30 && !m_files.empty()) {
            return pick(m_files);
        }
        if (r < 40) {
            // A copy, so that no save can reach the source tree.
            static const QStringList data{"default.rm2", "exact-values.rm2", "hand-edited.rm2",
                                          "old-format.rm2", "trunk-only.rm2"};
            const QString name = data.at(below(int(data.size())));
            const QString copy = m_dir + QStringLiteral("/data-") + name;
            if (!QFileInfo::exists(copy)) {
                QFile::copy(QStringLiteral(RAMULET_TEST_DATA "/templates/") + name, copy);
            }
            return copy;
        }
        if (r < 44) {
            return m_dir + QStringLiteral("/no-such-file.rm2");
        }
        if (r < 46) {
            return m_dir; // a folder
        }
        const QString name = QStringLiteral("made-%1.rm2").arg(m_made++);
        const QString path = writeFile(name, r < 75 ? goodTemplate(percent(25)) : brokenTemplate());
        m_files.push_back(path);
        return path;
    }

    // A load; with `how` 0 the button, 1 the key, 2 a drop.
    QString load(int how)
    {
        const QString path = fileToLoad();
        const int warnings = m_warnings;
        const int steps = m_w->undoStack()->count();
        const WindowLook before = LookAt(*m_w);
        const bool held = m_w->mouseIsDown();
        m_openAnswer = path;
        if (how == 0) {
            note(QStringLiteral("load button"));
            QTest::mouseClick(button("SBload"), Qt::LeftButton);
        } else if (how == 1) {
            note(QStringLiteral("Ctrl+O"));
            activate();
            QTest::keyClick(m_w.get(), Qt::Key_O, Qt::ControlModifier);
        } else {
            note(QStringLiteral("drop %1").arg(shortName(path)));
            QMimeData data;
            data.setUrls({QUrl::fromLocalFile(path)});
            QDragEnterEvent enter(QPoint(300, 300), Qt::CopyAction, &data, Qt::LeftButton,
                                  Qt::NoModifier);
            QApplication::sendEvent(m_w.get(), &enter);
            QDropEvent drop(QPointF(300, 300), Qt::CopyAction, &data, Qt::LeftButton,
                            Qt::NoModifier);
            QApplication::sendEvent(m_w.get(), &drop);
            settle();
        }
        m_openAnswer.clear();
        if (held) {
            return QString();
        }
        if (m_warnings > warnings) {
            // Refused or unreadable: nothing changes.
            ++m_count.refused;
            const QString diff = Difference(before, LookAt(*m_w), SeenParts);
            if (!diff.isEmpty() || m_w->undoStack()->count() != steps) {
                return QStringLiteral("a refused load changed %1")
                    .arg(diff.isEmpty() ? "the history" : diff);
            }
            return QString();
        }
        if (m_w->fileName() != path) {
            return QStringLiteral("the load of %1 neither warned nor took the file")
                .arg(shortName(path));
        }
        ++m_count.loads;
        return checkLoaded(path);
    }

    // The window shows what the file at `path` holds, as a load shows it.
    QString checkLoaded(const QString &path)
    {
        QFile f(path);
        if (!f.open(QIODevice::ReadOnly)) {
            return QStringLiteral("the loaded file %1 cannot be read back").arg(shortName(path));
        }
        const LoadResult r = ParseTemplate(f.readAll());
        if (r.status != LoadStatus::Accepted) {
            return QStringLiteral("the window took %1, which the reader refuses")
                .arg(shortName(path));
        }
        BranchTable expected = r.data.table;
        UpdateAllScreenPoints(expected, EditorView(*m_w));
        const BranchTable &t = m_w->table();
        if (t.BranchCount != expected.BranchCount) {
            return QStringLiteral("loaded %1 rows of %2")
                .arg(t.BranchCount)
                .arg(expected.BranchCount);
        }
        for (int32_t i = 0; i <= t.BranchCount; ++i) {
            const TBranch &a = t.Branches[size_t(i)];
            const TBranch &b = expected.Branches[size_t(i)];
            if (!(a.P == b.P) || !(a.V == b.V) || a.kind != b.kind ||
                !(a.screenStart == b.screenStart) || !(a.screenEnd == b.screenEnd) || a.moved) {
                return QStringLiteral("loaded row %1 is not the file's").arg(i);
            }
        }
        if (!m_w->editMode() || !m_w->undoStack()->isClean()) {
            return QStringLiteral(
                "after a load the window is not in the editor with a clean history");
        }
        return QString();
    }

    // An example from the gallery (the button, or with `viaKey` Ctrl+Shift+O), opened as a
    // file is.
    QString gallery(bool viaKey)
    {
        const int warnings = m_warnings;
        const bool held = m_w->mouseIsDown();
        m_exampleChosen.clear();
        if (viaKey) {
            note(QStringLiteral("Ctrl+Shift+O"));
            activate();
            QTest::keyClick(m_w.get(), Qt::Key_O, Qt::ControlModifier | Qt::ShiftModifier);
        } else if (QString e = clickIfOffered("SBGallery"); !e.isEmpty()) {
            return e;
        }
        if (held || m_exampleChosen.isEmpty() || m_warnings > warnings) {
            return QString();
        }
        if (m_w->fileName() != m_exampleChosen) {
            return QStringLiteral("the example %1 was not opened").arg(m_exampleChosen);
        }
        ++m_count.loads;
        return checkLoaded(m_exampleChosen);
    }

    QString saveAnswer(const QString &preset)
    {
        const int r = below(100);
        if (r < 10) {
            return QString();
        }
        // The name the dialog offers (only ever one of this run's files).
        if (r < 25 && preset.startsWith(m_dir + QLatin1Char('/'))) {
            return preset;
        }
        const QString base = m_dir + QStringLiteral("/saved-%1").arg(below(6));
        if (r < 45) {
            return base; // ".rm2" appended; asks when that file exists
        }
        if (r < 80) {
            return base + QStringLiteral(".rm2");
        }
        if (r < 88) {
            return base + QStringLiteral(".RM2");
        }
        if (r < 94) {
            return base + QStringLiteral(".txt");
        }
        return m_dir + QStringLiteral("/no-such-folder/saved.rm2"); // cannot be written
    }

    // A save; with `how` 0 the button, 1 the key.
    QString save(int how)
    {
        const int warnings = m_warnings;
        const int questions = m_questions;
        const int dialogs = m_saveDialogs;
        const QString fileBefore = m_w->fileName();
        m_saveChosen.clear();
        const bool held = m_w->mouseIsDown();
        if (how == 0) {
            note(QStringLiteral("save button"));
            QTest::mouseClick(button("SBSave"), Qt::LeftButton);
        } else {
            note(QStringLiteral("Ctrl+S"));
            activate();
            QTest::keyClick(m_w.get(), Qt::Key_S, Qt::ControlModifier);
        }
        if (held) {
            if (m_saveDialogs != dialogs) {
                return QStringLiteral("a save began while a button was held in a view");
            }
            return QString();
        }
        if (m_saveChosen.isEmpty()) {
            return m_w->fileName() == fileBefore
                       ? QString()
                       : QStringLiteral("a cancelled save changed the file name");
        }
        const QString target = SaveFileName(m_saveChosen);
        const bool declined = m_questions > questions && !m_lastAnswer;
        if (declined || m_warnings > warnings || m_w->fileName() != target) {
            // Failed or declined: the file name stays.
            return m_w->fileName() == fileBefore
                       ? QString()
                       : QStringLiteral("a save that did not happen changed the file name");
        }
        m_files.push_back(target);
        ++m_count.savesChecked;
        if (QString e = checkSaved(target); !e.isEmpty()) {
            return e;
        }
        if (percent(40)) {
            // And open it again: the editor shows it at the same points.
            const WindowLook shown = LookAt(*m_w);
            m_openAnswer = target;
            note(QStringLiteral("load it again"));
            QTest::mouseClick(button("SBload"), Qt::LeftButton);
            m_openAnswer.clear();
            if (m_warnings > warnings) {
                return QStringLiteral("the file just saved was not taken back");
            }
            const WindowLook loaded = LookAt(*m_w);
            if (loaded.table.BranchCount != shown.table.BranchCount) {
                return QStringLiteral("the file just saved loaded %1 rows of %2")
                    .arg(loaded.table.BranchCount)
                    .arg(shown.table.BranchCount);
            }
            return checkLoaded(target);
        }
        return QString();
    }

    // The file just saved holds what the editor shows: read back and drawn in the editor's
    // view, its rows land on the pixel points shown, exactly for the rows nobody moved and
    // within the rounding of the trunk's length on screen for the moved ones.
    QString checkSaved(const QString &path)
    {
        QFile f(path);
        if (!f.open(QIODevice::ReadOnly)) {
            return QStringLiteral("the saved file %1 cannot be read").arg(shortName(path));
        }
        const LoadResult r = ParseTemplate(f.readAll());
        if (r.status != LoadStatus::Accepted) {
            return QStringLiteral("the saved file %1 is refused: %2")
                .arg(shortName(path), r.message);
        }
        const BranchTable &shown = m_w->table();
        BranchTable back = r.data.table;
        const ViewState view = EditorView(*m_w);
        UpdateAllScreenPoints(back, view);
        if (back.BranchCount != shown.BranchCount) {
            return QStringLiteral("the saved file has %1 branches, the editor %2")
                .arg(back.BranchCount)
                .arg(shown.BranchCount);
        }
        const TBranch &trunk = shown.Branches[0];
        if (!(back.Branches[0].P == trunk.P) || !(back.Branches[0].V == trunk.V)) {
            return QStringLiteral("the saved trunk is not the editor's");
        }
        const auto &st = r.data.settings;
        if (TColor(st.BackColor) != m_w->settings().BackColor ||
            TColor(st.TipColor) != m_w->settings().TipColor ||
            TColor(st.TrunkColor) != m_w->settings().TrunkColor) {
            return QStringLiteral("the saved colours are not the window's");
        }
        // With another trunk the editor draws the rows' values as if the trunk's frame were
        // model space, which a normalisation does not reproduce: only the kinds can agree.
        const bool standard = StandardTrunk(trunk);
        for (int32_t i = 1; i <= shown.BranchCount; ++i) {
            const TBranch &s = shown.Branches[size_t(i)];
            const TBranch &b = back.Branches[size_t(i)];
            if (b.kind != s.kind) {
                return QStringLiteral("saved row %1 has kind %2, the editor %3")
                    .arg(i)
                    .arg(b.kind)
                    .arg(s.kind);
            }
            if (!standard) {
                continue;
            }
            if (!s.moved) {
                // Exactly, but a normalisation since the points were drawn sets P.x to 0 (and
                // the row's start onto the trunk's line). A value of more than the file's 15
                // digits (taken from a drag) may come back a pixel off where it lies that
                // close to a pixel's edge.
                const TPixel startOnLine = view.ModelToScreen({0.0L, s.shownP.y});
                const TPixel endOnLine = view.ModelToScreen({s.shownV.x, s.shownP.y + s.shownV.y});
                const int slack = b.P.y == s.shownP.y && b.V == s.shownV ? 0 : 1;
                const auto near = [slack](TPixel a, TPixel c) {
                    return std::llabs(int64_t{a.x} - c.x) <= slack &&
                           std::llabs(int64_t{a.y} - c.y) <= slack;
                };
                const bool same =
                    near(b.screenStart, s.screenStart) && near(b.screenEnd, s.screenEnd);
                const bool projected = b.P.x == 0.0L && near(b.screenStart, startOnLine) &&
                                       near(b.screenEnd, endOnLine);
                if (!same && !projected) {
                    return QStringLiteral("saved row %1, not moved, comes back at %2-%3, the "
                                          "editor shows %4-%5")
                        .arg(i)
                        .arg(Pixel(b.screenStart), Pixel(b.screenEnd), Pixel(s.screenStart),
                             Pixel(s.screenEnd));
                }
                continue;
            }
            if (const QString off = MovedRowOff(s, b.screenStart, b.screenEnd, shown, view);
                !off.isEmpty()) {
                return QStringLiteral("saved row %1 comes back at %2").arg(i).arg(off);
            }
        }
        return QString();
    }

    // An export; the file written holds a picture of the format its name gives.
    QString exportPicture(bool viaKey)
    {
        const int warnings = m_warnings;
        const int questions = m_questions;
        m_exportChosen.clear();
        if (viaKey) {
            note(QStringLiteral("Ctrl+E"));
            activate();
            QTest::keyClick(m_w.get(), Qt::Key_E, Qt::ControlModifier);
        } else {
            const QString e = clickIfOffered("SBExport");
            if (!e.isEmpty()) {
                return e;
            }
        }
        const bool declined = m_questions > questions && !m_lastAnswer;
        if (m_exportChosen.isEmpty() || declined || m_warnings > warnings) {
            return QString();
        }
        const QString target = WithPictureExtension(m_exportChosen, m_exportFilter);
        QFile f(target);
        const QByteArray head = f.open(QIODevice::ReadOnly) ? f.read(8) : QByteArray();
        const PictureFormat format = PictureFormatForPath(target);
        const bool fits = (format == PictureFormat::Png && head.startsWith("\x89PNG")) ||
                          (format == PictureFormat::Pdf && head.startsWith("%PDF")) ||
                          (format == PictureFormat::Svg && head.startsWith("<?xml"));
        return fits ? QString()
                    : QStringLiteral("the export to %1 wrote \"%2\"")
                          .arg(shortName(target), QString::fromLatin1(head.toHex()));
    }

    QString copy(bool viaKey)
    {
        QGuiApplication::clipboard()->clear();
        const bool held = m_w->mouseIsDown();
        if (viaKey) {
            note(QStringLiteral("Ctrl+C"));
            activate();
            QTest::keyClick(m_w.get(), Qt::Key_C, Qt::ControlModifier);
        } else {
            const QString e = clickIfOffered("SpeedButton17");
            if (!e.isEmpty()) {
                return e;
            }
        }
        const QMimeData *data = QGuiApplication::clipboard()->mimeData();
        const bool copied = data && data->hasFormat(QStringLiteral("image/svg+xml"));
        if (copied == (held || !m_w->treePicture())) {
            return copied ? QStringLiteral("a copy was made while a button was held")
                          : QStringLiteral("the copy put no picture on the clipboard");
        }
        return QString();
    }

    QString shortcut()
    {
        struct Key {
            Qt::Key key;
            Qt::KeyboardModifiers mods;
            const char *name;
        };
        static const Key keys[] = {
            {Qt::Key_Z, Qt::ControlModifier, "Ctrl+Z"},
            {Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier, "Ctrl+Shift+Z"},
            {Qt::Key_Y, Qt::ControlModifier, "Ctrl+Y"},
            {Qt::Key_S, Qt::ControlModifier, "Ctrl+S"},
            {Qt::Key_O, Qt::ControlModifier, "Ctrl+O"},
            {Qt::Key_O, Qt::ControlModifier | Qt::ShiftModifier, "Ctrl+Shift+O"},
            {Qt::Key_C, Qt::ControlModifier, "Ctrl+C"},
            {Qt::Key_E, Qt::ControlModifier, "Ctrl+E"},
        };
        const Key &k = keys[below(int(std::size(keys)))];
        switch (k.key) {
        case Qt::Key_S:
            return save(1);
        case Qt::Key_O:
            return k.mods & Qt::ShiftModifier ? gallery(true) : load(1);
        case Qt::Key_C:
            return copy(true);
        case Qt::Key_E:
            return exportPicture(true);
        default:
            break;
        }
        // Undo and redo, also while a button is held, when they must wait for the release.
        const bool held = m_w->mouseIsDown();
        const int index = m_w->undoStack()->index();
        note(QStringLiteral("%1 with %2 held").arg(QLatin1String(k.name), Buttons(m_held)));
        activate();
        QTest::keyClick(m_w.get(), k.key, k.mods);
        if (held && m_w->undoStack()->index() != index) {
            return QStringLiteral("%1 acted while a button was held in a view")
                .arg(QLatin1String(k.name));
        }
        return QString();
    }

    // --- Precise editing and navigation ----------------------------------------------------

    // Ctrl+T, or a value into a cell of the open values window: typed values are one step
    // each, refused ones and those typed while a button is held none.
    QString values()
    {
        BranchValuesWindow *v = m_w->branchValues();
        if (!v->isVisible() || percent(15)) {
            note(QStringLiteral("Ctrl+T"));
            activate();
            QTest::keyClick(m_w.get(), Qt::Key_T, Qt::ControlModifier);
            settle(); // the window opened takes the keyboard
            if (!m_w->mouseIsDown() && !v->isVisible()) {
                return QStringLiteral("Ctrl+T did not open the values window");
            }
            return QString();
        }
        static const char *const texts[] = {"0",    "0.5",  "-0.25", "30",        "-135",
                                            "90",   "1.2",  "pi/6",  "sqrt(2)/4", "0.7071",
                                            "abc",  "1/0",  "",      "-1",        "2*(0.3"};
        const int row = below(v->grid()->rowCount());
        const int column = below(BranchValuesWindow::ColumnCount);
        const QString text = column == BranchValuesWindow::ColKind
                                 ? BranchValuesWindow::KindText(pick(std::vector<int32_t>{
                                       kindOrder, kindReverse, kindSegment}))
                                 : QString::fromLatin1(texts[below(int(std::size(texts)))]);
        const int index = m_w->undoStack()->index();
        const bool held = m_w->mouseIsDown();
        const bool taken = v->commitCell(row, column, text);
        note(QStringLiteral("value \"%1\" into cell (%2,%3): %4")
                 .arg(text)
                 .arg(row)
                 .arg(column)
                 .arg(taken ? "taken" : v->message()));
        if ((!taken || row == 0 || held) && m_w->undoStack()->index() != index) {
            return QStringLiteral("a value that was not taken made a step");
        }
        return QString();
    }

    QString editorKey()
    {
        struct Key {
            Qt::Key key;
            Qt::KeyboardModifiers mods;
        };
        static const Key keys[] = {
            {Qt::Key_Left, Qt::NoModifier},     {Qt::Key_Right, Qt::NoModifier},
            {Qt::Key_Up, Qt::NoModifier},       {Qt::Key_Down, Qt::NoModifier},
            {Qt::Key_Left, Qt::ShiftModifier},  {Qt::Key_Up, Qt::ShiftModifier},
            {Qt::Key_Delete, Qt::NoModifier},   {Qt::Key_Escape, Qt::NoModifier},
        };
        const Key &k = keys[below(int(std::size(keys)))];
        const bool held = m_w->mouseIsDown();
        const int index = m_w->undoStack()->index();
        note(QStringLiteral("key %1 mods %2 with %3 held")
                 .arg(k.key, 0, 16)
                 .arg(int(k.mods), 0, 16)
                 .arg(Buttons(m_held)));
        activate();
        QTest::keyClick(m_w.get(), k.key, k.mods);
        if (held && k.key != Qt::Key_Escape && m_w->undoStack()->index() != index) {
            return QStringLiteral("a key acted while a button was held in a view");
        }
        if (k.key == Qt::Key_Escape && m_w->undoStack()->index() != index) {
            return QStringLiteral("Escape made a step");
        }
        return QString();
    }

    QString wheel()
    {
        if (!tree()->isVisible()) {
            return QString();
        }
        const QPoint p = anywhere(tree());
        const int eighths = pick(std::vector<int>{120, -120, 240, 60, -360});
        note(QStringLiteral("wheel %1 at (%2,%3)").arg(eighths).arg(p.x()).arg(p.y()));
        QWheelEvent e(QPointF(p), QPointF(tree()->mapToGlobal(p)), QPoint(), QPoint(0, eighths),
                      m_held, Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(tree(), &e);
        return QString();
    }

    // --- Checks --------------------------------------------------------------------------

    QString checkInvariants()
    {
        if (!m_w) {
            return QString();
        }
        TMainform &w = *m_w;
        const BranchTable &t = w.table();
        if (t.BranchCount < 0 || t.BranchCount > MaxBranches) {
            return QStringLiteral("branch count %1").arg(t.BranchCount);
        }
        for (int32_t i = 0; i <= t.BranchCount; ++i) {
            const int32_t k = t.Branches[size_t(i)].kind;
            if (k != kindOrder && k != kindReverse && k != kindSegment) {
                return QStringLiteral("row %1 has kind %2").arg(i).arg(k);
            }
        }
        const EditorController &ed = w.editor();
        for (int32_t index : {ed.PointIndex, ed.LineIndex}) {
            if (index != -1 && (index < 1 || index > t.BranchCount)) {
                return QStringLiteral("hover index %1 with %2 branches")
                    .arg(index)
                    .arg(t.BranchCount);
            }
        }
        if (ed.PointIndex != -1 && ed.LineIndex != -1) {
            return QStringLiteral("both an end point and a line hovered");
        }
        if (w.store().lastIndex < -1 || w.store().lastIndex > MaxSegIndex) {
            return QStringLiteral("store index %1").arg(w.store().lastIndex);
        }
        if (w.depth() < 1 || w.depth() > MaxDepth) {
            return QStringLiteral("depth %1").arg(w.depth());
        }
        if (m_held == Qt::NoButton && w.mouseIsDown()) {
            return QStringLiteral("the mouse counts as down with no button held");
        }

        // Modes and controls.
        const bool edit = w.editMode();
        if (editor()->isVisible() != edit || tree()->isVisible() == edit) {
            return QStringLiteral("edit mode %1 with the editor %2 and the tree %3")
                .arg(edit)
                .arg(editor()->isVisible())
                .arg(tree()->isVisible());
        }
        if (button("sbAdd")->isVisible() && !edit) {
            return QStringLiteral("the add button shown over the tree");
        }
        const std::array<bool, 16> usable = UpdateDepthButtons(t);
        for (int n = 1; n <= MaxDepth; ++n) {
            if (w.depthButton(n)->isEnabled() != usable[size_t(n - 1)]) {
                return QStringLiteral("depth button %1 %2 offered")
                    .arg(n)
                    .arg(usable[size_t(n - 1)] ? "not" : "wrongly");
            }
        }
        if (!edit &&
            !(w.depthButton(w.depth())->isChecked() && w.depthButton(w.depth())->isEnabled())) {
            return QStringLiteral("the tree shows depth %1, whose button is not down and offered")
                .arg(w.depth());
        }
        if (button("SBUndo")->isEnabled() != w.undoStack()->canUndo() ||
            button("SBRedo")->isEnabled() != w.undoStack()->canRedo()) {
            return QStringLiteral("undo and redo buttons do not follow the history");
        }
        const QString caption = w.fileName().isEmpty()
                                    ? QStringLiteral("Ramulet 2.3")
                                    : QStringLiteral("Ramulet 2.3 : ") + FileNamePart(w.fileName());
        if (w.windowTitle() != caption) {
            return QStringLiteral("caption \"%1\" for the file \"%2\"")
                .arg(w.windowTitle(), w.fileName());
        }
        const DrawSettings &s = w.settings();
        if (child<ColorSwatch>("ShapeP")->fill() != ToQColor(s.TipColor) ||
            child<ColorSwatch>("ShapeP")->outline() != ToQColor(s.TipColor) ||
            child<ColorSwatch>("Shape1")->fill() != ToQColor(s.TrunkColor) ||
            child<ColorSwatch>("Shape1")->outline() != ToQColor(s.TrunkColor) ||
            child<ColorSwatch>("shapeB")->fill() != ToQColor(s.BackColor)) {
            return QStringLiteral("the swatches do not show the colours");
        }
        const int pen = PenList(w)->currentIndex();
        if (pen < 0 || pen > 10) {
            return QStringLiteral("pen-width index %1").arg(pen);
        }

        // The views: the same size, each with an image of its size (none without area).
        const QSize size = editor()->size();
        if (tree()->size() != size || w.view().viewWidth != size.width() ||
            w.view().viewHeight != size.height()) {
            return QStringLiteral("views %1x%2 and %3x%4, view state %5x%6")
                .arg(size.width())
                .arg(size.height())
                .arg(tree()->width())
                .arg(tree()->height())
                .arg(w.view().viewWidth)
                .arg(w.view().viewHeight);
        }
        for (PictureView *v : {editor(), tree()}) {
            if (v->image().isNull() != size.isEmpty() ||
                (!size.isEmpty() && v->image().size() != size)) {
                return QStringLiteral("the %1 image does not fit its view").arg(viewName(v));
            }
        }

        // Rows the editor has not moved are drawn from their exact values.
        const ViewState view = EditorView(w);
        for (int32_t i = 0; i <= t.BranchCount; ++i) {
            const TBranch &r = t.Branches[size_t(i)];
            if (r.moved) {
                if (i == 0) {
                    return QStringLiteral("the trunk counts as moved");
                }
                continue;
            }
            const TPixel start = view.ModelToScreen(r.shownP);
            const TPixel end =
                view.ModelToScreen({r.shownP.x + r.shownV.x, r.shownP.y + r.shownV.y});
            if (!(r.screenStart == start) || !(r.screenEnd == end) ||
                (i == 0 && !(r.shownP == r.P && r.shownV == r.V))) {
                return QStringLiteral("row %1, not moved, is drawn at %2-%3, its values give %4-%5")
                    .arg(i)
                    .arg(Pixel(r.screenStart), Pixel(r.screenEnd), Pixel(start), Pixel(end));
            }
        }

        // The editor's picture is the template as it stands, with the mark it last got
        // (drawn here as the editor draws it without the live tree under it).
        if (!size.isEmpty() && !boxChecked("cboxPreview")) {
            QImage fresh(size, QImage::Format_RGB32);
            fresh.fill(Qt::white);
            {
                QPainter p(&fresh);
                PaintEditor(p, size, t, view, w.palette().color(QPalette::WindowText));
                if (ed.HighlightShown && ed.PointIndex != -1) {
                    PaintHighlightPoint(p, t, ed.PointIndex);
                } else if (ed.HighlightShown && ed.LineIndex != -1) {
                    PaintHighlightBranch(p, t, ed.LineIndex);
                } else if (ed.HighlightShown && ed.hasSelection()) {
                    PaintHighlightBranch(p, t, ed.SelectedIndex); // marked by a key or the values window
                }
            }
            if (fresh != editor()->image()) {
                return QStringLiteral("the editor's picture is not the template's (mark %1, point "
                                      "%2, line %3)")
                    .arg(ed.HighlightShown)
                    .arg(ed.PointIndex)
                    .arg(ed.LineIndex);
            }
        }

        // The values window, while open, shows the template as it stands (unless a cell is
        // being typed into).
        const BranchValuesWindow *values = w.branchValues();
        if (values->isVisible() && !values->editing()) {
            const BranchTable normalized = NormalizedCopy(t);
            const QTableWidget *grid = values->grid();
            if (grid->rowCount() != t.BranchCount + 1) {
                return QStringLiteral("the values window shows %1 rows for %2 branches")
                    .arg(grid->rowCount())
                    .arg(t.BranchCount);
            }
            for (int i = 0; i <= t.BranchCount; ++i) {
                const QStringList want = BranchValuesWindow::RowTexts(normalized, i);
                for (int c = 0; c < BranchValuesWindow::ColumnCount; ++c) {
                    if (grid->item(i, c)->text() != want[c]) {
                        return QStringLiteral("values window cell (%1,%2) shows %3, the template %4")
                            .arg(i)
                            .arg(c)
                            .arg(grid->item(i, c)->text(), want[c]);
                    }
                }
            }
        }
        return QString();
    }

    // The tree view shows the template as it stands grown to the depth on show, drawn with
    // the settings, the view and the fit of the moment.
    QString checkTree()
    {
        TMainform &w = *m_w;
        ++m_count.treeChecks;
        BranchTable copy = w.table();
        m_pipeline.Grow(copy, w.depth());
        const Tseglines &store = w.store();
        const Tseglines &grown = m_pipeline.store();
        if (grown.Count() != store.Count()) {
            return QStringLiteral("the tree has %1 segments, the template grows %2")
                .arg(store.Count())
                .arg(grown.Count());
        }
        for (int32_t i = 0; i < store.Count(); ++i) {
            const TSegLine &a = store.line(i);
            const TSegLine &b = grown.line(i);
            if (!(a.startPt == b.startPt) || !(a.endPt == b.endPt) || a.level != b.level ||
                a.widthFactor != b.widthFactor) {
                return QStringLiteral("segment %1 of the tree is not the template's").arg(i);
            }
        }
        if (!w.view().HasArea()) {
            return QString();
        }
        RenderRequest r;
        r.depth = w.depth();
        r.view = w.view();
        r.settings = w.settings();
        r.settings.PenWidthSetting = PenList(w)->currentIndex() * 20;
        r.fit = child<QCheckBox>("cboxWide")->isChecked();
        const DrawSettings &s = r.settings;
        const auto picture = m_pipeline.Record(store, r);
        QImage fresh(tree()->image().size(), QImage::Format_RGB32);
        fresh.fill(Qt::white);
        ShowTreePicture(fresh, *picture, s.BackColor, boxChecked("cboxSmooth"));
        if (fresh != tree()->image()) {
            return QStringLiteral("the tree view does not show the tree as it stands");
        }
        return QString();
    }

    // Undo and then redo give back what the user saw; done whenever the history or the
    // window's size has changed since the last time, and now and then otherwise.
    QString checkUndoRedo()
    {
        QUndoStack *stack = m_w->undoStack();
        if (m_held != Qt::NoButton || !stack->canUndo()) {
            return QString();
        }
        const auto key = std::make_tuple(stack->index(), stack->count(), m_w->view().frameWidth,
                                         m_w->view().frameHeight, m_count.windows);
        if (key == m_lastUndoCheck && !percent(10)) {
            return QString();
        }
        m_lastUndoCheck = key;
        ++m_count.undoChecks;
        const WindowLook before = LookAt(*m_w);
        const int index = stack->index();
        const int how = below(3);
        activate();
        if (how == 0) {
            QTest::mouseClick(button("SBUndo"), Qt::LeftButton);
        } else if (how == 1) {
            QTest::keyClick(m_w.get(), Qt::Key_Z, Qt::ControlModifier);
        } else {
            m_w->UndoClick();
        }
        if (stack->index() != index - 1) {
            return QStringLiteral("undo (%1) did not step back").arg(how);
        }
        if (QString e = checkInvariants(); !e.isEmpty()) {
            return QStringLiteral("after undo: ") + e;
        }
        const int redoHow = below(3);
        if (redoHow == 0) {
            QTest::mouseClick(button("SBRedo"), Qt::LeftButton);
        } else if (redoHow == 1) {
            QTest::keyClick(m_w.get(), Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
        } else {
            QTest::keyClick(m_w.get(), Qt::Key_Y, Qt::ControlModifier);
        }
        note(QStringLiteral("checked undo (%1) and redo (%2) of \"%3\"")
                 .arg(how)
                 .arg(redoHow)
                 .arg(stack->text(index - 1)));
        if (stack->index() != index) {
            return QStringLiteral("redo did not step forward");
        }
        if (QString e = checkInvariants(); !e.isEmpty()) {
            return QStringLiteral("after undo and redo: ") + e;
        }
        const bool redrawn = resizedSince(stack->command(index - 1));
        QString diff = Difference(before, LookAt(*m_w), redrawn ? SeenWithoutPoints : SeenParts);
        if (diff.isEmpty() && redrawn) {
            diff = rowsAfterResize(before);
        }
        if (!diff.isEmpty()) {
            return QStringLiteral("undo and redo of \"%1\" changed %2")
                .arg(stack->text(index - 1), diff);
        }
        return QString();
    }

    // The window's rows before an undo and a redo of a step made before the views' last
    // resize to a new size, against the step's rows now back. The resize took the rows into
    // their model values and drew them from those, as specified, while the step keeps its
    // own pixel points: moved rows come back within the rounding of that, rows drawn from
    // values nobody has rewritten exactly. A growth since the step (a resize grows) has set
    // P.x to 0 and, with a trunk other than (0, 0)-(0, 1), taken every row into the trunk's
    // frame: such rows are where their values put them, not compared.
    QString rowsAfterResize(const WindowLook &before)
    {
        const BranchTable &t = m_w->table();
        if (!StandardTrunk(t.Branches[0])) {
            return QString();
        }
        const ViewState view = EditorView(*m_w);
        for (int32_t i = 0; i <= t.BranchCount; ++i) {
            const TBranch &r = t.Branches[size_t(i)];
            const TBranch &was = before.table.Branches[size_t(i)];
            if (r.moved) {
                if (const QString off = MovedRowOff(r, was.screenStart, was.screenEnd, t, view);
                    !off.isEmpty()) {
                    return QStringLiteral("row %1 was at %2").arg(i).arg(off);
                }
            } else if (r.P == r.shownP && r.V == r.shownV && r.P.x == 0.0L &&
                       (!(was.screenStart == r.screenStart) || !(was.screenEnd == r.screenEnd))) {
                return QStringLiteral("row %1 was at %2-%3, comes back at %4-%5")
                    .arg(i)
                    .arg(Pixel(was.screenStart), Pixel(was.screenEnd), Pixel(r.screenStart),
                         Pixel(r.screenEnd));
            }
        }
        return QString();
    }

    // Whether the views got a new size since `step` was made.
    bool resizedSince(const QUndoCommand *step) const
    {
        const auto pushed = m_pushedAtResize.find(step);
        return pushed != m_pushedAtResize.end() && pushed->second.second != m_resizes &&
               pushed->second.first == StepMarks(step);
    }

    // --- The record of what was done -------------------------------------------------------

    // A step's marks, to tell it from a later step made at the same address.
    static QByteArray StepMarks(const QUndoCommand *c)
    {
        QByteArray marks = c->text().toUtf8();
        if (const auto *s = dynamic_cast<const TemplateStepCommand *>(c)) {
            const TemplateState &a = s->after();
            std::vector<int32_t> v{a.viewSize.width(),
                                   a.viewSize.height(),
                                   a.table.BranchCount,
                                   int32_t(a.settings.BackColor),
                                   int32_t(a.settings.TipColor),
                                   int32_t(a.settings.TrunkColor),
                                   a.penIndex};
            for (int32_t i = 0; i <= std::clamp(a.table.BranchCount, 0, MaxBranches); ++i) {
                const TBranch &r = a.table.Branches[size_t(i)];
                v.insert(v.end(), {r.screenStart.x, r.screenStart.y, r.screenEnd.x, r.screenEnd.y,
                                   r.kind, r.moved});
            }
            marks.append(reinterpret_cast<const char *>(v.data()),
                         qsizetype(v.size() * sizeof(int32_t)));
        }
        return marks;
    }

    // When each step of the history was made, counted in resizes.
    void noteSteps()
    {
        if (!m_w) {
            return;
        }
        std::map<const QUndoCommand *, std::pair<QByteArray, int>> now;
        const QUndoStack *stack = m_w->undoStack();
        for (int i = 0; i < stack->count(); ++i) {
            const QUndoCommand *c = stack->command(i);
            QByteArray marks = StepMarks(c);
            const auto it = m_pushedAtResize.find(c);
            const bool known = it != m_pushedAtResize.end() && it->second.first == marks;
            now[c] = {std::move(marks), known ? it->second.second : m_resizes};
        }
        m_pushedAtResize = std::move(now);
    }

    void remember()
    {
        m_log.push_back(QStringLiteral("%1: %2").arg(m_actionNo).arg(m_current));
        if (m_trace) {
            std::fprintf(stderr, "%s [%lld ms]\n", qPrintable(m_log.back()),
                         static_cast<long long>(m_elapsed));
        }
        while (m_log.size() > LogLength) {
            m_log.pop_front();
        }
        const QByteArray note =
            ("\nmonkey: seed " + QByteArray::number(m_seed) + ", after action " +
             QByteArray::number(m_actionNo) + ", last actions:\n" +
             QStringList(m_log.begin(), m_log.end()).join('\n').toUtf8() + '\n');
        g_crashNoteLength = std::min(size_t(note.size()), g_crashNote.size());
        std::memcpy(g_crashNote.data(), note.constData(), g_crashNoteLength);
    }

    QString report(const QString &failure) const
    {
        return QStringLiteral("seed %1, action %2: %3\nreplay: RAMULET_MONKEY_SEEDS=%1 "
                              "RAMULET_MONKEY_ACTIONS=%2\nlast actions:\n%4")
            .arg(m_seed)
            .arg(m_actionNo)
            .arg(failure, QStringList(m_log.begin(), m_log.end()).join('\n'));
    }

    // RAMULET_MONKEY_TRACE=1 prints every action as it is done.
    const bool m_trace = qEnvironmentVariableIntValue("RAMULET_MONKEY_TRACE") != 0;
    std::mt19937_64 m_rng;
    quint64 m_seed;
    QString m_dir;
    std::unique_ptr<TMainform> m_w;
    int m_actionNo = 0;
    Act m_last = Act::Hover;
    QString m_current;
    std::deque<QString> m_log;
    qint64 m_elapsed = 0;  // milliseconds of the last action with its checks, traced only
    qint64 m_slowest = -1; // milliseconds, reported only
    int m_slowestAction = 0;

    // The mouse: buttons held, the view that has them, the last position.
    Qt::MouseButtons m_held = Qt::NoButton;
    QPointer<PictureView> m_target;
    QPoint m_pos{300, 300};
    // A left drag in the editor under way: what the window showed at its press.
    struct Gesture {
        WindowLook seen;
        int steps = 0;
        int index = 0;
    };
    std::optional<Gesture> m_gesture;

    // Dialogs.
    std::optional<bool> m_answer;
    int m_beeps = 0;
    QString m_dialogFailure;
    int m_questions = 0;
    bool m_lastAnswer = false;
    int m_warnings = 0;
    int m_saveDialogs = 0;
    QString m_openAnswer;
    QString m_saveChosen;
    QString m_exportChosen;
    QString m_exampleChosen;
    QString m_exportFilter;

    int m_resizes = 0; // resizes that gave the views a new frame
    std::map<const QUndoCommand *, std::pair<QByteArray, int>> m_pushedAtResize;

    struct {
        int undoChecks = 0;
        int savesChecked = 0;
        int loads = 0; // loads of accepted files (those refused counted as well)
        int refused = 0;
        int treeChecks = 0;
        int windows = 0;
    } m_count;
    RenderPipeline m_pipeline; // checkTree's own growth and picture

    std::vector<QString> m_files;
    int m_made = 0;
    std::tuple<int, int, int, int, int> m_lastUndoCheck{-1, -1, -1, -1, -1};
};

} // namespace

class TestMonkey : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        // The test closes windows and opens fresh ones; the last one closed must not end it.
        QApplication::setQuitOnLastWindowClosed(false);
        InstallCrashNote();
        QVERIFY2(!SeedsFromEnvironment().empty(), "RAMULET_MONKEY_SEEDS names no seed");
    }

    void monkey_data()
    {
        QTest::addColumn<quint64>("seed");
        for (quint64 seed : SeedsFromEnvironment()) {
            QTest::addRow("seed %llu", static_cast<unsigned long long>(seed)) << seed;
        }
    }
    void monkey()
    {
        QFETCH(quint64, seed);
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        Monkey m(seed, dir.path());
        const QString failure = m.run(ActionsFromEnvironment());
        if (!failure.isEmpty()) {
            // Whole: the test log cuts long messages.
            std::fprintf(stderr, "\n%s\n\n", qPrintable(failure));
        }
        QVERIFY2(failure.isEmpty(), qPrintable(failure.section('\n', 0, 1)));
    }
};

int main(int argc, char **argv)
{
    // A long run (make soak) takes more than the five minutes Qt Test gives a test function.
    if (!qEnvironmentVariableIsSet("QTEST_FUNCTION_TIMEOUT")) {
        qputenv("QTEST_FUNCTION_TIMEOUT", "864000000");
    }
    QApplication app(argc, argv);
    TestMonkey test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}
#include "test_monkey.moc"
