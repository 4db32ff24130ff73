#pragma once
// The child-window identifier of every control, so that tools driving the program from outside
// can find a control with GetDlgItem on its parent: the main window, or the panel (fhelp, Fset,
// Fmore) that holds it.
#include <string_view>

namespace tolvira::win32 {

struct ControlId {
    std::string_view name;
    int id;
};

inline constexpr ControlId kControlIds[] = {
    {"wt", 1001},      {"bclose", 1002},    {"CodeList", 1003}, {"delist", 1004}, {"bp", 1005},
    {"bset", 1006},    {"bhelp", 1007},     {"bend", 1008},     {"fhelp", 1100},  {"Image1", 1101},
    {"Label3", 1102},  {"help", 1103},      {"hs", 1104},       {"Fset", 1200},   {"TCCam", 1201},
    {"restart", 1202}, {"Check1", 1203},    {"Check2", 1204},   {"Check3", 1205}, {"Check4", 1206},
    {"Shape1", 1207},  {"Label2", 1208},    {"o0", 1209},       {"o1", 1210},     {"o2", 1211},
    {"setok", 1212},   {"more", 1213},      {"Fmore", 1300},    {"Label4", 1301}, {"trescan", 1302},
    {"Label5", 1303},  {"tkeydelay", 1304}, {"Label6", 1305},   {"m0", 1306},     {"m1", 1307},
    {"m2", 1308},      {"Label7", 1309},    {"tprefix", 1310},  {"Label8", 1311}, {"tsuffix", 1312},
    {"Label9", 1313},  {"tcamera", 1314},   {"Check5", 1315},   {"Check6", 1316}, {"Label10", 1317},
    {"moreok", 1318},
};

// 0 for a name without an identifier.
constexpr int controlId(std::string_view name) {
    for (const ControlId& entry : kControlIds) {
        if (entry.name == name) return entry.id;
    }
    return 0;
}

}  // namespace tolvira::win32
