#include "imports/XlsxReader.h"

#include "imports/CellText.h"
#include "imports/SpreadsheetError.h"

#include <QDir>
#include <QHash>
#include <QStringDecoder>
#include <QVarLengthArray>
#include <QXmlStreamReader>
#include <algorithm>
#include <optional>
#include <unordered_set>

namespace imports {

namespace {

QString partFolder(const QString& part) {
    const qsizetype slash = part.lastIndexOf(QLatin1Char('/'));
    return slash < 0 ? QString() : part.left(slash + 1);
}

QString relsOf(const QString& part) {
    const qsizetype slash = part.lastIndexOf(QLatin1Char('/'));
    return part.left(slash + 1) + QStringLiteral("_rels/") + part.mid(slash + 1) + QStringLiteral(".rels");
}

// Relationship targets are relative to the source part's folder, or absolute from the package
// root when they start with '/' (as openpyxl writes them).
QString resolveTarget(const QString& sourcePart, const QString& target) {
    QString path = target.startsWith(QLatin1Char('/')) ? target.mid(1) : partFolder(sourcePart) + target;
    path = QDir::cleanPath(path);
    while (path.startsWith(QLatin1String("../")))
        path = path.mid(3);
    return path;
}

bool endsWithType(const QString& type, QLatin1String name) {
    return type.endsWith(QLatin1Char('/') + name);
}

// "B12" -> column 1 (0-based) and row 11. A part that is missing gives -1; a reference beyond
// the grid (more than XFD, row 1048576) gives false, counted without ever overflowing.
bool parseReference(QStringView ref, int& row, int& column) {
    int c = 0;
    qsizetype i = 0;
    for (; i < ref.size(); ++i) {
        char16_t ch = ref.at(i).unicode();
        if (ch >= u'a' && ch <= u'z')
            ch -= u'a' - u'A';
        else if (ch >= 0x80)
            ch = QChar(ch).toUpper().unicode();
        if (ch < u'A' || ch > u'Z')
            break;
        c = c * 26 + (ch - u'A' + 1);
        if (c > SheetCells::maxColumns)
            return false;
    }
    column = c - 1;
    // Plain digits are what writers put there; anything else takes the general conversion.
    const QStringView digits = ref.mid(i);
    qint64 r = 0;
    bool plain = !digits.isEmpty() && digits.size() <= 9;
    for (qsizetype k = 0; plain && k < digits.size(); ++k) {
        const char16_t d = digits.at(k).unicode();
        plain = d >= u'0' && d <= u'9';
        r = r * 10 + (d - u'0');
    }
    if (!plain) {
        bool ok = false;
        r = digits.toLongLong(&ok);
        if (!ok) {
            row = -1;
            return true;
        }
    }
    if (r > SheetCells::maxRows || r < 0)
        return false;
    row = int(r) - 1;
    return true;
}

[[noreturn]] void xmlFailure(const QString& path, const QString& part, const QXmlStreamReader& xml) {
    throw SpreadsheetError(QStringLiteral("工作簿内容有误（%1，第%2行：%3）：%4")
                               .arg(part)
                               .arg(xml.lineNumber())
                               .arg(xml.errorString(), path));
}

// What the part readers below see of a document: elements opening and closing; texts only
// through elementText().
enum class Token { Start, End, Done };

// The reader for what FastXml declines; it also words the message for a broken part.
class QtXml {
public:
    explicit QtXml(const QByteArray& data) : m_xml(data) {}

