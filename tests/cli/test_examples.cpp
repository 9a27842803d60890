// The example templates of data/examples: each one loads, saves back to its own bytes, and
// grows from its exact values, through ramulet-render at any view size, digit for digit as a
// growth straight from the loaded table; no two grow the same tree.

#include "common/testsupport.h"

#include "core/segments.h"
#include "io/templatefile.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QtTest>

#include <cmath>
#include <cstdio>
#include <map>

using namespace ramulet;

namespace {

// Deep enough to carry every row through several generations, small enough to stay quick
// under the sanitizers.
constexpr int32_t TestDepthLimit = 5;

// The dump ramulet-render writes, of a growth from `t`'s model values alone: every branch
// row in the trunk's frame (the trunk of every example runs from (0, 0) to (0, 1), so the
// frame is model space) with its length as the ratio.
QByteArray ExactDump(BranchTable t, int32_t depth)
{
    for (int32_t i = 1; i <= t.BranchCount; ++i) {
        TBranch &row = t.Branches[static_cast<size_t>(i)];
        row.ratio = std::sqrt(row.V.x * row.V.x + row.V.y * row.V.y);
    }
    const TBranch &trunk = t.Branches[0];
    TSegLine seg{};
    seg.startPt = trunk.P;
    seg.endPt = {trunk.P.x + trunk.V.x, trunk.P.y + trunk.V.y};
    seg.level = depth + 1;
    seg.widthFactor = 1.0L;
    Tseglines store;
    Grow(store, t, depth, seg, +1);
    QByteArray out = "index,start_x,start_y,end_x,end_y,level,width_factor\n";
    char line[256];
    for (int32_t i = 0; i <= store.lastIndex; ++i) {
        const TSegLine &s = store.line(i);
        std::snprintf(line, sizeof line, "%d,%.21Lg,%.21Lg,%.21Lg,%.21Lg,%d,%.21Lg\n", i,
                      s.startPt.x, s.startPt.y, s.endPt.x, s.endPt.y, s.level, s.widthFactor);
        out += line;
    }
    return out;
}

} // namespace

class TestExamples : public QObject {
    Q_OBJECT
private:
    // The trees grown so far, by their dumps' digests at the depth of the same number.
    std::map<QByteArray, QString> m_trees;

private slots:
    void examples_data()
    {
        QTest::addColumn<QString>("path");
        const QDir dir(QStringLiteral(RAMULET_EXAMPLES_DIR));
        const QStringList files = dir.entryList({QStringLiteral("*.rm2")}, QDir::Files, QDir::Name);
        for (const QString &name : files) {
            QTest::addRow("%s", qPrintable(name)) << dir.filePath(name);
        }
    }
    void examples()
    {
        QFETCH(QString, path);
        const QString name = QFileInfo(path).fileName();
        QVERIFY2(QRegularExpression(QStringLiteral("^[a-z0-9-]+\\.rm2$")).match(name).hasMatch(),
                 "plain ASCII file names");

        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray bytes = file.readAll();
        const LoadResult loaded = ParseTemplate(bytes);
        QCOMPARE(loaded.status, LoadStatus::Accepted);
        QVERIFY(loaded.data.hasSettings);
        QCOMPARE(FormatTemplate(loaded.data.table, loaded.data.settings), bytes);

        const BranchTable &t = loaded.data.table;
        QCOMPARE(t.Branches[0].P.x, 0.0L);
        QCOMPARE(t.Branches[0].P.y, 0.0L);
        QCOMPARE(t.Branches[0].V.x, 0.0L);
        QCOMPARE(t.Branches[0].V.y, 1.0L);
        // As deep as the branches let the depth buttons go, 8 or more for up to four.
        const int32_t deepest = DeepestOfferedDepth(t, MaxDepth);
        QVERIFY(t.BranchCount > 4 || deepest >= 8);

        const int32_t depth = std::min(deepest, TestDepthLimit);
        const QByteArray exact = ExactDump(t, depth);
        for (const char *size : {"636x634", "97x61"}) {
            const ramulet::test::ProcessRun r = ramulet::test::RunProgram(
                QStringLiteral(RAMULET_RENDER),
                {path, QStringLiteral("--size"), QString::fromLatin1(size),
                 QStringLiteral("--depth"), QString::number(depth),
                 QStringLiteral("--dump-segments")});
            QCOMPARE(r.exitCode, 0);
            QVERIFY2(r.out == exact, size);
        }

        const QByteArray tree = QCryptographicHash::hash(ExactDump(t, 3), QCryptographicHash::Sha256);
        const auto [other, fresh] = m_trees.emplace(tree, name);
        QVERIFY2(fresh, qPrintable(name + QStringLiteral(" grows the tree of ") + other->second));
    }
};

QTEST_GUILESS_MAIN(TestExamples)
#include "test_examples.moc"
