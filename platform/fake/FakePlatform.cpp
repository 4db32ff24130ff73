#include "platform/fake/FakePlatform.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

namespace tolvira::fake {

class FakeClock::FakeTicker final : public Ticker {
  public:
    FakeTicker(FakeClock& clock, std::string name, int intervalMs, std::function<void()> onTick)
        : name(std::move(name)), clock_(clock), interval_(intervalMs), onTick_(std::move(onTick)) {
        clock_.tickers_.push_back(this);
    }
    ~FakeTicker() override { std::erase(clock_.tickers_, this); }
    bool enabled() const override { return enabled_; }
    void setEnabled(bool enabled) override {
        if (enabled == enabled_) return;
        enabled_ = enabled;
        due = clock_.now_ + interval_;
    }
    int interval() const override { return interval_; }
    void setInterval(int intervalMs) override {
        if (intervalMs == interval_) return;
        interval_ = intervalMs;
        due = clock_.now_ + interval_;
    }
    void tick() {
        if (enabled_ && onTick_) onTick_();
    }

    const std::string name;
    int64_t due = 0;

  private:
    FakeClock& clock_;
    int interval_;
    bool enabled_ = false;
    std::function<void()> onTick_;
};

std::unique_ptr<Ticker> FakeClock::ticker(std::string name, int intervalMs,
                                          std::function<void()> onTick) {
    return std::make_unique<FakeTicker>(*this, std::move(name), intervalMs, std::move(onTick));
}

FakeClock::FakeTicker* FakeClock::find(const std::string& name) const {
    for (FakeTicker* t : tickers_) {
        if (t->name == name) return t;
    }
    // A test naming a timer that doesn't exist is wrong, not failing.
    std::fprintf(stderr, "no ticker named %s\n", name.c_str());
    std::abort();
}

const Ticker& FakeClock::timer(const std::string& name) const {
    return *find(name);
}

void FakeClock::fire(const std::string& name) {
    find(name)->tick();
}

void FakeClock::stop(const std::string& name) {
    find(name)->setEnabled(false);
}

LocalTime FakeClock::localTime() {
    const int64_t ms = now_ % (10 * 3600 * 1000);
    return {2026,
            12,
            8,
            14 + static_cast<int>(ms / 3'600'000),
            static_cast<int>(ms / 60'000 % 60),
            static_cast<int>(ms / 1000 % 60),
            static_cast<int>(ms % 1000)};
}

void FakeClock::advance(int64_t ms) {
    const int64_t end = now_ + ms;
    for (;;) {
        FakeTicker* next = nullptr;
        for (FakeTicker* t : tickers_) {
            if (t->enabled() && t->due <= end && (!next || t->due < next->due)) next = t;
        }
        if (!next) break;
        now_ = next->due;
        next->due = now_ + next->interval();
        next->tick();
    }
    now_ = end;
}

std::optional<std::vector<ProcessEntry>> FakeProcesses::list() {
    if (listFails) return std::nullopt;
    return processes;
}

EndResult FakeProcesses::endAll(const std::string& exeName) {
    EndResult result;
    if (listFails) return result;
    const std::vector<ProcessEntry> listed = processes;
    for (const ProcessEntry& p : listed) {
        if (!sameNameIgnoringCase(p.exeName, exeName)) continue;
        if (std::find(unkillable.begin(), unkillable.end(), p.pid) != unkillable.end()) {
            ++result.survived;
            continue;
        }
        end(p.pid);
        terminated.push_back(p.pid);
        ++result.ended;
    }
    return result;
}

void FakeProcesses::end(uint32_t pid) {
    std::erase_if(processes, [&](const ProcessEntry& p) { return p.pid == pid; });
}

uint32_t FakeProcesses::add(const std::string& exeName) {
    processes.push_back({nextPid_, exeName});
    return nextPid_++;
}

bool FakeProcesses::running(const std::string& exeName) const {
    return std::any_of(processes.begin(), processes.end(),
                       [&](const ProcessEntry& p) { return p.exeName == exeName; });
}

std::optional<FileInfo> FakeFiles::info(const std::string& path) {
    if (infoFails) return std::nullopt;
    const auto it = files.find(path);
    if (it == files.end() || it->second.folder) return std::nullopt;
    return FileInfo{it->second.data.size(), it->second.identity};
}

std::optional<Bytes> FakeFiles::read(const std::string& path, uint64_t offset, size_t maxBytes) {
    const auto it = files.find(path);
    if (it == files.end() || it->second.folder || it->second.locked) return std::nullopt;
    const Bytes& data = it->second.data;
    if (offset > data.size()) return Bytes{};
    return data.substr(offset, maxBytes);
}

size_t FakeFiles::append(const std::string& path, const Bytes& data) {
    auto it = files.find(path);
    if (it == files.end()) {
        put(path, {});
        it = files.find(path);
    }
    if (it->second.folder || it->second.locked) return 0;
    const size_t written = room ? std::min(*room, data.size()) : data.size();
    if (room) *room -= written;
    it->second.data.append(data, 0, written);
    return written;
}

bool FakeFiles::exists(const std::string& path) {
    return files.count(path) != 0;
}

bool FakeFiles::deleteFile(const std::string& path) {
    const auto it = files.find(path);
    if (it == files.end()) return true;
    if (it->second.locked || it->second.undeletable) return false;
    files.erase(it);
    return true;
}

void FakeFiles::removeEverywhere(const std::string& folder, const std::string& name) {
    removals.push_back(folder + "|" + name);
    const std::string prefix = folder.back() == '\\' ? folder : folder + "\\";
    for (auto it = files.begin(); it != files.end();) {
        const std::string& path = it->first;
        const bool inside = path.compare(0, prefix.size(), prefix) == 0;
        const bool named = path.size() >= name.size() + 1 &&
                           path.compare(path.size() - name.size(), name.size(), name) == 0 &&
                           path[path.size() - name.size() - 1] == '\\';
        if (inside && named && !it->second.folder && !it->second.undeletable) {
            it = files.erase(it);
        } else {
            ++it;
        }
    }
}

void FakeFiles::put(const std::string& path, Bytes data) {
    files[path] = File{std::move(data), nextIdentity_++};
}

void FakeFiles::write(const std::string& path, const Bytes& data) {
    auto it = files.find(path);
    if (it == files.end()) {
        put(path, data);
    } else {
        it->second.data += data;
    }
}

void FakeFiles::remake(const std::string& path, Bytes data) {
    const auto it = files.find(path);
    const uint64_t identity = it == files.end() ? nextIdentity_++ : it->second.identity;
    files[path] = File{std::move(data), identity};
}

void FakeFiles::remove(const std::string& path) {
    files.erase(path);
}

const Bytes* FakeFiles::contents(const std::string& path) const {
    const auto it = files.find(path);
    return it == files.end() ? nullptr : &it->second.data;
}

bool FakeChildren::start(const ChildSpec& child) {
    const auto output = files_.files.find(child.outputFile);
    const bool outputStays = output != files_.files.end() && output->second.undeletable;
    if (fails || outputStays) return false;
    started.push_back(child);
    files_.put(child.outputFile, {});
    if (!child.errorFile.empty()) files_.put(child.errorFile, {});
    const size_t slash = child.exe.find_last_of('\\');
    processes_.add(slash == std::string::npos ? child.exe : child.exe.substr(slash + 1));
    return true;
}

std::string FakeRegistry::path(Hive hive, const std::string& key, const std::string& name) {
    return std::string(hive == Hive::CurrentUser ? "HKCU\\" : "HKLM\\") + key + "\\" + name;
}

RegistryValue FakeRegistry::get(Hive hive, const std::string& key, const std::string& name) {
    if (readFails) return {RegistryValue::Status::Failed, {}};
    const auto it = values.find(path(hive, key, name));
    return it == values.end() ? RegistryValue{} : it->second;
}

bool FakeRegistry::set(Hive hive, const std::string& key, const std::string& name,
                       const std::string& text) {
    if (writeFails) return false;
    values[path(hive, key, name)] = {RegistryValue::Status::Text, text};
    writes.push_back(path(hive, key, name));
    return true;
}

bool FakeRegistry::remove(Hive hive, const std::string& key, const std::string& name) {
    if (writeFails || values.erase(path(hive, key, name)) == 0) return false;
    writes.push_back(path(hive, key, name));
    return true;
}

bool FakeClipboard::clear() {
    if (held) return false;
    text.reset();
    ++changes;
    return true;
}

bool FakeClipboard::setText(const std::string& newText) {
    if (held) return false;
    text = newText;
    ++changes;
    return true;
}

ClipboardSave FakeClipboard::save() {
    if (held) return {};
    if (slowReads > 0) {
        --slowReads;
        return {ClipboardSave::Status::Reading, {}};
    }
    ClipboardSave save{ClipboardSave::Status::Saved, {}};
    if (text) save.contents.items.push_back({kUnicodeTextFormat, *text});
    return save;
}

bool FakeClipboard::restore(const ClipboardContents& contents) {
    if (held) return false;
    text.reset();
    if (!contents.items.empty()) text = contents.items.front().data;
    ++changes;
    return true;
}

bool FakeKeyboard::send(const std::vector<KeyInput>& keys) {
    if (fails) return false;
    batches.push_back(keys);
    sentAt.push_back(clock_.now());
    sentTo.push_back(front);
    clipboardAt.push_back(clipboard && clipboard->text ? *clipboard->text : "<empty>");
    return true;
}

std::optional<LayoutKey> FakeKeyboard::layoutKey(WindowId target, char16_t unit) {
    layoutAskedFor.push_back(target);
    const auto it = layout.find(unit);
    if (it == layout.end()) return std::nullopt;
    return it->second;
}

std::vector<TitledWindow> FakeOtherWindows::titled(const std::string& title) {
    std::vector<TitledWindow> found;
    for (const auto& [id, w] : windows) {
        if (w.title == title) found.push_back({id, w.pid});
    }
    return found;
}

uint32_t FakeOtherWindows::processOf(WindowId window) {
    const auto found = windows.find(window);
    return found == windows.end() ? 0 : found->second.pid;
}

void FakeOtherWindows::removeCloseCommand(WindowId window) {
    if (auto it = windows.find(window); it != windows.end()) it->second.hasClose = false;
}

void FakeOtherWindows::placeTopmost(WindowId window, bool show) {
    if (auto it = windows.find(window); it != windows.end()) {
        it->second.topmost = true;
        it->second.visible = show;
    }
}

WindowId FakeOtherWindows::open(const std::string& title, const std::string& ownerExe) {
    const auto owner = std::find_if(processes_.processes.begin(), processes_.processes.end(),
                                    [&](const ProcessEntry& p) { return p.exeName == ownerExe; });
    const uint32_t pid =
        owner != processes_.processes.end() ? owner->pid : processes_.add(ownerExe);
    windows[nextId_] = {title, ownerExe, pid};
    return nextId_++;
}

void FakeOtherWindows::close(WindowId window) {
    windows.erase(window);
}

void FakeFormWindow::show() {
    shown = true;
    calls.push_back("show");
}

void FakeFormWindow::hide() {
    shown = false;
    active = false;
    calls.push_back("hide");
}

void FakeFormWindow::restoreAndActivate() {
    shown = true;
    active = true;
    calls.push_back("restore");
}

void FakeFormWindow::setSize(int widthTwips, int heightTwips) {
    width = widthTwips;
    height = heightTwips;
    calls.push_back("size");
}

void FakeFormWindow::setColourKey(uint32_t colorref) {
    colourKey = colorref;
    calls.push_back("colourKey");
}

void FakeFormWindow::setTopmost(bool on) {
    topmost = on;
    calls.push_back(on ? "topmost" : "notopmost");
}

bool FakeTray::add() {
    present = true;
    ++adds;
    calls_.push_back("trayAdd");
    return true;
}

bool FakeTray::remove() {
    const bool was = present;
    present = false;
    calls_.push_back("trayRemove");
    return was;
}

void FakeDialogs::message(const std::string& text) {
    shown.push_back(text);
    topmostWhileShown.push_back(window_.topmost);
}

void FakeLifecycle::pause(int ms) {
    pausedMs += ms;
    if (onPause) onPause();
}

std::string FakeCodec::ansiToUtf8(const Bytes& bytes) {
    std::string out;
    for (char c : bytes) {
        if (static_cast<unsigned char>(c) < 0x80) {
            out.push_back(c);
        } else {
            out += "\xEF\xBF\xBD";
        }
    }
    return out;
}

bool FakeCodec::fitsAnsi(const std::string& text) {
    for (char c : text) {
        if (static_cast<unsigned char>(c) >= 0x80) return false;
    }
    return true;
}

std::optional<PlainCopy> FakeFiles::plainCopy(const std::string& path) {
    const Bytes* original = contents(path);
    if (!original) return std::nullopt;
    PlainCopy copy{"C:\\Temp\\copy" + std::to_string(++copies_), "picture.png"};
    put(copy.folder + "\\" + copy.name, *original);
    return copy;
}

void FakeFiles::removePlainCopy(const PlainCopy& copy) {
    remove(copy.folder + "\\" + copy.name);
}

void FakeWorker::run(Job job) {
    jobs_.push_back(std::move(job));
    if (!hold && jobs_.size() == 1) finishAll();
}

void FakeWorker::finishNext() {
    if (jobs_.empty()) return;
    const Done done = jobs_.front()();
    jobs_.pop_front();
    if (done) done();
}

void FakeWorker::finishAll() {
    while (!jobs_.empty()) finishNext();
}

bool FakeHotKey::claim(const KeyChord& chord) {
    held.reset();
    if (std::find(taken.begin(), taken.end(), chord) != taken.end()) return false;
    held = chord;
    return true;
}

void FakeScreenCapture::stepAside(const std::vector<WindowId>& others) {
    aside = true;
    asideWindows = others;
}

std::optional<std::string> FakeScreenCapture::capture() {
    asideAtCapture.push_back(aside);
    capturedWithout.push_back(asideWindows);
    if (fails) return std::nullopt;
    const std::string picture = "C:\\Temp\\screen" + std::to_string(pictures.size() + 1) + ".bmp";
    files_.put(picture, "BM");
    pictures.push_back(picture);
    return picture;
}

void FakeScreenCapture::stepBack() {
    aside = false;
    asideWindows.clear();
}

void FakeScreenCapture::discard(const std::string& picture) {
    files_.remove(picture);
}

Environment FakePlatform::defaultEnvironment() {
    return {"C:\\Scan", "Tolvira", "", 2, 8};
}

FakePlatform::FakePlatform(Environment env)
    : services{std::move(env), processes, children, files,  registry, clipboard,
               keyboard,       windows,   window,   tray,   dialogs,  lifecycle,
               codec,          worker,    clock,    clock,  hotKey,   screen,
               cameras} {
    keyboard.clipboard = &clipboard;
}

}  // namespace tolvira::fake
