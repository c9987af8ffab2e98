#include "JetSql.h"

#include "Dialect.h"
#include "EngineError.h"
#include "StoreValues.h"

namespace gearlog {

namespace {

struct Token {
    enum Kind { Word, String, Number, Date, Symbol, Space } kind;
    QString text;
    bool bracketed = false; // a Word written as [name]
};

// Deeper nesting than any view writes; more would only exhaust the stack
// of the store's own parser.
constexpr int maxNesting = 200;

bool isOpen(const Token& t) {
    return t.kind == Token::Symbol && t.text == QLatin1String("(");
}
bool isClose(const Token& t) {
    return t.kind == Token::Symbol && t.text == QLatin1String(")");
}

// True when the name is one of the schema's tables or fields.
bool isSchemaName(const QString& name) {
    if (findTable(name))
        return true;
    for (const TableDef& table : schemaTables())
        for (const FieldDef& f : table.fields)
            if (f.name.compare(name, Qt::CaseInsensitive) == 0)
                return true;
    return false;
}

// A bracketed name as SQL: the schema's own names stay bare (the stores
// fold their case), anything else becomes a quoted identifier, so that
// bracketed text can never turn into live SQL.
QString identifier(const Token& t) {
    if (!t.bracketed || isSchemaName(t.text))
        return t.text;
    QString quoted = t.text;
    quoted.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return QLatin1Char('"') + quoted + QLatin1Char('"');
}

bool isWordStart(QChar c) {
    return c.isLetter() || c == QLatin1Char('_');
}
bool isWordChar(QChar c) {
    return c.isLetterOrNumber() || c == QLatin1Char('_');
}

std::vector<Token> tokenize(const QString& sql) {
    std::vector<Token> tokens;
    const qsizetype n = sql.size();
    qsizetype i = 0;
    int depth = 0;
    auto until = [&](QChar close, bool doubledEscape) {
        QString value;
        ++i;
        while (i < n) {
            if (sql[i] == close) {
                if (doubledEscape && i + 1 < n && sql[i + 1] == close) {
                    value += close;
                    i += 2;
                    continue;
                }
                ++i;
                return value;
            }
            value += sql[i++];
        }
        throw EngineError(QStringLiteral("Syntax error: missing %1 in: %2").arg(close).arg(sql));
    };
    while (i < n) {
        const QChar c = sql[i];
        if (c.isSpace()) {
            const qsizetype start = i;
            while (i < n && sql[i].isSpace())
                ++i;
            tokens.push_back({Token::Space, sql.mid(start, i - start)});
        } else if (c == QLatin1Char('\'') || c == QLatin1Char('"')) {
            tokens.push_back({Token::String, until(c, true)});
        } else if (c == QLatin1Char('[')) {
            tokens.push_back({Token::Word, until(QLatin1Char(']'), false), true});
        } else if (c == QLatin1Char('#')) {
            tokens.push_back({Token::Date, until(QLatin1Char('#'), false)});
        } else if (isWordStart(c)) {
            const qsizetype start = i;
            while (i < n && isWordChar(sql[i]))
                ++i;
            tokens.push_back({Token::Word, sql.mid(start, i - start)});
        } else if (c.isDigit()) {
            const qsizetype start = i;
            while (i < n && (sql[i].isDigit() || sql[i] == QLatin1Char('.')))
                ++i;
            tokens.push_back({Token::Number, sql.mid(start, i - start)});
        } else {
            QString symbol(c);
            if (i + 1 < n && (c == QLatin1Char('<') || c == QLatin1Char('>')) &&
                (sql[i + 1] == QLatin1Char('=') || sql[i + 1] == QLatin1Char('>')))
                symbol += sql[++i];
            ++i;
            tokens.push_back({Token::Symbol, symbol});
            if (isOpen(tokens.back()) && ++depth > maxNesting)
                throw EngineError(QStringLiteral("The statement is nested more than %1 levels deep")
                                      .arg(maxNesting));
            if (isClose(tokens.back()))
                --depth;
        }
    }
    return tokens;
}

bool isWord(const Token& t, const char* word) {
    return t.kind == Token::Word && t.text.compare(QLatin1String(word), Qt::CaseInsensitive) == 0;
}

// Writes tokens back as the store's SQL: Jet's date literals, Yes/No and
// double-quoted strings become standard SQL.
QString render(const std::vector<Token>& tokens, size_t from, size_t to) {
    QString out;
    for (size_t i = from; i < to; ++i) {
        const Token& t = tokens[i];
        switch (t.kind) {
        case Token::String:
            out += quoteText(t.text);
            break;
        case Token::Date: {
            bool ok = false;
            const QDateTime dt = parseDateLiteral(t.text, &ok);
            if (!ok)
                throw EngineError(QStringLiteral("Syntax error in date: #%1#").arg(t.text));
            out += quoteText(dateToStoreText(dt));
            break;
        }
        case Token::Word:
            if (isWord(t, "Yes") || isWord(t, "True"))
                out += QStringLiteral("TRUE");
            else if (isWord(t, "No") || isWord(t, "False"))
                out += QStringLiteral("FALSE");
            else
                out += identifier(t);
            break;
        default:
            out += t.text;
        }
    }
    return out.trimmed();
}

// Index of the top-level word (outside parentheses) at or after `from`.
size_t findKeyword(const std::vector<Token>& tokens, size_t from, const char* word) {
    int depth = 0;
    for (size_t i = from; i < tokens.size(); ++i) {
        const Token& t = tokens[i];
        if (t.kind == Token::Symbol && t.text == QLatin1String("("))
            ++depth;
        else if (t.kind == Token::Symbol && t.text == QLatin1String(")"))
            --depth;
        else if (depth == 0 && isWord(t, word))
            return i;
    }
    return tokens.size();
}

// Splits a token range at top-level commas into pieces without blanks at
// their ends; the blanks inside a piece stay, as the text wrote them.
std::vector<std::vector<Token>> splitList(const std::vector<Token>& tokens, size_t from,
                                          size_t to) {
    std::vector<std::vector<Token>> items(1);
    int depth = 0;
    for (size_t i = from; i < to; ++i) {
        const Token& t = tokens[i];
        if (isOpen(t))
            ++depth;
        if (isClose(t))
            --depth;
        if (depth == 0 && t.kind == Token::Symbol && t.text == QLatin1String(",")) {
            items.emplace_back();
            continue;
        }
        if (t.kind != Token::Space || !items.back().empty())
            items.back().push_back(t);
    }
    for (auto& item : items)
        while (!item.empty() && item.back().kind == Token::Space)
            item.pop_back();
    return items;
}

// The tokens of a piece without its blanks, for looking at its shape.
std::vector<Token> significant(const std::vector<Token>& item) {
    std::vector<Token> result;
    for (const Token& t : item)
        if (t.kind != Token::Space)
            result.push_back(t);
    return result;
}

const TableDef& requireTable(const QString& name) {
    const TableDef* table = findTable(name);
    if (!table)
        throw EngineError(
            QStringLiteral("The table '%1' is not part of the database schema").arg(name));
    return *table;
}

// Drops the closing ";" the views write, and refuses a second statement.
void stripSemicolon(std::vector<Token>& tokens, const QString& jetSql) {
    while (!tokens.empty() &&
           (tokens.back().kind == Token::Space ||
            (tokens.back().kind == Token::Symbol && tokens.back().text == QLatin1String(";"))))
        tokens.pop_back();
    for (const Token& t : tokens)
        if (t.kind == Token::Symbol && t.text == QLatin1String(";"))
            throw EngineError(
                QStringLiteral("Characters found after end of SQL statement: %1").arg(jetSql));
}

} // namespace

QString quoteText(const QString& text) {
    QString escaped = text;
    escaped.replace(QLatin1Char('\''), QStringLiteral("''"));
    return QLatin1Char('\'') + escaped + QLatin1Char('\'');
}

QString TranslatedSelect::sql() const {
    QString s = QStringLiteral("SELECT ") + selectList + QStringLiteral(" FROM ") + from;
    if (!where.isEmpty())
        s += QStringLiteral(" WHERE ") + where;
    if (!orderBy.isEmpty())
        s += QStringLiteral(" ORDER BY ") + orderBy;
    return s;
}

QString TranslatedSelect::sqlForKey() const {
    return sqlForKeys(1);
}

QString TranslatedSelect::sqlForKeys(int count) const {
    QString s = QStringLiteral("SELECT ") + selectList + QStringLiteral(" FROM ") + from +
                QStringLiteral(" WHERE ");
    if (!whereByKey.isEmpty())
        s += whereByKey + QStringLiteral(" AND ");
    if (count == 1)
        return s + baseTable->name + QStringLiteral(".ID = ?");
    QStringList marks(count, QStringLiteral("?"));
    return s + baseTable->name + QStringLiteral(".ID IN (") + marks.join(QLatin1Char(',')) +
           QLatin1Char(')');
}

QString TranslatedSelect::sqlOfKeys(const QString& condition) const {
    QString s = QStringLiteral("SELECT ") + baseTable->name + QStringLiteral(".ID FROM ") + from;
    // A find's condition leads: it is what narrows the rows most.
    if (!where.isEmpty() && !condition.isEmpty())
        s += QStringLiteral(" WHERE ") + whereByKey + QStringLiteral(" AND ") + condition;
    else if (!where.isEmpty() || !condition.isEmpty())
        s += QStringLiteral(" WHERE ") + where + condition;
    if (!orderBy.isEmpty())
        s += QStringLiteral(" ORDER BY ") + orderBy;
    return s;
}

TranslatedSelect translateSelect(const QString& jetSql, Engine engine) {
    std::vector<Token> tokens = tokenize(jetSql);
    stripSemicolon(tokens, jetSql);
    const size_t select = findKeyword(tokens, 0, "SELECT");
    const size_t from = findKeyword(tokens, select, "FROM");
    if (select == tokens.size() || from == tokens.size())
        throw EngineError(QStringLiteral("Syntax error in query: %1").arg(jetSql));
    const size_t where = findKeyword(tokens, from, "WHERE");
    size_t order = findKeyword(tokens, from, "ORDER");
    const size_t fromEnd = std::min(where, order);
    const size_t whereEnd = order;

    TranslatedSelect result;
    // Tables of the FROM clause: the first name, and the one after each JOIN.
    std::vector<const TableDef*> tables;
    for (size_t i = from + 1; i < fromEnd; ++i) {
        if (tokens[i].kind != Token::Word)
            continue;
        const bool first = tables.empty();
        const bool afterJoin = i >= 2 && isWord(tokens[i - 2], "JOIN");
        if (first || afterJoin)
            tables.push_back(&requireTable(tokens[i].text));
    }
    result.from = render(tokens, from + 1, fromEnd);
    if (where < tokens.size())
        result.where = render(tokens, where + 1, whereEnd);
    // Rows read by key test the condition after the key has found them: the
    // file's planner would otherwise walk a condition's index (all of a
    // large shipment's lines) for every page of keys. Unary plus keeps a
    // term from using an index there; the server plans by its statistics.
    if (!result.where.isEmpty())
        result.whereByKey = engine == Engine::Sqlite
                                ? QStringLiteral("+(") + result.where + QLatin1Char(')')
                                : QLatin1Char('(') + result.where + QLatin1Char(')');

    QStringList selectItems;
    auto expand = [&](const TableDef& table) {
        for (const FieldDef& f : table.fields) {
            const ColumnInfo info{table.name, f.name, f.type};
            if (f.type == FieldType::LongBinary) {
                result.deferred.push_back(info);
                continue;
            }
            selectItems << dialect::selectTerm(engine, table.name + QLatin1Char('.') + f.name,
                                               f.type);
            result.columns.push_back(info);
        }
    };
    const auto items = splitList(tokens, select + 1, from);
    bool onlyStars = true;
    const TableDef* starTable = nullptr;
    int starCount = 0;
    for (const auto& item : items) {
        const std::vector<Token> shape = significant(item);
        if (shape.size() == 1 && shape[0].kind == Token::Symbol &&
            shape[0].text == QLatin1String("*")) {
            for (const TableDef* t : tables)
                expand(*t);
            starTable = tables.size() == 1 ? tables.front() : nullptr;
            ++starCount;
        } else if (shape.size() == 3 && shape[0].kind == Token::Word &&
                   shape[1].text == QLatin1String(".") && shape[2].text == QLatin1String("*")) {
            const TableDef& t = requireTable(shape[0].text);
            expand(t);
            starTable = &t;
            ++starCount;
        } else {
            onlyStars = false;
            selectItems << render(item, 0, item.size());
            // The alias (after AS) or the last word names the column.
            QString name = shape.empty() ? QString() : shape.back().text;
            result.columns.push_back({QString(), name, FieldType::Unknown});
        }
    }
    result.selectList = selectItems.join(QStringLiteral(", "));
    if (onlyStars && starCount == 1 && starTable) {
        result.baseTable = starTable;
        for (size_t c = 0; c < result.columns.size(); ++c)
            if (result.columns[c].table == starTable->name &&
                result.columns[c].field == QLatin1String("ID"))
                result.baseKeyColumn = static_cast<int>(c);
    }
    if (result.baseKeyColumn < 0) {
        // Without a key the binary columns cannot be read later: select them now.
        for (const ColumnInfo& info : result.deferred) {
            result.selectList += QStringLiteral(", ") + info.table + QLatin1Char('.') + info.field;
            result.columns.push_back(info);
        }
        result.deferred.clear();
        result.baseTable = nullptr;
    }

    if (order < tokens.size()) {
        if (order + 2 >= tokens.size() || !isWord(tokens[order + 2], "BY"))
            throw EngineError(QStringLiteral("Syntax error in ORDER BY clause: %1").arg(jetSql));
        QStringList terms;
        for (const auto& item : splitList(tokens, order + 3, tokens.size())) {
            std::vector<Token> ref = item;
            bool descending = false;
            if (!ref.empty() && (isWord(ref.back(), "DESC") || isWord(ref.back(), "ASC"))) {
                descending = isWord(ref.back(), "DESC");
                ref.pop_back();
                while (!ref.empty() && ref.back().kind == Token::Space)
                    ref.pop_back();
            }
            const std::vector<Token> shape = significant(ref);
            QString table, field;
            if (shape.size() == 1 && shape[0].kind == Token::Word) {
                field = shape[0].text;
            } else if (shape.size() == 3 && shape[1].text == QLatin1String(".")) {
                table = shape[0].text;
                field = shape[2].text;
            }
            int column = -1;
            for (size_t c = 0; c < result.columns.size() && column < 0 && !field.isEmpty(); ++c) {
                const ColumnInfo& info = result.columns[c];
                if (info.field.compare(field, Qt::CaseInsensitive) == 0 &&
                    (table.isEmpty() || info.table.compare(table, Qt::CaseInsensitive) == 0))
                    column = static_cast<int>(c);
            }
            if (column < 0) {
                terms << render(item, 0, item.size());
                continue;
            }
            result.orderKeys.push_back({column, descending});
            terms << dialect::orderTerm(engine, render(ref, 0, ref.size()),
                                        result.columns[static_cast<size_t>(column)].type,
                                        descending);
        }
        result.orderBy = terms.join(QStringLiteral(", "));
    }
    return result;
}

TranslatedStatement translateStatement(const QString& jetSql, Engine engine) {
    Q_UNUSED(engine);
    std::vector<Token> tokens = tokenize(jetSql);
    stripSemicolon(tokens, jetSql);
    TranslatedStatement result;
    size_t first = 0;
    while (first < tokens.size() && tokens[first].kind == Token::Space)
        ++first;
    if (first < tokens.size() && isWord(tokens[first], "DELETE")) {
        const size_t from = findKeyword(tokens, first, "FROM");
        const size_t where = findKeyword(tokens, first, "WHERE");
        if (from == tokens.size())
            throw EngineError(QStringLiteral("Syntax error in DELETE statement: %1").arg(jetSql));
        result.table = requireTable(render(tokens, from + 1, where)).name;
        if (where < tokens.size())
            result.where = render(tokens, where + 1, tokens.size());
        // Jet's "DELETE * FROM" is plain "DELETE FROM" elsewhere.
        result.sql = QStringLiteral("DELETE FROM ") + result.table;
    } else if (first < tokens.size() && isWord(tokens[first], "UPDATE")) {
        const size_t set = findKeyword(tokens, first, "SET");
        const size_t where = findKeyword(tokens, first, "WHERE");
        if (set == tokens.size())
            throw EngineError(QStringLiteral("Syntax error in UPDATE statement: %1").arg(jetSql));
        result.table = requireTable(render(tokens, first + 1, set)).name;
        if (where < tokens.size())
            result.where = render(tokens, where + 1, tokens.size());
        result.sql = QStringLiteral("UPDATE ") + result.table + QStringLiteral(" SET ") +
                     render(tokens, set + 1, where);
    } else {
        result.sql = render(tokens, 0, tokens.size());
        return result;
    }
    if (!result.where.isEmpty())
        result.sql += QStringLiteral(" WHERE ") + result.where;
    return result;
}

} // namespace gearlog
