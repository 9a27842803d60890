// The template file: the number format, the exact text, the reader's rules and refusals,
// and saving through a temporary file.

#include "core/branches.h"
#include "io/templatefile.h"

#include <QBuffer>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtTest>

#include <cfloat>
#include <cmath>
#include <cstring>
#include <limits>
#include <string>
#include <vector>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

using namespace ramulet;

Q_DECLARE_METATYPE(long double)
Q_DECLARE_METATYPE(ramulet::LoadStatus)
Q_DECLARE_METATYPE(ramulet::LoadProblem)

namespace {

QByteArray ReadData(const char *name)
{
    QFile f(QStringLiteral(RAMULET_TEST_DATA "/templates/") + QLatin1String(name));
    if (!f.open(QIODevice::ReadOnly)) {
        return {};
    }
    return f.readAll();
}

QByteArray Crlf(const QList<QByteArray> &lines)
{
    QByteArray out;
    for (const QByteArray &l : lines) {
        out += l + "\r\n";
    }
    return out;
}

// A file with the given header and two rows' worth of body after it.
QByteArray WithHeader(const QByteArray &header)
{
    return header + "\r\nCount of Data\r\n1\r\nData\r\n"
                    "0 0 0 1 0\r\n0 1 0.5 0.5 -1\r\n1\r\n2\r\n3\r\n60\r\n";
}

// The default template's rows, the way the window starts.
BranchTable DefaultTable()
{
    BranchTable t;
    ViewState view;
    view.SetViewSize(636, 634);
    view.ResetView();
    SetDefaultTemplate(t, view);
    return t;
}

void CompareRows(const BranchTable &a, const BranchTable &b)
{
    QCOMPARE(a.BranchCount, b.BranchCount);
    for (int32_t i = 0; i <= a.BranchCount; ++i) {
        const TBranch &x = a.Branches[size_t(i)];
        const TBranch &y = b.Branches[size_t(i)];
        QVERIFY2(x.P == y.P && x.V == y.V && x.kind == y.kind,
                 qPrintable(QStringLiteral("row %1 differs").arg(i)));
    }
}

// A device that delivers its first chunk and then fails, as a disk with a bad sector would.
class FailingDevice : public QIODevice {
public:
    explicit FailingDevice(QByteArray first) : first_(std::move(first)) {}

protected:
    qint64 readData(char *data, qint64 maxSize) override
    {
        if (done_) {
            setErrorString(QStringLiteral("Input/output error"));
            return -1;
        }
        done_ = true;
        const qint64 n = std::min<qint64>(maxSize, first_.size());
        std::memcpy(data, first_.constData(), size_t(n));
        return n;
    }
    qint64 writeData(const char *, qint64) override { return -1; }

private:
    QByteArray first_;
    bool done_ = false;
};

} // namespace

class TestTemplateFile : public QObject {
    Q_OBJECT
private slots:
    void formatReal_data()
    {
        QTest::addColumn<long double>("value");
        QTest::addColumn<QByteArray>("text");
        const long double inf = std::numeric_limits<long double>::infinity();
        QTest::addRow("one") << 1.0L << QByteArray(" 1.00000000000000E+0000");
        QTest::addRow("150") << 150.0L << QByteArray(" 1.50000000000000E+0002");
        QTest::addRow("-0.25") << -0.25L << QByteArray("-2.50000000000000E-0001");
        QTest::addRow("zero") << 0.0L << QByteArray(" 0.00000000000000E+0000");
        QTest::addRow("negative zero") << -0.0L << QByteArray("-0.00000000000000E+0000");
        QTest::addRow("0.1") << 0.1L << QByteArray(" 1.00000000000000E-0001");
        QTest::addRow("0.1 from a double") << static_cast<long double>(0.1)
                                           << QByteArray(" 1.00000000000000E-0001");
        QTest::addRow("pi, 21 digits") << 3.14159265358979323846L
                                       << QByteArray(" 3.14159265358979E+0000");
        QTest::addRow("two thirds rounds up") << 2.0L / 3.0L
                                              << QByteArray(" 6.66666666666667E-0001");
        QTest::addRow("-1/3") << -1.0L / 3.0L << QByteArray("-3.33333333333333E-0001");
        // An exact tie at the 16th digit goes away from zero, not to even.
        QTest::addRow("exact tie") << 1234567890123445.0L << QByteArray(" 1.23456789012345E+0015");
        QTest::addRow("negative tie") << -1234567890123445.0L
                                      << QByteArray("-1.23456789012345E+0015");
        // ...4999 must not be rounded twice into a tie.
        QTest::addRow("just below a tie") << 1234567890123454999.0L
                                          << QByteArray(" 1.23456789012345E+0018");
        QTest::addRow("carry on a tie") << 9999999999999995.0L
                                        << QByteArray(" 1.00000000000000E+0016");
        QTest::addRow("carry into the exponent") << 9.99999999999999951L
                                                 << QByteArray(" 1.00000000000000E+0001");
        QTest::addRow("negative carry") << -0.0999999999999999951L
                                        << QByteArray("-1.00000000000000E-0001");
        // The long double nearest to 9.999999999999995 lies below it.
        QTest::addRow("9.999999999999995") << 9.999999999999995L
                                           << QByteArray(" 9.99999999999999E+0000");
        QTest::addRow("LDBL_MAX") << LDBL_MAX << QByteArray(" 1.18973149535723E+4932");
        QTest::addRow("-LDBL_MAX") << -LDBL_MAX << QByteArray("-1.18973149535723E+4932");
        QTest::addRow("LDBL_MIN") << LDBL_MIN << QByteArray(" 3.36210314311209E-4932");
        QTest::addRow("smallest subnormal") << LDBL_TRUE_MIN << QByteArray(" 3.64519953188247E-4951");
        QTest::addRow("three smallest subnormals")
            << 3.0L * LDBL_TRUE_MIN << QByteArray(" 1.09355985956474E-4950");
        QTest::addRow("2^-16400") << std::ldexp(1.0L, -16400) << QByteArray(" 1.28254056667789E-4937");
        QTest::addRow("1e-4000") << 1e-4000L << QByteArray(" 1.00000000000000E-4000");
        QTest::addRow("1e4000") << 1e4000L << QByteArray(" 1.00000000000000E+4000");
        QTest::addRow("NaN") << std::numeric_limits<long double>::quiet_NaN()
                             << QByteArray("                    Nan");
        QTest::addRow("+Inf") << inf << QByteArray("                   +Inf");
        QTest::addRow("-Inf") << -inf << QByteArray("                   -Inf");
    }
    void formatReal()
    {
        QFETCH(long double, value);
        QFETCH(QByteArray, text);
        const std::string s = FormatReal(value);
        QCOMPARE(QByteArray::fromStdString(s), text);
        QCOMPARE(s.size(), size_t(23));
    }

