// An issue-list file (*.Lis) as the main window reads it: decoded lines, one code per line.

#include "FuzzSupport.h"

#include "base/TextFile.h"
#include "maint/DataFiles.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QStringList lines = TextFile::splitLines(TextFile::decode(fuzzing::bytesOf(data, size)));
    const std::vector<qint64> codes = maint::IssueListCodes(lines);
    fuzzing::check(qsizetype(codes.size()) == lines.size(), "a line without its code");
    return 0;
}
