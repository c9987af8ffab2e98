#include "Criteria.h"

#include "EngineError.h"
#include "TextFold.h"

#include <QDateTime>
#include <cmath>

namespace gearlog {

struct Criteria::Node {
    enum Kind { And, Or, Compare } kind = Compare;
    std::shared_ptr<Node> left, right;
    int column = -1;
    int depth = 1; // of the tree below and with this node
    QString op;
    QVariant literal; // invalid for Null
};

namespace {

// Orders two non-null values: numbers numerically, dates by time, text
// without regard to case. Returns <0, 0 or >0.
int compareValues(const QVariant& a, const QVariant& b) {
    const auto isNumber = [](const QVariant& v) {
        switch (v.typeId()) {
        case QMetaType::Int:
        case QMetaType::LongLong:
        case QMetaType::Float:
        case QMetaType::Double:
        case QMetaType::Bool:
            return true;
        default:
            return false;
        }
    };
    if (a.typeId() == QMetaType::QDateTime && b.typeId() == QMetaType::QDateTime) {
        const QDateTime x = a.toDateTime(), y = b.toDateTime();
        return x < y ? -1 : (y < x ? 1 : 0);
    }
    if (isNumber(a) || isNumber(b)) {
        const double x = a.toBool() && a.typeId() == QMetaType::Bool ? 1 : a.toDouble();
        const double y = b.toBool() && b.typeId() == QMetaType::Bool ? 1 : b.toDouble();
        return x < y ? -1 : (y < x ? 1 : 0);
    }
    return compareFolded(a.toString(), b.toString());
}

class Parser {
public:
    Parser(const QString& text, const std::vector<ColumnInfo>& columns)
        : m_text(text), m_columns(columns) {}

    std::shared_ptr<Criteria::Node> parse() {
        auto node = parseOr();
        skipSpace();
        if (m_pos != m_text.size())
            fail();
        return node;
    }

private:
    [[noreturn]] void fail() const {
        throw CriteriaError(QStringLiteral("Syntax error in criteria: %1").arg(m_text));
    }
    // A tree deeper than this would exhaust the stack when it is evaluated
    // or freed; no view writes more than a few terms.
    static constexpr int maxDepth = 500;
    void checkDepth(int depth) const {
        if (depth > maxDepth)
            throw CriteriaError(
                QStringLiteral("The criteria is nested more than %1 levels deep").arg(maxDepth));
    }
    void skipSpace() {
        while (m_pos < m_text.size() && m_text[m_pos].isSpace())
            ++m_pos;
    }
    bool keyword(const char* word) {
        skipSpace();
        const QLatin1String w(word);
        if (m_text.mid(m_pos, w.size()).compare(w, Qt::CaseInsensitive) != 0)
            return false;
        const qsizetype end = m_pos + w.size();
        if (end < m_text.size() &&
            (m_text[end].isLetterOrNumber() || m_text[end] == QLatin1Char('_')))
            return false;
        m_pos = end;
        return true;
    }
    std::shared_ptr<Criteria::Node> join(Criteria::Node::Kind kind,
                                         std::shared_ptr<Criteria::Node> l,
                                         std::shared_ptr<Criteria::Node> r) {
        auto n = std::make_shared<Criteria::Node>();
        n->kind = kind;
        n->depth = std::max(l->depth, r->depth) + 1;
        checkDepth(n->depth);
        n->left = std::move(l);
        n->right = std::move(r);
        return n;
    }
    std::shared_ptr<Criteria::Node> parseOr() {
        auto node = parseAnd();
        while (keyword("OR"))
            node = join(Criteria::Node::Or, node, parseAnd());
        return node;
    }
    std::shared_ptr<Criteria::Node> parseAnd() {
        auto node = parseTerm();
        while (keyword("AND"))
            node = join(Criteria::Node::And, node, parseTerm());
        return node;
    }
    std::shared_ptr<Criteria::Node> parseTerm() {
        skipSpace();
        if (m_pos < m_text.size() && m_text[m_pos] == QLatin1Char('(')) {
            ++m_pos;
            checkDepth(++m_nesting);
            auto node = parseOr();
            --m_nesting;
            skipSpace();
            if (m_pos >= m_text.size() || m_text[m_pos] != QLatin1Char(')'))
                fail();
            ++m_pos;
            return node;
        }
        auto node = std::make_shared<Criteria::Node>();
        node->column = parseField();
        if (keyword("IS")) {
            node->op = keyword("NOT") ? QStringLiteral("IS NOT") : QStringLiteral("IS");
            if (!keyword("NULL"))
                fail();
            return node;
        }
        skipSpace();
        for (const char* op : {"<=", ">=", "<>", "=", "<", ">"}) {
            const QLatin1String o(op);
            if (m_text.mid(m_pos, o.size()) == o) {
                node->op = o;
                m_pos += o.size();
                node->literal = parseLiteral();
                return node;
            }
        }
        fail();
    }
    int parseField() {
        skipSpace();
        QString table, name = parseName();
        if (m_pos < m_text.size() && m_text[m_pos] == QLatin1Char('.')) {
            ++m_pos;
            table = name;
            name = parseName();
        }
        for (size_t c = 0; c < m_columns.size(); ++c) {
            const ColumnInfo& info = m_columns[c];
            if (info.field.compare(name, Qt::CaseInsensitive) == 0 &&
                (table.isEmpty() || info.table.compare(table, Qt::CaseInsensitive) == 0))
                return static_cast<int>(c);
        }
        throw CriteriaError(QStringLiteral("Unknown field name in criteria: '%1'")
                                .arg(table.isEmpty() ? name : table + QLatin1Char('.') + name));
    }
    QString parseName() {
        if (m_pos < m_text.size() && m_text[m_pos] == QLatin1Char('[')) {
            const qsizetype close = m_text.indexOf(QLatin1Char(']'), m_pos);
            if (close < 0)
                fail();
            const QString name = m_text.mid(m_pos + 1, close - m_pos - 1);
            m_pos = close + 1;
            return name;
        }
        const qsizetype start = m_pos;
        while (m_pos < m_text.size() &&
               (m_text[m_pos].isLetterOrNumber() || m_text[m_pos] == QLatin1Char('_')))
            ++m_pos;
        if (m_pos == start)
            fail();
        return m_text.mid(start, m_pos - start);
    }
    QVariant parseLiteral() {
        skipSpace();
        if (m_pos >= m_text.size())
            fail();
        const QChar c = m_text[m_pos];
        if (c == QLatin1Char('\'') || c == QLatin1Char('"')) {
            QString value;
            ++m_pos;
            while (true) {
                if (m_pos >= m_text.size())
                    fail();
                if (m_text[m_pos] == c) {
                    if (m_pos + 1 < m_text.size() && m_text[m_pos + 1] == c) {
                        value += c;
                        m_pos += 2;
                        continue;
                    }
                    ++m_pos;
                    return QVariant(value);
                }
                value += m_text[m_pos++];
            }
        }
        if (c == QLatin1Char('#')) {
            const qsizetype close = m_text.indexOf(QLatin1Char('#'), m_pos + 1);
            if (close < 0)
                fail();
            bool ok = false;
            const QDateTime dt = parseDateLiteral(m_text.mid(m_pos + 1, close - m_pos - 1), &ok);
            if (!ok)
                fail();
            m_pos = close + 1;
            return QVariant(dt);
        }
        if (keyword("Yes") || keyword("True"))
            return QVariant(true);
        if (keyword("No") || keyword("False"))
            return QVariant(false);
        if (keyword("Null"))
            return {};
        const qsizetype start = m_pos;
        if (c == QLatin1Char('-') || c == QLatin1Char('+'))
            ++m_pos;
        while (m_pos < m_text.size() &&
               (m_text[m_pos].isDigit() || m_text[m_pos] == QLatin1Char('.')))
            ++m_pos;
        bool ok = false;
        const double value = m_text.mid(start, m_pos - start).toDouble(&ok);
        if (!ok)
            fail();
        if (value == std::trunc(value) && std::abs(value) < 2147483648.0)
            return QVariant(static_cast<int>(value));
        return QVariant(value);
    }

