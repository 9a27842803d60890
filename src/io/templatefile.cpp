#include "io/templatefile.h"

#include "core/outputfile.h"
#include "io/paths.h"

#include <QFile>
#include <QCoreApplication>
#include <QFileInfo>
#include <QIODevice>
#include <QTranslator>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <locale.h>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace ramulet {

namespace {

constexpr std::string_view kHeader = "Ramulet 2.3";  // written, and the newest one read
constexpr std::string_view kOldHeader = "Ramulet 2"; // up to this one, no settings follow

constexpr size_t kIntTokenMax = 32;  // bytes of an integer token
constexpr size_t kRealTokenMax = 64; // bytes of a real token
constexpr int kCtrlZ = 26;           // ends the file for the reader
constexpr int kEnd = -1;             // what Input::peek gives at the end of the file

// The "C" locale, so that reals are read and written with "." whatever the program's
// locale (a Qt application adopts the user's locale at start).
locale_t CLocale()
{
    static const locale_t c = newlocale(LC_ALL_MASK, "C", locale_t(nullptr));
    return c;
}

// Ordinal comparison of bytes taken as unsigned; a proper prefix sorts first.
int CompareOrdinal(std::string_view a, std::string_view b)
{
    const size_t n = std::min(a.size(), b.size());
    for (size_t i = 0; i < n; ++i) {
        const auto ca = static_cast<unsigned char>(a[i]);
        const auto cb = static_cast<unsigned char>(b[i]);
        if (ca != cb) {
            return ca < cb ? -1 : 1;
        }
    }
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

// A byte text made fit for a message: printable ASCII kept, anything else as \xNN.
QString Printable(std::string_view bytes)
{
    QString out;
    for (const char ch : bytes) {
        const auto c = static_cast<unsigned char>(ch);
        if (c >= 32 && c < 127) {
            out += QLatin1Char(static_cast<char>(c));
        } else {
            out += QStringLiteral("\\x%1").arg(c, 2, 16, QLatin1Char('0'));
        }
    }
    return out;
}

// The most bytes the reader takes from one file: far above any real template (under 3 KB),
// so that an endless or huge file (a device, /proc, a sparse file of zeros with no line end)
// is refused at once instead of holding the reader.
constexpr size_t kByteBudget = size_t{1} << 20;

// The bytes of a file, from memory or read from a device in chunks. A byte 26 (Ctrl-Z) ends
// the file. A device's read error ends it too and is remembered, and so does reaching the
// byte budget with more bytes to come. It counts the lines it has passed and keeps the file's
// first raw bytes (past a Ctrl-Z too), which tell a text from other data when the file is
// refused.
class Input {
public:
    static constexpr qsizetype kSniffed = 1024; // first bytes kept for the text test

    explicit Input(const QByteArray &bytes)
        : data_(bytes.constData()),
          size_(std::min(static_cast<size_t>(bytes.size()), kByteBudget)),
          more_(static_cast<size_t>(bytes.size()) > kByteBudget), first_(bytes.left(kSniffed))
    {
    }
    explicit Input(QIODevice &device) : device_(&device), buffer_(kChunk) {}

    int peek()
    {
        if (ended_) {
            return kEnd;
        }
        if (pos_ == size_ && !refill()) {
            ended_ = true;
            return kEnd;
        }
        const int c = static_cast<unsigned char>(data_[pos_]);
        if (c == kCtrlZ) {
            ended_ = true;
            return kEnd;
        }
        return c;
    }
    // Only after a peek that gave a byte.
    void next()
    {
        const char c = data_[pos_++];
        if (c == '\n') {
            ++line_;
        } else if (static_cast<unsigned char>(c) > 32) {
            visible_ = true;
        }
        lastWasLf_ = c == '\n';
    }

    // The line (from 1) of the next byte.
    int32_t line() const { return line_; }
    // The lines of the file when it has ended: a last line without its line end counts.
    int32_t linesAtEnd() const { return lastWasLf_ ? line_ - 1 : line_; }
    // Whether a byte other than a blank, a control byte or a line end has been passed.
    bool sawVisible() const { return visible_; }
    const QByteArray &firstBytes() const { return first_; }

    bool failed() const { return failed_; }
    QString error() const { return error_; }
    bool overBudget() const { return overBudget_; }

private:
    static constexpr qint64 kChunk = 64 * 1024;

    bool refill()
    {
        if (device_ == nullptr) {
            overBudget_ = more_;
            return false;
        }
        taken_ += size_;
        if (taken_ >= kByteBudget) {
            char probe = 0;
            overBudget_ = device_->read(&probe, 1) > 0;
            return false;
        }
        const qint64 n = device_->read(
            buffer_.data(), std::min(kChunk, static_cast<qint64>(kByteBudget - taken_)));
        if (n < 0) {
            failed_ = true;
            error_ = device_->errorString();
            return false;
        }
        if (n == 0) {
            return false;
        }
        data_ = buffer_.data();
        size_ = static_cast<size_t>(n);
        pos_ = 0;
        if (first_.size() < kSniffed) {
            first_.append(data_, std::min<qsizetype>(n, kSniffed - first_.size()));
        }
        return true;
    }

    const char *data_ = nullptr;
    size_t size_ = 0;
    size_t pos_ = 0;
    size_t taken_ = 0; // bytes of the chunks before the current one
    bool more_ = false; // bytes past the budget in memory
    bool overBudget_ = false;
    bool ended_ = false;
    QIODevice *device_ = nullptr;
    std::vector<char> buffer_;
    bool failed_ = false;
    QString error_;
    int32_t line_ = 1;
    bool lastWasLf_ = false;
    bool visible_ = false;
    QByteArray first_;
};

constexpr const char *kContext = "ramulet::TemplateFile";
const QTranslator *g_reasonTranslator = nullptr;

// A reason in the program's language; `text` is its Japanese source.
QString Reason(const char *text)
{
    if (g_reasonTranslator != nullptr) {
        const QString translated = g_reasonTranslator->translate(kContext, text);
        return translated.isEmpty() ? QString::fromUtf8(text) : translated;
    }
    return QCoreApplication::translate(kContext, text);
}

// Control bytes that no text file holds: NUL and the C0 controls other than tab, line feed,
// vertical tab, form feed, carriage return and the Ctrl-Z that ends old text files.
bool LooksBinary(const QByteArray &bytes)
{
    for (const char ch : bytes) {
        const auto c = static_cast<unsigned char>(ch);
        if ((c < 32 && (c < 9 || c > 13) && c != kCtrlZ) || c == 127) {
            return true;
        }
    }
    return false;
}

// A header of the form "Ramulet N" or "Ramulet N.N...": a version of this program.
bool IsVersionHeader(std::string_view h)
{
    constexpr std::string_view kName = "Ramulet ";
    if (h.substr(0, kName.size()) != kName || h.size() == kName.size()) {
        return false;
    }
    bool digitBefore = false;
    for (const char c : h.substr(kName.size())) {
        if (c >= '0' && c <= '9') {
            digitBefore = true;
        } else if (c == '.' && digitBefore) {
            digitBefore = false;
        } else {
            return false;
        }
    }
    return digitBefore;
}

// What a place of the file holds, for "expected ..." in a refusal: the row (0 the trunk, -1
// none) and a Japanese description with the row number and the field name as %1 and %2.
struct Place {
    const char *what;
    int32_t row = -1;
    const char *field = "";

    QString Describe() const
    {
        QString text = Reason(what);
        if (row > 0) {
            text = text.arg(row);
        }
        return *field != '\0' ? text.arg(QLatin1String(field)) : text;
    }
};

// The reader's steps on one input. Every read that fails a check records the problem and
// the reading stops; nothing is handed out unless the whole file passed.
class Reader {
public:
    explicit Reader(Input &in) : in_(in) {}

    LoadResult Read();

private:
    // The first line, without its line end (LF, or CR LF). Only the first bytes are kept:
    // they decide every comparison with the known headers; `headerCut_` tells that more
    // followed.
    void ReadHeader();
    void DiscardLine();
    std::string_view Token(size_t maxBytes);
    bool ReadInt(int32_t &out, const Place &place);
    bool ReadReal(long double &out, const Place &place);
    bool ReadRows(BranchTable &t);
    bool ReadSettings(TemplateSettings &s);
    bool CheckTrunk(const BranchTable &t);
    // A value that is not what its place holds: the line, what belongs there, what is there.
    bool Refuse(const Place &place, std::string_view found)
    {
        return Refuse(LoadProblem::BadValue, tokenLine_,
                      Reason(QT_TRANSLATE_NOOP("ramulet::TemplateFile",
                                               "%1 行目: %2 が入るところに「%3」があります"))
                          .arg(tokenLine_)
                          .arg(place.Describe(), Printable(found)));
    }
    bool Refuse(LoadProblem problem, int32_t line, const QString &reason)
    {
        problem_ = problem;
        problemLine_ = line;
        reason_ = reason;
        return false;
    }
    // The refusal as the user is told it: what is wrong with the file as a whole comes
    // before the value that failed.
    LoadResult Refused();

    Input &in_;
    std::string header_;
    bool headerCut_ = false;
    char token_[kRealTokenMax] = {};
    int32_t tokenLine_ = 1; // the line of the last token read
    bool lastTokenEmpty_ = false; // the file ended before the last token
    bool trunkMissing_ = false;
    int32_t trunkLine_ = 0; // the line of the trunk's last value
    LoadProblem problem_ = LoadProblem::None;
    int32_t problemLine_ = 0;
    QString reason_;
};

void Reader::ReadHeader()
{
    constexpr size_t kKept = 64;
    bool sawLf = false;
    for (int c = in_.peek(); c != kEnd; c = in_.peek()) {
        in_.next();
        if (c == '\n') {
            sawLf = true;
            break;
        }
        if (header_.size() < kKept) {
            header_.push_back(static_cast<char>(c));
        } else {
            headerCut_ = true;
        }
    }
    // A CR directly before the LF belongs to the line end.
    if (sawLf && !headerCut_ && !header_.empty() && header_.back() == '\r') {
        header_.pop_back();
    }
}

void Reader::DiscardLine()
{
    for (int c = in_.peek(); c != kEnd; c = in_.peek()) {
        in_.next();
        if (c == '\n') {
            return;
        }
    }
}

std::string_view Reader::Token(size_t maxBytes)
{
    int c = in_.peek();
    while (c != kEnd && c <= 32) {
        in_.next();
        c = in_.peek();
    }
    tokenLine_ = in_.line();
    size_t n = 0;
    while (n < maxBytes && c != kEnd && c > 32) {
        token_[n++] = static_cast<char>(c);
        in_.next();
        c = in_.peek();
    }
    lastTokenEmpty_ = n == 0;
    return {token_, n};
}

bool Reader::ReadInt(int32_t &out, const Place &place)
{
    const std::string_view t = Token(kIntTokenMax);
    out = 0;
    if (t.empty()) {
        return true; // the file ended: a missing value reads as 0
    }
    size_t i = 0;
    const bool negative = t[0] == '-';
    if (t[0] == '+' || t[0] == '-') {
        ++i;
    }
    if (i == t.size()) {
        return Refuse(place, t);
    }
    // Accumulated as a magnitude up to 2^31, which the negative side still reaches.
    int64_t magnitude = 0;
    for (; i < t.size(); ++i) {
        if (t[i] < '0' || t[i] > '9') {
            return Refuse(place, t);
        }
        magnitude = magnitude * 10 + (t[i] - '0');
        if (magnitude > int64_t{INT32_MAX} + 1) {
            return Refuse(place, t);
        }
    }
    if (!negative && magnitude > INT32_MAX) {
        return Refuse(place, t);
    }
    out = static_cast<int32_t>(negative ? -magnitude : magnitude);
    return true;
}

// A real token: [sign] digits ["." [digits]] [("E"|"e") [sign] digits], or with the
// integer digits left out before the point (".5"); at least one mantissa digit.
bool WellFormedReal(std::string_view t)
{
    size_t i = 0;
    auto digits = [&] {
        const size_t start = i;
        while (i < t.size() && t[i] >= '0' && t[i] <= '9') {
            ++i;
        }
        return i - start;
    };
    if (i < t.size() && (t[i] == '+' || t[i] == '-')) {
        ++i;
    }
    size_t mantissa = digits();
    if (i < t.size() && t[i] == '.') {
        ++i;
        mantissa += digits();
    }
    if (mantissa == 0) {
        return false;
    }
    if (i < t.size() && (t[i] == 'E' || t[i] == 'e')) {
        ++i;
        if (i < t.size() && (t[i] == '+' || t[i] == '-')) {
            ++i;
        }
        if (digits() == 0) {
            return false;
        }
    }
    return i == t.size();
}

bool Reader::ReadReal(long double &out, const Place &place)
{
    const std::string_view t = Token(kRealTokenMax);
    out = 0.0L;
    if (t.empty()) {
        return true; // the file ended: a missing value reads as 0
    }
    if (!WellFormedReal(t)) {
        return Refuse(place, t);
    }
    const std::string text(t);
    char *end = nullptr;
    errno = 0;
    const long double v = strtold_l(text.c_str(), &end, CLocale());
    // Overflow is refused; an underflow has rounded to a tiny or zero value, which is kept.
    if (end != text.c_str() + text.size() || !std::isfinite(v) ||
        (errno == ERANGE && std::fabs(v) > 1.0L)) {
        return Refuse(place, t);
    }
    out = v;
    return true;
}

bool Reader::ReadRows(BranchTable &t)
{
    const char *const names[] = {"P.x", "P.y", "V.x", "V.y"};
    for (int32_t i = 0; i <= t.BranchCount; ++i) {
        TBranch &row = t.Branches[static_cast<size_t>(i)];
        long double *const values[] = {&row.P.x, &row.P.y, &row.V.x, &row.V.y};
        for (size_t k = 0; k < 4; ++k) {
            const Place place = i == 0
                ? Place{QT_TRANSLATE_NOOP("ramulet::TemplateFile", "幹の %1 (数値)"), 0, names[k]}
                : Place{QT_TRANSLATE_NOOP("ramulet::TemplateFile", "枝 %1 の %2 (数値)"), i,
                        names[k]};
            if (!ReadReal(*values[k], place)) {
                return false;
            }
            if (i == 0 && k == 3) {
                trunkLine_ = tokenLine_;
            }
            // The file ended before the trunk's row was complete.
            if (i == 0 && k == 3 && lastTokenEmpty_) {
                trunkMissing_ = true;
            }
        }
        const Place kind =
            i == 0 ? Place{QT_TRANSLATE_NOOP("ramulet::TemplateFile", "幹の種類 (1, -1, 0 のどれか)")}
                   : Place{QT_TRANSLATE_NOOP("ramulet::TemplateFile",
                                             "枝 %1 の種類 (1, -1, 0 のどれか)"),
                           i};
        if (!ReadInt(row.kind, kind)) {
            return false;
        }
        if (row.kind != kindOrder && row.kind != kindReverse && row.kind != kindSegment) {
            return Refuse(kind, std::to_string(row.kind));
        }
        DiscardLine();
    }
    return true;
}
bool Reader::ReadSettings(TemplateSettings &s)
{
    int32_t *const fields[] = {&s.BackColor, &s.TipColor, &s.TrunkColor, &s.PenWidthSetting};
    const char *const names[] = {
        QT_TRANSLATE_NOOP("ramulet::TemplateFile", "背景色 (整数)"),
        QT_TRANSLATE_NOOP("ramulet::TemplateFile", "先端の色 (整数)"),
        QT_TRANSLATE_NOOP("ramulet::TemplateFile", "幹の色 (整数)"),
        QT_TRANSLATE_NOOP("ramulet::TemplateFile", "幹の太さの設定 (整数)")};
    for (size_t k = 0; k < 4; ++k) {
        if (!ReadInt(*fields[k], Place{names[k]})) {
            return false;
        }
        DiscardLine();
    }
    return true;
}

bool Reader::CheckTrunk(const BranchTable &t)
{
    // Every later step divides by the trunk's length (squared, in 80-bit reals): it must
    // neither vanish nor overflow. The line is that of the trunk's last value.
    const TPointE v = t.Branches[0].V;
    const long double lengthSquared = v.x * v.x + v.y * v.y;
    if (lengthSquared == 0.0L && trunkMissing_) {
        return Refuse(LoadProblem::EndsEarly, 0,
                      Reason(QT_TRANSLATE_NOOP("ramulet::TemplateFile",
                                               "ファイルが幹の行の前で終わっています")));
    }
    if (lengthSquared == 0.0L) {
        return Refuse(LoadProblem::ZeroTrunk, trunkLine_,
                      Reason(QT_TRANSLATE_NOOP("ramulet::TemplateFile",
                                               "%1 行目: 幹の長さが 0 です"))
                          .arg(trunkLine_));
    }
    if (!std::isfinite(lengthSquared)) {
        return Refuse(LoadProblem::LongTrunk, trunkLine_,
                      Reason(QT_TRANSLATE_NOOP("ramulet::TemplateFile",
                                               "%1 行目: 幹が長すぎます"))
                          .arg(trunkLine_));
    }
    return true;
}

LoadResult Reader::Refused()
{
    LoadResult result;
    result.status = LoadStatus::Refused;
    constexpr std::string_view kBom = "\xEF\xBB\xBF";
    const bool ramuletHeader = std::string_view(header_).substr(0, 7) == "Ramulet";
    if (!in_.sawVisible()) {
        Refuse(LoadProblem::Empty, 0,
               Reason(QT_TRANSLATE_NOOP("ramulet::TemplateFile", "空のファイルです")));
    } else if (LooksBinary(in_.firstBytes())) {
        Refuse(LoadProblem::NotText, 0,
               Reason(QT_TRANSLATE_NOOP("ramulet::TemplateFile",
                                        "テキストファイルではありません")));
    } else if (std::string_view(header_).substr(0, kBom.size()) == kBom) {
        Refuse(LoadProblem::ByteOrderMark, 1,
               Reason(QT_TRANSLATE_NOOP("ramulet::TemplateFile",
                                        "1 行目: 先頭にバイト順マーク (BOM) が付いています")));
    } else if (!header_.empty() && (!ramuletHeader || problem_ == LoadProblem::Newer) &&
               !IsVersionHeader(header_)) {
        Refuse(LoadProblem::NotTemplate, 1,
               Reason(QT_TRANSLATE_NOOP("ramulet::TemplateFile",
                                        "Ramulet のテンプレートではありません (1 行目:「%1」)"))
                   .arg(Printable(header_.substr(0, 40)) +
                        (header_.size() > 40 || headerCut_ ? QStringLiteral("...")
                                                           : QString())));
    }
    result.problem = problem_;
    result.line = problemLine_;
    result.reason = reason_;
    result.message = reason_;
    return result;
}

LoadResult Reader::Read()
{
    ReadHeader();
    // The kept bytes are longer than both known headers, so they decide the order alone.
    if (CompareOrdinal(header_, kHeader) > 0) {
        Refuse(LoadProblem::Newer, 1,
               Reason(QT_TRANSLATE_NOOP("ramulet::TemplateFile",
                                        "Ramulet の新しい版 (%1) のファイルです"))
                   .arg(Printable(header_)));
        return Refused();
    }
    const bool withSettings = CompareOrdinal(header_, kOldHeader) > 0;

    LoadedTemplate data;
    BranchTable &t = data.table;
    DiscardLine(); // the label "Count of Data"
    int32_t count = 0;
    const Place countPlace{QT_TRANSLATE_NOOP("ramulet::TemplateFile", "枝の数 (0..20 の整数)")};
    if (!ReadInt(count, countPlace)) {
        return Refused();
    }
    if (count < 0 || count > MaxBranches) {
        Refuse(countPlace, std::to_string(count));
        return Refused();
    }
    t.BranchCount = count;
    DiscardLine(); // the rest of the count's line
    DiscardLine(); // the label "Data"
    if (!ReadRows(t)) {
        return Refused();
    }
    if (withSettings) {
        data.hasSettings = true;
        if (!ReadSettings(data.settings)) {
            return Refused();
        }
    }
    if (!CheckTrunk(t)) {
        return Refused();
    }
    LoadResult result;
    result.status = LoadStatus::Accepted;
    result.data = data;
    return result;
}

// A file that the reader stopped reading at the byte budget.
LoadResult TooLarge()
{
    LoadResult r;
    r.status = LoadStatus::Refused;
    r.problem = LoadProblem::TooLarge;
    r.reason = Reason(QT_TRANSLATE_NOOP("ramulet::TemplateFile",
                                        "1 MiB を超えて続くファイルで、どのテンプレートよりはるかに長いです"));
    r.message = r.reason;
    return r;
}

// Why `file` could not be written, in the window's language where it is ours.
QString OutputFailure(const OutputFile &file)
{
    switch (file.LastFailure()) {
    case OutputFile::Failure::Folder:
        return Reason(QT_TRANSLATE_NOOP("ramulet::TemplateFile", "フォルダーです"));
    case OutputFile::Failure::NotWritable:
        return Reason(QT_TRANSLATE_NOOP("ramulet::TemplateFile",
                                        "ファイルでもパイプでも文字デバイスでもありません"));
    case OutputFile::Failure::NoReader:
        return Reason(
            QT_TRANSLATE_NOOP("ramulet::TemplateFile", "読んでいるプログラムのないパイプです"));
    case OutputFile::Failure::None:
    case OutputFile::Failure::System:
        break;
    }
    return QString::fromLocal8Bit(file.Error().c_str());
}

LoadResult Unreadable(const QString &name, const QString &reason)
{
    LoadResult r;
    r.status = LoadStatus::Unreadable;
    r.message = QStringLiteral("Cannot read %1: %2").arg(name, reason);
    r.reason = reason;
    return r;
}

void AppendInt(QByteArray &out, int32_t v)
{
    out += QByteArray::number(v);
    out += "\r\n";
}

} // namespace

void SetReasonTranslator(const QTranslator *translator)
{
    g_reasonTranslator = translator;
}

LoadResult ParseTemplate(const QByteArray &bytes)
{
    Input in(bytes);
    LoadResult r = Reader(in).Read();
    return in.overBudget() ? TooLarge() : r;
}

LoadResult ReadTemplate(QIODevice &device, const QString &name)
{
    Input in(device);
    LoadResult r = Reader(in).Read();
    // A read error can make any file look malformed: it decides over a refusal.
    if (in.failed()) {
        return Unreadable(name, in.error());
    }
    return in.overBudget() ? TooLarge() : r;
}

LoadResult ReadTemplateFile(const QString &path)
{
    if (path.isEmpty()) {
        return Unreadable(
            path, Reason(QT_TRANSLATE_NOOP("ramulet::TemplateFile", "ファイル名がありません")));
    }
    // Opened without blocking, so that a pipe without a writer cannot hold the open; what is
    // opened is then looked at, not the name, which could change meanwhile.
    const int fd = open(PathToBytes(path).c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (fd < 0) {
        return Unreadable(path, QString::fromLocal8Bit(std::strerror(errno)));
    }
    struct stat st {};
    const bool statted = fstat(fd, &st) == 0;
    if (!statted || !S_ISREG(st.st_mode)) {
        const int err = errno;
        close(fd);
        if (!statted) {
            return Unreadable(path, QString::fromLocal8Bit(std::strerror(err)));
        }
        if (S_ISDIR(st.st_mode)) {
            return Unreadable(
                path, Reason(QT_TRANSLATE_NOOP("ramulet::TemplateFile", "フォルダーです")));
        }
        // A pipe or a device could block the window or never end; a template is a plain file.
        return Unreadable(
            path, Reason(QT_TRANSLATE_NOOP("ramulet::TemplateFile", "普通のファイルではありません")));
    }
    QFile file;
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        close(fd);
        return Unreadable(path, file.errorString());
    }
    return ReadTemplate(file, path);
}

std::string FormatReal(long double v)
{
    constexpr size_t kWidth = 23;
    if (std::isnan(v)) {
        return std::string(kWidth - 3, ' ') + "Nan";
    }
    if (std::isinf(v)) {
        return std::string(kWidth - 4, ' ') + (v > 0 ? "+Inf" : "-Inf");
    }
    const char sign = std::signbit(v) ? '-' : ' ';
    const long double a = std::fabs(v);
    if (a == 0.0L) {
        return sign + std::string("0.00000000000000E+0000");
    }

    // The first 16 significant digits of the exact decimal expansion, unrounded: printf
    // rounds correctly at the precision asked for, so 41 digits give the first 16 exactly
    // unless digits 17..41 are all 9s (a rounding carry may have reached digit 16) or all
    // 0s (one did, or the value may be a tie). Then the whole expansion is printed: with
    // a = M * 2^(e2 - 64) for a 64-bit integer M it has at most 64 - e2 digits after the
    // point and about e2 * log10(2) + 1 before it, and asking for that many makes printf
    // print it exactly, padded with zeros.
    char digits[16];
    int exponent = 0;
    auto significantDigits = [&](int precision) {
        std::vector<char> buf(static_cast<size_t>(precision) + 32);
        const locale_t previous = uselocale(CLocale());
        std::snprintf(buf.data(), buf.size(), "%.*Le", precision, a);
        uselocale(previous);
        // Digits before the exponent mark, the point skipped.
        std::string all;
        const char *p = buf.data();
        for (; *p != '\0' && *p != 'e'; ++p) {
            if (*p >= '0' && *p <= '9') {
                all += *p;
            }
        }
        exponent = (*p == 'e') ? static_cast<int>(std::strtol(p + 1, nullptr, 10)) : 0;
        std::copy_n(all.begin(), 16, digits);
        return all;
    };
    const std::string quick = significantDigits(40);
    const std::string_view tail = std::string_view(quick).substr(16);
    if (tail.find_first_not_of('9') == std::string_view::npos ||
        tail.find_first_not_of('0') == std::string_view::npos) {
        int e2 = 0;
        std::frexp(a, &e2);
        const int fractionDigits = std::max(0, 64 - e2);
        const int integerDigits = std::max(1, e2 * 30103 / 100000 + 2);
        significantDigits(std::max(16, fractionDigits + integerDigits));
    }

    // A remainder of one half or more (the 16th digit 5..9) rounds away from zero.
    if (digits[15] >= '5') {
        int i = 14;
        for (; i >= 0 && digits[i] == '9'; --i) {
            digits[i] = '0';
        }
        if (i >= 0) {
            ++digits[i];
        } else {
            digits[0] = '1'; // 9.99...9 became 10.0...0
            ++exponent;
        }
    }

    std::string out;
    out.reserve(kWidth);
    out += sign;
    out += digits[0];
    out += '.';
    out.append(digits + 1, 14);
    out += 'E';
    out += exponent < 0 ? '-' : '+';
    // Decimal exponents of long double stay within -4951..4932: four digits suffice.
    const int magnitude = std::abs(exponent);
    for (int scale = 1000; scale > 0; scale /= 10) {
        out += static_cast<char>('0' + magnitude / scale % 10);
    }
    return out;
}

QByteArray FormatTemplate(const BranchTable &t, const TemplateSettings &s)
{
    const int32_t count = std::clamp(t.BranchCount, int32_t{0}, MaxBranches);
    QByteArray out;
    out.reserve(64 + (count + 1) * 104);
    out += QByteArray(kHeader.data(), qsizetype(kHeader.size()));
    out += "\r\nCount of Data\r\n";
    AppendInt(out, count);
    out += "Data\r\n";
    for (int32_t i = 0; i <= count; ++i) {
        const TBranch &row = t.Branches[static_cast<size_t>(i)];
        for (const long double v : {row.P.x, row.P.y, row.V.x, row.V.y}) {
            out += FormatReal(v);
            out += ' ';
        }
        AppendInt(out, row.kind);
    }
    AppendInt(out, s.BackColor);
    AppendInt(out, s.TipColor);
    AppendInt(out, s.TrunkColor);
    AppendInt(out, s.PenWidthSetting);
    return out;
}

bool WriteTemplateFile(const QString &path, const QByteArray &bytes, QString *error,
                       QString *reason)
{
    auto fail = [&](const QString &why) {
        if (error != nullptr) {
            *error = QStringLiteral("Cannot write %1: %2").arg(path, why);
        }
        if (reason != nullptr) {
            *reason = why;
        }
        return false;
    };
    OutputFile file;
    if (!file.Open(PathToBytes(path)) || !file.Write(bytes.constData(), size_t(bytes.size())) ||
        !file.Commit()) {
        return fail(OutputFailure(file));
    }
    return true;
}

QString SaveFileName(const QString &chosen)
{
    const qsizetype slash = chosen.lastIndexOf(QLatin1Char('/'));
    const qsizetype dot = chosen.lastIndexOf(QLatin1Char('.'));
    const bool hasRm2 = dot > slash && QStringView(chosen).mid(dot) == QLatin1String(".rm2");
    return hasRm2 ? chosen : chosen + QLatin1String(".rm2");
}

int32_t PenIndexForSetting(int32_t penWidthSetting)
{
    return std::clamp(penWidthSetting / 20, int32_t{0}, int32_t{10});
}

DrawSettings DrawSettingsFor(const TemplateSettings &file, int32_t penIndex)
{
    DrawSettings s;
    s.BackColor = static_cast<TColor>(file.BackColor);
    s.TipColor = static_cast<TColor>(file.TipColor);
    s.TrunkColor = static_cast<TColor>(file.TrunkColor);
    s.PenWidthSetting = penIndex * 20;
    return s;
}

QString FileNamePart(const QString &path)
{
    return path.mid(path.lastIndexOf(QLatin1Char('/')) + 1);
}

} // namespace ramulet
