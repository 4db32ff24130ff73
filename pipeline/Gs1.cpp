#include "pipeline/Gs1.h"

#include <array>
#include <cstdint>

namespace tolvira {

namespace {

// Element strings whose AI begins with these two digits have a predefined length (AI and data
// together), so no FNC1 follows them: the GS1 General Specifications' table of predefined
// lengths. 03, 04, 14, 18 and 19 are reserved but keep their lengths.
struct Predefined {
    char prefix[3];
    uint8_t aiLength;
    uint8_t totalLength;
};
constexpr std::array<Predefined, 22> kPredefined{{
    {"00", 2, 20}, {"01", 2, 16}, {"02", 2, 16}, {"03", 2, 16}, {"04", 2, 18}, {"11", 2, 8},
    {"12", 2, 8},  {"13", 2, 8},  {"14", 2, 8},  {"15", 2, 8},  {"16", 2, 8},  {"17", 2, 8},
    {"18", 2, 8},  {"19", 2, 8},  {"20", 2, 4},  {"31", 4, 10}, {"32", 4, 10}, {"33", 4, 10},
    {"34", 4, 10}, {"35", 4, 10}, {"36", 4, 10}, {"41", 3, 16},
}};
// The reserved prefixes have no AI yet: a code using one is not valid GS1.
constexpr std::string_view kReserved[] = {"03", "04", "14", "18", "19"};

// AIs of other prefixes, with their data's shortest and longest length. An entry's `ai` is
// matched against the code's first `aiLength` digits; a shorter `ai` stands for every AI it
// begins (3910 to 3919 for "391").
struct VariableAi {
    const char* ai;
    uint8_t aiLength;
    uint8_t minData;
    uint8_t maxData;
    bool numeric;
};
constexpr VariableAi kVariable[] = {
    {"10", 2, 1, 20, false},   {"21", 2, 1, 20, false},   {"22", 2, 1, 20, false},
    {"235", 3, 1, 28, false},  {"240", 3, 1, 30, false},  {"241", 3, 1, 30, false},
    {"242", 3, 1, 6, true},    {"243", 3, 1, 20, false},  {"250", 3, 1, 30, false},
    {"251", 3, 1, 30, false},  {"253", 3, 14, 30, false}, {"254", 3, 1, 20, false},
    {"255", 3, 14, 25, true},  {"30", 2, 1, 8, true},     {"37", 2, 1, 8, true},
    {"390", 4, 1, 15, true},   {"391", 4, 4, 18, true},   {"392", 4, 1, 15, true},
    {"393", 4, 4, 18, true},   {"394", 4, 4, 4, true},    {"395", 4, 6, 6, true},
    {"400", 3, 1, 30, false},  {"401", 3, 1, 30, false},  {"402", 3, 17, 17, true},
    {"403", 3, 1, 30, false},  {"420", 3, 1, 20, false},  {"421", 3, 4, 12, false},
    {"422", 3, 3, 3, true},    {"423", 3, 4, 15, true},   {"424", 3, 3, 3, true},
    {"425", 3, 3, 15, true},   {"426", 3, 3, 3, true},    {"427", 3, 1, 3, false},
    {"4300", 4, 1, 35, false}, {"4301", 4, 1, 35, false}, {"4302", 4, 1, 70, false},
    {"4303", 4, 1, 70, false}, {"4304", 4, 1, 70, false}, {"4305", 4, 1, 70, false},
    {"4306", 4, 1, 70, false}, {"4307", 4, 2, 2, false},  {"4308", 4, 1, 30, false},
    {"4309", 4, 20, 20, true}, {"4310", 4, 1, 35, false}, {"4311", 4, 1, 35, false},
    {"4312", 4, 1, 70, false}, {"4313", 4, 1, 70, false}, {"4314", 4, 1, 70, false},
    {"4315", 4, 1, 70, false}, {"4316", 4, 1, 70, false}, {"4317", 4, 2, 2, false},
    {"4318", 4, 1, 20, false}, {"4319", 4, 1, 30, false}, {"4320", 4, 1, 35, false},
    {"4321", 4, 1, 1, true},   {"4322", 4, 1, 1, true},   {"4323", 4, 1, 1, true},
    {"4324", 4, 10, 10, true}, {"4325", 4, 10, 10, true}, {"4326", 4, 6, 6, true},
    {"4330", 4, 6, 7, false},  {"4331", 4, 6, 7, false},  {"4332", 4, 6, 7, false},
    {"4333", 4, 6, 7, false},  {"7001", 4, 13, 13, true}, {"7002", 4, 1, 30, false},
    {"7003", 4, 10, 10, true}, {"7004", 4, 1, 4, true},   {"7005", 4, 1, 12, false},
    {"7006", 4, 6, 6, true},   {"7007", 4, 6, 12, true},  {"7008", 4, 1, 3, false},
    {"7009", 4, 1, 10, false}, {"7010", 4, 1, 2, false},  {"7011", 4, 4, 10, false},
    {"7020", 4, 1, 20, false}, {"7021", 4, 1, 20, false}, {"7022", 4, 1, 20, false},
    {"7023", 4, 1, 30, false}, {"7040", 4, 4, 4, false},  {"703", 4, 4, 30, false},
    {"710", 3, 1, 20, false},  {"711", 3, 1, 20, false},  {"712", 3, 1, 20, false},
    {"713", 3, 1, 20, false},  {"714", 3, 1, 20, false},  {"715", 3, 1, 20, false},
    {"716", 3, 1, 20, false},  {"723", 4, 3, 30, false},  {"7240", 4, 1, 20, false},
    {"7241", 4, 2, 2, true},   {"7242", 4, 1, 25, false}, {"7250", 4, 8, 8, true},
    {"7251", 4, 12, 12, true}, {"7252", 4, 1, 1, true},   {"7253", 4, 1, 40, false},
    {"7254", 4, 1, 40, false}, {"7255", 4, 1, 10, false}, {"7256", 4, 1, 90, false},
    {"7257", 4, 1, 70, false}, {"7258", 4, 3, 3, false},  {"7259", 4, 1, 40, false},
    {"8001", 4, 14, 14, true}, {"8002", 4, 1, 20, false}, {"8003", 4, 14, 30, false},
    {"8004", 4, 1, 30, false}, {"8005", 4, 6, 6, true},   {"8006", 4, 18, 18, true},
    {"8007", 4, 1, 34, false}, {"8008", 4, 9, 12, true},  {"8009", 4, 1, 50, false},
    {"8010", 4, 1, 30, false}, {"8011", 4, 1, 12, true},  {"8012", 4, 1, 20, false},
    {"8013", 4, 1, 25, false}, {"8014", 4, 1, 25, false}, {"8017", 4, 18, 18, true},
    {"8018", 4, 18, 18, true}, {"8019", 4, 1, 10, true},  {"8020", 4, 1, 25, false},
    {"8026", 4, 18, 18, true}, {"8030", 4, 1, 90, false}, {"8110", 4, 1, 70, false},
    {"8111", 4, 4, 4, true},   {"8112", 4, 1, 70, false}, {"8200", 4, 1, 70, false},
    {"90", 2, 1, 30, false},   {"91", 2, 1, 90, false},   {"92", 2, 1, 90, false},
    {"93", 2, 1, 90, false},   {"94", 2, 1, 90, false},   {"95", 2, 1, 90, false},
    {"96", 2, 1, 90, false},   {"97", 2, 1, 90, false},   {"98", 2, 1, 90, false},
    {"99", 2, 1, 90, false},
};

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// GS1's character set 82, the characters an AI's data may hold.
bool isGs1Character(char c) {
    if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || isDigit(c)) return true;
    return std::string_view("!\"%&'()*+,-./:;<=>?_").find(c) != std::string_view::npos;
}

struct Field {
    size_t aiLength;
    size_t minData;
    size_t maxData;
    bool numeric;
    bool predefined;  // no FNC1 follows
};

std::optional<Field> fieldAt(std::string_view text) {
    if (text.size() < 2 || !isDigit(text[0]) || !isDigit(text[1])) return std::nullopt;
    const std::string_view prefix = text.substr(0, 2);
    for (std::string_view reserved : kReserved) {
        if (prefix == reserved) return std::nullopt;
    }
    for (const Predefined& p : kPredefined) {
        if (prefix != p.prefix) continue;
        const size_t data = p.totalLength - p.aiLength;
        return Field{p.aiLength, data, data, true, true};
    }
    for (const VariableAi& v : kVariable) {
        const std::string_view ai(v.ai);
        if (text.size() < v.aiLength || !text.starts_with(ai)) continue;
        for (size_t i = ai.size(); i < v.aiLength; ++i) {
            if (!isDigit(text[i])) return std::nullopt;
        }
        return Field{v.aiLength, v.minData, v.maxData, v.numeric, false};
    }
    return std::nullopt;
}

}  // namespace

