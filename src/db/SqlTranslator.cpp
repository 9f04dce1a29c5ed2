#include "db/SqlTranslator.h"

#include "base/DateUtil.h"
#include "db/DbError.h"

#include <QHash>
#include <QMutex>
#include <QRegularExpression>

#include <algorithm>
#include <initializer_list>
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

bool isAnyKeyword(const Token &t, std::initializer_list<const char *> keywords)
{
    for (const char *kw : keywords)
        if (isKeyword(t, kw))
            return true;
    return false;
}

bool endsLikeOperand(const Token &t)
{
    return t.kind == Tok::RParen || t.kind == Tok::Comma || t.kind == Tok::Semicolon
        || isAnyKeyword(t, {"and", "or", "order", "group", "having", "union", "escape", "not", "then", "else", "when", "end", "from", "where"});
}

// What the outermost select reads from: a single table (and the name its columns are qualified
// with) makes its rows updatable; grouping, aggregates, DISTINCT, joins or several sources do not.
struct SourceFacts
{
    bool inFromClause = false;
    bool groupedOrDistinct = false;
    bool aggregate = false;
    bool join = false;
    bool severalSources = false;
    int fromItems = 0;
    QString table;
    QString alias;

    bool isSingleTable() const
    {
        return !table.isEmpty() && !groupedOrDistinct && !aggregate && !join && !severalSources && fromItems <= 1;
    }
};

// One pass over the tokens; each clause or feature of the dialect has its own step.
class Translator final
{
public:
    Translator(const QString &legacySql, const QDate &today)
        : m_tokens(tokenize(legacySql)), m_today(today)
    {
        trimEnds();
    }

    TranslatedQuery run()
    {
        for (m_pos = 0; m_pos < m_tokens.size(); ++m_pos) {
            const Token &t = m_tokens[m_pos];
            endLikeOperandBefore(t);
            write(t);
        }
        closeLike();
        appendLimit(0);
        m_result.sql = m_out.trimmed();
        if (m_result.isSelect && m_source.isSingleTable()) {
            m_result.baseTable = m_source.table;
            m_result.baseQualifier = m_source.alias.isEmpty() ? m_source.table : m_source.alias;
        }
        return m_result;
    }

private:
    using WordRule = bool (Translator::*)(const Token &);

    // Blanks around the text and a trailing ';' are dropped.
    void trimEnds()
    {
        while (!m_tokens.empty() && (m_tokens.back().kind == Tok::Space || m_tokens.back().kind == Tok::Semicolon))
            m_tokens.pop_back();
        const auto firstText = std::find_if(m_tokens.begin(), m_tokens.end(), [](const Token &t) { return t.kind != Tok::Space; });
        m_tokens.erase(m_tokens.begin(), firstText);
    }

    void write(const Token &t)
    {
        switch (t.kind) {
        case Tok::Space: m_out += QLatin1Char(' '); break;
        case Tok::String: m_out += sqlString(m_like.open ? likePattern(t.text) : t.text); break;
        case Tok::Bracket: bracketedName(t); break;
        case Tok::DateLit: m_out += translateDate(t.text, m_today); break;
        case Tok::Number: m_out += t.text; break;
        case Tok::LParen: openParen(); break;
        case Tok::RParen: closeParen(); break;
        case Tok::Comma: comma(); break;
        case Tok::Semicolon: m_out += QLatin1Char(';'); break;
        case Tok::Dot: m_out += QLatin1Char('.'); break;
        case Tok::Op: operatorToken(t); break;
        case Tok::Word: word(t); break;
        }
    }

    size_t nextSignificant(size_t i) const
    {
        size_t j = i + 1;
        while (j < m_tokens.size() && m_tokens[j].kind == Tok::Space)
            ++j;
        return j;
    }

    bool nextIsKeyword(size_t i, const char *keyword) const
    {
        const size_t j = nextSignificant(i);
        return j < m_tokens.size() && isKeyword(m_tokens[j], keyword);
    }

    bool followedByParen() const
    {
        const size_t j = nextSignificant(m_pos);
        return j < m_tokens.size() && m_tokens[j].kind == Tok::LParen;
    }

    bool atOuterSelect() const { return m_depth == 0 && m_result.isSelect; }

