#pragma once
// The kinds of code the engine reads, each of which the user can switch off. Stored as the ids
// of the kinds switched off, comma-separated ("code39,codabar"); empty, the default, reads every
// kind. A kind added later is then on for every user, and an id no longer known is ignored.
#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace tolvira {

enum class CodeKind : uint8_t {
    EanUpc,
    Code128,
    Code39,
    Code93,
    Itf,
    Codabar,
    DataBar,
    Qr,
    SqCode,
    DataMatrix,
};

struct CodeKindInfo {
    CodeKind kind;
    const char* id;       // in the stored text
    const char* caption;  // on its check box
};

inline constexpr std::array<CodeKindInfo, 10> kCodeKinds{{
    {CodeKind::EanUpc, "ean", "EAN/UPC"},
    {CodeKind::Code128, "code128", "Code 128"},
    {CodeKind::Code39, "code39", "Code 39"},
    {CodeKind::Code93, "code93", "Code 93"},
    {CodeKind::Itf, "itf", "ITF"},
    {CodeKind::Codabar, "codabar", "Codabar"},
    {CodeKind::DataBar, "databar", "DataBar"},
    {CodeKind::Qr, "qr", "QR"},
    {CodeKind::SqCode, "sqcode", "SQ Code"},
    {CodeKind::DataMatrix, "datamatrix", "DataMatrix"},
}};

// A set of kinds, one bit per CodeKind.
class CodeKindSet {
  public:
    bool has(CodeKind kind) const { return (bits_ & bit(kind)) != 0; }
    void set(CodeKind kind, bool in) { bits_ = in ? bits_ | bit(kind) : bits_ & ~bit(kind); }
    bool empty() const { return bits_ == 0; }
    bool operator==(const CodeKindSet&) const = default;

  private:
    static uint32_t bit(CodeKind kind) { return 1u << static_cast<unsigned>(kind); }
    uint32_t bits_ = 0;
};

// "code39,codabar" in the table's order, for the stored option.
inline std::string offKindsText(CodeKindSet off) {
    std::string text;
    for (const CodeKindInfo& info : kCodeKinds) {
        if (!off.has(info.kind)) continue;
        if (!text.empty()) text += ',';
        text += info.id;
    }
    return text;
}

// The stored option back; unknown ids, spaces around ids and empty items are ignored.
inline CodeKindSet offKindsFromText(std::string_view text) {
    CodeKindSet off;
    while (!text.empty()) {
        const size_t comma = text.find(',');
        std::string_view id = text.substr(0, comma);
        text = comma == std::string_view::npos ? std::string_view() : text.substr(comma + 1);
        while (!id.empty() && id.front() == ' ') id.remove_prefix(1);
        while (!id.empty() && id.back() == ' ') id.remove_suffix(1);
        for (const CodeKindInfo& info : kCodeKinds) {
            if (id == info.id) off.set(info.kind, true);
        }
    }
    return off;
}

}  // namespace tolvira
