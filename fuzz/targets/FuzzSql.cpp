// The translator of the legacy query dialect: any text is translated alike twice, or refused with
// the engine's syntax error and a readable message.

#include "FuzzSupport.h"

#include "db/DbError.h"
#include "db/SqlTranslator.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QString legacy = QString::fromUtf8(fuzzing::bytesOf(data, size));
    const QDate today(2026, 12, 5);
    try {
        const db::TranslatedQuery first = db::translate(legacy, today);
        const db::TranslatedQuery second = db::translate(legacy, today);
        fuzzing::check(first.sql == second.sql, "translation not repeatable");
        fuzzing::check(first.selectListStart <= first.sql.size(), "select list beyond the text");
    } catch (const db::DbError &e) {
        fuzzing::check(e.number() == db::ErrorNumber::SyntaxError, "refused with another error than a syntax error");
    }
    return 0;
}