    // Parentheses: a TOP n of a select inside them becomes the LIMIT before the closing one.
    void openParen()
    {
        ++m_depth;
        if (int(m_limits.size()) <= m_depth)
            m_limits.resize(size_t(m_depth) + 1);
        m_limits[size_t(m_depth)].clear();
        m_out += QLatin1Char('(');
    }

    void closeParen()
    {
        if (m_depth > 0) {
            appendLimit(m_depth);
            --m_depth;
        }
        m_out += QLatin1Char(')');
    }

    void appendLimit(int depth)
    {
        QString &limit = m_limits[size_t(depth)];
        if (limit.isEmpty())
            return;
        m_out += QStringLiteral(" LIMIT ") + limit;
        limit.clear();
    }

    void comma()
    {
        if (m_source.inFromClause && m_depth == 0)
            m_source.severalSources = true;
        m_out += QLatin1Char(',');
    }

    void bracketedName(const Token &t)
    {
        m_out += sqlIdentifier(t.text);
        if (m_source.inFromClause && m_depth == 0 && m_source.table.isEmpty())
            m_source.table = t.text;
    }

    // & concatenates, != is <>; a parameter inside a LIKE pattern matches its text as it is.
    void operatorToken(const Token &t)
    {
        if (t.text == QLatin1String("&"))
            m_out += QLatin1String("||");
        else if (t.text == QLatin1String("!="))
            m_out += QLatin1String("<>");
        else if (t.text == QLatin1String("?") && m_like.open)
            m_out += QLatin1String("like_literal(?)");
        else
            m_out += t.text;
    }

    // The pattern operand of a LIKE ends at a closing parenthesis, a comma or the next clause; its
    // ESCAPE clause goes right after it.
    void endLikeOperandBefore(const Token &t)
    {
        if (!m_like.open || m_depth != m_like.depth || !endsLikeOperand(t))
            return;
        while (m_out.endsWith(QLatin1Char(' ')))
            m_out.chop(1);
        closeLike();
        if (t.kind == Tok::Word)
            m_out += QLatin1Char(' ');
    }

    void closeLike()
    {
        if (!m_like.open)
            return;
        m_out += QLatin1String(" ESCAPE '\\'");
        m_like.open = false;
    }

    void word(const Token &t)
    {
        // The column of a qualified name (A.日付) is never a keyword.
        if (m_out.endsWith(QLatin1Char('.'))) {
            m_out += t.text;
            return;
        }
        static constexpr WordRule rules[] = {&Translator::selectKeyword, &Translator::deleteStar, &Translator::booleanLiteral,
                                             &Translator::modOperator, &Translator::textFunction, &Translator::likeOperator,
                                             &Translator::clauseKeyword};
        for (const WordRule rule : rules)
            if ((this->*rule)(t))
                return;
        noteFromItem(t);
        noteAggregate(t);
        m_out += t.text;
    }

    bool selectKeyword(const Token &t)
    {
        if (!isKeyword(t, "select"))
            return false;
        m_out += QLatin1String("SELECT");
        if (m_depth == 0)
            m_result.isSelect = true;
        distinctAfterSelect();
        topAfterSelect();
        if (m_depth == 0 && m_result.selectListStart < 0)
            m_result.selectListStart = int(m_out.size());
        return true;
    }

    void distinctAfterSelect()
    {
        if (!nextIsKeyword(m_pos, "distinct") && !nextIsKeyword(m_pos, "distinctrow"))
            return;
        m_out += QLatin1String(" DISTINCT");
        if (m_depth == 0)
            m_source.groupedOrDistinct = true;
        m_pos = nextSignificant(m_pos);
    }

    // SELECT TOP n becomes a LIMIT n at the end of its select.
    void topAfterSelect()
    {
        if (!nextIsKeyword(m_pos, "top"))
            return;
        const size_t count = nextSignificant(nextSignificant(m_pos));
        if (count >= m_tokens.size() || m_tokens[count].kind != Tok::Number)
            throw DbError(ErrorNumber::SyntaxError, QStringLiteral("TOP の後に件数がありません。"));
        m_limits[size_t(m_depth)] = m_tokens[count].text;
        m_pos = count;
        if (nextIsKeyword(m_pos, "percent"))
            throw DbError(ErrorNumber::SyntaxError, QStringLiteral("TOP n PERCENT は使用できません。"));
    }