    Token next() {
        for (;;) {
            const auto token = m_xml.readNext();
            if (token == QXmlStreamReader::StartElement) {
                m_attributes = m_xml.attributes();
                return Token::Start;
            }
            if (token == QXmlStreamReader::EndElement)
                return Token::End;
            if (m_xml.atEnd())
                return Token::Done;
        }
    }
    QStringView name() const { return m_xml.name(); }
    QStringView attribute(QLatin1String qualifiedName) const { return m_attributes.value(qualifiedName); }
    QString elementText(bool includeChildren) {
        return m_xml.readElementText(includeChildren ? QXmlStreamReader::IncludeChildElements
                                                     : QXmlStreamReader::ErrorOnUnexpectedElement);
    }
    void skipElement() { m_xml.skipCurrentElement(); }
    const QXmlStreamReader& reader() const { return m_xml; }

private:
    QXmlStreamReader m_xml;
    QXmlStreamAttributes m_attributes;
};

// Thrown by FastXml for whatever it does not take on itself; the part is then read again by
// QtXml, so an unusual or broken document gives the same cells or the same message as before.
struct NotHandled {};

bool isXmlSpace(char16_t c) {
    return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r';
}

// A UTF-16 unit of the decoded document that XML allows (surrogates come in pairs from the
// UTF-8 decoder).
bool isRawChar(char16_t c) {
    return c >= 0x20 ? c < 0xFFFE : (c == u'\t' || c == u'\n' || c == u'\r');
}

bool isXmlChar(char32_t c) {
    return c >= 0x20 ? (c < 0xD800 || (c >= 0xE000 && c <= 0xFFFD) || (c >= 0x10000 && c <= 0x10FFFF))
                     : (c == u'\t' || c == u'\n' || c == u'\r');
}

bool isNameStart(char16_t c) {
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || c == u'_';
}

bool isNameChar(char16_t c) {
    return isNameStart(c) || (c >= u'0' && c <= u'9') || c == u'-' || c == u'.';
}

int digitValue(char16_t c, bool hex) {
    if (c >= u'0' && c <= u'9')
        return c - u'0';
    if (hex && c >= u'a' && c <= u'f')
        return c - u'a' + 10;
    if (hex && c >= u'A' && c <= u'F')
        return c - u'A' + 10;
    return -1;
}

// The worksheets and shared strings grow with the data, and QXmlStreamReader spends most of a
// large read on them. This scanner reads them over the decoded document without a string per
// token: well-formed UTF-8 XML with elements, namespace prefixes, attributes, the predefined
// entities, character references, CDATA sections, comments and processing instructions. A
// document type, another encoding, a name beyond ASCII or any fault throws NotHandled. Where
// it reads a document, it gives the texts QXmlStreamReader gives (line ends and attribute
// blanks normalised as XML requires).
class FastXml {
public:
    explicit FastXml(const QByteArray& data) {
        QStringDecoder utf8(QStringDecoder::Utf8);
        m_document = utf8(data);
        if (utf8.hasError())
            throw NotHandled();
        m_p = reinterpret_cast<const char16_t*>(m_document.constData());
        m_end = m_p + m_document.size();
        if (m_p < m_end && *m_p == 0xFEFF)
            ++m_p;
        if (lookingAt(u"<?xml") && m_end - m_p > 5 && isXmlSpace(m_p[5]))
            declaration();
    }

    Token next() {
        for (;;) {
            switch (advance()) {
            case Raw::Start:
                return Token::Start;
            case Raw::End:
                return Token::End;
            case Raw::Done:
                return Token::Done;
            case Raw::Text:
                break;
            }
        }
    }
    // Local name of the element just opened or closed.
    QStringView name() const { return m_name; }
    // Of the element just opened; valid until the next call.
    QStringView attribute(QLatin1String qualifiedName) {
        for (const Attribute& a : m_attributes) {
            if (a.declaration || a.name != qualifiedName)
                continue;
            if (a.plain)
                return a.value;
            m_attributeText.clear();
            decode(m_attributeText, a.value, Mode::Attribute);
            return m_attributeText;
        }
        return {};
    }
    // From just after a start tag to its end tag, which becomes the current token.
    QString elementText(bool includeChildren) {
        QString text;
        int depth = 0;
        for (;;) {
            switch (advance()) {
            case Raw::Text:
                if (m_textPlain && text.isEmpty())
                    text = m_text.toString();
                else if (m_textPlain)
                    text.append(m_text);
                else
                    decode(text, m_text, m_textCdata ? Mode::Cdata : Mode::Text);
                break;
            case Raw::Start:
                if (!includeChildren)
                    throw NotHandled();
                ++depth;
                break;
            case Raw::End:
                if (depth == 0)
                    return text;
                --depth;
                break;
            case Raw::Done:
                throw NotHandled();
            }
        }
    }
    void skipElement() {
        int depth = 1;
        while (depth > 0) {
            const Raw token = advance();
            if (token == Raw::Start)
                ++depth;
            else if (token == Raw::End)
                --depth;
        }
    }

private:
    enum class Raw { Start, End, Text, Done };
    enum class Mode { Text, Cdata, Attribute };
    struct Attribute {
        QStringView name;
        QStringView local; // without the prefix
        QStringView value; // as written, between the quotes
        bool plain;        // nothing to decode or normalise
        bool declaration;  // xmlns or xmlns:prefix
    };
    struct Prefix {
        QStringView name;
        qsizetype depth; // of the element declaring it
    };