    // Against a plain reference: the whole exact expansion printed, 15 digits taken and the
    // 16th deciding the rounding. Values are spread over the whole exponent range.
    void formatRealMatchesExactExpansion()
    {
        QRandomGenerator rng(20240607);
        std::vector<char> buf(17000);
        for (int k = 0; k < 400; ++k) {
            const uint64_t mantissa = rng.generate64() | (k % 4 == 0 ? 0 : (uint64_t{1} << 63));
            const int e2 = int(rng.bounded(-16445, 16384 - 64));
            long double v = std::ldexp(static_cast<long double>(mantissa), e2);
            if (k % 2 == 1) {
                v = -v;
            }
            if (!std::isfinite(v) || v == 0.0L) {
                continue;
            }
            std::snprintf(buf.data(), buf.size(), "%.16600Le", std::fabs(v));
            std::string d;
            const char *p = buf.data();
            for (; *p != 'e'; ++p) {
                if (*p != '.') {
                    d += *p;
                }
            }
            int exponent = std::atoi(p + 1);
            long long head = std::stoll(d.substr(0, 15));
            if (d[15] >= '5') {
                ++head;
            }
            if (head == 1000000000000000LL) {
                head /= 10;
                ++exponent;
            }
            const std::string h = std::to_string(head);
            char want[32];
            std::snprintf(want, sizeof want, "%c%c.%sE%c%04d", v < 0 ? '-' : ' ', h[0],
                          h.substr(1).c_str(), exponent < 0 ? '-' : '+', std::abs(exponent));
            QCOMPARE(QByteArray::fromStdString(FormatReal(v)), QByteArray(want));
        }
    }

    void defaultFileByteForByte()
    {
        const QByteArray expected = ReadData("default.rm2");
        QCOMPARE(expected.count('\n'), 11);
        QCOMPARE(FormatTemplate(DefaultTable(), TemplateSettings{}), expected);
    }

    void trunkAloneIsNineLines()
    {
        BranchTable t = DefaultTable();
        t.BranchCount = 0;
        const QByteArray text = FormatTemplate(t, TemplateSettings{});
        QCOMPARE(text.count("\r\n"), 9);
        const LoadResult r = ParseTemplate(text);
        QCOMPARE(r.status, LoadStatus::Accepted);
        QCOMPARE(r.data.table.BranchCount, 0);
        QCOMPARE(r.data.table.Branches[0].V, (TPointE{0.0L, 1.0L}));
    }

