#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QVector>

// Reads a dot-matrix text-mode job the way a 24-pin printer with the Chinese character mode
// would, written from the printers' command reference and not from our encoder, so that a unit
// the encoder declares wrongly shows up as a misplaced value. Positions are in 1/3600 inch: x
// from the left margin, y from the top of the current form. Anything the printer would not
// understand, a move up the paper and bytes that would print as garbage are recorded as errors.
namespace testing_support {

class EscpDecoder {
public:
    static constexpr int kPerInch = 3600;

    enum class Charset { GB2312, GB18030 };

    // What decides the size of a character.
    struct Size {
        int cpi = 10;               // ESC P / ESC M / ESC g
        bool condensed = false;     // SI, ESC SI, ESC ! bit 2
        bool doubleWidth = false;   // ESC W, ESC ! bit 5
        bool doubleHeight = false;  // ESC w
        bool quadruple = false;     // FS W: Chinese characters twice as wide and high
        bool cnDoubleWidth = false; // FS ! bit 2
        bool cnDoubleHeight = false;
        bool operator==(const Size& o) const;
        bool operator!=(const Size& o) const { return !(*this == o); }
    };

    // Characters printed one after another without a move or a change of size between them.
    struct Run {
        int page = 0; // form number from 0
        int x = 0;    // head position of the first character
        int y = 0;
        int width = 0; // advance of the whole run by the cell table
        Size size;
        bool chineseMode = false;
        QString text;
        qsizetype offset = 0; // byte offset of the first character in the stream
    };

    explicit EscpDecoder(Charset charset = Charset::GB18030) : m_charset(charset) {}

    // Decodes a whole job; false when any error was recorded.
    bool decode(const QByteArray& stream);

    QVector<Run> runs;
    QStringList errors;   // "@offset: what"
    int formFeeds = 0;    // FF seen
    int formLength = 0;   // last ESC ( C in 1/3600 inch, 0 when never set
    int declaredUnit = 0; // last ESC ( U in 1/3600 inch, 0 when never declared

    // Advance of one character in 1/3600 inch: ASCII by pitch and condensed, a Chinese
    // character twice that; both doubled by double width, a Chinese one again by FS W / FS !.
    static int cellWidth(bool chinese, const Size& size);
    // Runs joined with the text of one page, top to bottom and left to right.
    QVector<Run> runsOnPage(int page) const;

private:
    void fail(qsizetype at, const QString& what);
    void flush();
    void moveDown(qsizetype at, qint64 toY);
    void emitChar(qsizetype at, const QByteArray& bytes, bool chinese);

    Charset m_charset;
    int m_unit = 0; // declared unit, 0: the commands' own defaults
    int m_page = 0;
    qint64 m_x = 0;
    qint64 m_y = 0;
    Size m_size;
    bool m_chinese = false;
    Run m_run;
    QByteArray m_runBytes;
    bool m_inRun = false;
};

} // namespace testing_support