    template <qsizetype N> bool lookingAt(const char16_t (&text)[N]) const {
        return m_end - m_p >= N - 1 && std::equal(text, text + N - 1, m_p);
    }

    bool skipSpace() {
        const char16_t* begin = m_p;
        while (m_p < m_end && isXmlSpace(*m_p))
            ++m_p;
        return m_p != begin;
    }

    Raw advance() {
        if (m_selfClosed) {
            m_selfClosed = false;
            close();
            return Raw::End;
        }
        for (;;) {
            if (m_p == m_end) {
                if (!m_open.isEmpty() || !m_rootClosed)
                    throw NotHandled();
                return Raw::Done;
            }
            if (*m_p != u'<') {
                if (!m_open.isEmpty()) {
                    text();
                    return Raw::Text;
                }
                skipSpace();
                if (m_p != m_end && *m_p != u'<')
                    throw NotHandled();
                continue;
            }
            const char16_t second = m_end - m_p > 1 ? m_p[1] : u'\0';
            if (second == u'/') {
                endTag();
                return Raw::End;
            }
            if (second == u'?') {
                instruction();
                continue;
            }
            if (second == u'!') {
                if (lookingAt(u"<!--")) {
                    comment();
                    continue;
                }
                if (!m_open.isEmpty() && lookingAt(u"<![CDATA[")) {
                    cdata();
                    return Raw::Text;
                }
                throw NotHandled();
            }
            startTag();
            return Raw::Start;
        }
    }

    // A name with at most one prefix; local is what follows the prefix.
    QStringView scanName(QStringView& local) {
        const char16_t* begin = m_p;
        const char16_t* localBegin = m_p;
        for (int part = 0; part < 2; ++part) {
            if (m_p == m_end || !isNameStart(*m_p))
                throw NotHandled();
            ++m_p;
            while (m_p < m_end && isNameChar(*m_p))
                ++m_p;
            if (m_p == m_end || *m_p != u':')
                break;
            if (part == 1)
                throw NotHandled();
            localBegin = ++m_p;
        }
        if (m_p < m_end && *m_p >= 0x80)
            throw NotHandled();
        local = QStringView(localBegin, m_p);
        return QStringView(begin, m_p);
    }

    // Leaves p on the ';' and returns the character.
    char32_t entity(const char16_t*& p) const {
        const char16_t* q = p + 1;
        char32_t value = 0;
        if (q < m_end && *q == u'#') {
            ++q;
            const bool hex = q < m_end && *q == u'x';
            if (hex)
                ++q;
            const char16_t* digits = q;
            for (; q < m_end && *q != u';'; ++q) {
                const int d = digitValue(*q, hex);
                if (d < 0)
                    throw NotHandled();
                value = value * (hex ? 16 : 10) + d;
                if (value > 0x10FFFF)
                    throw NotHandled();
            }
            if (q == m_end || q == digits || !isXmlChar(value))
                throw NotHandled();
        } else {
            const char16_t* begin = q;
            while (q < m_end && *q != u';' && q - begin < 5)
                ++q;
            if (q == m_end || *q != u';')
                throw NotHandled();
            const QStringView name(begin, q);
            if (name == u"lt")
                value = u'<';
            else if (name == u"gt")
                value = u'>';
            else if (name == u"amp")
                value = u'&';
            else if (name == u"apos")
                value = u'\'';
            else if (name == u"quot")
                value = u'"';
            else
                throw NotHandled();
        }
        p = q;
        return value;
    }