std::optional<std::string> gs1Bracketed(std::string_view text) {
    if (text.starts_with(kGroupSeparator)) text.remove_prefix(1);
    if (text.empty()) return std::nullopt;
    std::string out;
    size_t pos = 0;
    while (pos < text.size()) {
        const std::optional<Field> field = fieldAt(text.substr(pos));
        if (!field) return std::nullopt;
        const std::string_view ai = text.substr(pos, field->aiLength);
        pos += field->aiLength;
        size_t end;
        if (field->predefined) {
            end = pos + field->maxData;
            if (end > text.size()) return std::nullopt;
        } else {
            end = text.find(kGroupSeparator, pos);
            if (end == std::string_view::npos) end = text.size();
        }
        const std::string_view data = text.substr(pos, end - pos);
        if (data.size() < field->minData || data.size() > field->maxData) return std::nullopt;
        for (char c : data) {
            if (field->numeric ? !isDigit(c) : !isGs1Character(c)) return std::nullopt;
        }
        out += '(';
        out += ai;
        out += ')';
        out += data;
        pos = end;
        // The separator after a field: needed after a variable one, allowed after any, but
        // never last.
        if (pos < text.size() && text[pos] == kGroupSeparator) {
            if (++pos == text.size()) return std::nullopt;
        }
    }
    return out;
}

std::string gs1Typed(std::string_view code, bool markedGs1, const Gs1Output& output) {
    const bool holdsSeparator = code.find(kGroupSeparator) != std::string_view::npos;
    switch (output.style) {
        case Gs1Style::Unchanged:
            break;
        case Gs1Style::Bracketed:
            if (markedGs1 || holdsSeparator) {
                if (std::optional<std::string> bracketed = gs1Bracketed(code)) return *bracketed;
            }
            break;
        case Gs1Style::Replaced: {
            if (code.starts_with(kGroupSeparator)) code.remove_prefix(1);
            std::string text;
            for (char c : code) {
                if (c == kGroupSeparator) {
                    text += output.separator;
                } else {
                    text += c;
                }
            }
            return text;
        }
    }
    return std::string(code);
}

}  // namespace tolvira
