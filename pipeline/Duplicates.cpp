#include "pipeline/Duplicates.h"

#include <algorithm>
#include <cstdio>
#include <memory>

namespace tolvira {

namespace {

// Packed so the table stays small: a million codes must fit in a few tens of megabytes.
uint64_t packTime(const LocalTime& t) {
    uint64_t v = static_cast<uint16_t>(t.year);
    v = v * 16 + static_cast<uint64_t>(t.month & 15);
    v = v * 32 + static_cast<uint64_t>(t.day & 31);
    v = v * 32 + static_cast<uint64_t>(t.hour & 31);
    v = v * 64 + static_cast<uint64_t>(t.minute & 63);
    v = v * 64 + static_cast<uint64_t>(t.second & 63);
    return v * 1024 + static_cast<uint64_t>(t.millisecond & 1023);
}

LocalTime unpackTime(uint64_t v) {
    LocalTime t;
    t.millisecond = static_cast<int>(v % 1024), v /= 1024;
    t.second = static_cast<int>(v % 64), v /= 64;
    t.minute = static_cast<int>(v % 64), v /= 64;
    t.hour = static_cast<int>(v % 32), v /= 32;
    t.day = static_cast<int>(v % 32), v /= 32;
    t.month = static_cast<int>(v % 16), v /= 16;
    t.year = static_cast<int>(v);
    return t;
}

uint64_t hashOf(std::string_view text) {
    uint64_t h = 0xcbf29ce484222325ull;  // FNV-1a, then a final mix so the low bits spread
    for (unsigned char c : text) h = (h ^ c) * 0x100000001b3ull;
    h ^= h >> 33;
    h *= 0xff51afd7ed558ccdull;
    h ^= h >> 33;
    return h;
}

}  // namespace

std::optional<LocalTime> SeenCodes::check(std::string_view code) const {
    if (slots_.empty()) return std::nullopt;
    const uint32_t index = slots_[slotFor(code, hashOf(code))];
    if (index == kEmpty) return std::nullopt;
    return unpackTime(entries_[index].time);
}

void SeenCodes::add(std::string_view code, const LocalTime& time) {
    // Offsets are 32-bit: past 4 GiB of code text nothing more is kept.
    if (text_.size() + code.size() > UINT32_MAX) return;
    if ((entries_.size() + 1) * 2 > slots_.size()) grow();
    const uint64_t hash = hashOf(code);
    uint32_t& slot = slots_[slotFor(code, hash)];
    if (slot != kEmpty) return;
    slot = static_cast<uint32_t>(entries_.size());
    entries_.push_back({packTime(time), hash, static_cast<uint32_t>(text_.size()),
                        static_cast<uint32_t>(code.size())});
    text_.append(code);
}

void SeenCodes::takeHistory(SeenCodes&& history) {
    SeenCodes thisRun = std::move(*this);
    *this = std::move(history);
    for (const Entry& entry : thisRun.entries_) {
        add(thisRun.textOf(entry), unpackTime(entry.time));
    }
}

void SeenCodes::reserve(size_t codes, size_t textBytes) {
    text_.reserve(textBytes);
    entries_.reserve(codes);
    size_t slots = 64;
    while (slots < codes * 2) slots *= 2;
    if (slots > slots_.size()) {
        slots_.resize(slots);
        rehash();
    }
}

void SeenCodes::shrinkToFit() {
    text_.shrink_to_fit();
    entries_.shrink_to_fit();
}

size_t SeenCodes::memoryUse() const {
    return text_.capacity() + entries_.capacity() * sizeof(Entry) +
           slots_.capacity() * sizeof(uint32_t);
}

size_t SeenCodes::slotFor(std::string_view code, uint64_t hash) const {
    const size_t mask = slots_.size() - 1;
    for (size_t i = hash & mask;; i = (i + 1) & mask) {
        const uint32_t index = slots_[i];
        if (index == kEmpty) return i;
        const Entry& entry = entries_[index];
        if (entry.hash == hash && textOf(entry) == code) return i;
    }
}

void SeenCodes::grow() {
    slots_.resize(slots_.empty() ? 64 : slots_.size() * 2);
    rehash();
}

void SeenCodes::rehash() {
    std::fill(slots_.begin(), slots_.end(), kEmpty);
    const size_t mask = slots_.size() - 1;
    for (uint32_t index = 0; index < entries_.size(); ++index) {
        size_t i = entries_[index].hash & mask;
        while (slots_[i] != kEmpty) i = (i + 1) & mask;
        slots_[i] = index;
    }
}

namespace {

// Reads history.csv's records as RFC 4180 says, without copying a field unless it holds a
// doubled quote.
class CsvReader {
  public:
    explicit CsvReader(std::string_view csv) : csv_(csv) {
        if (csv_.starts_with(kUtf8ByteOrderMarkText)) pos_ = 3;
    }

    bool atEnd() const { return pos_ >= csv_.size(); }

    // The next record's fields (at most four kept); false when the record is incomplete.
    bool next(std::string_view (&fields)[4], size_t& count) {
        count = 0;
        for (;;) {
            std::string_view field;
            if (!readField(count < 4 ? &scratch_[count] : nullptr, field)) return false;
            if (count < 4) fields[count] = field;
            ++count;
            if (pos_ >= csv_.size()) return true;
            const char c = csv_[pos_++];
            if (c == ',') continue;
            if (c == '\r' && pos_ < csv_.size() && csv_[pos_] == '\n') ++pos_;
            return true;
        }
    }

  private:
    static constexpr std::string_view kUtf8ByteOrderMarkText = "\xEF\xBB\xBF";