    void decode(QString& out, QStringView raw, Mode mode) const {
        const char16_t* p = raw.utf16();
        const char16_t* const end = p + raw.size();
        const char16_t* run = p;
        for (; p < end; ++p) {
            const char16_t c = *p;
            if (c > u'&')
                continue;
            if (c == u'&' && mode != Mode::Cdata) {
                out.append(QStringView(run, p));
                const char32_t u = entity(p);
                if (u > 0xFFFF) {
                    out.append(QChar(QChar::highSurrogate(u)));
                    out.append(QChar(QChar::lowSurrogate(u)));
                } else {
                    out.append(QChar(char16_t(u)));
                }
                run = p + 1;
            } else if (c == u'\r') {
                out.append(QStringView(run, p));
                out.append(QChar(mode == Mode::Attribute ? u' ' : u'\n'));
                if (p + 1 < end && p[1] == u'\n')
                    ++p;
                run = p + 1;
            } else if (mode == Mode::Attribute && (c == u'\t' || c == u'\n')) {
                out.append(QStringView(run, p));
                out.append(QChar(u' '));
                run = p + 1;
            }
        }
        out.append(QStringView(run, end));
    }

    void text() {
        const char16_t* begin = m_p;
        bool plain = true;
        for (; m_p < m_end; ++m_p) {
            const char16_t c = *m_p;
            if (c > u']' && c < 0xFFFE)
                continue;
            if (c == u'<')
                break;
            if (c == u'&') {
                entity(m_p);
                plain = false;
            } else if (c == u'\r') {
                plain = false;
            } else if (c == u']') {
                if (m_end - m_p >= 3 && m_p[1] == u']' && m_p[2] == u'>')
                    throw NotHandled();
            } else if (!isRawChar(c)) {
                throw NotHandled();
            }
        }
        m_text = QStringView(begin, m_p);
        m_textPlain = plain;
        m_textCdata = false;
    }

    void cdata() {
        m_p += 9;
        const char16_t* begin = m_p;
        bool plain = true;
        for (;; ++m_p) {
            if (m_end - m_p < 3)
                throw NotHandled();
            const char16_t c = *m_p;
            if (c == u']' && m_p[1] == u']' && m_p[2] == u'>')
                break;
            if (c == u'\r')
                plain = false;
            else if (!isRawChar(c))
                throw NotHandled();
        }
        m_text = QStringView(begin, m_p);
        m_textPlain = plain;
        m_textCdata = true;
        m_p += 3;
    }

    void comment() {
        m_p += 4;
        for (;; ++m_p) {
            if (m_end - m_p < 3)
                throw NotHandled();
            if (m_p[0] == u'-' && m_p[1] == u'-') {
                if (m_p[2] != u'>')
                    throw NotHandled();
                m_p += 3;
                return;
            }
            if (!isRawChar(*m_p))
                throw NotHandled();
        }
    }

    void instruction() {
        m_p += 2;
        QStringView local;
        const QStringView target = scanName(local);
        if (local.size() != target.size() || target.startsWith(QLatin1String("xml"), Qt::CaseInsensitive))
            throw NotHandled();
        if (!lookingAt(u"?>") && !skipSpace())
            throw NotHandled();
        for (;; ++m_p) {
            if (m_end - m_p < 2)
                throw NotHandled();
            if (m_p[0] == u'?' && m_p[1] == u'>') {
                m_p += 2;
                return;
            }
            if (!isRawChar(*m_p))
                throw NotHandled();
        }
    }

    void declaration() {
        m_p += 5;
        attributes();
        if (!lookingAt(u"?>"))
            throw NotHandled();
        m_p += 2;
        const auto& a = m_attributes;
        if (a.isEmpty() || a[0].name != u"version" || a[0].value != u"1.0")
            throw NotHandled();
        qsizetype i = 1;
        if (i < a.size() && a[i].name == u"encoding") {
            if (a[i].value.compare(QLatin1String("utf-8"), Qt::CaseInsensitive) != 0)
                throw NotHandled();
            ++i;
        }
        if (i < a.size() && a[i].name == u"standalone") {
            if (a[i].value != u"yes" && a[i].value != u"no")
                throw NotHandled();
            ++i;
        }
        if (i != a.size())
            throw NotHandled();
        m_attributes.clear();
    }

