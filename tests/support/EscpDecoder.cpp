#include "EscpDecoder.h"

#include <QStringDecoder>
#include <algorithm>

namespace testing_support {

namespace {

constexpr char ESC = 0x1b;
constexpr char FS = 0x1c;
constexpr int kLineFeed = EscpDecoder::kPerInch / 6; // LF at the power-on spacing of 1/6 inch

int u8(const QByteArray& s, qsizetype i) {
    return static_cast<unsigned char>(s.at(i));
}

// ESC W / ESC w / FS W take 0/1 or the digits '0'/'1'.
int onOff(int n) {
    if (n == 0 || n == '0')
        return 0;
    if (n == 1 || n == '1')
        return 1;
    return -1;
}

} // namespace

bool EscpDecoder::Size::operator==(const Size& o) const {
    return cpi == o.cpi && condensed == o.condensed && doubleWidth == o.doubleWidth &&
           doubleHeight == o.doubleHeight && quadruple == o.quadruple && cnDoubleWidth == o.cnDoubleWidth &&
           cnDoubleHeight == o.cnDoubleHeight;
}

int EscpDecoder::cellWidth(bool chinese, const Size& size) {
    // Pitches of the manuals: 10, 12, 15 cpi; condensed 10 → 17.14 cpi, 12 → 20 cpi, and no
    // condensed form of 15 cpi.
    int w = size.cpi == 12 ? 300 : size.cpi == 15 ? 240 : 360;
    if (size.condensed && size.cpi == 10)
        w = 210;
    else if (size.condensed && size.cpi == 12)
        w = 180;
    if (chinese)
        w *= 2;
    if (size.doubleWidth)
        w *= 2;
    if (chinese && (size.quadruple || size.cnDoubleWidth))
        w *= 2;
    return w;
}

void EscpDecoder::fail(qsizetype at, const QString& what) {
    errors << QStringLiteral("@%1: %2").arg(at).arg(what);
}

void EscpDecoder::flush() {
    if (!m_inRun)
        return;
    QStringDecoder decoder("GB18030");
    m_run.text = decoder.decode(m_runBytes);
    if (decoder.hasError())
        fail(m_run.offset, QStringLiteral("undecodable text"));
    runs << m_run;
    m_inRun = false;
    m_runBytes.clear();
}

void EscpDecoder::moveDown(qsizetype at, qint64 toY) {
    if (toY < m_y)
        fail(at, QStringLiteral("move up the paper from %1 to %2").arg(m_y).arg(toY));
    if (formLength > 0 && toY >= formLength)
        fail(at, QStringLiteral("move to %1 past the form length %2").arg(toY).arg(formLength));
    m_y = std::max(m_y, toY);
}

void EscpDecoder::emitChar(qsizetype at, const QByteArray& bytes, bool chinese) {
    if (m_inRun && m_run.size != m_size)
        flush();
    if (!m_inRun) {
        m_run = Run{};
        m_run.page = m_page;
        m_run.x = int(m_x);
        m_run.y = int(m_y);
        m_run.size = m_size;
        m_run.chineseMode = m_chinese;
        m_run.offset = at;
        m_inRun = true;
    }
    const int w = cellWidth(chinese, m_size);
    m_runBytes += bytes;
    m_run.width += w;
    m_x += w;
}

bool EscpDecoder::decode(const QByteArray& s) {
    const qsizetype n = s.size();
    bool cut = false;
    auto need = [&](qsizetype at, qsizetype count) {
        if (at + count > n) {
            if (!cut)
                fail(at, QStringLiteral("command cut short"));
            cut = true;
            return false;
        }
        return true;
    };
    // Unit of one command: the declared one, else the command's own default.
    auto unit = [&](int fallback) { return m_unit > 0 ? m_unit : fallback; };

    qsizetype i = 0;
    while (i < n) {
        const int c = u8(s, i);
        if (c == ESC || c == FS || c < 0x20) {
            flush();
        }
        if (c == ESC) {
            if (!need(i, 2))
                break;
            const int cmd = u8(s, i + 1);
            switch (cmd) {
            case '@':
                m_unit = 0;
                m_size = Size{};
                m_chinese = false;
                m_x = 0;
                i += 2;
                continue;
            case 'M':
            case 'P':
            case 'g':
                m_size.cpi = cmd == 'M' ? 12 : cmd == 'P' ? 10 : 15;
                i += 2;
                continue;
            case 0x0f:
                m_size.condensed = true;
                i += 2;
                continue;
            case 'W':
            case 'w': {
                if (!need(i, 3))
                    break;
                const int v = onOff(u8(s, i + 2));
                if (v < 0)
                    fail(i, QStringLiteral("ESC %1 with %2").arg(QChar(cmd)).arg(u8(s, i + 2)));
                else if (cmd == 'W')
                    m_size.doubleWidth = v;
                else
                    m_size.doubleHeight = v;
                i += 3;
                continue;
            }
            case '!': {
                if (!need(i, 3))
                    break;
                const int v = u8(s, i + 2);
                m_size.cpi = (v & 1) ? 12 : 10;
                m_size.condensed = v & 4;
                m_size.doubleWidth = v & 32;
                i += 3;
                continue;
            }
            case '$': {
                if (!need(i, 4))
                    break;
                flush();
                m_x = qint64(u8(s, i + 2) + 256 * u8(s, i + 3)) * unit(60);
                i += 4;
                continue;
            }
            case 'J': {
                if (!need(i, 3))
                    break;
                // Always 1/180 inch, whatever unit was declared.
                moveDown(i, m_y + qint64(u8(s, i + 2)) * 20);
                i += 3;
                continue;
            }
            case '(': {
                if (!need(i, 5))
                    break;
                const int sub = u8(s, i + 2);
                const int len = u8(s, i + 3) + 256 * u8(s, i + 4);
                if (!need(i, 5 + len))
                    break;
                const qsizetype p = i + 5;
                if (sub == 'U' && len == 1) {
                    const int m = u8(s, p);
                    if (m == 0 || kPerInch % m != 0)
                        fail(i, QStringLiteral("ESC ( U with %1").arg(m));
                    else
                        m_unit = declaredUnit = m;
                } else if (sub == 'C' && len == 2) {
                    formLength = (u8(s, p) + 256 * u8(s, p + 1)) * unit(10);
                } else if (sub == 'V' && len == 2) {
                    moveDown(i, qint64(u8(s, p) + 256 * u8(s, p + 1)) * unit(10));
                } else {
                    fail(i, QStringLiteral("unknown ESC ( %1 of %2 bytes").arg(QChar(sub)).arg(len));
                }
                i += 5 + len;
                continue;
            }
            default:
                break;
            }
            if (cut)
                break;
            fail(i, QStringLiteral("unknown command ESC 0x%1").arg(cmd, 2, 16, QLatin1Char('0')));
            i += 2;
            continue;
        }
        if (c == FS) {
            if (!need(i, 2))
                break;
            const int cmd = u8(s, i + 1);
            if (cmd == '&' || cmd == '.') {
                m_chinese = cmd == '&';
                i += 2;
            } else if (cmd == 'W' && need(i, 3)) {
                const int v = onOff(u8(s, i + 2));
                if (v < 0)
                    fail(i, QStringLiteral("FS W with %1").arg(u8(s, i + 2)));
                else
                    m_size.quadruple = v;
                i += 3;
            } else if (cmd == '!' && need(i, 3)) {
                const int v = u8(s, i + 2);
                m_size.cnDoubleWidth = v & 4;
                m_size.cnDoubleHeight = v & 8;
                i += 3;
            } else if (cmd == 'W' || cmd == '!') {
                break;
            } else {
                fail(i, QStringLiteral("unknown command FS 0x%1").arg(cmd, 2, 16, QLatin1Char('0')));
                i += 2;
            }
            continue;
        }
        switch (c) {
        case '\r':
            m_x = 0;
            ++i;
            continue;
        case '\n':
            m_x = 0;
            moveDown(i, m_y + kLineFeed);
            ++i;
            continue;
        case '\f':
            ++formFeeds;
            ++m_page;
            m_x = 0;
            m_y = 0;
            ++i;
            continue;
        case 0x0f:
            m_size.condensed = true;
            ++i;
            continue;
        case 0x12:
            m_size.condensed = false;
            ++i;
            continue;
        default:
            break;
        }
        if (c < 0x20 || c == 0x7f) {
            fail(i, QStringLiteral("control byte 0x%1").arg(c, 2, 16, QLatin1Char('0')));
            ++i;
            continue;
        }
        if (c < 0x80) {
            emitChar(i, s.mid(i, 1), false);
            ++i;
            continue;
        }
        // A byte above 0x7f: one character of the Chinese character set, or garbage.
        if (!m_chinese) {
            fail(i, QStringLiteral("byte 0x%1 outside the Chinese character mode")
                        .arg(c, 2, 16, QLatin1Char('0')));
            ++i;
            continue;
        }
        const int b2 = i + 1 < n ? u8(s, i + 1) : -1;
        if (m_charset == Charset::GB2312) {
            if (c >= 0xa1 && c <= 0xf7 && b2 >= 0xa1 && b2 <= 0xfe) {
                emitChar(i, s.mid(i, 2), true);
                i += 2;
            } else {
                fail(i, QStringLiteral("0x%1 0x%2 is no GB2312 character").arg(c, 2, 16).arg(b2, 2, 16));
                i += 1;
            }
            continue;
        }
        if (c <= 0xfe && ((b2 >= 0x40 && b2 <= 0x7e) || (b2 >= 0x80 && b2 <= 0xfe))) {
            emitChar(i, s.mid(i, 2), true);
            i += 2;
        } else if (c <= 0xfe && b2 >= 0x30 && b2 <= 0x39 && i + 3 < n && u8(s, i + 2) >= 0x81 &&
                   u8(s, i + 2) <= 0xfe && u8(s, i + 3) >= 0x30 && u8(s, i + 3) <= 0x39) {
            emitChar(i, s.mid(i, 4), true);
            i += 4;
        } else {
            fail(i, QStringLiteral("0x%1 starts no GB18030 character").arg(c, 2, 16));
            i += 1;
        }
    }
    flush();
    return errors.isEmpty();
}

QVector<EscpDecoder::Run> EscpDecoder::runsOnPage(int page) const {
    QVector<Run> out;
    for (const Run& r : runs)
        if (r.page == page)
            out << r;
    std::stable_sort(out.begin(), out.end(),
                     [](const Run& a, const Run& b) { return a.y != b.y ? a.y < b.y : a.x < b.x; });
    return out;
}

} // namespace testing_support
