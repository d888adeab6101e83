#include "core/ServerDialect.h"

#include "core/ProgramFolder.h"

#include <QHash>
#include <QRegularExpression>
#include <QVector>

#include <utility>
#include <vector>

namespace core::ServerDialect {

namespace {

using RE = QRegularExpression;
constexpr auto ci = RE::CaseInsensitiveOption;

struct Piece {
    QString text;
    bool literal; // a '…' text; names in [] or "" are turned into "…" names and kept apart too
};

// The statement cut at its literals and quoted names, so that rewrites never reach into them.
QVector<Piece> pieces(const QString& sql) {
    QVector<Piece> out;
    QString plain;
    int i = 0;
    const int n = sql.size();
    while (i < n) {
        const QChar c = sql.at(i);
        if (c != QLatin1Char('\'') && c != QLatin1Char('"') && c != QLatin1Char('[')) {
            plain += c;
            ++i;
            continue;
        }
        if (!plain.isEmpty())
            out.append({plain, false});
        plain.clear();
        const QChar close = c == QLatin1Char('[') ? QLatin1Char(']') : c;
        QString inner;
        ++i;
        while (i < n) {
            if (sql.at(i) == close) {
                if (close != QLatin1Char(']') && i + 1 < n && sql.at(i + 1) == close) {
                    inner += close;
                    inner += close;
                    i += 2;
                    continue;
                }
                ++i;
                break;
            }
            inner += sql.at(i++);
        }
        if (c == QLatin1Char('\'')) {
            out.append({QLatin1Char('\'') + inner + QLatin1Char('\''), true});
        } else {
            // SQLite's quoted names ignore letter case like plain ones; the server's do not, so
            // they are folded as the server folds a plain name.
            QString name =
                c == QLatin1Char('"') ? inner.replace(QStringLiteral("\"\""), QStringLiteral("\"")) : inner;
            name = name.toLower();
            name.replace(QLatin1Char('"'), QStringLiteral("\"\""));
            out.append({QLatin1Char('"') + name + QLatin1Char('"'), false});
        }
    }
    if (!plain.isEmpty())
        out.append({plain, false});
    return out;
}

// A glob pattern as a regular expression anchored at both ends.
QString globToRegex(const QString& glob) {
    QString re = QStringLiteral("^");
    bool inClass = false;
    for (const QChar c : glob) {
        if (inClass) {
            re += c;
            if (c == QLatin1Char(']'))
                inClass = false;
        } else if (c == QLatin1Char('*')) {
            re += QStringLiteral(".*");
        } else if (c == QLatin1Char('?')) {
            re += QLatin1Char('.');
        } else if (c == QLatin1Char('[')) {
            re += c;
            inClass = true;
        } else if (QStringLiteral("\\.^$+(){}|").contains(c)) {
            re += QLatin1Char('\\');
            re += c;
        } else {
            re += c;
        }
    }
    return re + QLatin1Char('$');
}

void rewriteGlob(QVector<Piece>& parts) {
    static const RE glob(QStringLiteral("\\b(not\\s+)?glob\\s*$"), ci);
    for (int i = 0; i + 1 < parts.size(); ++i) {
        if (parts[i].literal || !parts[i + 1].literal)
            continue;
        const auto m = glob.match(parts[i].text);
        if (!m.hasMatch())
            continue;
        parts[i].text.replace(m.capturedStart(), m.capturedLength(),
                              m.captured(1).isEmpty() ? QStringLiteral("~ ") : QStringLiteral("!~ "));
        const QString pattern = parts[i + 1].text.mid(1, parts[i + 1].text.size() - 2);
        parts[i + 1].text = QLatin1Char('\'') + globToRegex(pattern) + QLatin1Char('\'');
    }
}

QString rewritePlain(QString s, bool ddl) {
    static const RE rowid(QStringLiteral("(?<![:\\w])(?:_rowid_|rowid)\\b"), ci);
    s.replace(rowid, rowKeyColumn());
    // Each rewrite: a pattern and what stands for it on the server.
    using Rewrites = std::vector<std::pair<RE, QString>>;
    const auto apply = [&s](const Rewrites& rewrites) {
        for (const auto& [pattern, replacement] : rewrites)
            s.replace(pattern, replacement);
    };
    static const Rewrites everywhere{
        {RE(QStringLiteral("\\bnot\\s+in\\s*\\(\\s*select\\s+value\\s+from\\s+json_each\\s*\\(\\s*(:\\w+)\\s*"
                           "\\)\\s*\\)"),
            ci),
         QStringLiteral("<> all(\\1)")},
        {RE(QStringLiteral(
                "\\bin\\s*\\(\\s*select\\s+value\\s+from\\s+json_each\\s*\\(\\s*(:\\w+)\\s*\\)\\s*\\)"),
            ci),
         QStringLiteral("= any(\\1)")},
        {RE(QStringLiteral("\\bifnull\\s*\\("), ci), QStringLiteral("coalesce(")},
        {RE(QStringLiteral("\\binstr\\s*\\("), ci), QStringLiteral("strpos(")},
        {RE(QStringLiteral("\\bas\\s+real\\b"), ci), QStringLiteral("as double precision")},
    };
    apply(everywhere);
    if (!ddl) {
        // char(9): the character of that code; in a table definition char(n) is a type.
        static const Rewrites statements{{RE(QStringLiteral("\\bchar\\s*\\("), ci), QStringLiteral("chr(")}};
        apply(statements);
        return s;
    }
    static const Rewrites definitions{
        {RE(QStringLiteral("\\binteger\\s+primary\\s+key(?:\\s+autoincrement)?\\b"), ci),
         QStringLiteral("BIGINT GENERATED BY DEFAULT AS IDENTITY PRIMARY KEY")},
        {RE(QStringLiteral("\\b\\w+(?:\\s*\\(\\s*\\d+\\s*\\))?\\s+collate\\s+nocase\\b"), ci),
         QStringLiteral("CITEXT")},
        {RE(QStringLiteral("\\binteger\\b"), ci), QStringLiteral("BIGINT")},
        {RE(QStringLiteral("\\b(?:real|double|float)\\b(?!\\s+precision)"), ci),
         QStringLiteral("DOUBLE PRECISION")},
        {RE(QStringLiteral("\\bblob\\b"), ci), QStringLiteral("BYTEA")},
        {RE(QStringLiteral("\\bdatetime\\b"), ci), QStringLiteral("TEXT")},
    };
    apply(definitions);
    return s;
}

// The row key goes last, so statements that insert values without naming columns still fill
// the table's own columns in order.
QString withRowKey(const QString& createTable) {
    static const RE keyColumn(
        QStringLiteral("([^\\s,(]+)\\s+BIGINT GENERATED BY DEFAULT AS IDENTITY PRIMARY KEY"));
    const auto m = keyColumn.match(createTable);
    const int close = createTable.lastIndexOf(QLatin1Char(')'));
    if (close < 0)
        return createTable;
    const QString column =
        m.hasMatch()
            ? QStringLiteral(", %1 BIGINT GENERATED ALWAYS AS (%2) STORED").arg(rowKeyColumn(), m.captured(1))
            : QStringLiteral(", %1 BIGINT GENERATED BY DEFAULT AS IDENTITY UNIQUE").arg(rowKeyColumn());
    return createTable.left(close) + column + createTable.mid(close);
}

// The statement cut at its ';' outside literals and quoted names.
QStringList splitStatements(const QString& body) {
    QStringList out;
    QString current;
    for (const Piece& p : pieces(body)) {
        if (p.literal || p.text.startsWith(QLatin1Char('"'))) {
            current += p.text;
            continue;
        }
        const QStringList cut = p.text.split(QLatin1Char(';'));
        for (int i = 0; i < cut.size(); ++i) {
            if (i > 0) {
                out << current.trimmed();
                current.clear();
            }
            current += cut.at(i);
        }
    }
    out << current.trimmed();
    out.removeIf([](const QString& s) { return s.isEmpty(); });
    return out;
}

// A trigger as the local file writes it (WHEN and BEGIN … END around statements, RAISE in a
// select) becomes a trigger function and a trigger; the server runs both in one go.
QString triggerStatement(const QRegularExpressionMatch& m) {
    const QString name = m.captured(1).toLower();
    const QString timing = m.captured(2).isEmpty() ? QStringLiteral("BEFORE") : m.captured(2).toUpper();
    const bool before = timing == QLatin1String("BEFORE");
    const bool deleting = m.captured(3).startsWith(QLatin1String("delete"), Qt::CaseInsensitive);
    static const RE raise(QStringLiteral("^\\s*select\\s+raise\\s*\\(\\s*(ignore|abort|fail|rollback)\\s*"
                                         "(?:,\\s*('(?:[^']|'')*')\\s*)?\\)\\s*$"),
                          ci | RE::DotMatchesEverythingOption);
    static const RE select(QStringLiteral("^\\s*select\\b"), ci);
    QString body;
    for (const QString& statement : splitStatements(m.captured(6))) {
        const auto r = raise.match(statement);
        if (r.hasMatch() && r.captured(1).compare(QLatin1String("ignore"), Qt::CaseInsensitive) == 0)
            body += QStringLiteral("return null; ");
        else if (r.hasMatch())
            body += QStringLiteral("raise exception '%', ") + r.captured(2) + QStringLiteral("; ");
        else
            body += translate(statement).replace(select, QStringLiteral("perform")) + QStringLiteral("; ");
    }
    body += before ? (deleting ? QStringLiteral("return old;") : QStringLiteral("return new;"))
                   : QStringLiteral("return null;");
    const QString function = QLatin1Char('"') + name + QStringLiteral("_trigger\"");
    QString out = QStringLiteral("CREATE OR REPLACE FUNCTION %1() RETURNS trigger LANGUAGE plpgsql AS '"
                                 "begin %2 end'; CREATE TRIGGER \"%3\" %4 %5 ON %6 FOR EACH ROW ")
                      .arg(function, QString(body).replace(QLatin1Char('\''), QStringLiteral("''")), name,
                           timing, translate(m.captured(3)), translate(m.captured(4)));
    if (!m.captured(5).isEmpty())
        out += QStringLiteral("WHEN (") + translate(m.captured(5)) + QStringLiteral(") ");
    return out + QStringLiteral("EXECUTE FUNCTION ") + function + QStringLiteral("()");
}

// The server names a trigger together with its table; the local file by its name alone.
QString dropTriggerStatement(const QString& name, bool ifExists) {
    const QString quoted = QStringLiteral("''") + name.toLower() + QStringLiteral("''");
    return QStringLiteral("DO 'declare r record; found_one boolean := false; begin "
                          "for r in select c.relname from pg_trigger t join pg_class c on c.oid = t.tgrelid "
                          "where t.tgname = %1 and c.relnamespace = current_schema()::regnamespace loop "
                          "execute format(''drop trigger %I on %I'', %1, r.relname); found_one := true; "
                          "end loop; %2 end'")
        .arg(quoted, ifExists
                         ? QString()
                         : QStringLiteral("if not found_one then raise exception ''no such trigger: %'', ") +
                               quoted + QStringLiteral("; end if;"));
}

// The pragmas that have a meaning on the server; any other stays as written and fails there.
QString pragmaStatement(const QString& sqliteSql) {
    static const RE pragma(QStringLiteral("^\\s*pragma\\s+(\\w+)\\s*=\\s*(\\w+)\\s*$"), ci);
    const auto m = pragma.match(sqliteSql);
    if (!m.hasMatch())
        return sqliteSql;
    const QString name = m.captured(1).toLower();
    const QString value = m.captured(2).toLower();
    const bool on =
        value == QLatin1String("1") || value == QLatin1String("on") || value == QLatin1String("true");
    if (name == QLatin1String("query_only"))
        return on ? QStringLiteral("SET SESSION CHARACTERISTICS AS TRANSACTION READ ONLY")
                  : QStringLiteral("SET SESSION CHARACTERISTICS AS TRANSACTION READ WRITE");
    // The server always checks foreign keys; only asking for that is a statement with no effect.
    if (name == QLatin1String("foreign_keys") && on)
        return QStringLiteral("SELECT 1");
    return sqliteSql;
}

// The local file sorts NULL before every value, the server after: each sort key of every ORDER
// BY gets the local file's place for NULL, so "order by 地址 desc" still ends with the empty ones.
QString withLocalNullOrder(const QString& sql) {
    const int n = sql.size();
    // Where literals and quoted names are, so that nothing inside them is read as SQL.
    QVector<bool> quoted(n + 1, false);
    for (int i = 0; i < n; ++i) {
        const QChar c = sql.at(i);
        if (c != QLatin1Char('\'') && c != QLatin1Char('"'))
            continue;
        int j = i + 1;
        while (j < n && !(sql.at(j) == c && (j + 1 >= n || sql.at(j + 1) != c)))
            j += sql.at(j) == c ? 2 : 1;
        for (int k = i; k <= j && k < n; ++k)
            quoted[k] = true;
        i = j;
    }
    static const RE orderBy(QStringLiteral("\\border\\s+by\\b"), ci);
    static const RE clauseEnd(
        QStringLiteral("^(?:limit|offset|for|window|union|except|intersect|rows|range|groups)\\b"), ci);
    static const RE direction(QStringLiteral("\\b(asc|desc)\\s*$"), ci);
    static const RE nulls(QStringLiteral("\\bnulls\\s+(?:first|last)\\s*$"), ci);
    std::vector<std::pair<int, QString>> inserts;
    const auto endTerm = [&](int start, int end) {
        int at = end;
        while (at > start && sql.at(at - 1).isSpace())
            --at;
        const QString term = sql.mid(start, at - start);
        if (term.trimmed().isEmpty() || nulls.match(term).hasMatch())
            return;
        const auto d = direction.match(term);
        const bool descending =
            d.hasMatch() && d.captured(1).compare(QLatin1String("desc"), Qt::CaseInsensitive) == 0;
        inserts.emplace_back(at, descending ? QStringLiteral(" NULLS LAST") : QStringLiteral(" NULLS FIRST"));
    };
    for (auto it = orderBy.globalMatch(sql); it.hasNext();) {
        const auto m = it.next();
        if (quoted.at(m.capturedStart()))
            continue;
        int depth = 0;
        int start = m.capturedEnd();
        int j = start;
        for (; j < n; ++j) {
            if (quoted.at(j))
                continue;
            const QChar c = sql.at(j);
            if (c == QLatin1Char('(')) {
                ++depth;
            } else if (c == QLatin1Char(')')) {
                if (depth == 0)
                    break;
                --depth;
            } else if (depth == 0 && c == QLatin1Char(',')) {
                endTerm(start, j);
                start = j + 1;
            } else if (depth == 0 && c == QLatin1Char(';')) {
                break;
            } else if (depth == 0 &&
                       (j == 0 || !(sql.at(j - 1).isLetterOrNumber() || sql.at(j - 1) == QLatin1Char('_'))) &&
                       clauseEnd.match(QStringView(sql).mid(j)).hasMatch()) {
                break;
            }
        }
        endTerm(start, j);
    }
    QString out = sql;
    std::sort(inserts.begin(), inserts.end(), [](const auto& a, const auto& b) { return a.first > b.first; });
    for (const auto& [at, text] : inserts)
        out.insert(at, text);
    return out;
}

} // namespace

QString translate(const QString& sqliteSql) {
    static const RE trigger(
        QStringLiteral(
            "^\\s*create\\s+(?:temp(?:orary)?\\s+)?trigger\\s+(?:if\\s+not\\s+exists\\s+)?(\\S+)\\s+"
            "(before|after|instead\\s+of)?\\s*(insert|delete|update(?:\\s+of\\s+.+?)?)\\s+on\\s+(\\S+)"
            "(?:\\s+for\\s+each\\s+row)?(?:\\s+when\\s+(.+?))?\\s+begin\\b(.*)\\bend\\s*$"),
        ci | RE::DotMatchesEverythingOption);
    if (const auto m = trigger.match(sqliteSql); m.hasMatch())
        return triggerStatement(m);
    static const RE dropTrigger(
        QStringLiteral("^\\s*drop\\s+trigger\\s+(if\\s+exists\\s+)?\\[?([A-Za-z_]\\w*)\\]?\\s*$"), ci);
    if (const auto m = dropTrigger.match(sqliteSql); m.hasMatch())
        return dropTriggerStatement(m.captured(2), !m.captured(1).isEmpty());
    static const RE pragma(QStringLiteral("^\\s*pragma\\b"), ci);
    if (pragma.match(sqliteSql).hasMatch())
        return pragmaStatement(sqliteSql);

    static const RE createTable(QStringLiteral("^\\s*create\\s+table\\b"), ci);
    static const RE alterTable(QStringLiteral("^\\s*alter\\s+table\\b"), ci);
    const bool create = createTable.match(sqliteSql).hasMatch();
    const bool ddl = create || alterTable.match(sqliteSql).hasMatch();
    QVector<Piece> parts = pieces(sqliteSql);
    rewriteGlob(parts);
    QString out;
    for (const Piece& p : parts)
        out += p.literal ? p.text : rewritePlain(p.text, ddl);
    static const RE asSelect(QStringLiteral("^\\s*create\\s+table\\s+\\S+\\s+as\\b"), ci);
    if (create && !asSelect.match(out).hasMatch())
        out = withRowKey(out);
    return ddl ? out : withLocalNullOrder(out);
}

QString spelling(const QString& fieldName, const QString& statement) {
    if (fieldName != fieldName.toLower())
        return fieldName;
    static const QHash<QString, QString> shipped = [] {
        QHash<QString, QString> names;
        static const RE column(QStringLiteral("^\\s+([A-Za-z_]\\w*)\\s+[A-Za-z]"), RE::MultilineOption);
        for (const QString& statement : ProgramFolder::shippedStatements()) {
            if (!statement.startsWith(QLatin1String("CREATE TABLE"), Qt::CaseInsensitive))
                continue;
            for (auto it = column.globalMatch(statement); it.hasNext();) {
                const QString name = it.next().captured(1);
                names.insert(name.toLower(), name);
            }
        }
        return names;
    }();
    // As the statement writes it (an alias, a column named in the select list) ...
    const RE written(
        QStringLiteral("(?<![:\\w\\[\"'])") + RE::escape(fieldName) + QStringLiteral("(?![\\w\\]\"'])"), ci);
    const auto m = written.match(statement);
    if (m.hasMatch())
        return m.captured(0);
    // ... else as the shipped schema does.
    return shipped.value(fieldName, fieldName);
}

QString inStoredOrder(const QString& select) {
    static const RE order(QStringLiteral("\\border\\s+by\\b"), ci);
    if (order.match(select).hasMatch())
        return select;
    static const RE tail(QStringLiteral("\\s+(limit\\b.*|offset\\b.*)?$"),
                         ci | RE::DotMatchesEverythingOption);
    const auto m = tail.match(select);
    const int at = m.hasMatch() && !m.captured(1).isEmpty() ? m.capturedStart() : select.size();
    return select.left(at) + QStringLiteral(" ORDER BY ") + rowKeyColumn() + QLatin1Char(' ') +
           select.mid(at);
}

QStringList functionStatements() {
    // Bodies are single-quoted (not dollar-quoted) so that no driver mistakes a character of
    // them for a placeholder.
    return {
        QStringLiteral("CREATE EXTENSION IF NOT EXISTS citext SCHEMA public"),
        QStringLiteral("CREATE OR REPLACE FUNCTION ucase(text) RETURNS text LANGUAGE sql IMMUTABLE "
                       "AS 'select upper($1)'"),
        QStringLiteral("CREATE OR REPLACE FUNCTION lcase(text) RETURNS text LANGUAGE sql IMMUTABLE "
                       "AS 'select lower($1)'"),
        QStringLiteral("CREATE OR REPLACE FUNCTION len(text) RETURNS integer LANGUAGE sql IMMUTABLE "
                       "AS 'select char_length($1)'"),
        // The leading number with blanks anywhere skipped; 0 when there is none.
        QStringLiteral(
            "CREATE OR REPLACE FUNCTION val(text) RETURNS double precision LANGUAGE sql IMMUTABLE "
            "AS 'select coalesce(substring(regexp_replace(coalesce($1, ''''), ''[[:space:]]'', '''', "
            "''g'') from ''^[+-]?(?:[0-9]+[.]?[0-9]*|[.][0-9]+)(?:[eE][+-]?[0-9]+)?'')::double "
            "precision, 0)'"),
        QStringLiteral(
            "CREATE OR REPLACE FUNCTION val(double precision) RETURNS double precision LANGUAGE sql "
            "IMMUTABLE AS 'select coalesce($1, 0)'"),
        // Date texts in the forms clerks and the program write, to the stored ISO form; an
        // unreadable date is an error, as it is on the local file.
        QStringLiteral(
            "CREATE OR REPLACE FUNCTION cdate(text) RETURNS text LANGUAGE plpgsql IMMUTABLE AS '"
            "declare m text[]; t text := btrim($1); begin "
            "if t is null then return null; end if; "
            "m := regexp_match(t, ''^([0-9]{4})[-/.年]([0-9]{1,2})[-/.月]([0-9]{1,2})日?"
            "(?:[ T]([0-9]{1,2}):([0-9]{1,2})(?::([0-9]{1,2}))?)?$''); "
            "if m is null then m := regexp_match(t, ''^([0-9]{4})([0-9]{2})([0-9]{2})"
            "(?: ([0-9]{2}):([0-9]{2}):([0-9]{2}))?$''); end if; "
            "if m is null then raise exception ''cdate: 日期格式不正确''; end if; "
            "return to_char(make_timestamp(m[1]::int, m[2]::int, m[3]::int, coalesce(m[4], ''0'')::int, "
            "coalesce(m[5], ''0'')::int, coalesce(m[6], ''0'')::int), ''YYYY-MM-DD HH24:MI:SS''); "
            "end'"),
        // Found before the server's own now() because the store's schema comes first on the path.
        QStringLiteral("CREATE OR REPLACE FUNCTION now() RETURNS text LANGUAGE sql STABLE "
                       "AS 'select to_char(localtimestamp, ''YYYY-MM-DD HH24:MI:SS'')'"),
        QStringLiteral("CREATE OR REPLACE FUNCTION cstr(anyelement) RETURNS text LANGUAGE sql IMMUTABLE "
                       "AS 'select $1::text'"),
        // round() on a double rounds halves to the even neighbour, as the local file does.
        QStringLiteral("CREATE OR REPLACE FUNCTION cint(double precision) RETURNS bigint LANGUAGE sql "
                       "IMMUTABLE AS 'select round($1)::bigint'"),
        QStringLiteral("CREATE OR REPLACE FUNCTION cint(text) RETURNS bigint LANGUAGE sql IMMUTABLE "
                       "AS 'select round(val($1))::bigint'"),
        QStringLiteral("CREATE OR REPLACE FUNCTION clng(double precision) RETURNS bigint LANGUAGE sql "
                       "IMMUTABLE AS 'select round($1)::bigint'"),
        QStringLiteral("CREATE OR REPLACE FUNCTION clng(text) RETURNS bigint LANGUAGE sql IMMUTABLE "
                       "AS 'select round(val($1))::bigint'"),
        QStringLiteral("CREATE OR REPLACE FUNCTION cdbl(double precision) RETURNS double precision "
                       "LANGUAGE sql IMMUTABLE AS 'select $1'"),
        QStringLiteral("CREATE OR REPLACE FUNCTION cdbl(text) RETURNS double precision LANGUAGE sql "
                       "IMMUTABLE AS 'select case when $1 is null then null else val($1) end'"),
        QStringLiteral("CREATE OR REPLACE FUNCTION isnull(anyelement) RETURNS integer LANGUAGE sql "
                       "IMMUTABLE AS 'select case when $1 is null then 1 else 0 end'"),
        QStringLiteral("CREATE OR REPLACE FUNCTION unicode(text) RETURNS integer LANGUAGE sql IMMUTABLE "
                       "AS 'select case when $1 = '''' then null else ascii($1) end'"),
        // group_concat(x [, separator]) joins the group's values that are not null.
        QStringLiteral("CREATE OR REPLACE FUNCTION group_concat_step(text, anyelement, text) RETURNS text "
                       "LANGUAGE sql IMMUTABLE AS 'select case when $2 is null then $1 when $1 is null "
                       "then $2::text else $1 || $3 || $2::text end'"),
        QStringLiteral("CREATE OR REPLACE FUNCTION group_concat_step(text, anyelement) RETURNS text "
                       "LANGUAGE sql IMMUTABLE AS 'select group_concat_step($1, $2, '','')'"),
        QStringLiteral("CREATE OR REPLACE AGGREGATE group_concat(anyelement) "
                       "(SFUNC = group_concat_step, STYPE = text)"),
        QStringLiteral("CREATE OR REPLACE AGGREGATE group_concat(anyelement, text) "
                       "(SFUNC = group_concat_step, STYPE = text)"),
        QStringLiteral("CREATE OR REPLACE FUNCTION mid(text, integer) RETURNS text LANGUAGE sql IMMUTABLE "
                       "AS 'select substr($1, greatest($2, 1))'"),
        QStringLiteral("CREATE OR REPLACE FUNCTION mid(text, integer, integer) RETURNS text LANGUAGE sql "
                       "IMMUTABLE AS 'select case when $3 < 0 then substr($1, greatest($2, 1)) "
                       "else substr($1, greatest($2, 1), $3) end'"),
    };
}

QString resetSequencesStatement() {
    return QStringLiteral("DO 'declare r record; begin "
                          "for r in select table_name, column_name from information_schema.columns "
                          "where table_schema = current_schema() and is_identity = ''YES'' loop "
                          "execute format(''select setval(pg_get_serial_sequence(%L, %L), "
                          "coalesce((select max(%I) from %I), 0) + 1, false)'', "
                          "quote_ident(r.table_name), r.column_name, r.column_name, r.table_name); "
                          "end loop; end'");
}

QString arrayLiteral(const QVariantList& values) {
    QStringList items;
    for (const QVariant& v : values) {
        if (v.isNull()) {
            items << QStringLiteral("NULL");
            continue;
        }
        QString text = v.toString();
        text.replace(QLatin1Char('\\'), QStringLiteral("\\\\"));
        text.replace(QLatin1Char('"'), QStringLiteral("\\\""));
        items << QLatin1Char('"') + text + QLatin1Char('"');
    }
    return QLatin1Char('{') + items.join(QLatin1Char(',')) + QLatin1Char('}');
}

} // namespace core::ServerDialect