    // Up to the '>', '/>' or '?>' that ends the tag.
    void attributes() {
        m_attributes.clear();
        for (;;) {
            const bool spaced = skipSpace();
            if (m_p == m_end)
                throw NotHandled();
            if (*m_p == u'>' || *m_p == u'/' || *m_p == u'?')
                return;
            if (!spaced)
                throw NotHandled();
            Attribute a;
            a.name = scanName(a.local);
            skipSpace();
            if (m_p == m_end || *m_p != u'=')
                throw NotHandled();
            ++m_p;
            skipSpace();
            if (m_p == m_end || (*m_p != u'"' && *m_p != u'\''))
                throw NotHandled();
            const char16_t quote = *m_p++;
            const char16_t* begin = m_p;
            a.plain = true;
            for (;; ++m_p) {
                if (m_p == m_end)
                    throw NotHandled();
                const char16_t c = *m_p;
                if (c == quote)
                    break;
                if (c > u'<' && c < 0xFFFE)
                    continue;
                if (c == u'<')
                    throw NotHandled();
                if (c == u'&') {
                    entity(m_p);
                    a.plain = false;
                } else if (c == u'\t' || c == u'\n' || c == u'\r') {
                    a.plain = false;
                } else if (!isRawChar(c)) {
                    throw NotHandled();
                }
            }
            a.value = QStringView(begin, m_p);
            ++m_p;
            a.declaration = a.name.size() >= 5 && a.name.front() == u'x' &&
                            (a.local.size() == a.name.size() ? a.name == u"xmlns"
                                                             : a.name.startsWith(QLatin1String("xmlns:")));
            m_attributes.append(a);
        }
    }

    void checkPrefix(QStringView prefix, bool attribute) const {
        if (attribute && prefix == u"xml")
            return;
        for (qsizetype i = m_prefixes.size() - 1; i >= 0; --i) {
            if (m_prefixes[i].name == prefix)
                return;
        }
        throw NotHandled();
    }

    void startTag() {
        if (m_open.isEmpty() && m_rootClosed)
            throw NotHandled();
        ++m_p;
        QStringView local;
        const QStringView qualified = scanName(local);
        attributes();
        if (*m_p == u'/' && m_end - m_p > 1 && m_p[1] == u'>') {
            m_p += 2;
            m_selfClosed = true;
        } else if (*m_p == u'>') {
            ++m_p;
        } else {
            throw NotHandled();
        }
        const qsizetype depth = m_open.size();
        for (const Attribute& a : m_attributes) {
            if (!a.declaration)
                continue;
            if (!a.plain || a.value == QLatin1String("http://www.w3.org/XML/1998/namespace") ||
                a.value == QLatin1String("http://www.w3.org/2000/xmlns/"))
                throw NotHandled();
            if (a.local.size() == a.name.size())
                continue; // the default namespace
            const QStringView prefix = a.local;
            if (prefix == u"xml" || prefix == u"xmlns" || a.value.isEmpty())
                throw NotHandled();
            m_prefixes.append({prefix, depth});
        }
        if (local.size() != qualified.size())
            checkPrefix(qualified.first(qualified.size() - local.size() - 1), false);
        // Names alike but for the prefix may name the same attribute; those go the long way.
        // Past a few attributes they are hashed, so an element with thousands of them costs no
        // more than its length.
        const bool hashed = m_attributes.size() > 8;
        m_seenNames.clear();
        m_seenLocals.clear();
        for (qsizetype i = 0; i < m_attributes.size(); ++i) {
            const Attribute& a = m_attributes[i];
            const bool prefixed = a.local.size() != a.name.size();
            if (prefixed && !a.declaration)
                checkPrefix(a.name.first(a.name.size() - a.local.size() - 1), true);
            if (hashed) {
                if (!m_seenNames.insert(a.name).second || (prefixed && !m_seenLocals.insert(a.local).second))
                    throw NotHandled();
                continue;
            }
            for (qsizetype j = 0; j < i; ++j) {
                const Attribute& other = m_attributes[j];
                if (other.name == a.name ||
                    (prefixed && other.local.size() != other.name.size() && other.local == a.local))
                    throw NotHandled();
            }
        }
        m_open.append(qualified);
        m_name = local;
    }

