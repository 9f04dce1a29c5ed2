// A downloaded quote page: the EUC-JP conversion in every line mode, the value extraction and the
// page handler of the issue 1301.

#include "FuzzSupport.h"

#include "board/QuoteParser.h"

using fuzzing::check;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray body = fuzzing::bytesOf(data, size);
    for (int lineMode = 0; lineMode <= 3; ++lineMode) {
        const QByteArray converted = board::EucToSjis(body, lineMode);
        // Pairs stay pairs or shrink; only a lone CR or LF may grow into CR LF.
        check(converted.size() <= (lineMode == 3 ? 2 * body.size() : body.size()), "conversion grew the page");
    }

    const QString html = board::pageText(body);
    const QString value = board::ExtractValue(html, QStringLiteral("<td nowrap>"), QStringLiteral("</td>"));
    for (qsizetype i = 1; i < value.size(); ++i)
        check(value.at(i) != u' ' && value.at(i) != u'<' && value.at(i) != u'"', "a value runs past its end");
    board::ToNumber(value);

    if (const auto quote = board::ParseQuotePage(html, 1301))
        check(!quote->quoteTime.contains(u' '), "the quote time runs past its blank");
    return 0;
}
