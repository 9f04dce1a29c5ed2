// A file from the information server, read as the kinds list and as a ranking file once its first
// eight characters are a date, as the download does.

#include "FuzzSupport.h"

#include "base/TextFile.h"
#include "import/InputProblems.h"
#include "import/PriceRecords.h"
#include "info/InfoServer.h"

#include <limits>

using fuzzing::check;
using fuzzing::checkReadable;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QString text = TextFile::decode(fuzzing::bytesOf(data, size));
    if (!info::LeadingDate(text).isValid())
        return 0;
    try {
        info::ParseKindsFile(text);
    } catch (const info::FormatError &e) {
        checkReadable(e.description());
    }
    try {
        const info::RankingFile ranking = info::ParseRankingFile(text, QStringLiteral("20240105.d01"));
        check(ranking.count >= 0 && ranking.count <= std::numeric_limits<qint16>::max(), "count beyond its column");
        check(int(ranking.records.size()) + ranking.refused.count() == ranking.count, "a file accepted with another count");
        for (const info::RankingRecord &r : ranking.records) {
            check(r.rank >= 1 && r.rank <= info::MaxRank, "rank out of range stored");
            check(r.code >= 1 && r.code < importer::IssueCodeLimit, "issue code out of range stored");
            check(r.price >= 0 && r.volume >= 0, "negative price or volume stored");
        }
        for (const importer::SkippedLine &l : ranking.refused.lines())
            checkReadable(l.reason);
    } catch (const info::FormatError &e) {
        checkReadable(e.description());
    }
    return 0;
}