    void endTag() {
        m_p += 2;
        QStringView local;
        const QStringView qualified = scanName(local);
        skipSpace();
        if (m_p == m_end || *m_p != u'>')
            throw NotHandled();
        ++m_p;
        if (m_open.isEmpty() || m_open.last() != qualified)
            throw NotHandled();
        m_name = local;
        close();
    }

    void close() {
        m_open.removeLast();
        while (!m_prefixes.isEmpty() && m_prefixes.last().depth >= m_open.size())
            m_prefixes.removeLast();
        if (m_open.isEmpty())
            m_rootClosed = true;
    }

    QString m_document;
    const char16_t* m_p = nullptr;
    const char16_t* m_end = nullptr;
    struct ViewHash {
        size_t operator()(QStringView v) const { return qHash(v); }
    };
    QVarLengthArray<Attribute, 16> m_attributes;
    std::unordered_set<QStringView, ViewHash> m_seenNames;
    std::unordered_set<QStringView, ViewHash> m_seenLocals;
    QVarLengthArray<QStringView, 16> m_open; // qualified names of the open elements
    QVarLengthArray<Prefix, 8> m_prefixes;
    QStringView m_name;
    QStringView m_text;
    bool m_textPlain = true;
    bool m_textCdata = false;
    bool m_selfClosed = false;
    bool m_rootClosed = false;
    QString m_attributeText;
};

// Reads a part with FastXml, or with QtXml where the scanner declines it.
template <class Read>
auto readDocument(const QString& path, const QString& part, const QByteArray& data, Read read) {
    try {
        FastXml xml(data);
        return read(xml);
    } catch (const NotHandled&) {
    }
    QtXml xml(data);
    auto result = read(xml);
    if (xml.reader().hasError())
        xmlFailure(path, part, xml.reader());
    return result;
}

// Text of a <si> or <is> element: its <t> and the <t> of its rich runs, without the phonetic
// guides (<rPh>) that Japanese and Chinese editions add.
template <class Xml> QString stringItem(Xml& xml) {
    QString text;
    int depth = 1;
    int phonetic = 0;
    while (depth > 0) {
        const Token token = xml.next();
        if (token == Token::Done)
            break;
        if (token == Token::Start) {
            ++depth;
            if (xml.name() == u"rPh")
                ++phonetic;
            else if (xml.name() == u"t" && phonetic == 0) {
                text += xml.elementText(true);
                --depth;
            }
        } else {
            --depth;
            if (xml.name() == u"rPh")
                --phonetic;
        }
    }
    return text;
}

// Null when the strings pass what one sheet may hold: no sheet could show them all.
template <class Xml> std::optional<QStringList> sharedStrings(Xml& xml) {
    QStringList strings;
    qint64 text = 0;
    for (Token token = xml.next(); token != Token::Done; token = xml.next()) {
        if (token == Token::Start && xml.name() == u"si") {
            strings.append(stringItem(xml));
            text += strings.last().size();
            if (strings.size() > SheetCells::maxCells || text > SheetCells::maxText)
                return std::nullopt;
        }
    }
    return strings;
}

enum class CellType { Number, Shared, Inline, Text, Boolean, Date };

CellType cellType(QStringView t) {
    if (t == u"s")
        return CellType::Shared;
    if (t == u"inlineStr")
        return CellType::Inline;
    if (t == u"str" || t == u"e")
        return CellType::Text;
    if (t == u"b")
        return CellType::Boolean;
    if (t == u"d")
        return CellType::Date;
    return CellType::Number;
}

struct SheetContext {
    const QStringList& strings;
    const QVector<bool>& dateStyles; // per cell style (cellXfs index)
    bool date1904;
    QString sheet;
    QString path;
};

[[noreturn]] void outsideGrid(const SheetContext& context, QStringView where) {
    throw SpreadsheetError(
        QStringLiteral("工作表“%1”的单元格位置“%2”超出了表格的范围（A1至XFD1048576），无法读取：%3")
            .arg(context.sheet, where.left(32).toString(), context.path));
}

template <class Xml> SheetCells sheetCells(Xml& xml, const SheetContext& context) {
    SheetCells cells;
    int row = -1;
    int column = -1;
    for (Token token = xml.next(); token != Token::Done; token = xml.next()) {
        if (token != Token::Start)
            continue;
        if (xml.name() == u"row") {
            const QStringView r = xml.attribute(QLatin1String("r"));
            bool ok = true;
            const qint64 number = r.isEmpty() ? qint64(row) + 2 : r.toLongLong(&ok);
            if (ok && (number > SheetCells::maxRows || number < 0))
                outsideGrid(context, r.isEmpty() ? QString::number(number) : r.toString());
            row = ok ? int(number) - 1 : -1;
            column = -1;
            continue;
        }
        if (xml.name() != u"c")
            continue;
        const CellType type = cellType(xml.attribute(QLatin1String("t")));
        const int style = xml.attribute(QLatin1String("s")).toInt();
        const QStringView ref = xml.attribute(QLatin1String("r"));
        if (ref.isEmpty()) {
            if (++column >= SheetCells::maxColumns)
                outsideGrid(context, QStringLiteral("第%1列").arg(column + 1));
        } else {
            int refRow = row;
            if (!parseReference(ref, refRow, column))
                outsideGrid(context, ref);
            if (refRow >= 0)
                row = refRow;
        }
        QString value;
        QString inlineText;
        for (Token inner = xml.next(); inner != Token::Done; inner = xml.next()) {
            if (inner == Token::End && xml.name() == u"c")
                break;
            if (inner != Token::Start)
                continue;
            if (xml.name() == u"v")
                value = xml.elementText(false);
            else if (xml.name() == u"is")
                inlineText = stringItem(xml);
            else
                xml.skipElement();
        }
        QString text;
        switch (type) {
        case CellType::Shared:
            text = context.strings.value(value.toInt());
            break;
        case CellType::Inline:
            text = inlineText;
            break;
        case CellType::Text:
            text = value;
            break;
        case CellType::Boolean:
            text = value.isEmpty() ? QString() : CellText::boolean(value.trimmed() == u"1");
            break;
        case CellType::Date:
            text = CellText::isoDateTime(value);
            break;
        case CellType::Number:
            if (!value.isEmpty()) {
                bool ok = false;
                const double number = value.toDouble(&ok);
                if (!ok)
                    text = value;
                else if (style >= 0 && style < context.dateStyles.size() && context.dateStyles.at(style))
                    text = CellText::serialDate(number, context.date1904);
                else
                    text = CellText::number(number);
            }
            break;
        }
        if (row >= 0 && column >= 0 && !cells.set(row, column, text))
            throw SpreadsheetError(SheetCells::tooLargeMessage(context.sheet, context.path));
    }
    return cells;
}

} // namespace

XlsxReader::XlsxReader(const QString& path) : m_zip(path), m_path(path) {
    QString workbookPart;
    for (const Relationship& rel : relationships(QString())) {
        if (endsWithType(rel.type, QLatin1String("officeDocument")))
            workbookPart = rel.target;
    }
    if (workbookPart.isEmpty())
        workbookPart = QStringLiteral("xl/workbook.xml");
    if (!m_zip.contains(workbookPart))
        throw SpreadsheetError(QStringLiteral("文件不是Excel工作簿（缺少工作簿内容）：") + path);
    readWorkbook(workbookPart);
}

QVector<XlsxReader::Relationship> XlsxReader::relationships(const QString& part) const {
    QVector<Relationship> result;
    const QString rels = part.isEmpty() ? QStringLiteral("_rels/.rels") : relsOf(part);
    if (!m_zip.contains(rels))
        return result;
    QXmlStreamReader xml(m_zip.read(rels));
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement || xml.name() != u"Relationship")
            continue;
        const auto a = xml.attributes();
        if (a.value(QLatin1String("TargetMode")) != u"External")
            result.append({a.value(QLatin1String("Id")).toString(), a.value(QLatin1String("Type")).toString(),
                           resolveTarget(part, a.value(QLatin1String("Target")).toString())});
    }
    if (xml.hasError())
        xmlFailure(m_path, rels, xml);
    return result;
}

