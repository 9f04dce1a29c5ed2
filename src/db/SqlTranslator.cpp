#include "db/SqlTranslator.h"

#include "base/DateUtil.h"
#include "db/DbError.h"

#include <QHash>
#include <QRegularExpression>

#include <vector>

namespace db {

namespace {

enum class Tok
{
    Space,
    Word,
    Number,
    String,
    Bracket,
    DateLit,
    Op,
    LParen,
    RParen,
    Comma,
    Semicolon,
    Dot
};

struct Token
{
    Tok kind;
    QString text; // source text (for String/Bracket/DateLit: the inner text, unescaped)
};

bool isWordChar(QChar c)
{
    if (c.isLetterOrNumber() || c == QLatin1Char('_') || c == QLatin1Char('$'))
        return true;
    // Japanese identifiers: everything above ASCII that is not a space or an ideographic punctuation.
    return c.unicode() > 0x7F && !c.isSpace() && c != QChar(0x3000);
}

std::vector<Token> tokenize(const QString &s)
{
    std::vector<Token> out;
    const qsizetype n = s.size();
    qsizetype i = 0;
    while (i < n) {
        const QChar c = s.at(i);
        if (c.isSpace()) {
            qsizetype j = i;
            while (j < n && s.at(j).isSpace())
                ++j;
            out.push_back({Tok::Space, QStringLiteral(" ")});
            i = j;
        } else if (c == QLatin1Char('\'') || c == QLatin1Char('"')) {
            QString inner;
            qsizetype j = i + 1;
            bool closed = false;
            while (j < n) {
                if (s.at(j) == c) {
                    if (j + 1 < n && s.at(j + 1) == c) {
                        inner += c;
                        j += 2;
                        continue;
                    }
                    closed = true;
                    ++j;
                    break;
                }
                inner += s.at(j++);
            }
            if (!closed)
                throw DbError(ErrorNumber::SyntaxError, QStringLiteral("クエリ式 '%1' の文字列が閉じられていません。").arg(s.mid(i)));
            out.push_back({Tok::String, inner});
            i = j;
        } else if (c == QLatin1Char('[')) {
            qsizetype j = s.indexOf(QLatin1Char(']'), i + 1);
            if (j < 0)
                throw DbError(ErrorNumber::SyntaxError, QStringLiteral("クエリ式 '%1' の [ が閉じられていません。").arg(s.mid(i)));
            out.push_back({Tok::Bracket, s.mid(i + 1, j - i - 1)});
            i = j + 1;
        } else if (c == QLatin1Char('#')) {
            qsizetype j = s.indexOf(QLatin1Char('#'), i + 1);
            if (j < 0)
                throw DbError(ErrorNumber::SyntaxError, QStringLiteral("クエリ式 '%1' の日付が閉じられていません。").arg(s.mid(i)));
            out.push_back({Tok::DateLit, s.mid(i + 1, j - i - 1)});
            i = j + 1;
        } else if (c.isDigit() || (c == QLatin1Char('.') && i + 1 < n && s.at(i + 1).isDigit())) {
            qsizetype j = i;
            while (j < n && (s.at(j).isDigit() || s.at(j) == QLatin1Char('.')))
                ++j;
            // A word that starts with digits and goes on with letters is a name.
            if (j < n && isWordChar(s.at(j)) && !s.at(j).isDigit()) {
                while (j < n && isWordChar(s.at(j)))
                    ++j;
                out.push_back({Tok::Word, s.mid(i, j - i)});
            } else {
                out.push_back({Tok::Number, s.mid(i, j - i)});
            }
            i = j;
        } else if (isWordChar(c)) {
            qsizetype j = i;
            while (j < n && isWordChar(s.at(j)))
                ++j;
            out.push_back({Tok::Word, s.mid(i, j - i)});
            i = j;
        } else if (c == QLatin1Char('(')) {
            out.push_back({Tok::LParen, QStringLiteral("(")});
            ++i;
        } else if (c == QLatin1Char(')')) {
            out.push_back({Tok::RParen, QStringLiteral(")")});
            ++i;
        } else if (c == QLatin1Char(',')) {
            out.push_back({Tok::Comma, QStringLiteral(",")});
            ++i;
        } else if (c == QLatin1Char(';')) {
            out.push_back({Tok::Semicolon, QStringLiteral(";")});
            ++i;
        } else if (c == QLatin1Char('.')) {
            out.push_back({Tok::Dot, QStringLiteral(".")});
            ++i;
        } else {
            // Operators: <=, >=, <>, !=, and single characters.
            QString op(c);
            if (i + 1 < n) {
                const QString two = s.mid(i, 2);
                if (two == QLatin1String("<=") || two == QLatin1String(">=") || two == QLatin1String("<>") || two == QLatin1String("!="))
                    op = two;
            }
            out.push_back({Tok::Op, op});
            i += op.size();
        }
    }
    return out;
}

bool isKeyword(const Token &t, const char *kw)
{
    return t.kind == Tok::Word && t.text.compare(QLatin1String(kw), Qt::CaseInsensitive) == 0;
}

QString sqlString(const QString &inner)
{
    QString s = inner;
    s.replace(QLatin1Char('\''), QLatin1String("''"));
    return QLatin1Char('\'') + s + QLatin1Char('\'');
}

QString sqlIdentifier(const QString &name)
{
    QString s = name;
    s.replace(QLatin1Char('"'), QLatin1String("\"\""));
    return QLatin1Char('"') + s + QLatin1Char('"');
}

// Converts a LIKE pattern of the dialect (* ? # [x]) into SQLite's (% _ with \ as escape).
QString likePattern(const QString &p)
{
    QString out;
    for (qsizetype i = 0; i < p.size(); ++i) {
        const QChar c = p.at(i);
        if (c == QLatin1Char('*'))
            out += QLatin1Char('%');
        else if (c == QLatin1Char('?'))
            out += QLatin1Char('_');
        else if (c == QLatin1Char('%') || c == QLatin1Char('_') || c == QLatin1Char('\\')) {
            out += QLatin1Char('\\');
            out += c;
        } else if (c == QLatin1Char('[') && i + 2 < p.size() && p.at(i + 2) == QLatin1Char(']')) {
            const QChar lit = p.at(i + 1);
            if (lit == QLatin1Char('%') || lit == QLatin1Char('_') || lit == QLatin1Char('\\'))
                out += QLatin1Char('\\');
            out += lit;
            i += 2;
        } else
            out += c;
    }
    return out;
}

QString translateDate(const QString &inner, const QDate &today)
{
    static const QRegularExpression re(QStringLiteral(
        "^\\s*(\\d{1,4})[/\\-](\\d{1,2})[/\\-](\\d{1,4})(?:\\s+(\\d{1,2}):(\\d{1,2})(?::(\\d{1,2}))?)?\\s*$"));
    const auto m = re.match(inner);
    QDate d;
    if (m.hasMatch()) {
        const QString a = m.captured(1), b = m.captured(2), c = m.captured(3);
        if (c.size() == 4 && a.size() <= 2) // month/day/year of the dialect's own form
            d = QDate(c.toInt(), a.toInt(), b.toInt());
        else if (c.size() <= 2) {
            int year = a.toInt();
            if (a.size() <= 2)
                year = DateUtil::expandYear(year, today);
            else if (a.size() == 3)
                year = -1;
            d = QDate(year, b.toInt(), c.toInt());
        }
    }
    if (!d.isValid())
        throw DbError(ErrorNumber::SyntaxError, QStringLiteral("クエリ式の日付 '#%1#' の構文エラーです。").arg(inner));
    QString text = d.toString(Qt::ISODate);
    if (!m.captured(4).isEmpty()) {
        const QTime t(m.captured(4).toInt(), m.captured(5).toInt(), m.captured(6).toInt());
        if (!t.isValid())
            throw DbError(ErrorNumber::SyntaxError, QStringLiteral("クエリ式の日付 '#%1#' の構文エラーです。").arg(inner));
        if (t != QTime(0, 0))
            text += QLatin1Char(' ') + t.toString(QStringLiteral("HH:mm:ss"));
    }
    return sqlString(text);
}

bool endsLikeOperand(const Token &t)
{
    if (t.kind == Tok::RParen || t.kind == Tok::Comma || t.kind == Tok::Semicolon)
        return true;
    static const char *const stops[] = {"and", "or", "order", "group", "having", "union", "escape", "not", "then", "else", "when", "end", "from", "where"};
    for (const char *kw : stops)
        if (isKeyword(t, kw))
            return true;
    return false;
}

} // namespace

TranslatedQuery translate(const QString &legacySql, const QDate &today)
{
    std::vector<Token> toks = tokenize(legacySql);
    TranslatedQuery result;

    // Drop a trailing ';' (and blanks around it).
    while (!toks.empty() && (toks.back().kind == Tok::Space || toks.back().kind == Tok::Semicolon))
        toks.pop_back();
    while (!toks.empty() && toks.front().kind == Tok::Space)
        toks.erase(toks.begin());

    auto nextSignificant = [&](size_t i) {
        size_t j = i + 1;
        while (j < toks.size() && toks[j].kind == Tok::Space)
            ++j;
        return j;
    };

    QString out;
    // Pending LIMIT per parenthesis depth (TOP n of a select at that depth).
    std::vector<QString> limits(1);
    int depth = 0;
    bool inLike = false; // inside the pattern operand of a LIKE
    int likeDepth = 0;
    bool firstSelectSeen = false;
    // Facts for the single-table test of the outermost select.
    bool hasGroupOrDistinct = false, hasAggregate = false, hasJoin = false, multipleFrom = false;
    QString fromTable, fromAlias;
    bool inOuterFrom = false;
    int fromItems = 0;

    auto closeLike = [&]() {
        if (inLike) {
            out += QLatin1String(" ESCAPE '\\'");
            inLike = false;
        }
    };

    for (size_t i = 0; i < toks.size(); ++i) {
        const Token &t = toks[i];
        if (inLike && depth == likeDepth && endsLikeOperand(t)) {
            // Trim a space before the escape clause for tidiness.
            while (out.endsWith(QLatin1Char(' ')))
                out.chop(1);
            closeLike();
            if (t.kind == Tok::Word)
                out += QLatin1Char(' ');
        }
        switch (t.kind) {
        case Tok::Space:
            out += QLatin1Char(' ');
            break;
        case Tok::String:
            out += sqlString(inLike ? likePattern(t.text) : t.text);
            break;
        case Tok::Bracket:
            out += sqlIdentifier(t.text);
            if (inOuterFrom && depth == 0) {
                if (fromTable.isEmpty())
                    fromTable = t.text;
            }
            break;
        case Tok::DateLit:
            out += translateDate(t.text, today);
            break;
        case Tok::Number:
            out += t.text;
            break;
        case Tok::LParen:
            ++depth;
            if (int(limits.size()) <= depth)
                limits.resize(size_t(depth) + 1);
            limits[size_t(depth)].clear();
            out += QLatin1Char('(');
            break;
        case Tok::RParen:
            if (inLike && depth == likeDepth)
                closeLike();
            if (depth > 0) {
                if (!limits[size_t(depth)].isEmpty()) {
                    out += QStringLiteral(" LIMIT ") + limits[size_t(depth)];
                    limits[size_t(depth)].clear();
                }
                --depth;
            }
            out += QLatin1Char(')');
            break;
        case Tok::Comma:
            if (inOuterFrom && depth == 0)
                multipleFrom = true;
            out += QLatin1Char(',');
            break;
        case Tok::Semicolon:
            out += QLatin1Char(';');
            break;
        case Tok::Dot:
            out += QLatin1Char('.');
            break;
        case Tok::Op:
            if (t.text == QLatin1String("&"))
                out += QLatin1String("||");
            else if (t.text == QLatin1String("!="))
                out += QLatin1String("<>");
            else
                out += t.text;
            break;
        case Tok::Word: {
            const size_t nx = nextSignificant(i);
            const bool followedByParen = nx < toks.size() && toks[nx].kind == Tok::LParen;
            const bool afterDot = !out.isEmpty() && out.endsWith(QLatin1Char('.'));
            if (afterDot) {
                out += t.text;
                break;
            }
            if (isKeyword(t, "select")) {
                out += QLatin1String("SELECT");
                if (depth == 0 && !firstSelectSeen) {
                    firstSelectSeen = true;
                    result.isSelect = true;
                }
                // DISTINCT / TOP n [PERCENT]
                size_t j = nextSignificant(i);
                if (j < toks.size() && (isKeyword(toks[j], "distinct") || isKeyword(toks[j], "distinctrow"))) {
                    out += QLatin1String(" DISTINCT");
                    if (depth == 0)
                        hasGroupOrDistinct = true;
                    i = j;
                    j = nextSignificant(i);
                }
                if (j < toks.size() && isKeyword(toks[j], "top")) {
                    const size_t k = nextSignificant(j);
                    if (k >= toks.size() || toks[k].kind != Tok::Number)
                        throw DbError(ErrorNumber::SyntaxError, QStringLiteral("TOP の後に件数がありません。"));
                    limits[size_t(depth)] = toks[k].text;
                    i = k;
                    const size_t p = nextSignificant(i);
                    if (p < toks.size() && isKeyword(toks[p], "percent"))
                        throw DbError(ErrorNumber::SyntaxError, QStringLiteral("TOP n PERCENT は使用できません。"));
                }
                if (depth == 0 && result.selectListStart < 0)
                    result.selectListStart = int(out.size());
                break;
            }
            if (isKeyword(t, "delete")) {
                out += QLatin1String("DELETE");
                const size_t j = nextSignificant(i);
                if (j < toks.size() && toks[j].kind == Tok::Op && toks[j].text == QLatin1String("*"))
                    i = j; // "delete * from" → "DELETE from"
                break;
            }
            if (isKeyword(t, "true") && !followedByParen) {
                out += QLatin1Char('1');
                break;
            }
            if (isKeyword(t, "false") && !followedByParen) {
                out += QLatin1Char('0');
                break;
            }
            if (isKeyword(t, "mod")) {
                out += QLatin1Char('%');
                break;
            }
            // Left and Right are join keywords in SQLite: their functions go by other names.
            if (followedByParen && isKeyword(t, "left")) {
                out += QLatin1String("jet_left");
                break;
            }
            if (followedByParen && isKeyword(t, "right")) {
                out += QLatin1String("jet_right");
                break;
            }
            if (isKeyword(t, "like")) {
                out += QLatin1String("LIKE");
                inLike = true;
                likeDepth = depth;
                break;
            }
            if (depth == 0 && result.isSelect) {
                if (isKeyword(t, "from")) {
                    inOuterFrom = true;
                    out += t.text;
                    break;
                }
                if (isKeyword(t, "where") || isKeyword(t, "order") || isKeyword(t, "group") || isKeyword(t, "having")) {
                    if (isKeyword(t, "group") || isKeyword(t, "having"))
                        hasGroupOrDistinct = true;
                    inOuterFrom = false;
                    out += t.text;
                    break;
                }
                if (inOuterFrom) {
                    if (isKeyword(t, "join") || isKeyword(t, "inner") || isKeyword(t, "left") || isKeyword(t, "right") || isKeyword(t, "outer") || isKeyword(t, "on"))
                        hasJoin = true;
                    else if (isKeyword(t, "as")) { /* alias follows */
                    } else if (fromTable.isEmpty()) {
                        fromTable = t.text;
                        ++fromItems;
                    } else if (fromAlias.isEmpty())
                        fromAlias = t.text;
                    else
                        multipleFrom = true;
                }
            }
            if (followedByParen && depth == 0 && result.isSelect && !inOuterFrom) {
                static const char *const aggregates[] = {"count", "max", "min", "sum", "avg", "first", "last"};
                for (const char *a : aggregates)
                    if (isKeyword(t, a))
                        hasAggregate = true;
            }
            out += t.text;
            break;
        }
        }
    }
    closeLike();
    if (!limits[0].isEmpty())
        out += QStringLiteral(" LIMIT ") + limits[0];

    result.sql = out.trimmed();
    if (result.isSelect && !fromTable.isEmpty() && !hasGroupOrDistinct && !hasAggregate && !hasJoin && !multipleFrom
        && fromItems <= 1) {
        result.baseTable = fromTable;
        result.baseQualifier = fromAlias.isEmpty() ? fromTable : fromAlias;
    } else {
        result.selectListStart = result.isSelect ? result.selectListStart : -1;
    }
    return result;
}

const TranslatedQuery &translateCached(const QString &legacySql)
{
    static QHash<QString, TranslatedQuery> cache;
    auto it = cache.constFind(legacySql);
    if (it != cache.constEnd())
        return *it;
    if (cache.size() > 4096)
        cache.clear();
    return *cache.insert(legacySql, translate(legacySql));
}

QString dateLiteral(const QDate &date)
{
    return QLatin1Char('#') + date.toString(QStringLiteral("yyyy/MM/dd")) + QLatin1Char('#');
}

QString quoteText(const QString &text)
{
    return sqlString(text);
}

} // namespace db
