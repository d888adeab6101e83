#pragma once

#include <QHash>
#include <QList>
#include <QString>
#include <QStringView>

namespace recognition {

// The national division table (provinces, prefecture-level cities, county-level divisions with
// their parents, short forms and former names), read once from the shipped regions.tsv, and the
// search for the region a pasted text names.
class RegionTable {
public:
    enum Level { Province = 1, City = 2, County = 3 };
    // How a name was written: full (杭州市), short (杭州) or former (怀柔县).
    enum Form { Full, Short, Former };

    struct Region {
        QString code;
        QString name;
        int parent = -1; // index into regions(), -1 for a province
        int level = 0;
    };

    // One name found in a text, with every division it may stand for.
    struct Mention {
        int start = 0;
        int length = 0;
        QList<QPair<int, Form>> candidates;
        int end() const { return start + length; }
    };

    // The region a text names: the divisions found (-1 where none) and where in the text the
    // names were written (the street follows streetStart). A county name several divisions bear,
    // with nothing else in the text to choose between them (朝阳区 alone), leaves city at -1
    // (province too, unless they share it), county at the first of them and every one in
    // candidates, for the clerk.
    struct Found {
        int province = -1, city = -1, county = -1;
        int start = -1, streetStart = -1;
        QList<int> candidates;
        bool isEmpty() const { return province < 0 && county < 0; }
    };

    // The table shipped with the program, read on first use.
    static const RegionTable& shipped();
    // Reads the rows of a table text; rows that do not fit are skipped and counted.
    static RegionTable fromText(const QString& text, int* skipped = nullptr);

    // The text with the traditional characters of division names in their simplified form, one
    // character for one, so that places found in it are places in the text.
    static QString simplified(QStringView text);

    const QList<Region>& regions() const { return m_regions; }
    bool isEmpty() const { return m_regions.isEmpty(); }
    // Whether ancestor is region itself or one of its parents.
    bool contains(int ancestor, int region) const;
    int ancestorAt(int region, int level) const;
    bool isMunicipality(int province) const;
    // A township, listed only under the units without counties (仙桃市, 东莞市): its name alone
    // says nothing, many counties have one of that name.
    bool isTownship(int region) const { return m_regions.at(region).code.size() > 6; }

    // Every division name written in the text, left to right, the longest name at each place.
    QList<Mention> mentions(QStringView text) const;
    Found find(QStringView text) const;

private:
    void index(const QString& name, int region, Form form);

    QList<Region> m_regions;
    QHash<QString, QList<QPair<int, Form>>> m_names;
    QHash<QChar, quint32> m_lengths; // bit n set: a name of n characters starts with the character
};

} // namespace recognition