void XlsxReader::readWorkbook(const QString& part) {
    QHash<QString, QString> targets;
    QString stylesPart;
    QString stringsPart;
    for (const Relationship& rel : relationships(part)) {
        targets.insert(rel.id, rel.target);
        if (endsWithType(rel.type, QLatin1String("styles")))
            stylesPart = rel.target;
        else if (endsWithType(rel.type, QLatin1String("sharedStrings")))
            stringsPart = rel.target;
    }

    QXmlStreamReader xml(m_zip.read(part));
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement)
            continue;
        const auto a = xml.attributes();
        if (xml.name() == u"sheet") {
            QString id;
            for (const auto& attribute : a) {
                if (attribute.name() == u"id" && !attribute.namespaceUri().isEmpty())
                    id = attribute.value().toString();
            }
            m_names.append(a.value(QLatin1String("name")).toString());
            m_sheetParts.append(targets.value(id));
        } else if (xml.name() == u"workbookPr") {
            const auto v = a.value(QLatin1String("date1904"));
            m_date1904 = v == u"1" || v == u"true";
        } else if (xml.name() == u"workbookView" && a.hasAttribute(QLatin1String("activeTab"))) {
            m_active = a.value(QLatin1String("activeTab")).toInt();
        }
    }
    if (xml.hasError())
        xmlFailure(m_path, part, xml);
    if (m_names.isEmpty())
        throw SpreadsheetError(QStringLiteral("工作簿里没有工作表：") + m_path);
    if (m_active < 0 || m_active >= m_names.size())
        m_active = 0;
    if (!stringsPart.isEmpty() && m_zip.contains(stringsPart))
        readSharedStrings(stringsPart);
    if (!stylesPart.isEmpty() && m_zip.contains(stylesPart))
        readStyles(stylesPart);
}