    void roundTrip_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addRow("default") << ReadData("default.rm2");
        QTest::addRow("trunk only") << ReadData("trunk-only.rm2");
        // Twenty branches with values of every kind the writer meets.
        BranchTable t;
        t.BranchCount = MaxBranches;
        t.Branches[0].P = {-0.0L, LDBL_TRUE_MIN};
        t.Branches[0].V = {1e2000L, 1.0L / 3.0L};
        for (int32_t i = 1; i <= MaxBranches; ++i) {
            TBranch &b = t.Branches[size_t(i)];
            b.P = {std::sqrt(static_cast<long double>(i)), -1.0L / i};
            b.V = {std::ldexp(1.0L, -160 * i), std::ldexp(-3.0L, 150 * i)};
            b.kind = i % 3 - 1;
        }
        QTest::addRow("twenty branches, first save")
            << FormatTemplate(t, TemplateSettings{-1, 0, 2147483647, -2147483647 - 1});
    }
    void roundTrip()
    {
        QFETCH(QByteArray, file);
        QVERIFY(!file.isEmpty());
        const LoadResult r = ParseTemplate(file);
        QCOMPARE(r.status, LoadStatus::Accepted);
        QVERIFY(r.data.hasSettings);
        QCOMPARE(FormatTemplate(r.data.table, r.data.settings), file);
    }

    // A value with more than 15 digits comes back rounded after the first save, and the
    // text is stable from then on.
    void moreThanFifteenDigitsSettle()
    {
        BranchTable t = DefaultTable();
        t.Branches[1].V = {1.0L / 3.0L, std::sqrt(2.0L)};
        const QByteArray first = FormatTemplate(t, TemplateSettings{});
        const LoadResult r = ParseTemplate(first);
        QCOMPARE(r.status, LoadStatus::Accepted);
        QVERIFY(r.data.table.Branches[1].V.x != 1.0L / 3.0L);
        QVERIFY(std::fabs(r.data.table.Branches[1].V.x - 1.0L / 3.0L) < 1e-15L);
        QCOMPARE(FormatTemplate(r.data.table, r.data.settings), first);
    }

    void header_data()
    {
        QTest::addColumn<QByteArray>("header");
        QTest::addColumn<LoadStatus>("status");
        QTest::addColumn<bool>("settingsRead");
        QTest::addColumn<LoadProblem>("problem"); // why a refused one is refused
        const auto none = LoadProblem::None;
        QTest::addRow("2.3") << QByteArray("Ramulet 2.3") << LoadStatus::Accepted << true << none;
        QTest::addRow("2.1") << QByteArray("Ramulet 2.1") << LoadStatus::Accepted << true << none;
        QTest::addRow("2.2 and more") << QByteArray("Ramulet 2.2 beta") << LoadStatus::Accepted
                                      << true << none;
        QTest::addRow("2") << QByteArray("Ramulet 2") << LoadStatus::Accepted << false << none;
        QTest::addRow("1.5") << QByteArray("Ramulet 1.5") << LoadStatus::Accepted << false << none;
        QTest::addRow("empty") << QByteArray() << LoadStatus::Accepted << false << none;
        QTest::addRow("2.4") << QByteArray("Ramulet 2.4") << LoadStatus::Refused << false
                             << LoadProblem::Newer;
        QTest::addRow("3") << QByteArray("Ramulet 3") << LoadStatus::Refused << false
                           << LoadProblem::Newer;
        QTest::addRow("trailing blank") << QByteArray("Ramulet 2.3 ") << LoadStatus::Refused
                                        << false << LoadProblem::NotTemplate;
        QTest::addRow("2.30") << QByteArray("Ramulet 2.30") << LoadStatus::Refused << false
                              << LoadProblem::Newer;
        QTest::addRow("lower case") << QByteArray("ramulet 2.3") << LoadStatus::Refused << false
                                    << LoadProblem::NotTemplate;
        QTest::addRow("byte-order mark") << QByteArray("\xEF\xBB\xBFRamulet 2.3")
                                         << LoadStatus::Refused << false
                                         << LoadProblem::ByteOrderMark;
        // A CR that does not stand right before the LF belongs to the header.
        QTest::addRow("two CRs") << QByteArray("Ramulet 2.3\r") << LoadStatus::Refused << false
                                 << LoadProblem::NotTemplate;
        QTest::addRow("long, after") << QByteArray("Ramulet 2.3" + QByteArray(200, 'x'))
                                     << LoadStatus::Refused << false << LoadProblem::NotTemplate;
        QTest::addRow("long, before") << QByteArray("Ramulet 2.2" + QByteArray(200, 'x'))
                                      << LoadStatus::Accepted << true << none;
        QTest::addRow("another program's text") << QByteArray("hello") << LoadStatus::Refused
                                                << false << LoadProblem::NotTemplate;
    }
    void header()
    {
        QFETCH(QByteArray, header);
        QFETCH(LoadStatus, status);
        QFETCH(bool, settingsRead);
        QFETCH(LoadProblem, problem);
        const LoadResult r = ParseTemplate(WithHeader(header));
        QCOMPARE(r.status, status);
        QCOMPARE(r.problem, problem);
        if (status == LoadStatus::Refused) {
            QCOMPARE(r.line, 1);
            QVERIFY(!r.reason.isEmpty());
            return;
        }
        QCOMPARE(r.data.hasSettings, settingsRead);
        QCOMPARE(r.data.table.BranchCount, 1);
        QCOMPARE(r.data.table.Branches[1].kind, kindReverse);
        const TemplateSettings expected =
            settingsRead ? TemplateSettings{1, 2, 3, 60} : TemplateSettings{};
        QCOMPARE(r.data.settings, expected);
    }

    // Line ends, blanks, tabs, split rows and trailing words all give the same template.
    void layoutVariants_data()
    {
        QTest::addColumn<QByteArray>("file");
        const QByteArray crlf = ReadData("default.rm2");
        QByteArray lf = crlf;
        lf.replace("\r\n", "\n");
        QTest::addRow("LF") << lf;
        QTest::addRow("hand edited") << ReadData("hand-edited.rm2").replace("\n30\n", "\n40\n");
        QTest::addRow("blanks and tabs")
            << Crlf({"Ramulet 2.3", "Count of Data", "  \t2", "Data",
                     "\t0   0\t\t0    1     0", "0 1 0.5 0.5 -1", "0 1 -0.5 0.5 -1 and a note",
                     "16318432", "40960", "160", "40"});
        QTest::addRow("split rows") << Crlf({"Ramulet 2.3", "Count of Data", "2", "Data", "0",
                                             "0", "0", "1", "0", "0 1 0.5", "", "0.5 -1",
                                             "0 1 -0.5 0.5", "-1", "16318432", "40960", "160", "40"});
        QTest::addRow("other spellings")
            << Crlf({"Ramulet 2.3", "", "+2", "", "0.0 .0 0. 1E+0000 +0", "0 1e0 5e-1 .5 -1",
                     "0 100e-2 -0.5 5000E-4 -01", "16318432", "40960", "160", "+40"});
        QTest::addRow("Ctrl-Z ends the file")
            << crlf + QByteArray("\x1A") + "garbage that is never read";
    }
    void layoutVariants()
    {
        QFETCH(QByteArray, file);
        const LoadResult r = ParseTemplate(file);
        QVERIFY2(r.status == LoadStatus::Accepted, qPrintable(r.message));
        CompareRows(r.data.table, DefaultTable());
        QCOMPARE(r.data.settings, TemplateSettings{});
        QCOMPARE(FormatTemplate(r.data.table, r.data.settings), ReadData("default.rm2"));
    }

    void oldFormatReadsNoSettings()
    {
        const LoadResult r = ParseTemplate(ReadData("old-format.rm2") + "1\r\n2\r\n3\r\n4\r\n");
        QCOMPARE(r.status, LoadStatus::Accepted);
        QVERIFY(!r.data.hasSettings);
        QCOMPARE(r.data.settings, TemplateSettings{});
        QCOMPARE(r.data.table.BranchCount, 3);
        QCOMPARE(r.data.table.Branches[0].P, (TPointE{0.1L, -0.2L}));
        QCOMPARE(r.data.table.Branches[3].V, (TPointE{0.0L, 0.25L}));
        QCOMPARE(r.data.table.Branches[2].kind, kindReverse);
    }

    void penWidthKeptAsRead()
    {
        const LoadResult r = ParseTemplate(ReadData("hand-edited.rm2"));
        QVERIFY2(r.status == LoadStatus::Accepted, qPrintable(r.message));
        QCOMPARE(r.data.settings.PenWidthSetting, 30);
        QCOMPARE(PenIndexForSetting(r.data.settings.PenWidthSetting), 1);
    }

    void penIndex_data()
    {
        QTest::addColumn<int>("setting");
        QTest::addColumn<int>("index");
        QTest::addRow("0") << 0 << 0;
        QTest::addRow("19") << 19 << 0;
        QTest::addRow("40") << 40 << 2;
        QTest::addRow("200") << 200 << 10;
        QTest::addRow("219") << 219 << 10;
        QTest::addRow("1000") << 1000 << 10;
        QTest::addRow("-19") << -19 << 0;
        QTest::addRow("-40") << -40 << 0;
        QTest::addRow("INT_MIN") << INT32_MIN << 0;
    }
    void penIndex()
    {
        QFETCH(int, setting);
        QFETCH(int, index);
        QCOMPARE(PenIndexForSetting(setting), index);
    }

    // Missing values read as 0: a 2.3 file that stops after the rows has black colours and
    // pen width 0; one that stops inside the rows has zero rows.
    void endsEarly_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<int>("rowsFilled");
        const QByteArray full = ReadData("default.rm2");
        const qsizetype afterRow0 = full.indexOf("\r\n 0.00000000000000E+0000  1.0") + 2;
        QTest::addRow("after the rows") << full.left(full.indexOf("16318432")) << 3;
        QTest::addRow("after row 0") << full.left(afterRow0) << 1;
        QTest::addRow("Ctrl-Z after row 0") << full.left(afterRow0) + '\x1A' + full.mid(afterRow0)
                                            << 1;
        QTest::addRow("no final line end") << full.left(afterRow0 - 2) << 1;
    }
    void endsEarly()
    {
        QFETCH(QByteArray, file);
        QFETCH(int, rowsFilled);
        const LoadResult r = ParseTemplate(file);
        QVERIFY2(r.status == LoadStatus::Accepted, qPrintable(r.message));
        QVERIFY(r.data.hasSettings);
        QCOMPARE(r.data.settings, (TemplateSettings{0, 0, 0, 0}));
        QCOMPARE(r.data.table.BranchCount, 2);
        const BranchTable d = DefaultTable();
        for (int32_t i = 0; i <= 2; ++i) {
            const TBranch &row = r.data.table.Branches[size_t(i)];
            if (i < rowsFilled) {
                QCOMPARE(row.V, d.Branches[size_t(i)].V);
                QCOMPARE(row.kind, d.Branches[size_t(i)].kind);
            } else {
                QCOMPARE(row.P, TPointE{});
                QCOMPARE(row.V, TPointE{});
                QCOMPARE(row.kind, kindSegment);
            }
        }
    }

    // Runs longer than a token are cut, and the rest is the next token.
    void tokenLimits()
    {
        // 40 digits for the count: the first 32 (zeros) are the count, the rest of the line
        // is discarded.
        const QByteArray count40 = QByteArray(39, '0') + "2";
        QByteArray file = Crlf({"Ramulet 2.3", "", count40, "", "0 0 0 1 0", "9 9 9 9 9"});
        LoadResult r = ParseTemplate(file);
        QVERIFY2(r.status == LoadStatus::Accepted, qPrintable(r.message));
        QCOMPARE(r.data.table.BranchCount, 0);

        // A 65-byte real: 64 bytes are P.x, the last digit is P.y.
        const QByteArray real65 = "0." + QByteArray(62, '0') + "5";
        QCOMPARE(real65.size(), 65);
        file = Crlf({"Ramulet 2.3", "", "0", "", real65 + " 0 1 0"});
        r = ParseTemplate(file);
        QVERIFY2(r.status == LoadStatus::Accepted, qPrintable(r.message));
        QCOMPARE(r.data.table.Branches[0].P, (TPointE{0.0L, 5.0L}));
        QCOMPARE(r.data.table.Branches[0].V, (TPointE{0.0L, 1.0L}));

        // 40 digits fit a real token whole.
        file = Crlf({"Ramulet 2.3", "", "0", "", "1234567890123456789012345678901234567890 0 0 1 0"});
        r = ParseTemplate(file);
        QVERIFY2(r.status == LoadStatus::Accepted, qPrintable(r.message));
        QCOMPARE(r.data.table.Branches[0].P.x, 1234567890123456789012345678901234567890.0L);
    }

    void acceptedNumbers_data()
    {
        QTest::addColumn<QByteArray>("token");
        QTest::addColumn<long double>("value");
        QTest::addRow("negative zero") << QByteArray("-0") << -0.0L;
        QTest::addRow("underflow to zero") << QByteArray("1e-5000") << 0.0L;
        QTest::addRow("subnormal") << QByteArray("3.64519953188247E-4951") << LDBL_TRUE_MIN;
        QTest::addRow("near the top") << QByteArray("1.18973149535723E+4932")
                                      << 1.18973149535723E+4932L;
        QTest::addRow("lower-case e") << QByteArray("-2.5e-1") << -0.25L;
    }
    void acceptedNumbers()
    {
        QFETCH(QByteArray, token);
        QFETCH(long double, value);
        const LoadResult r =
            ParseTemplate(Crlf({"Ramulet 2.3", "", "1", "", "0 0 0 1 0", token + " 0 0 0 0"}));
        QVERIFY2(r.status == LoadStatus::Accepted, qPrintable(r.message));
        const long double got = r.data.table.Branches[1].P.x;
        QCOMPARE(got, value);
        QCOMPARE(std::signbit(got), std::signbit(value));
    }

    // Each refusal says why: the problem, the line it is on and the value found there.
    void refused_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<LoadProblem>("problem");
        QTest::addColumn<int>("line"); // 0: on no one line
        QTest::addColumn<QString>("found"); // in the reason; empty: nothing to look for
        auto body = [](const QByteArray &count, const QByteArray &row0, const QByteArray &row1,
                       const QByteArray &setting) {
            return Crlf({"Ramulet 2.3", "Count of Data", count, "Data", row0, row1, setting,
                         "0", "0", "40"});
        };
        const QByteArray ok0 = "0 0 0 1 0";
        const QByteArray ok1 = "0 1 0.5 0.5 -1";
        const auto bad = LoadProblem::BadValue;
        QTest::addRow("count 21") << body("21", ok0, ok1, "0") << bad << 3 << "21";
        QTest::addRow("count -1") << body("-1", ok0, ok1, "0") << bad << 3 << "-1";
        QTest::addRow("count beyond 32 bits") << body("4294967297", ok0, ok1, "0") << bad << 3
                                              << "4294967297";
        QTest::addRow("count 2147483648") << body("2147483648", ok0, ok1, "0") << bad << 3
                                          << "2147483648";
        QTest::addRow("count as a real") << body("1.0", ok0, ok1, "0") << bad << 3 << "1.0";
        QTest::addRow("count as a word") << body("one", ok0, ok1, "0") << bad << 3 << "one";
        QTest::addRow("count a bare sign") << body("-", ok0, ok1, "0") << bad << 3 << "-";
        QTest::addRow("kind 2") << body("1", ok0, "0 1 0.5 0.5 2", "0") << bad << 6 << "2";
        QTest::addRow("kind -2") << body("1", "0 0 0 1 -2", ok1, "0") << bad << 5 << "-2";
        QTest::addRow("kind word") << body("1", ok0, "0 1 0.5 0.5 x", "0") << bad << 6 << "x";
        QTest::addRow("decimal comma") << body("1", ok0, "0 1 0,5 0.5 -1", "0") << bad << 6
                                       << "0,5";
        QTest::addRow("word for a real") << body("1", "abc 0 0 1 0", ok1, "0") << bad << 5
                                         << "abc";
        QTest::addRow("bare exponent") << body("1", "0 0 0 1e 0", ok1, "0") << bad << 5 << "1e";
        QTest::addRow("exponent sign only") << body("1", "0 0 0 1e+ 0", ok1, "0") << bad << 5
                                            << "1e+";
        QTest::addRow("bare point") << body("1", "0 . 0 1 0", ok1, "0") << bad << 5 << ".";
        QTest::addRow("double sign") << body("1", "--1 0 0 1 0", ok1, "0") << bad << 5 << "--1";
        QTest::addRow("hexadecimal") << body("1", "0x10 0 0 1 0", ok1, "0") << bad << 5
                                     << "0x10";
        QTest::addRow("Nan") << body("1", "Nan 0 0 1 0", ok1, "0") << bad << 5 << "Nan";
        QTest::addRow("+Inf") << body("1", "0 0 +Inf 1 0", ok1, "0") << bad << 5 << "+Inf";
        QTest::addRow("inf") << body("1", "0 0 0 inf 0", ok1, "0") << bad << 5 << "inf";
        QTest::addRow("overflow") << body("1", ok0, "1e5000 1 0.5 0.5 -1", "0") << bad << 6
                                  << "1e5000";
        QTest::addRow("a row split over lines")
            << Crlf({"Ramulet 2.3", "", "1", "", "0 0", "0 1 0", "0 1", "0.5 x -1"}) << bad << 8
            << "x";
        QTest::addRow("zero trunk") << body("1", "5 5 0 0 0", ok1, "0") << LoadProblem::ZeroTrunk
                                    << 5 << "";
        QTest::addRow("negative zero trunk") << body("1", "5 5 -0 -0.0 0", ok1, "0")
                                             << LoadProblem::ZeroTrunk << 5 << "";
        QTest::addRow("trunk vanishing when squared") << body("1", "0 0 1e-3000 0 0", ok1, "0")
                                                      << LoadProblem::ZeroTrunk << 5 << "";
        QTest::addRow("trunk overflowing when squared")
            << body("1", "0 0 1e3000 1e3000 0", ok1, "0") << LoadProblem::LongTrunk << 5 << "";
        QTest::addRow("colour word") << body("1", ok0, ok1, "red") << bad << 7 << "red";
        QTest::addRow("colour beyond 32 bits") << body("1", ok0, ok1, "4294967295") << bad << 7
                                               << "4294967295";
        QTest::addRow("empty file") << QByteArray() << LoadProblem::Empty << 0 << "";
        QTest::addRow("blank lines only") << QByteArray(" \r\n\t\r\n\r\n") << LoadProblem::Empty
                                          << 0 << "";
        QTest::addRow("header only") << QByteArray("Ramulet 2.3\r\n") << LoadProblem::EndsEarly
                                     << 0 << "";
        QTest::addRow("binary") << QByteArray("\xff\xfe\x00\x01", 4) << LoadProblem::NotText
                                << 0 << "";
        QTest::addRow("binary, low bytes first") << QByteArray("\x00\x01\x02\xff\xfe", 5)
                                                 << LoadProblem::NotText << 0 << "";
        QTest::addRow("a picture") << QByteArray("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16)
                                   << LoadProblem::NotText << 0 << "";
        QTest::addRow("another program's text, sorting first")
            << Crlf({"# notes", "Count of Data", "two"}) << LoadProblem::NotTemplate << 1
            << "# notes";
    }
    void refused()
    {
        QFETCH(QByteArray, file);
        QFETCH(LoadProblem, problem);
        QFETCH(int, line);
        QFETCH(QString, found);
        const LoadResult r = ParseTemplate(file);
        QCOMPARE(r.status, LoadStatus::Refused);
        QCOMPARE(r.problem, problem);
        QCOMPARE(r.line, line);
        QVERIFY(!r.reason.isEmpty());
        QCOMPARE(r.message, r.reason);
        if (line > 0) {
            QVERIFY2(r.reason.contains(QString::number(line)), qPrintable(r.reason));
        }
        QVERIFY2(r.reason.contains(found), qPrintable(r.reason));
    }

    // The device reader crosses its chunk boundaries and reports read errors.
    void readsFromDevices()
    {
        QByteArray big = ReadData("default.rm2");
        big.replace("Count of Data", QByteArray(300000, 'c')); // a label longer than a chunk
        QBuffer buffer(&big);
        QVERIFY(buffer.open(QIODevice::ReadOnly));
        const LoadResult r = ReadTemplate(buffer, QStringLiteral("big"));
        QVERIFY2(r.status == LoadStatus::Accepted, qPrintable(r.message));
        CompareRows(r.data.table, DefaultTable());

        FailingDevice failing(big.left(70000));
        QVERIFY(failing.open(QIODevice::ReadOnly));
        const LoadResult f = ReadTemplate(failing, QStringLiteral("/mnt/disk/tree.rm2"));
        QCOMPARE(f.status, LoadStatus::Unreadable);
        QVERIFY(f.message.contains(QStringLiteral("/mnt/disk/tree.rm2")));
        QVERIFY(f.message.contains(QStringLiteral("Input/output error")));
    }

    void unreadableFiles_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addRow("missing") << QStringLiteral("/nonexistent-ramulet/tree.rm2");
        QTest::addRow("folder") << QStringLiteral(RAMULET_TEST_DATA);
        QTest::addRow("empty name") << QString();
        // A device that never ends a line and never ends at all: refused before reading.
        QTest::addRow("endless device") << QStringLiteral("/dev/zero");
    }
    void unreadableFiles()
    {
        QFETCH(QString, path);
        const LoadResult r = ReadTemplateFile(path);
        QCOMPARE(r.status, LoadStatus::Unreadable);
        QVERIFY(!r.message.isEmpty());
        QVERIFY2(r.message.contains(path), qPrintable(r.message));
    }

    // The reader takes at most 1 MiB of a file: an endless or huge file is refused without
    // being read to its end; a template with anything after its last value still loads.
    void byteBudget_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<LoadStatus>("status");
        QTest::addRow("sparse 1 GB of zeros") << "sparse" << LoadStatus::Refused;
        QTest::addRow("endless /proc file") << "pagemap" << LoadStatus::Refused;
        QTest::addRow("2 MiB first line") << "long line" << LoadStatus::Refused;
        QTest::addRow("template, then 2 MiB") << "tail" << LoadStatus::Accepted;
        QTest::addRow("2 MiB label, in memory") << "memory" << LoadStatus::Refused;
    }
    void byteBudget()
    {
        QFETCH(QString, kind);
        QFETCH(LoadStatus, status);
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        QString path = dir.filePath(QStringLiteral("big.rm2"));
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        const QByteArray twoMiB(2 << 20, 'x');
        if (kind == QLatin1String("sparse")) {
            QVERIFY(f.resize(qint64{1} << 30));
        } else if (kind == QLatin1String("long line")) {
            f.write(twoMiB);
        } else if (kind == QLatin1String("tail")) {
            f.write(ReadData("default.rm2") + twoMiB);
        } else if (kind == QLatin1String("pagemap")) {
            path = QStringLiteral("/proc/self/pagemap");
        }
        f.close();
        LoadResult r;
        if (kind == QLatin1String("memory")) {
            QByteArray bytes = ReadData("default.rm2");
            r = ParseTemplate(bytes.replace("Count of Data", twoMiB));
        } else {
            r = ReadTemplateFile(path);
        }
        QVERIFY2(r.status == status, qPrintable(r.message));
        if (status == LoadStatus::Refused) {
            QVERIFY2(r.message.contains(QStringLiteral("1 MiB")), qPrintable(r.message));
        }
    }

    // A pipe or a device under the name is written into, never replaced by a regular file;
    // a pipe nobody reads is refused at once instead of blocking; a link to a file is written
    // through and stays a link.
    void specialTargets_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<bool>("written");
        QTest::addRow("pipe with a reader") << "fifo" << true;
        QTest::addRow("pipe without a reader") << "lonely fifo" << false;
        QTest::addRow("null device") << "device" << true;
        QTest::addRow("link to a file") << "link" << true;
        QTest::addRow("link to a pipe") << "link to fifo" << true;
    }
    void specialTargets()
    {
        QFETCH(QString, kind);
        QFETCH(bool, written);
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QByteArray target = QFile::encodeName(dir.filePath(QStringLiteral("target")));
        const QByteArray name = QFile::encodeName(dir.filePath(QStringLiteral("tree.rm2")));
        const bool fifo = kind.contains(QLatin1String("fifo"));
        const bool link = kind.startsWith(QLatin1String("link"));
        if (fifo) {
            QCOMPARE(mkfifo((link ? target : name).constData(), 0600), 0);
        } else if (kind == QLatin1String("device")) {
            if (mknod(name.constData(), S_IFCHR | 0600, makedev(1, 3)) != 0) {
                QSKIP("device nodes cannot be made here");
            }
        } else {
            QVERIFY(WriteTemplateFile(QFile::decodeName(target), "old", nullptr));
        }
        if (link) {
            QCOMPARE(symlink(target.constData(), name.constData()), 0);
        }
        struct stat before {};
        QCOMPARE(lstat(name.constData(), &before), 0);
        // A reader that does not block its own opening: the write finds it there.
        const bool listened = fifo && kind != QLatin1String("lonely fifo");
        const int reader = listened ? open((link ? target : name).constData(), O_RDONLY | O_NONBLOCK) : -1;
        QVERIFY(reader >= 0 || !listened);
        const QByteArray text = ReadData("default.rm2");
        QString error;
        QCOMPARE(WriteTemplateFile(QFile::decodeName(name), text, &error), written);
        QVERIFY2(written == error.isEmpty(), qPrintable(error));
        struct stat after {};
        QCOMPARE(lstat(name.constData(), &after), 0);
        QCOMPARE(after.st_mode & S_IFMT, before.st_mode & S_IFMT);
        QCOMPARE(after.st_ino, before.st_ino);
        if (reader >= 0) {
            QByteArray got(text.size() + 1, '\0');
            QCOMPARE(read(reader, got.data(), size_t(got.size())), ssize_t(text.size()));
            close(reader);
        } else if (kind == QLatin1String("link")) {
            QFile result(QFile::decodeName(target));
            QVERIFY(result.open(QIODevice::ReadOnly));
            QCOMPARE(result.readAll(), text);
        }
        // Nothing was left beside it.
        QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::System | QDir::Hidden |
                                            QDir::NoDotAndDotDot).size(),
                 link ? 2 : 1);
    }

    void writeAndReadBack()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString path = dir.filePath(QStringLiteral("tree.rm2"));
        const QByteArray text = FormatTemplate(DefaultTable(), TemplateSettings{1, 2, 3, 100});
        QString error;
        QVERIFY(WriteTemplateFile(path, text, &error));
        QVERIFY(error.isEmpty());
        const LoadResult r = ReadTemplateFile(path);
        QCOMPARE(r.status, LoadStatus::Accepted);
        QCOMPARE(r.data.settings, (TemplateSettings{1, 2, 3, 100}));
        // Saving again replaces the old text whole.
        QVERIFY(WriteTemplateFile(path, "short", &error));
        QFile f(path);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), QByteArray("short"));
    }

    void writeFailsCleanly_data()
    {
        QTest::addColumn<QString>("relative"); // below the temporary folder
        QTest::addRow("parent is a file") << QStringLiteral("plain/tree.rm2");
        QTest::addRow("target is a folder") << QStringLiteral("folder");
        QTest::addRow("missing folder") << QStringLiteral("nowhere/deeper/tree.rm2");
    }
    void writeFailsCleanly()
    {
        QFETCH(QString, relative);
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        QFile plain(dir.filePath(QStringLiteral("plain")));
        QVERIFY(plain.open(QIODevice::WriteOnly));
        plain.write("old bytes");
        plain.close();
        QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("folder")));
        const QString path = dir.filePath(relative);
        QString error;
        QVERIFY(!WriteTemplateFile(path, ReadData("default.rm2"), &error));
        QVERIFY2(error.contains(path), qPrintable(error));
        QVERIFY(QFileInfo(dir.filePath(QStringLiteral("folder"))).isDir());
        QVERIFY(plain.open(QIODevice::ReadOnly));
        QCOMPARE(plain.readAll(), QByteArray("old bytes"));
        // Nothing else was left behind.
        QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden)
                     .size(),
                 2);
    }

    // A write that fails part-way (here: a file size limit, which stops root too) leaves
    // the old file with its old bytes.
    void failedWriteKeepsOldFile()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString path = dir.filePath(QStringLiteral("tree.rm2"));
        const QByteArray old = ReadData("default.rm2");
        QString error;
        QVERIFY(WriteTemplateFile(path, old, &error));

        rlimit saved{};
        QCOMPARE(getrlimit(RLIMIT_FSIZE, &saved), 0);
        rlimit small = saved;
        small.rlim_cur = 1024;
        QCOMPARE(setrlimit(RLIMIT_FSIZE, &small), 0);
        const bool written = WriteTemplateFile(path, QByteArray(4096, 'x'), &error);
        setrlimit(RLIMIT_FSIZE, &saved);

        QVERIFY(!written);
        QVERIFY2(error.contains(path), qPrintable(error));
        QFile f(path);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), old);
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 1);
    }

    void saveFileName_data()
    {
        QTest::addColumn<QString>("chosen");
        QTest::addColumn<QString>("written");
        QTest::addRow("no extension") << "tree" << "tree.rm2";
        QTest::addRow("rm2") << "tree.rm2" << "tree.rm2";
        QTest::addRow("upper case") << "tree.RM2" << "tree.RM2.rm2";
        QTest::addRow("other extension") << "tree.txt" << "tree.txt.rm2";
        QTest::addRow("rm2 not last") << "tree.rm2.bak" << "tree.rm2.bak.rm2";
        QTest::addRow("trailing blank") << "tree.rm2 " << "tree.rm2 .rm2";
        QTest::addRow("dot in a folder") << "/tmp/a.rm2/tree" << "/tmp/a.rm2/tree.rm2";
        QTest::addRow("full path") << "/tmp/Trees/oak.rm2" << "/tmp/Trees/oak.rm2";
        QTest::addRow("name is the extension") << "/tmp/.rm2" << "/tmp/.rm2";
    }
    void saveFileName()
    {
        QFETCH(QString, chosen);
        QFETCH(QString, written);
        QCOMPARE(SaveFileName(chosen), written);
    }

    void fileNamePart_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("part");
        QTest::addRow("full path") << "/tmp/Trees/oak tree.rm2" << "oak tree.rm2";
        QTest::addRow("bare name") << "oak.rm2" << "oak.rm2";
        QTest::addRow("root") << "/oak.rm2" << "oak.rm2";
        QTest::addRow("folder") << "/tmp/Trees/" << "";
        QTest::addRow("empty") << "" << "";
    }
    void fileNamePart()
    {
        QFETCH(QString, path);
        QFETCH(QString, part);
        QCOMPARE(FileNamePart(path), part);
    }
};

QTEST_APPLESS_MAIN(TestTemplateFile)
#include "test_templatefile.moc"
