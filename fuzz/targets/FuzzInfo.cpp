// A file from the information server, read as the kinds list and as a ranking file once its first
// eight characters are a date, as the download does.

#include "FuzzSupport.h"

#include "base/TextFile.h"
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
        for (const info::RankingRecord &r : ranking.records)
            check(r.rank == qint16(r.rank), "rank beyond its column");
    } catch (const info::FormatError &e) {
        checkReadable(e.description());
    }
    return 0;
}
