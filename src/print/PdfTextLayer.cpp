#include "print/PdfTextLayer.h"

#include <QFile>
#include <QGlyphRun>
#include <QHash>
#include <QMap>
#include <QRegularExpression>
#include <QSaveFile>
#include <QTextLayout>
#include <QtEndian>

#include <algorithm>

namespace print {

namespace {

// Glyph code to text, per font object.
using CodeMap = QMap<quint16, QString>;

struct PdfObject {
    int number = 0;
    qsizetype begin = 0;
    qsizetype end = 0;
};

// The parts of a PDF as the engine writes it: objects listed in one classic xref table.
class PdfFile {
public:
    bool parse(const QByteArray& bytes) {
        m_bytes = bytes;
        const qsizetype start = bytes.lastIndexOf("startxref");
        if (start < 0)
            return false;
        bool ok = false;
        const qsizetype xref =
            bytes.mid(start + 9, 24).trimmed().split('\n').value(0).trimmed().toLongLong(&ok);
        if (!ok || xref <= 0 || xref >= start || !bytes.mid(xref).startsWith("xref"))
            return false;
        m_xref = xref;
        const qsizetype trailer = bytes.indexOf("trailer", xref);
        if (trailer < 0)
            return false;
        m_trailer = bytes.mid(trailer, start - trailer);
        const QList<QByteArray> lines = bytes.mid(xref, trailer - xref).split('\n');
        if (lines.size() < 2)
            return false;
        const QList<QByteArray> head = lines.at(1).simplified().split(' ');
        if (head.size() != 2 || head.at(0) != "0")
            return false;
        const int count = head.at(1).toInt();
        if (count <= 0 || lines.size() < count + 2)
            return false;
        for (int i = 1; i < count; ++i) {
            const QList<QByteArray> entry = lines.at(i + 2).simplified().split(' ');
            if (entry.size() != 3)
                return false;
            if (entry.at(2) != "n")
                continue;
            const qsizetype offset = entry.at(0).toLongLong(&ok);
            if (!ok || offset <= 0 || offset >= xref)
                return false;
            m_objects.append({i, offset, 0});
        }
        std::sort(m_objects.begin(), m_objects.end(),
                  [](const PdfObject& a, const PdfObject& b) { return a.begin < b.begin; });
        for (qsizetype i = 0; i < m_objects.size(); ++i) {
            m_objects[i].end = i + 1 < m_objects.size() ? m_objects.at(i + 1).begin : xref;
            m_index.insert(m_objects.at(i).number, i);
        }
        return !m_objects.isEmpty();
    }

    QByteArray object(int number) const {
        const auto it = m_index.constFind(number);
        if (it == m_index.cend())
            return {};
        // A view into the file's bytes, which outlive it.
        const PdfObject& o = m_objects.at(*it);
        return QByteArray::fromRawData(m_bytes.constData() + o.begin, o.end - o.begin);
    }

    // The dictionary of an object (everything before its stream).
    QByteArray dictionary(int number) const {
        const QByteArray o = object(number);
        const qsizetype s = o.indexOf("stream");
        return s < 0 ? o : o.left(s);
    }

    // The stream of an object, inflated when it is compressed.
    QByteArray stream(int number) const {
        const QByteArray o = object(number);
        const qsizetype s = o.indexOf("stream");
        if (s < 0)
            return {};
        qsizetype dataStart = s + 6;
        if (o.mid(dataStart, 2) == "\r\n")
            dataStart += 2;
        else if (o.at(dataStart) == '\n')
            ++dataStart;
        const QByteArray dict = o.left(s);
        static const QRegularExpression lengthRe(QStringLiteral("/Length (\\d+)( 0 R)?"));
        const QRegularExpressionMatch m = lengthRe.match(QString::fromLatin1(dict));
        if (!m.hasMatch())
            return {};
        qsizetype length = m.captured(1).toLongLong();
        if (!m.captured(2).isEmpty()) {
            const QList<QByteArray> parts = object(int(length)).simplified().split(' ');
            length = parts.size() >= 4 ? parts.at(3).toLongLong() : -1;
        }
        if (length < 0 || dataStart + length > o.size())
            return {};
        const QByteArray data = o.mid(dataStart, length);
        if (!dict.contains("/FlateDecode"))
            return data;
        // qUncompress wants the inflated size first; it grows its buffer when the guess is short.
        QByteArray framed(4, '\0');
        qToBigEndian<quint32>(quint32(qMin<qsizetype>(data.size() * 8 + 1024, 64 << 20)), framed.data());
        return qUncompress(framed + data);
    }

