#pragma once

// The template file (.rm2): its exact text, the writer and the all-or-nothing reader.
//
// A file holds the header "Ramulet 2.3", the label "Count of Data", BranchCount, the label
// "Data", one line per row 0..BranchCount (P.x P.y V.x V.y as 23-character reals, then the
// kind) and the four drawing settings, every line ended by CR LF. Files of the older format
// "Ramulet 2" end after the rows.

#include "core/branches.h"
#include "core/drawsettings.h"

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <string>

class QIODevice;
class QTranslator;

namespace ramulet {

// The four drawing settings that travel in a file. Colours are laid out 0x00BBGGRR.
struct TemplateSettings {
    int32_t BackColor = 0xF8FFE0;
    int32_t TipColor = 0x00A000;
    int32_t TrunkColor = 0x0000A0;
    int32_t PenWidthSetting = 40; // 20 times the index of the pen-width list
    friend bool operator==(const TemplateSettings &, const TemplateSettings &) = default;
};

// What a file holds. `table` has P, V and kind of rows 0..BranchCount set (other rows and all
// screen points are left default: the caller computes screen points for its own view).
// `hasSettings` is false for a file whose header does not sort after "Ramulet 2"; `settings`
// are then the defaults above.
struct LoadedTemplate {
    BranchTable table;
    bool hasSettings = false;
    TemplateSettings settings;
};

enum class LoadStatus {
    Accepted,  // `data` holds the complete, checked template
    Refused,   // the content is not a template this program can use; nothing is to change
    Unreadable // the file could not be opened or read
};

// Why a file was refused. When several apply, the first of this list is given: a file of
// nothing but blanks and line ends is Empty, one with control bytes among its first bytes is
// NotText, one whose first line is not a Ramulet header (or only a byte-order mark stands
// before one) is NotTemplate or ByteOrderMark, whatever value then failed.
enum class LoadProblem {
    None,          // accepted, or unreadable
    Empty,         // nothing but blanks and line ends
    NotText,       // control bytes that no text holds
    ByteOrderMark, // a byte-order mark before the header
    NotTemplate,   // the first line is not a Ramulet header
    Newer,         // the header of a newer version
    BadValue,      // a value is not what its place holds (malformed, out of range, a wrong kind)
    EndsEarly,     // the file ends before the trunk's row
    ZeroTrunk,     // the trunk has zero length
    LongTrunk,     // the trunk's squared length overflows
    TooLarge       // the file goes on past the reader's byte budget
};

// For Refused, `reason` says why in the program's language (line and value included where
// there is one) and `message` is the same text; for Unreadable, `message` names the file and
// the reason in English (for the command line), `reason` is the system's reason alone.
struct LoadResult {
    LoadStatus status = LoadStatus::Refused;
    LoadedTemplate data;
    QString message;
    QString reason;
    LoadProblem problem = LoadProblem::None;
    int32_t line = 0; // the line (from 1) the problem is on; 0 when it is on no one line
};

// The reader's and writer's reasons are written in Japanese and translated through the
// application's translators. A program without an application object (the command-line
// renderer) hands its own translator here instead; it must outlive every later read or
// write. nullptr goes back to the application's translators.
void SetReasonTranslator(const QTranslator *translator);

// The whole reader on the bytes of a file: the header rule, the token reader and every
// check. All or nothing: `data` is meaningful only when the status is Accepted.
LoadResult ParseTemplate(const QByteArray &bytes);

// The same reader on a device open for reading, consumed in chunks, so that a huge file
// does not have to fit in memory. A read error gives Unreadable with `message` naming
// `name` and the reason.
LoadResult ReadTemplate(QIODevice &device, const QString &name);

// Opens `path`, reads and parses it. Only a regular file is read, and at most 1 MiB of it: a
// file that goes on past that is refused.
LoadResult ReadTemplateFile(const QString &path);

// A real as the file writes it: exactly 23 characters, e.g. ' 1.50000000000000E+0002',
// '-2.50000000000000E-0001'; 15 significant digits rounded half away from zero on the
// value's exact decimal expansion; "Nan", "+Inf", "-Inf" right-aligned.
std::string FormatReal(long double v);

// The exact text of a file holding rows 0..t.BranchCount of `t` (model values P, V, kind) and
// the settings `s`, every line ended by CR LF.
QByteArray FormatTemplate(const BranchTable &t, const TemplateSettings &s);

// Writes `bytes` to `path` through a temporary file that replaces the target only once it
// is complete, so a failure leaves any old file intact; a pipe or a device is written
// directly and never replaced (core/outputfile.h). On failure returns false and, when
// `error` is given, sets it to a message naming the file and the reason; `reason`, when
// given, gets the reason alone.
bool WriteTemplateFile(const QString &path, const QByteArray &bytes, QString *error,
                       QString *reason = nullptr);

// The name a save writes to: `chosen` with ".rm2" appended unless its extension (the text
// from the last "." after the last "/") is exactly ".rm2", case included.
QString SaveFileName(const QString &chosen);

// The pen-width list index (0..10) that a pen width setting selects: the setting divided by
// 20, truncated toward zero, clamped to the list.
int32_t PenIndexForSetting(int32_t penWidthSetting);

// What a picture of a file's template is drawn with: the file's colours (kept as signed
// 32-bit integers, drawn as 0x00BBGGRR values: a modular conversion both ways) and the pen
// width of list index `penIndex`.
DrawSettings DrawSettingsFor(const TemplateSettings &file, int32_t penIndex);

// The text after the last "/" (the whole text when there is none); the caption shows it.
QString FileNamePart(const QString &path);

} // namespace ramulet
