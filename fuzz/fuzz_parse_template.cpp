// libFuzzer target for the template reader: any bytes must give a result without a fault,
// and an accepted template must be one the program can use and write back stably. The same
// bytes taken as a file name must travel through the program's texts unchanged.

#include "io/paths.h"
#include "io/templatefile.h"

#include <QBuffer>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

using namespace ramulet;

namespace {

void Check(bool ok, const char *what)
{
    if (!ok) {
        std::fprintf(stderr, "fuzz_parse_template: %s\n", what);
        std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));

    // Any bytes, taken as a file name, come back as the same bytes.
    Check(PathToBytes(PathFromBytes(bytes)) == bytes.toStdString(), "a file name changed");

    const LoadResult r = ParseTemplate(bytes);

    // The device reader must agree with the reader on bytes.
    QByteArray copy = bytes;
    QBuffer buffer(&copy);
    buffer.open(QIODevice::ReadOnly);
    const LoadResult viaDevice = ReadTemplate(buffer, QStringLiteral("fuzz"));
    Check(viaDevice.status == r.status, "the device reader disagrees");

    if (r.status != LoadStatus::Accepted) {
        Check(r.status == LoadStatus::Refused, "bytes cannot be unreadable");
        Check(!r.message.isEmpty(), "a refusal without a reason");
        return 0;
    }

    // The template's invariants.
    const BranchTable &t = r.data.table;
    Check(t.BranchCount >= 0 && t.BranchCount <= MaxBranches, "count out of range");
    for (int32_t i = 0; i <= t.BranchCount; ++i) {
        const TBranch &b = t.Branches[static_cast<size_t>(i)];
        Check(b.kind == kindOrder || b.kind == kindReverse || b.kind == kindSegment, "bad kind");
        Check(std::isfinite(b.P.x) && std::isfinite(b.P.y) && std::isfinite(b.V.x) &&
                  std::isfinite(b.V.y),
              "a value that is not finite");
    }
    const long double l2 = t.Branches[0].V.x * t.Branches[0].V.x +
                           t.Branches[0].V.y * t.Branches[0].V.y;
    Check(l2 > 0.0L && std::isfinite(l2), "unusable trunk");

    // Written, read and written again: the second text equals the first.
    const QByteArray first = FormatTemplate(t, r.data.settings);
    Check(FormatTemplate(viaDevice.data.table, viaDevice.data.settings) == first,
          "the device reader read other values");
    const LoadResult again = ParseTemplate(first);
    Check(again.status == LoadStatus::Accepted, "a written file is refused");
    Check(again.data.hasSettings, "a written file lost its settings");
    Check(FormatTemplate(again.data.table, again.data.settings) == first,
          "writing is not stable");
    return 0;
}
