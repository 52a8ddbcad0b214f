// libFuzzer target: the INI reader, read back with sections and keys taken
// from its own lines, plus the integer conversion.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "skin/data/quick_ini.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using namespace quorvane;
    MemoryStream stream(data, size);
    TQuickIni ini;
    ini.LoadFromStream(&stream);
    std::vector<std::string> sections;
    ini.GetSectionNames(sections);
    if (sections.size() != ini.Sections().size()) abort();
    int budget = 200;
    for (const std::string& section : sections) {
        const int header = ini.SectionLine(section);
        if (header >= static_cast<int>(ini.Lines().size())) abort();
        for (const std::string& line : ini.Lines()) {
            if (--budget < 0) return 0;
            const size_t equals = line.find('=');
            const std::string key = equals == std::string::npos ? line : line.substr(0, equals);
            ini.ReadString(section, key, "default");
            ini.ReadInteger(section, key, 7);
        }
    }
    int32_t value = 0;
    TryStrToInt32(std::string(reinterpret_cast<const char*>(data), size), value);
    return 0;
}
