// The registration file Regist.Mei: decoding, the count line, every record line.

#include "FuzzSupport.h"

#include "base/TextFile.h"
#include "import/InputProblems.h"
#include "import/InputRecords.h"

#include <cmath>

using namespace importer;
using fuzzing::check;
using fuzzing::checkReadable;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const TextFile::DecodedText text = TextFile::decodeLines(fuzzing::bytesOf(data, size));
    if (text.lines.isEmpty())
        return 0;
    check(std::isfinite(parseRegistrationCount(text.lines.first())), "record count not finite");
    QString why;
    for (int i = 1; i < text.lines.size(); ++i) {
        RegistrationRecord r;
        try {
            if (parseRegistrationRecord(text.lines.at(i), QStringLiteral("Regist.Mei"), i + 1, r, why) == LineKind::Record) {
                check(r.code >= 0 && r.code < 10000, "issue code out of range");
                check(r.market >= -32768 && r.market <= 32767, "market code beyond 16 bits");
                check(r.name.size() <= 20, "name longer than its column");
                check(r.volumeUnit == qint32(r.volumeUnit) && r.priceUnit == qint32(r.priceUnit), "unit beyond 32 bits");
                check(r.volumeUnit > 0 && r.priceUnit > 0, "a unit of 0 or less accepted");
            } else {
                checkReadable(why);
            }
        } catch (const InputError &e) {
            checkReadable(e.description());
        }
    }
    return 0;
}
