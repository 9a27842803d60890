// Variations: over the examples and a thousand seeds each, every variation is a template the
// reader takes back unchanged, its tree bounded, different from its parent; a ring's
// neighbours differ from each other; the boxes hold.

#include "core/variation.h"
#include "io/examples.h"
#include "io/templatefile.h"
#include "io/variationfile.h"

#include <QDir>
#include <QSet>
#include <QtTest>

using namespace ramulet;

namespace {

VariationTemplate Parent(const QString &path)
{
    const LoadResult loaded = ReadTemplateFile(path);
    BranchTable t = loaded.data.table;
    for (int32_t i = 1; i <= t.BranchCount; ++i) {
        t.Branches[static_cast<size_t>(i)].P.x = 0.0L; // as a growth leaves it
    }
    return VariationParent(t, loaded.data.settings);
}

QByteArray FileText(const VariationTemplate &v)
{
    return FormatTemplate(v.table, VariationSettings(v, TemplateSettings{}));
}

// Every row off the axis has its mirror image among the rows.
bool Symmetric(const BranchTable &t)
{
    for (int32_t i = 1; i <= t.BranchCount; ++i) {
        const TBranch &a = t.Branches[static_cast<size_t>(i)];
        bool found = a.V.x == 0.0L;
        for (int32_t j = 1; j <= t.BranchCount && !found; ++j) {
            const TBranch &b = t.Branches[static_cast<size_t>(j)];
            found = j != i && b.kind == a.kind && b.P.y == a.P.y && b.V.y == a.V.y &&
                    b.V.x == -a.V.x;
        }
        if (!found) {
            return false;
        }
    }
    return true;
}

// The options of seed s: the strength and the boxes go round with the seed.
VariationOptions OptionsFor(uint64_t s)
{
    VariationOptions o;
    o.strength = static_cast<int32_t>(1 + s % 10);
    o.keepSymmetry = (s / 10) % 2 == 1;
    o.keepCount = (s / 20) % 2 == 1;
    o.colors = (s / 40) % 2 == 1;
    return o;
}

} // namespace

class TestVariation : public QObject {
    Q_OBJECT
private slots:
    void thousandSeeds_data()
    {
        QTest::addColumn<QString>("path");
        const QDir dir(QStringLiteral(RAMULET_EXAMPLES_DIR));
        const QStringList files = ExampleFiles(dir.path());
        QCOMPARE(files.size(), 14);
        for (const QString &path : files) {
            QTest::addRow("%s", qPrintable(ExampleName(path))) << path;
        }
    }
    void thousandSeeds()
    {
        QFETCH(QString, path);
        const VariationTemplate parent = Parent(path);
        const QByteArray parentText = FileText(parent);
        const bool symmetric = Symmetric(parent.table);
        for (uint64_t seed = 0; seed < 1000; ++seed) {
            const VariationOptions o = OptionsFor(seed);
            const VariationTemplate v = MakeVariation(parent, seed, o);
            const QByteArray text = FileText(v);
            const LoadResult back = ParseTemplate(text);
            QVERIFY2(back.status == LoadStatus::Accepted, text.constData());
            QVERIFY2(FormatTemplate(back.data.table, back.data.settings) == text, text.constData());
            QVERIFY2(BoundedTemplate(back.data.table), text.constData());
            QVERIFY2(text != parentText, text.constData());
            QVERIFY(v.table.Branches[0].P == parent.table.Branches[0].P);
            QVERIFY(v.table.Branches[0].V == parent.table.Branches[0].V);
            if (o.keepCount) {
                QCOMPARE(v.table.BranchCount, parent.table.BranchCount);
            }
            if (o.keepSymmetry && symmetric) {
                QVERIFY2(Symmetric(v.table), text.constData());
            }
            if (!o.colors) {
                QVERIFY(v.colors == parent.colors);
            }
            // The same inputs, the same variation.
            QVERIFY(FileText(MakeVariation(parent, seed, o)) == text);
        }
    }

    void ringsAreDistinct_data() { thousandSeeds_data(); }
    void ringsAreDistinct()
    {
        QFETCH(QString, path);
        const VariationTemplate parent = Parent(path);
        for (uint64_t ringSeed = 0; ringSeed < 20; ++ringSeed) {
            const VariationOptions o = OptionsFor(ringSeed * 7);
            const auto ring = MakeVariationRing(parent, ringSeed, 8, o);
            QCOMPARE(ring.size(), size_t(8));
            QSet<QByteArray> texts{FileText(parent)};
            for (const VariationNeighbour &n : ring) {
                QVERIFY(n.seed < (uint64_t{1} << 32));
                texts.insert(FileText(n.variation));
                // A neighbour is the variation of its own seed, whatever its siblings.
                QVERIFY(SameTemplate(MakeVariation(parent, n.seed, o), n.variation));
            }
            QCOMPARE(texts.size(), 9);
        }
    }

    // Fresh templates: two to five branches, bounded, accepted.
    void randomTemplates()
    {
        for (uint64_t seed = 0; seed < 1000; ++seed) {
            const VariationTemplate v = RandomTemplate(seed, {}, OptionsFor(seed));
            QVERIFY(v.table.BranchCount >= 2 && v.table.BranchCount <= 5);
            const QByteArray text = FileText(v);
            const LoadResult back = ParseTemplate(text);
            QVERIFY2(back.status == LoadStatus::Accepted, text.constData());
            QVERIFY2(BoundedTemplate(back.data.table), text.constData());
        }
    }

    // A trunk alone and a template of plain lines only get a recursing branch; one too long
    // to recurse is shortened.
    void unboundedParentsAreMended_data()
    {
        QTest::addColumn<int>("count");
        QTest::addColumn<int>("kind");
        QTest::addColumn<double>("length");
        QTest::addRow("trunk alone") << 0 << 0 << 0.0;
        QTest::addRow("lines only") << 2 << 0 << 0.5;
        QTest::addRow("long lines only") << 2 << 0 << 1.2;
        QTest::addRow("recursing too long") << 2 << -1 << 1.0;
    }
    void unboundedParentsAreMended()
    {
        QFETCH(int, count);
        QFETCH(int, kind);
        QFETCH(double, length);
        VariationTemplate parent;
        parent.table.Branches[0].V = {0.0L, 1.0L};
        parent.table.BranchCount = count;
        for (int32_t i = 1; i <= count; ++i) {
            TBranch &row = parent.table.Branches[static_cast<size_t>(i)];
            row.P = {0.0L, 1.0L};
            row.V = {i == 1 ? length * 0.6L : -length * 0.6L, length * 0.8L};
            row.kind = kind;
        }
        for (uint64_t seed = 0; seed < 200; ++seed) {
            VariationOptions o = OptionsFor(seed);
            o.keepCount = true;
            const VariationTemplate v = MakeVariation(parent, seed, o);
            QVERIFY(BoundedTemplate(v.table));
            QVERIFY(!SameTemplate(v, parent));
        }
    }
};

QTEST_APPLESS_MAIN(TestVariation)
#include "test_variation.moc"