    // "delete * from" is "DELETE from".
    bool deleteStar(const Token &t)
    {
        if (!isKeyword(t, "delete"))
            return false;
        m_out += QLatin1String("DELETE");
        const size_t j = nextSignificant(m_pos);
        if (j < m_tokens.size() && m_tokens[j].kind == Tok::Op && m_tokens[j].text == QLatin1String("*"))
            m_pos = j;
        return true;
    }

    bool booleanLiteral(const Token &t)
    {
        if (followedByParen() || !isAnyKeyword(t, {"true", "false"}))
            return false;
        m_out += isKeyword(t, "true") ? QLatin1Char('1') : QLatin1Char('0');
        return true;
    }

    bool modOperator(const Token &t)
    {
        if (!isKeyword(t, "mod"))
            return false;
        m_out += QLatin1Char('%');
        return true;
    }

    // Left and Right are join keywords in SQLite: their functions go by other names.
    bool textFunction(const Token &t)
    {
        if (!followedByParen() || !isAnyKeyword(t, {"left", "right"}))
            return false;
        m_out += isKeyword(t, "left") ? QLatin1String("jet_left") : QLatin1String("jet_right");
        return true;
    }

    bool likeOperator(const Token &t)
    {
        if (!isKeyword(t, "like"))
            return false;
        m_out += QLatin1String("LIKE");
        m_like = {true, m_depth};
        return true;
    }

    // FROM, WHERE, ORDER, GROUP and HAVING of the outermost select: where its sources are named.
    bool clauseKeyword(const Token &t)
    {
        if (!atOuterSelect())
            return false;
        if (isKeyword(t, "from")) {
            m_source.inFromClause = true;
        } else if (isAnyKeyword(t, {"where", "order", "group", "having"})) {
            if (isAnyKeyword(t, {"group", "having"}))
                m_source.groupedOrDistinct = true;
            m_source.inFromClause = false;
        } else {
            return false;
        }
        m_out += t.text;
        return true;
    }

    // A name in the FROM clause of the outermost select: the table, its alias, or a join.
    void noteFromItem(const Token &t)
    {
        if (!atOuterSelect() || !m_source.inFromClause || isKeyword(t, "as"))
            return;
        if (isAnyKeyword(t, {"join", "inner", "left", "right", "outer", "on"})) {
            m_source.join = true;
        } else if (m_source.table.isEmpty()) {
            m_source.table = t.text;
            ++m_source.fromItems;
        } else if (m_source.alias.isEmpty()) {
            m_source.alias = t.text;
        } else {
            m_source.severalSources = true;
        }
    }

    void noteAggregate(const Token &t)
    {
        if (atOuterSelect() && !m_source.inFromClause && followedByParen()
            && isAnyKeyword(t, {"count", "max", "min", "sum", "avg", "first", "last"}))
            m_source.aggregate = true;
    }

    std::vector<Token> m_tokens;
    const QDate m_today;
    size_t m_pos = 0;
    QString m_out;
    TranslatedQuery m_result;
    int m_depth = 0;
    std::vector<QString> m_limits = std::vector<QString>(1); // the LIMIT of the select at each depth
    struct
    {
        bool open = false; // inside the pattern operand of a LIKE
        int depth = 0;
    } m_like;
    SourceFacts m_source;
};

} // namespace

TranslatedQuery translate(const QString &legacySql, const QDate &today)
{
    return Translator(legacySql, today).run();
}

std::shared_ptr<const TranslatedQuery> translateCached(const QString &legacySql)
{
    static QMutex mutex;
    static QHash<QString, std::shared_ptr<const TranslatedQuery>> cache;
    {
        const QMutexLocker lock(&mutex);
        const auto it = cache.constFind(legacySql);
        if (it != cache.constEnd())
            return *it;
    }
    auto translated = std::make_shared<const TranslatedQuery>(translate(legacySql));
    const QMutexLocker lock(&mutex);
    if (cache.size() > 4096)
        cache.clear();
    cache.insert(legacySql, translated);
    return translated;
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