    QList<int> pageContents() const {
        QList<int> contents;
        static const QRegularExpression kidsRe(QStringLiteral("/Kids\\s*\\[([^\\]]*)\\]"));
        static const QRegularExpression refRe(QStringLiteral("(\\d+) 0 R"));
        static const QRegularExpression contentsRe(QStringLiteral("/Contents (\\d+) 0 R"));
        for (const PdfObject& o : m_objects) {
            const QString dict = QString::fromLatin1(dictionary(o.number));
            if (!dict.contains(QLatin1String("/Type /Pages")))
                continue;
            const QRegularExpressionMatch kids = kidsRe.match(dict);
            auto it = refRe.globalMatch(kids.captured(1));
            while (it.hasNext()) {
                const QString page = QString::fromLatin1(dictionary(it.next().captured(1).toInt()));
                const QRegularExpressionMatch c = contentsRe.match(page);
                contents << (c.hasMatch() ? c.captured(1).toInt() : 0);
            }
            break;
        }
        return contents;
    }

    // Type0 font object → its ToUnicode stream object.
    QHash<int, int> toUnicodeObjects() const {
        QHash<int, int> maps;
        static const QRegularExpression toUnicodeRe(QStringLiteral("/ToUnicode (\\d+) 0 R"));
        for (const PdfObject& o : m_objects) {
            const QByteArray dict = dictionary(o.number);
            if (!dict.contains("/Type /Font") || !dict.contains("/Subtype /Type0"))
                continue;
            const QRegularExpressionMatch m = toUnicodeRe.match(QString::fromLatin1(dict));
            if (m.hasMatch())
                maps.insert(o.number, m.captured(1).toInt());
        }
        return maps;
    }

