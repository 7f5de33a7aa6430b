// The three weighting tables read from arbitrary text, with both decimal symbols a system may
// have. A row that cannot be read ends in a message naming file and line.
#include <cstddef>
#include <cstdint>
#include <string>

#include "entities/weight_tables.h"

using namespace tessellon;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    for (const char* decimal : {".", ","}) {
        try {
            (void)ParseItemTable(text, decimal);
        } catch (const TableError&) {
        }
        try {
            (void)ParseGunTable(text, decimal);
        } catch (const TableError&) {
        }
        try {
            (void)ParseNpcTable(text, decimal);
        } catch (const TableError&) {
        }
    }
    return 0;
}
