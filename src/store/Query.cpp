#include "Query.h"

#include "Database.h"
#include "StoreError.h"

namespace store {

using sql::quoteIdentifier;

namespace {

struct Token {
    enum Kind { Word, Number, Symbol, Param, End } kind;
    QString text;
};

std::vector<Token> tokenize(const QString& s) {
    std::vector<Token> out;
    int i = 0;
    const int n = int(s.size());
    while (i < n) {
        const QChar c = s[i];
        if (c.isSpace()) {
            ++i;
        } else if (c.isLetter() || c == QLatin1Char('_')) {
            int j = i;
            while (j < n && (s[j].isLetterOrNumber() || s[j] == QLatin1Char('_'))) ++j;
            out.push_back({Token::Word, s.mid(i, j - i)});
            i = j;
        } else if (c.isDigit() || (c == QLatin1Char('.') && i + 1 < n && s[i + 1].isDigit())) {
            int j = i;
            while (j < n && (s[j].isDigit() || s[j] == QLatin1Char('.'))) ++j;
            out.push_back({Token::Number, s.mid(i, j - i)});
            i = j;
        } else if (c == QLatin1Char('?')) {
            out.push_back({Token::Param, QStringLiteral("?")});
            ++i;
        } else if (c == QLatin1Char('<') || c == QLatin1Char('>')) {
            if (i + 1 < n && (s[i + 1] == QLatin1Char('=') || (c == QLatin1Char('<') && s[i + 1] == QLatin1Char('>')))) {
                out.push_back({Token::Symbol, s.mid(i, 2)});
                i += 2;
            } else {
                out.push_back({Token::Symbol, QString(c)});
                ++i;
            }
        } else if (c == QLatin1Char('=') || c == QLatin1Char('(') || c == QLatin1Char(')') ||
                   c == QLatin1Char(',') || c == QLatin1Char('*') || c == QLatin1Char('-')) {
            out.push_back({Token::Symbol, QString(c)});
            ++i;
        } else if (c == QLatin1Char('"') || c == QLatin1Char('\'')) {
            throw StoreError(QStringLiteral("Query values must be bound, not written into the statement: %1").arg(s));
        } else {
            throw StoreError(QStringLiteral("Invalid character '%1' in query: %2").arg(c).arg(s));
        }
    }
    out.push_back({Token::End, {}});
    return out;
}

class Translator {
public:
    Translator(const QString& text, const TableDef* def) : toks_(tokenize(text)), text_(text), def_(def) {}

    QString run(QString* table) {
        expectWord("select");
        expectSymbol("*");
        expectWord("from");
        table_ = takeWord();
        if (table) *table = table_;
        if (!def_) return {};
        QStringList cols;
        for (const FieldDef& f : def_->fields) cols << quoteIdentifier(f.name);
        QString out = QStringLiteral("SELECT %1 FROM %2").arg(cols.join(QStringLiteral(", ")), quoteIdentifier(def_->name));
        if (isWord("where")) {
            ++p_;
            out += QStringLiteral(" WHERE ") + expr();
        }
        if (isWord("order")) {
            ++p_;
            expectWord("by");
            QStringList items;
            do {
                if (items.size() > 0) ++p_;
                QString item = field();
                if (isWord("desc")) {
                    ++p_;
                    item += QStringLiteral(" DESC");
                } else if (isWord("asc")) {
                    ++p_;
                }
                items << item;
            } while (isSymbol(","));
            if (items.size() > 2) fail(QStringLiteral("order by takes one or two fields"));
            out += QStringLiteral(" ORDER BY ") + items.join(QStringLiteral(", ")) + QStringLiteral(", rowid");
        } else {
            QStringList keys;
            for (const QString& k : def_->key) keys << quoteIdentifier(k);
            keys << QStringLiteral("rowid");
            out += QStringLiteral(" ORDER BY ") + keys.join(QStringLiteral(", "));
        }
        if (toks_[size_t(p_)].kind != Token::End) fail(QStringLiteral("unexpected '%1'").arg(toks_[size_t(p_)].text));
        return out;
    }

