#include "core/branchvalues.h"
#include "core/expression.h"

#include "common/testsupport.h"

#include <QtTest>

#include <cmath>

using namespace ramulet;

Q_DECLARE_METATYPE(ExpressionError)

namespace {

// Long doubles pass through the tables as text, parsed by our own evaluator's reference:
// strtold in the C locale of the test program.
long double L(const char *text) { return std::strtold(text, nullptr); }

} // namespace

class TestBranchValues : public QObject {
    Q_OBJECT
private slots:
    void expressions_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("expected"); // an exact decimal, read as a long double
        QTest::addRow("plain number") << "0.7" << "0.7";
        QTest::addRow("the file's form") << "-2.50000000000000E-0001" << "-0.25";
        QTest::addRow("leading point") << ".5" << "0.5";
        QTest::addRow("precedence") << "1+2*3" << "7";
        QTest::addRow("left to right") << "8/4/2" << "1";
        QTest::addRow("parentheses") << " ( 1 + 2 ) * 3 " << "9";
        QTest::addRow("unary minus twice") << "-3*-2" << "6";
        QTest::addRow("names in any case") << "PI-pi+Sqrt(16)" << "4";
        QTest::addRow("minus before a quotient") << "-1/4" << "-0.25";
    }
    void expressions()
    {
        QFETCH(QString, text);
        QFETCH(QString, expected);
        const ExpressionResult r = EvaluateExpression(text.toStdString());
        QVERIFY(r.ok());
        QVERIFY(test::SameBits(r.value, L(expected.toLatin1().constData())));
    }

    void expressionsInExtendedPrecision()
    {
        // sqrt(2)/4 is the 80-bit root over four, which the file writes as 0.353553390593274.
        QVERIFY(EvaluateExpression("sqrt(2)/4").value == std::sqrt(2.0L) / 4.0L);
        QVERIFY(EvaluateExpression("pi").value == std::acos(-1.0L));
        // Not the double nearest to 0.7.
        QVERIFY(EvaluateExpression("0.7").value != static_cast<long double>(0.7));
    }

    void refusals_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<ExpressionError>("error");
        QTest::addColumn<int>("position");
        QTest::addRow("empty") << "  " << ExpressionError::Empty << 2;
        QTest::addRow("letters") << "abc" << ExpressionError::UnexpectedText << 0;
        QTest::addRow("two numbers") << "2 3" << ExpressionError::UnexpectedText << 2;
        QTest::addRow("comma decimal") << "0,5" << ExpressionError::UnexpectedText << 1;
        QTest::addRow("bare exponent") << "1e" << ExpressionError::UnexpectedText << 1;
        QTest::addRow("operator at end") << "3+" << ExpressionError::MissingOperand << 2;
        QTest::addRow("empty parentheses") << "()" << ExpressionError::MissingOperand << 1;
        QTest::addRow("unclosed") << "(1+2" << ExpressionError::MissingParenthesis << 4;
        QTest::addRow("sqrt without parenthesis") << "sqrt 2" << ExpressionError::MissingParenthesis << 5;
        QTest::addRow("stray close") << "1)" << ExpressionError::UnexpectedText << 1;
        QTest::addRow("too large") << "1e99999" << ExpressionError::OutOfRange << 0;
        QTest::addRow("overflow on the way") << "1e4000*1e4000*1e4000" << ExpressionError::NotFinite << 13;
        QTest::addRow("division by zero") << "1/(2-2)" << ExpressionError::DivisionByZero << 2;
        QTest::addRow("negative root") << "sqrt(-1)" << ExpressionError::NegativeRoot << 5;
        QTest::addRow("deep nesting") << QString(200, u'(') << ExpressionError::TooDeep << 65;
        QTest::addRow("not ascii") << "３０" << ExpressionError::UnexpectedText << 0;
    }
    void refusals()
    {
        QFETCH(QString, text);
        QFETCH(ExpressionError, error);
        QFETCH(int, position);
        const ExpressionResult r = EvaluateExpression(text.toStdString());
        QCOMPARE(r.error, error);
        QCOMPARE(r.position, position);
    }

    void angles_data()
    {
        QTest::addColumn<double>("degrees");
        QTest::addColumn<double>("length");
        QTest::addColumn<QString>("x");
        QTest::addColumn<QString>("y");
        QTest::addColumn<double>("angleBack"); // what AngleDegrees gives for the vector
        QTest::addRow("0 is straight on") << 0.0 << 0.7 << "0" << "0.7" << 0.0;
        QTest::addRow("90 is exactly left") << 90.0 << 0.5 << "-0.5" << "0" << 90.0;
        QTest::addRow("-90 is exactly right") << -90.0 << 0.5 << "0.5" << "0" << -90.0;
        QTest::addRow("180 is exactly back") << 180.0 << 0.5 << "0" << "-0.5" << 180.0;
        QTest::addRow("-180 is 180") << -180.0 << 0.5 << "0" << "-0.5" << 180.0;
        QTest::addRow("450 is 90") << 450.0 << 2.0 << "-2" << "0" << 90.0;
        QTest::addRow("-270 is 90") << -270.0 << 1.0 << "-1" << "0" << 90.0;
    }
    void angles()
    {
        QFETCH(double, degrees);
        QFETCH(double, length);
        QFETCH(QString, x);
        QFETCH(QString, y);
        QFETCH(double, angleBack);
        const TPointE v = VectorFromAngle(degrees, L(QByteArray::number(length).constData()));
        QVERIFY(test::SameBits(v.x, L(x.toLatin1().constData())));
        QVERIFY(test::SameBits(v.y, L(y.toLatin1().constData())));
        QVERIFY(AngleDegrees(v) == angleBack);
    }

    void anglesBetweenTheAxes()
    {
        // Counter-clockwise positive: the default template's right branch is at -45 degrees.
        QVERIFY(std::fabs(AngleDegrees({0.5L, 0.5L}) + 45.0L) < 1e-17L);
        QVERIFY(std::fabs(AngleDegrees({-0.5L, -0.5L}) - 135.0L) < 1e-17L);
        const TPointE v = VectorFromAngle(30.0L, 0.6L);
        QVERIFY(std::fabs(v.x + 0.3L) < 1e-18L);
        QVERIFY(std::fabs(v.y - 0.6L * std::sqrt(3.0L) / 2.0L) < 1e-18L);
        QVERIFY(std::fabs(AngleDegrees(v) - 30.0L) < 1e-16L);
        QVERIFY(AngleDegrees({0.0L, 0.0L}) == 0.0L);
    }

    void snapAndNudge()
    {
        QVERIFY(SnapToSteps(0.6123L, 20.0L) == 0.6L);
        QVERIFY(SnapToSteps(0.625L, 20.0L) == 0.6L); // halves to even: 12.5 twentieths
        QVERIFY(NudgeByHundredths(0.5L, 1) == 0.51L);
        QVERIFY(NudgeByHundredths(0.5L, -10) == 0.4L);
        long double v = 0.7L;
        for (int i = 0; i < 70; ++i) {
            v = NudgeByHundredths(v, -1);
        }
        QVERIFY(test::SameBits(v, 0.0L));
        QVERIFY(NudgeByHundredths(0.70711L, 1) == 0.70711L + 0.01L);
    }

    // Typed values are the row's values: a growth's normalisation gives them back bit for
    // bit, and the pixel points are drawn from them.
    void setValuesSurviveNormalisation_data()
    {
        QTest::addColumn<int>("size");
        QTest::addRow("design size") << 636;
        QTest::addRow("small editor") << 97;
    }
    void setValuesSurviveNormalisation()
    {
        QFETCH(int, size);
        BranchTable t;
        const ViewState view = test::DefaultView(size, size);
        SetDefaultTemplate(t, view);
        t.Branches[2].screenEnd.x += 3; // a dragged neighbour keeps its pixels
        t.Branches[2].moved = true;
        const TPointE v{std::sqrt(2.0L) / 4.0L, 0.7L};
        SetRowValues(t, 1, 2.0L, v, view);
        QVERIFY(!t.Branches[1].moved);
        QCOMPARE(t.Branches[1].screenStart, view.ModelToScreen({0.0L, 2.0L}));
        QCOMPARE(t.Branches[1].screenEnd, view.ModelToScreen({v.x, 2.0L + v.y}));
        const TBranch neighbour = t.Branches[2];
        NormalizeTemplate(t);
        QVERIFY(test::SameBits(t.Branches[1].V, v));
        QVERIFY(test::SameBits(t.Branches[1].P, TPointE{0.0L, 2.0L}));
        QVERIFY(t.Branches[1].ratio == std::sqrt(v.x * v.x + v.y * v.y));
        QCOMPARE(t.Branches[2].screenEnd, neighbour.screenEnd);
        QVERIFY(NormalizedCopy(t).Branches[2].V == t.Branches[2].V);
    }

    // Zeros are stored as +0, so that a set value that equals the row's changes no byte of
    // the file either.
    void setZerosArePositive_data()
    {
        QTest::addColumn<double>("position");
        QTest::addColumn<double>("x");
        QTest::addColumn<double>("y");
        const TPointE turned = VectorFromAngle(30.0L, 0.0L); // (-0, 0)
        QTest::addRow("an angle for a branch of length 0")
            << 0.0 << static_cast<double>(turned.x) << static_cast<double>(turned.y);
        QTest::addRow("typed minus zeros") << -0.0 << -0.0 << -0.0;
    }
    void setZerosArePositive()
    {
        QFETCH(double, position);
        QFETCH(double, x);
        QFETCH(double, y);
        QVERIFY(std::signbit(x)); // the case at hand
        BranchTable t;
        const ViewState view = test::DefaultView(636, 634);
        SetDefaultTemplate(t, view);
        SetRowValues(t, 1, position, {x, y}, view);
        const TBranch &r = t.Branches[1];
        QVERIFY(!std::signbit(r.P.y) && !std::signbit(r.V.x) && !std::signbit(r.V.y));
    }

    void setValuesUnderAnotherTrunk()
    {
        // A trunk from a file, not (0,0)-(0,1): the values still come back from a growth.
        BranchTable t;
        const ViewState view = test::DefaultView(636, 634);
        SetDefaultTemplate(t, view);
        t.Branches[0].P = {0.25L, -0.5L};
        t.Branches[0].V = {0.6L, 0.8L};
        UpdateAllScreenPoints(t, view);
        const TPointE v = VectorFromAngle(30.0L, 0.6L);
        SetRowValues(t, 2, 0.35L, v, view);
        NormalizeTemplate(t);
        QVERIFY(std::fabs(t.Branches[2].V.x - v.x) < 1e-18L);
        QVERIFY(std::fabs(t.Branches[2].V.y - v.y) < 1e-18L);
        QVERIFY(std::fabs(t.Branches[2].P.y - 0.35L) < 1e-18L);
    }
};

QTEST_APPLESS_MAIN(TestBranchValues)
#include "test_branchvalues.moc"
