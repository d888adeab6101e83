#pragma once

namespace core {
class IniFile;
}

namespace entry {

// Where the entry window stood and where its tool bar sat, kept in Config.ini under the
// window's name in upper case.
struct WindowPosition {
    int x = 0;
    int y = 0;
    bool barAtTop = true;

    static WindowPosition load(const core::IniFile& ini);
    // Writes and flushes the file.
    void save(core::IniFile& ini) const;
};

} // namespace entry
