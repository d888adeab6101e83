// INI files: sections, keys, comments, encodings; then every key of every section looked up.
#include "FuzzInput.h"
#include "core/IniFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    core::IniFile ini(fuzzFile(data, size));
    for (const QString& section : ini.sections()) {
        for (const QString& key : ini.keys(section))
            ini.readInteger(section, key, 0);
    }
    return 0;
}