    // The file again with some objects replaced, offsets and cross-reference table made anew.
    QByteArray rebuilt(const QHash<int, QByteArray>& replaced) const {
        QByteArray out = m_bytes.left(m_objects.first().begin);
        QMap<int, qsizetype> offsets;
        for (const PdfObject& o : m_objects) {
            offsets.insert(o.number, out.size());
            const auto r = replaced.constFind(o.number);
            out += r != replaced.cend() ? *r : m_bytes.mid(o.begin, o.end - o.begin);
        }
        const qsizetype xref = out.size();
        const int count = offsets.isEmpty() ? 1 : offsets.lastKey() + 1;
        out += "xref\n0 " + QByteArray::number(count) + "\n0000000000 65535 f \n";
        for (int i = 1; i < count; ++i) {
            const auto it = offsets.constFind(i);
            out += it == offsets.cend() ? QByteArray("0000000000 65535 f \n")
                                        : QByteArray::number(*it).rightJustified(10, '0') + " 00000 n \n";
        }
        out += m_trailer + "startxref\n" + QByteArray::number(xref) + "\n%%EOF\n";
        return out;
    }

private:
    QByteArray m_bytes;
    qsizetype m_xref = 0;
    QByteArray m_trailer;
    QList<PdfObject> m_objects;
    QHash<int, qsizetype> m_index;
};

struct Glyph {
    int font = 0;
    quint16 code = 0;
};

// The glyphs of a page's content, one list per text object (BT … ET), in drawing order. The
// second drawing of a synthesized bold sits in a span with an empty ActualText: it is skipped.
QList<QList<Glyph>> textObjects(const QByteArray& content) {
    QList<QList<Glyph>> objects;
    bool inText = false;
    int spans = 0;
    int font = 0;
    // The two tokens before the current one: operands of Tf and Tj.
    QByteArrayView before2;
    QByteArrayView before1;
    const char* p = content.constData();
    const char* const end = p + content.size();
    const auto blank = [](char c) { return c == ' ' || c == '\n' || c == '\r' || c == '\t'; };
    while (p < end) {
        while (p < end && blank(*p))
            ++p;
        const char* start = p;
        while (p < end && !blank(*p))
            ++p;
        if (p == start)
            break;
        const QByteArrayView t(start, p - start);
        if (t == "BT") {
            inText = true;
            objects.append(QList<Glyph>());
        } else if (t == "ET") {
            inText = false;
        } else if (t == "BDC") {
            ++spans;
        } else if (t == "EMC") {
            spans = qMax(0, spans - 1);
        } else if (t == "Tf" && before2.startsWith("/F")) {
            font = before2.sliced(2).toInt();
        } else if (t == "Tj" && inText && spans == 0 && before1.size() == 6 && before1.startsWith('<') &&
                   before1.endsWith('>')) {
            bool ok = false;
            const uint code = before1.sliced(1, 4).toUInt(&ok, 16);
            if (ok)
                objects.last().append({font, quint16(code)});
        }
        before2 = before1;
        before1 = t;
    }
    return objects;
}

QString fromUtf16Hex(const QByteArray& hex) {
    QString text;
    for (qsizetype i = 0; i + 4 <= hex.size(); i += 4)
        text += QChar(char16_t(hex.mid(i, 4).toUShort(nullptr, 16)));
    return text;
}

QByteArray toUtf16Hex(const QString& text) {
    QByteArray hex;
    for (const QChar c : text)
        hex += QByteArray::number(c.unicode(), 16).rightJustified(4, '0').toUpper();
    return hex;
}

// The engine's map: bfrange lines "<lo> <hi> <dst>" or "<lo> <hi> [<d> …]", and bfchar pairs.
CodeMap parseToUnicode(const QByteArray& cmap) {
    CodeMap map;
    QByteArray spaced = cmap;
    spaced.replace('[', " [ ").replace(']', " ] ");
    const QList<QByteArray> tokens = spaced.simplified().split(' ');
    enum { None, Range, Char } section = None;
    for (qsizetype i = 0; i < tokens.size(); ++i) {
        const QByteArray& t = tokens.at(i);
        const auto hex = [&](qsizetype k) {
            const QByteArray& s = tokens.value(k);
            return s.startsWith('<') && s.endsWith('>') ? s.mid(1, s.size() - 2) : QByteArray();
        };
        if (t == "beginbfrange") {
            section = Range;
        } else if (t == "beginbfchar") {
            section = Char;
        } else if (t == "endbfrange" || t == "endbfchar") {
            section = None;
        } else if (section == Char && t.startsWith('<')) {
            map.insert(quint16(hex(i).toUInt(nullptr, 16)), fromUtf16Hex(hex(i + 1)));
            ++i;
        } else if (section == Range && t.startsWith('<')) {
            const uint lo = hex(i).toUInt(nullptr, 16);
            const uint hi = hex(i + 1).toUInt(nullptr, 16);
            i += 2;
            if (tokens.value(i) == "[") {
                uint code = lo;
                while (++i < tokens.size() && tokens.at(i) != "]")
                    map.insert(quint16(code++), fromUtf16Hex(hex(i)));
            } else {
                const QString first = fromUtf16Hex(hex(i));
                for (uint code = lo; code <= hi && code <= 0xFFFF && !first.isEmpty(); ++code) {
                    QString text = first;
                    text[text.size() - 1] = QChar(char16_t(first.back().unicode() + (code - lo)));
                    map.insert(quint16(code), text);
                }
            }
        }
    }
    return map;
}

// Whether the engine's reading of a glyph fits the character drawn with it: no reading (a glyph
// reached by substitution), the same, blank for blank, or a form the font gives the same glyph to
// and the engine preferred for its lower code point (a radical, a compatibility ideograph).
bool agrees(const QString& engine, uint drawn) {
    if (engine.isEmpty())
        return true;
    const QString text = QString::fromUcs4(reinterpret_cast<const char32_t*>(&drawn), 1);
    if (engine == text)
        return true;
    if (engine.trimmed().isEmpty() && text.trimmed().isEmpty())
        return true;
    const uint e = engine.size() == 1 ? engine.at(0).unicode() : 0;
    if ((e >= 0x2E80 && e <= 0x2FDF) || (e >= 0xF900 && e <= 0xFAFF))
        return true;
    return engine.normalized(QString::NormalizationForm_KC) == text.normalized(QString::NormalizationForm_KC);
}

// The glyphs the engine draws for a text, from shaping it again in the same font.
qsizetype shapedGlyphs(const QString& text, const QFont& font) {
    QTextLayout layout(text, font);
    layout.beginLayout();
    QTextLine line = layout.createLine();
    if (line.isValid())
        line.setLineWidth(1e9);
    layout.endLayout();
    qsizetype count = 0;
    for (const QGlyphRun& run : layout.glyphRuns())
        count += run.glyphIndexes().size();
    return count;
}

QByteArray toUnicodeObject(int number, const CodeMap& map) {
    QByteArray cmap = "/CIDInit /ProcSet findresource begin\n"
                      "12 dict begin\n"
                      "begincmap\n"
                      "/CIDSystemInfo << /Registry (Adobe) /Ordering (UCS) /Supplement 0 >> def\n"
                      "/CMapName /Adobe-Identity-UCS def\n"
                      "/CMapType 2 def\n"
                      "1 begincodespacerange\n"
                      "<0000> <FFFF>\n"
                      "endcodespacerange\n";
    // At most 100 entries a block, as the format asks.
    for (auto it = map.cbegin(); it != map.cend();) {
        QByteArray block;
        int n = 0;
        for (; it != map.cend() && n < 100; ++it, ++n)
            block += '<' + QByteArray::number(it.key(), 16).rightJustified(4, '0').toUpper() + "> <" +
                     toUtf16Hex(it.value()) + ">\n";
        cmap += QByteArray::number(n) + " beginbfchar\n" + block + "endbfchar\n";
    }
    cmap += "endcmap\n"
            "CMapName currentdict /CMap defineresource pop\n"
            "end\n"
            "end\n";
    return QByteArray::number(number) + " 0 obj\n<< /Length " + QByteArray::number(cmap.size()) +
           " >>\nstream\n" + cmap + "\nendstream\nendobj\n";
}

} // namespace

void PdfTextLayer::addText(const QString& text, const QFont& font) {
    if (m_pages.isEmpty())
        beginPage();
    if (text.isEmpty())
        return;
    qsizetype index = m_fonts.size() - 1;
    if (index < 0 || !(m_fonts.at(index) == font)) {
        index = m_fonts.indexOf(font);
        if (index < 0) {
            index = m_fonts.size();
            m_fonts.append(font);
        }
    }
    m_pages.last().append({text, index});
}

bool PdfTextLayer::apply(const QString& path, QString* error) const {
    const auto fail = [&](const QString& why) {
        if (error)
            *error = why;
        return false;
    };
    QFile in(path);
    if (!in.open(QIODevice::ReadOnly))
        return fail(in.errorString());
    PdfFile pdf;
    if (!pdf.parse(in.readAll()))
        return fail(QStringLiteral("not a PDF of the expected form"));
    in.close();

    const QHash<int, int> maps = pdf.toUnicodeObjects();
    QHash<int, CodeMap> engine;
    for (auto it = maps.cbegin(); it != maps.cend(); ++it)
        engine.insert(it.key(), parseToUnicode(pdf.stream(it.value())));

    // Line each page's texts up with its text objects: a text drawn is one or more whole text
    // objects (one per font it falls back to). A page where that does not hold from some text on
    // keeps the engine's reading from there.
    QHash<int, CodeMap> drawn;
    const QList<int> contents = pdf.pageContents();
    for (qsizetype p = 0; p < qMin(contents.size(), m_pages.size()); ++p) {
        const QList<QList<Glyph>> objects = textObjects(pdf.stream(contents.at(p)));
        qsizetype next = 0;
        const auto take = [&](qsizetype count, qsizetype from, QList<Glyph>* glyphs) {
            next = from;
            glyphs->clear();
            while (glyphs->size() < count && next < objects.size())
                *glyphs += objects.at(next++);
            return glyphs->size() == count;
        };
        for (const Drawn& d : m_pages.at(p)) {
            const qsizetype start = next;
            const QList<uint> chars = d.text.toUcs4();
            QList<Glyph> glyphs;
            bool oneForOne = take(chars.size(), start, &glyphs);
            for (qsizetype i = 0; oneForOne && i < chars.size(); ++i)
                oneForOne = agrees(engine.value(glyphs.at(i).font).value(glyphs.at(i).code), chars.at(i));
            if (oneForOne) {
                for (qsizetype i = 0; i < chars.size(); ++i) {
                    CodeMap& map = drawn[glyphs.at(i).font];
                    if (!map.contains(glyphs.at(i).code))
                        map.insert(glyphs.at(i).code,
                                   QString::fromUcs4(reinterpret_cast<const char32_t*>(&chars.at(i)), 1));
                }
            } else if (!take(shapedGlyphs(d.text, m_fonts.at(d.font)), start, &glyphs)) {
                break;
            }
        }
    }
    if (drawn.isEmpty())
        return true;

    QHash<int, QByteArray> replaced;
    for (auto it = drawn.cbegin(); it != drawn.cend(); ++it) {
        const int object = maps.value(it.key());
        if (object == 0)
            continue;
        CodeMap map = engine.value(it.key());
        for (auto d = it.value().cbegin(); d != it.value().cend(); ++d)
            map.insert(d.key(), d.value());
        replaced.insert(object, toUnicodeObject(object, map));
    }
    QSaveFile out(path);
    if (!out.open(QIODevice::WriteOnly))
        return fail(out.errorString());
    out.write(pdf.rebuilt(replaced));
    if (!out.commit())
        return fail(out.errorString());
    return true;
}

} // namespace print