void XlsxReader::readSharedStrings(const QString& part) {
    std::optional<QStringList> strings =
        readDocument(m_path, part, m_zip.read(part), [](auto& xml) { return sharedStrings(xml); });
    if (!strings)
        throw SpreadsheetError(SheetCells::tooLargeMessage(part, m_path));
    m_strings = std::move(*strings);
}

void XlsxReader::readStyles(const QString& part) {
    QHash<int, bool> customDates;
    QXmlStreamReader xml(m_zip.read(part));
    bool inCellXfs = false;
    while (!xml.atEnd()) {
        const auto token = xml.readNext();
        if (token == QXmlStreamReader::EndElement && xml.name() == u"cellXfs")
            inCellXfs = false;
        if (token != QXmlStreamReader::StartElement)
            continue;
        const auto a = xml.attributes();
        if (xml.name() == u"numFmt") {
            customDates.insert(a.value(QLatin1String("numFmtId")).toInt(),
                               CellText::isDateFormatCode(a.value(QLatin1String("formatCode")).toString()));
        } else if (xml.name() == u"cellXfs") {
            inCellXfs = true;
        } else if (inCellXfs && xml.name() == u"xf") {
            const int id = a.value(QLatin1String("numFmtId")).toInt();
            m_dateStyles.append(customDates.contains(id) ? customDates.value(id)
                                                         : CellText::isBuiltinDateFormat(id));
        }
    }
    if (xml.hasError())
        xmlFailure(m_path, part, xml);
}

SheetCells XlsxReader::readSheet(int index) {
    const QString part = m_sheetParts.value(index);
    if (part.isEmpty() || !m_zip.contains(part))
        throw SpreadsheetError(QStringLiteral("工作表“%1”不是数据表（可能是图表页），无法读取：%2")
                                   .arg(m_names.value(index), m_path));
    const SheetContext context{m_strings, m_dateStyles, m_date1904, m_names.value(index), m_path};
    return readDocument(m_path, part, m_zip.read(part),
                        [&context](auto& xml) { return sheetCells(xml, context); });
}

} // namespace imports
