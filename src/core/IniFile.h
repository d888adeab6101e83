#pragma once

#include <QHash>
#include <QString>
#include <QStringList>
#include <QVector>

namespace core {

// An INI file with the semantics of Windows private-profile files: section and key names
// compare without regard to letter case, values come back trimmed, a missing key gives the
// caller's default, the order of sections and keys is kept. Reads UTF-8 (with or without BOM)
// or GBK, writes UTF-8 without BOM. Comment lines (';') and lines without '=' are kept as they
// stand. Changes stay in memory until flush(); the destructor flushes too.
class IniFile {
public:
    explicit IniFile(const QString& path);
    ~IniFile();
    IniFile(const IniFile&) = delete;
    IniFile& operator=(const IniFile&) = delete;

    QString fileName() const { return m_path; }

    QString readString(const QString& section, const QString& key, const QString& defaultValue = {}) const;
    int readInteger(const QString& section, const QString& key, int defaultValue) const;
    double readFloat(const QString& section, const QString& key, double defaultValue) const;
    bool readBool(const QString& section, const QString& key, bool defaultValue) const;
    void writeString(const QString& section, const QString& key, const QString& value);
    void writeInteger(const QString& section, const QString& key, int value);

    bool sectionExists(const QString& section) const;
    bool valueExists(const QString& section, const QString& key) const;
    QStringList sections() const;
    QStringList keys(const QString& section) const;
    void eraseSection(const QString& section);
    void deleteKey(const QString& section, const QString& key);

    // Writes the file when something changed; returns false when it cannot be written.
    bool flush();
    // Drops what is in memory and reads the file again.
    void reload();

private:
    struct Entry {
        QString key;
        QString value;
        bool verbatim = false; // a comment or a line without '=', written back unchanged in value
    };
    struct Section {
        QString name;
        QVector<Entry> entries;
        QHash<QString, int> keys; // folded key -> index in entries
    };
    // Look-ups go through the hashes, so a file with many sections and keys, as one from
    // elsewhere may have, reads in time linear in its length.
    int findSection(const QString& name) const;
    int findEntry(const Section& section, const QString& key) const;
    void addSection(const QString& name);
    static void addEntry(Section& section, const QString& key, const QString& value);
    static void reindex(Section& section);
    void parse(const QString& text);
    QString serialise() const;

    QString m_path;
    QStringList m_preamble; // lines before the first section
    QVector<Section> m_sections;
    QHash<QString, int> m_sectionIndex; // folded name -> index in m_sections
    bool m_crlf = false;
    bool m_dirty = false;
};

} // namespace core