    int params() const { return params_; }

private:
    [[noreturn]] void fail(const QString& why) const {
        throw StoreError(QStringLiteral("Invalid query (%1): %2").arg(why, text_));
    }
    bool isWord(const char* w) const {
        return toks_[size_t(p_)].kind == Token::Word &&
               toks_[size_t(p_)].text.compare(QLatin1String(w), Qt::CaseInsensitive) == 0;
    }
    bool isSymbol(const char* s) const {
        return toks_[size_t(p_)].kind == Token::Symbol && toks_[size_t(p_)].text == QLatin1String(s);
    }
    void expectWord(const char* w) {
        if (!isWord(w)) fail(QStringLiteral("'%1' expected").arg(QLatin1String(w)));
        ++p_;
    }
    void expectSymbol(const char* s) {
        if (!isSymbol(s)) fail(QStringLiteral("'%1' expected").arg(QLatin1String(s)));
        ++p_;
    }
    QString takeWord() {
        if (toks_[size_t(p_)].kind != Token::Word) fail(QStringLiteral("name expected"));
        return toks_[size_t(p_++)].text;
    }
    QString field() {
        const QString name = takeWord();
        const int i = def_->fieldIndex(name);
        if (i < 0) fail(QStringLiteral("unknown field %1").arg(name));
        return quoteIdentifier(def_->fields[size_t(i)].name);
    }
    QString expr() {
        QString out = term();
        while (isWord("or")) {
            ++p_;
            out += QStringLiteral(" OR ") + term();
        }
        return out;
    }
    QString term() {
        QString out = factor();
        while (isWord("and")) {
            ++p_;
            out += QStringLiteral(" AND ") + factor();
        }
        return out;
    }
    QString factor() {
        if (isWord("not")) {
            ++p_;
            return QStringLiteral("NOT ") + factor();
        }
        if (isSymbol("(")) {
            ++p_;
            QString inner = expr();
            expectSymbol(")");
            return QLatin1Char('(') + inner + QLatin1Char(')');
        }
        const QString left = operand();
        QString op;
        if (isWord("like")) {
            op = QStringLiteral(" LIKE ");
        } else if (isWord("not")) {
            ++p_;
            if (!isWord("like")) fail(QStringLiteral("'like' expected"));
            op = QStringLiteral(" NOT LIKE ");
        } else if (isSymbol("=") || isSymbol("<>") || isSymbol("<") || isSymbol(">") || isSymbol("<=") ||
                   isSymbol(">=")) {
            op = QLatin1Char(' ') + toks_[size_t(p_)].text + QLatin1Char(' ');
        } else {
            fail(QStringLiteral("comparison expected"));
        }
        ++p_;
        const QString right = operand();
        return QLatin1Char('(') + left + op + right + QLatin1Char(')');
    }
    QString operand() {
        const Token& t = toks_[size_t(p_)];
        if (t.kind == Token::Param) {
            ++p_;
            return QStringLiteral("?%1").arg(++params_);
        }
        if (t.kind == Token::Number) {
            ++p_;
            return t.text;
        }
        if (isSymbol("-") && toks_[size_t(p_) + 1].kind == Token::Number) {
            p_ += 2;
            return QLatin1Char('-') + toks_[size_t(p_) - 1].text;
        }
        if (isWord("upper")) {
            ++p_;
            expectSymbol("(");
            QString inner = operand();
            expectSymbol(")");
            return QStringLiteral("upper(%1)").arg(inner);
        }
        if (isWord("substring")) {
            ++p_;
            expectSymbol("(");
            QString inner = operand();
            expectWord("from");
            const QString from = number();
            QString count;
            if (isWord("for")) {
                ++p_;
                count = number();
            }
            expectSymbol(")");
            return count.isEmpty() ? QStringLiteral("substr(%1, %2)").arg(inner, from)
                                   : QStringLiteral("substr(%1, %2, %3)").arg(inner, from, count);
        }
        return field();
    }
    QString number() {
        if (toks_[size_t(p_)].kind != Token::Number) fail(QStringLiteral("number expected"));
        return toks_[size_t(p_++)].text;
    }

    std::vector<Token> toks_;
    QString text_;
    const TableDef* def_;
    QString table_;
    int p_ = 0;
    int params_ = 0;
};

}  // namespace

Query::Query(QObject* parent) : DataSet(parent) {}

Query::Query(Database* db, const QString& statement, QObject* parent) : DataSet(parent) {
    setDatabase(db);
    setSql(statement);
}

void Query::setSql(const QString& statement, const QVariantList& params) {
    close();
    statement_ = statement;
    params_ = params;
}

QString Query::tableOf(const QString& statement) {
    QString table;
    Translator(statement, nullptr).run(&table);
    return table;
}

QString Query::translate(const QString& statement, const TableDef& def, QString* table) {
    Translator t(statement, &def);
    return t.run(table);
}

void Query::open() {
    if (active()) return;
    if (!db_) throw StoreError(QStringLiteral("Query has no database: %1").arg(statement_));
    const Database::QueryText text = db_->queryText(statement_, [this] {
        Database::QueryText made;
        made.table = tableOf(statement_);
        const TableDef def = db_->tableDef(made.table);
        Translator t(statement_, &def);
        made.sql = t.run(nullptr);
        made.params = t.params();
        return made;
    });
    def_ = db_->tableDef(text.table);
    if (text.params != params_.size())
        throw StoreError(QStringLiteral("Query expects %1 values, %2 given: %3")
                             .arg(text.params)
                             .arg(params_.size())
                             .arg(statement_));
    sql::Statement& st = db_->cached(text.sql);
    for (int i = 0; i < params_.size(); ++i) {
        QVariant v = params_[i];
        if (v.typeId() == QMetaType::QDate) v = v.toDate().toString(Qt::ISODate);
        else if (v.typeId() == QMetaType::Bool) v = v.toBool() ? 1 : 0;
        st.bind(i + 1, v);
    }
    rows_.clear();
    while (st.step()) {
        std::vector<QVariant> row(def_.fields.size());
        for (size_t i = 0; i < row.size(); ++i) row[i] = fromColumn(def_.fields[i], st, int(i));
        rows_.push_back(std::move(row));
    }
    st.release();
    ++rangeVersion_;
    state_ = State::Browse;
    placeAt(0);
    emit stateChanged();
    emit dataChanged();
    emit scrolled();
}

void Query::close() {
    rows_.clear();
    DataSet::close();
}

}  // namespace store