    bool readField(std::string* scratch, std::string_view& field) {
        if (pos_ >= csv_.size() || csv_[pos_] != '"') {
            const size_t stop = fieldEnd(pos_);
            field = csv_.substr(pos_, stop - pos_);
            pos_ = stop;
            return true;
        }
        ++pos_;
        size_t start = pos_;
        bool copied = false;
        for (;;) {
            const size_t quote = csv_.find('"', pos_);
            if (quote == std::string_view::npos) {
                pos_ = csv_.size();
                return false;
            }
            const bool doubled = quote + 1 < csv_.size() && csv_[quote + 1] == '"';
            if (!doubled && !copied) {
                field = csv_.substr(start, quote - start);
                pos_ = quote + 1;
                return skipToFieldEnd();
            }
            if (scratch) {
                if (!copied) scratch->clear();
                scratch->append(csv_.substr(start, quote - start));
                if (doubled) *scratch += '"';
            }
            copied = true;
            pos_ = quote + (doubled ? 2 : 1);
            start = pos_;
            if (!doubled) {
                field = scratch ? std::string_view(*scratch) : std::string_view();
                return skipToFieldEnd();
            }
        }
    }

    // Text after a closing quote is not RFC 4180; it is dropped up to the field's end.
    bool skipToFieldEnd() {
        pos_ = fieldEnd(pos_);
        return true;
    }

    size_t fieldEnd(size_t from) const {
        while (from < csv_.size() && csv_[from] != ',' && csv_[from] != '\r' &&
               csv_[from] != '\n') {
            ++from;
        }
        return from;
    }

    std::string_view csv_;
    size_t pos_ = 0;
    std::string scratch_[4];
};

bool readNumber(std::string_view text, size_t at, size_t digits, int& value) {
    value = 0;
    for (size_t i = at; i < at + digits; ++i) {
        if (text[i] < '0' || text[i] > '9') return false;
        value = value * 10 + (text[i] - '0');
    }
    return true;
}

// "2026-12-08 14:03:27.120", as timeStamp() writes it; the milliseconds may be missing.
std::optional<LocalTime> readTimeStamp(std::string_view text) {
    if (text.size() != 23 && text.size() != 19) return std::nullopt;
    if (text[4] != '-' || text[7] != '-' || text[10] != ' ' || text[13] != ':' || text[16] != ':' ||
        (text.size() == 23 && text[19] != '.')) {
        return std::nullopt;
    }
    LocalTime t;
    const bool digits = readNumber(text, 0, 4, t.year) && readNumber(text, 5, 2, t.month) &&
                        readNumber(text, 8, 2, t.day) && readNumber(text, 11, 2, t.hour) &&
                        readNumber(text, 14, 2, t.minute) && readNumber(text, 17, 2, t.second) &&
                        (text.size() == 19 || readNumber(text, 20, 3, t.millisecond));
    if (!digits || t.month < 1 || t.month > 12 || t.day < 1 || t.day > 31 || t.hour > 23 ||
        t.minute > 59 || t.second > 60) {
        return std::nullopt;
    }
    return t;
}

// The log puts an apostrophe before a code a spreadsheet would take for a formula.
std::string_view withoutFormulaGuard(std::string_view code) {
    if (code.size() >= 2 && code[0] == '\'' &&
        std::string_view("=+-@\t\r").find(code[1]) != std::string_view::npos) {
        code.remove_prefix(1);
    }
    return code;
}

}  // namespace

SeenCodes seenCodesFromHistory(std::string_view csv) {
    csv = csv.substr(0, csv.rfind('\n') + 1);
    SeenCodes seen;
    // Every record takes a line, and a code is shorter than its record.
    const size_t lines = static_cast<size_t>(std::count(csv.begin(), csv.end(), '\n')) + 1;
    seen.reserve(lines, csv.size() - std::min(csv.size(), lines * 40));
    CsvReader reader(csv);
    std::string_view fields[4];
    size_t count = 0;
    while (!reader.atEnd()) {
        if (!reader.next(fields, count)) break;
        if (count < 4) continue;
        const std::optional<LocalTime> time = readTimeStamp(fields[0]);
        if (!time) continue;
        seen.add(withoutFormulaGuard(fields[3]), *time);
    }
    seen.shrinkToFit();
    return seen;
}

std::optional<SeenCodes> readSeenCodes(Files& files, const std::string& path) {
    if (!files.exists(path)) return SeenCodes();
    const std::optional<FileInfo> info = files.info(path);
    if (!info) return std::nullopt;
    const std::optional<Bytes> bytes = files.read(path, 0, info->size);
    if (!bytes) return std::nullopt;
    return seenCodesFromHistory(*bytes);
}

std::string duplicateListText(std::string_view code, const LocalTime& t) {
    char when[32];
    std::snprintf(when, sizeof when, "%04d-%02d-%02d %02d:%02d", t.year, t.month, t.day, t.hour,
                  t.minute);
    return "[重复] " + std::string(code) + " 首次 " + when;
}

std::optional<LocalTime> DuplicateCheck::firstSeen(std::string_view code) {
    if (options_.duplicates == DuplicateRule::Allow) return std::nullopt;
    loadHistoryIfAsked();
    return seen_.check(code);
}

void DuplicateCheck::loadHistoryIfAsked() {
    if (historyAsked_ || options_.duplicates == DuplicateRule::Allow ||
        options_.duplicateScope != DuplicateScope::History) {
        return;
    }
    historyAsked_ = true;
    worker_.run([this]() -> Worker::Done {
        auto history = std::make_shared<std::optional<SeenCodes>>(readSeenCodes(files_, historyPath_));
        return [this, history] {
            if (*history) {
                seen_.takeHistory(std::move(**history));
            } else {
                list_(kHistoryUnreadLine);  // a later run tries again
            }
        };
    });
}

}  // namespace tolvira