    const QString& m_text;
    const std::vector<ColumnInfo>& m_columns;
    qsizetype m_pos = 0;
    int m_nesting = 0;
};

bool evaluate(const Criteria::Node& node, const std::vector<QVariant>& row) {
    switch (node.kind) {
    case Criteria::Node::And:
        return evaluate(*node.left, row) && evaluate(*node.right, row);
    case Criteria::Node::Or:
        return evaluate(*node.left, row) || evaluate(*node.right, row);
    case Criteria::Node::Compare:
        break;
    }
    const QVariant& value = row[static_cast<size_t>(node.column)];
    const bool isNull = !value.isValid() || value.isNull();
    if (node.op == QLatin1String("IS"))
        return isNull;
    if (node.op == QLatin1String("IS NOT"))
        return !isNull;
    if (isNull || !node.literal.isValid())
        return false; // Null never compares equal, as in SQL
    const int c = compareValues(value, node.literal);
    if (node.op == QLatin1String("="))
        return c == 0;
    if (node.op == QLatin1String("<>"))
        return c != 0;
    if (node.op == QLatin1String("<"))
        return c < 0;
    if (node.op == QLatin1String(">"))
        return c > 0;
    if (node.op == QLatin1String("<="))
        return c <= 0;
    return c >= 0;
}

} // namespace

Criteria::Criteria(const QString& text, const std::vector<ColumnInfo>& columns)
    : m_root(Parser(text, columns).parse()) {
    for (const ColumnInfo& info : columns)
        m_types.push_back(info.type);
}

bool Criteria::matches(const std::vector<QVariant>& row) const {
    return evaluate(*m_root, row);
}

bool Criteria::isEquality(int* column) const {
    if (m_root->kind != Node::Compare || m_root->op != QLatin1String("=") || m_root->column < 0 ||
        !m_root->literal.isValid())
        return false;
    const FieldType type = m_types[static_cast<size_t>(m_root->column)];
    const bool comparable =
        (type == FieldType::Text && m_root->literal.typeId() == QMetaType::QString) ||
        (type == FieldType::Long && m_root->literal.typeId() == QMetaType::Int);
    if (comparable)
        *column = m_root->column;
    return comparable;
}

QVariant Criteria::literal() const {
    return m_root->literal;
}

bool Criteria::isKeyLookup(int keyColumn, int* key) const {
    if (m_root->kind != Node::Compare || m_root->column != keyColumn ||
        m_root->op != QLatin1String("=") || m_root->literal.typeId() != QMetaType::Int)
        return false;
    *key = m_root->literal.toInt();
    return true;
}

} // namespace gearlog
