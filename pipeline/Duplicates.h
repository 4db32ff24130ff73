#pragma once
// Codes already seen, for catching a code scanned twice across scans: each code text with the
// time it was first seen. It is filled from history.csv (a year of scans, a million rows) and
// from the codes accepted during this run. Reading history.csv is slow, so the parse is a pure
// function a Worker job can run; the codes accepted meanwhile are merged in when it is done.
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Services.h"
#include "settings/Options.h"

namespace tolvira {


class SeenCodes {
  public:
    // The time the code was first seen, or nothing for a new code.
    std::optional<LocalTime> check(std::string_view code) const;
    // Records the code; a code already there keeps its first time.
    void add(std::string_view code, const LocalTime& time);
    // Takes in the index read from history.csv, which is older than anything added since:
    // its times win for codes in both. Costs the size of this index, not of the history.
    void takeHistory(SeenCodes&& history);
    size_t size() const { return entries_.size(); }
    // Room for this many codes holding this many bytes of text, so loading does not regrow.
    void reserve(size_t codes, size_t textBytes);
    // Gives back room reserved but not used.
    void shrinkToFit();
    // Bytes held, for measuring.
    size_t memoryUse() const;

  private:
    struct Entry {
        uint64_t time;  // packed LocalTime
        uint64_t hash;
        uint32_t offset;  // into text_
        uint32_t length;
    };
    static constexpr uint32_t kEmpty = UINT32_MAX;

    std::string_view textOf(const Entry& entry) const {
        return std::string_view(text_).substr(entry.offset, entry.length);
    }
    // The slot holding the code, or the empty slot where it would go.
    size_t slotFor(std::string_view code, uint64_t hash) const;
    void grow();
    void rehash();

    std::string text_;             // every code's text, one after another
    std::vector<Entry> entries_;   // in the order added
    std::vector<uint32_t> slots_;  // open addressing: index into entries_, or kEmpty
};

// Every code in history.csv's bytes with the time of its first record. A record whose time
// can't be read, or that has fewer than four fields, is skipped; so is the last record when no
// line break ends it (it is still being written, or its write failed halfway).
SeenCodes seenCodesFromHistory(std::string_view csv);

// For a Worker job: history.csv read and parsed. A missing file gives an empty index; nothing
// when the file is there but can't be read.
std::optional<SeenCodes> readSeenCodes(Files& files, const std::string& path);

// The codes seen, for the router: this run's codes always (so the option can be switched on
// mid-run), history.csv's once the option looks that far back, read off the window's thread.
// Until that read is done, codes are checked against this run's codes only.
inline constexpr const char* kHistoryUnreadLine = "[无法读取history.csv，只查本次运行的重复条码]";

class DuplicateCheck {
  public:
    DuplicateCheck(Worker& worker, Files& files, std::string historyPath, const Options& options,
                   std::function<void(const std::string&)> list)
        : worker_(worker),
          files_(files),
          historyPath_(std::move(historyPath)),
          options_(options),
          list_(std::move(list)) {}
    DuplicateCheck(const DuplicateCheck&) = delete;
    DuplicateCheck& operator=(const DuplicateCheck&) = delete;

    // When the code was first seen, if the option catches it.
    std::optional<LocalTime> firstSeen(std::string_view code);
    void add(std::string_view code, const LocalTime& time) { seen_.add(code, time); }
    // Starts reading history.csv if the option now looks that far back; once a run.
    void loadHistoryIfAsked();

  private:
    Worker& worker_;
    Files& files_;
    const std::string historyPath_;
    const Options& options_;
    std::function<void(const std::string&)> list_;
    SeenCodes seen_;
    bool historyAsked_ = false;
};

// The list line for a caught duplicate: "[重复] CODE 首次 2026-12-09 10:31".
std::string duplicateListText(std::string_view code, const LocalTime& firstSeen);

}  // namespace tolvira
