#include "engine/zbar/ZbarKinds.h"

#include <array>

namespace tolvira {

namespace {

// ZBar 0.23.92's symbology names. Only those on by default need switching off: UPC-A, UPC-E,
// ISBN-10 and ISBN-13 are reported only through the EAN-13 decoder (and are off by default),
// the EAN-2 and EAN-5 add-ons are off by default. DataMatrix is not ZBar's own: its pass takes
// the same form of switch.
struct ZbarNames {
    CodeKind kind;
    std::array<const char*, 2> names;  // nullptr: none
};
constexpr ZbarNames kZbarNames[] = {
    {CodeKind::EanUpc, {"ean13", "ean8"}},
    {CodeKind::Code128, {"code128", nullptr}},
    {CodeKind::Code39, {"code39", nullptr}},
    {CodeKind::Code93, {"code93", nullptr}},
    {CodeKind::Itf, {"i25", nullptr}},
    {CodeKind::Codabar, {"codabar", nullptr}},
    {CodeKind::DataBar, {"databar", "databar-exp"}},
    {CodeKind::Qr, {"qrcode", nullptr}},
    {CodeKind::SqCode, {"sqcode", nullptr}},
    {CodeKind::DataMatrix, {"datamatrix", nullptr}},
};

}  // namespace

std::vector<std::string> zbarDisableSwitches(CodeKindSet off) {
    std::vector<std::string> switches;
    for (const CodeKindInfo& info : kCodeKinds) {
        if (!off.has(info.kind)) continue;
        for (const ZbarNames& entry : kZbarNames) {
            if (entry.kind != info.kind) continue;
            for (const char* name : entry.names) {
                if (name) switches.push_back(std::string("-S") + name + ".disable");
            }
        }
    }
    return switches;
}

}  // namespace tolvira
