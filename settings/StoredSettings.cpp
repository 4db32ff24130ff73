#include "settings/StoredSettings.h"

#include <stdexcept>

#include "engine/CodeKinds.h"
#include "pipeline/CodePattern.h"
#include "settings/SettingConversions.h"

namespace tolvira {

namespace {

using Kind = StoredSetting::Kind;
using Panel = StoredSetting::Panel;
using Load = StoredSetting::Load;

std::string onOff(bool on) {
    return on ? "1" : "0";
}

// Takes a text into a field when convert makes a value of it.
template <typename T, typename Convert>
std::function<bool(Options&, std::string_view)> takeInto(T Options::*field, Convert convert) {
    return [field, convert](Options& options, std::string_view text) {
        const auto taken = convert(text);
        if (taken) options.*field = T(*taken);
        return taken.has_value();
    };
}

// The first keys' check boxes: any whole number, 0 unchecked.
StoredSetting checkRow(std::string_view key, std::string_view caption, bool Options::*field,
                       Load load = Load::EndsLoad) {
    return {.key = key,
            .kind = Kind::Check,
            .panel = Panel::Settings,
            .load = load,
            .caption = caption,
            .take = takeInto(field,
                             [](std::string_view t) {
                                 const std::optional<int> state = checkStateFromText(t);
                                 return state ? std::optional<bool>(*state == 1) : std::nullopt;
                             }),
            .text = [field](const Options& o) { return onOff(o.*field); }};
}

// One of the "自动完成" keys. Selected, it is the choice; "False" clears only its own choice.
StoredSetting completionRow(std::string_view key, std::string_view caption, Completion mine) {
    return {.key = key,
            .kind = Kind::Option,
            .panel = Panel::Settings,
            .load = Load::EndsLoad,
            .caption = caption,
            .take =
                [mine](Options& o, std::string_view t) {
                    const std::optional<bool> selected = optionStateFromText(t);
                    if (selected && *selected) o.completion = mine;
                    if (selected && !*selected && o.completion == mine) {
                        o.completion = Completion::NoneChosen;
                    }
                    return selected.has_value();
                },
            .text =
                [mine](const Options& o) {
                    return std::string(o.completion == mine ? "True" : "False");
                }};
}

StoredSetting numberRow(std::string_view key, std::string_view caption, int Options::*field,
                        int high) {
    return {
        .key = key,
        .kind = Kind::Number,
        .panel = Panel::More,
        .load = Load::Alone,
        .caption = caption,
        .high = high,
        .maxLength = static_cast<int>(std::to_string(high).size()),
        .take = takeInto(field, [high](std::string_view t) { return wholeNumberIn(t, 0, high); }),
        .text = [field](const Options& o) { return std::to_string(o.*field); }};
}

StoredSetting textRow(std::string_view key, std::string_view caption, std::string Options::*field,
                      std::optional<std::string> (*convert)(std::string_view), int maxLength,
                      std::string_view values, Panel panel = Panel::More) {
    return {.key = key,
            .kind = Kind::Text,
            .panel = panel,
            .load = Load::Alone,
            .caption = caption,
            .maxLength = maxLength,
            .values = values,
            .take = takeInto(field, convert),
            .text = [field](const Options& o) { return o.*field; }};
}

// The newer switches take "1" and "0" only.
StoredSetting switchRow(std::string_view key, std::string_view caption, bool Options::*field) {
    return {.key = key,
            .kind = Kind::Check,
            .panel = Panel::More,
            .load = Load::Alone,
            .caption = caption,
            .take = takeInto(field, switchFromText),
            .text = [field](const Options& o) { return onOff(o.*field); }};
}

// A choice among captions stored as its number, "0" first, into an enum field.
template <typename E>
StoredSetting choiceRow(std::string_view key, std::string_view caption, E Options::*field,
                        std::vector<std::string_view> choices) {
    const int last = static_cast<int>(choices.size()) - 1;
    return {.key = key,
            .kind = Kind::Choice,
            .panel = Panel::Options,
            .load = Load::Alone,
            .caption = caption,
            .choices = std::move(choices),
            .take = takeInto(field, [last](std::string_view t) { return wholeNumberIn(t, 0, last); }),
            .text = [field](const Options& o) { return std::to_string(static_cast<int>(o.*field)); }};
}

// The pattern and its template are checked together: a template may name only the pattern's
// groups.
StoredSetting patternRow(std::string_view key, std::string_view caption,
                         std::string Options::*field, std::string_view values,
                         std::string (*check)(const Options&, std::string_view)) {
    StoredSetting row = textRow(key, caption, field, affixFromText,
                                static_cast<int>(kMaxPatternBytes), values, Panel::Options);
    row.refusal = check;
    row.take = [field, check](Options& o, std::string_view t) {
        if (!check(o, t).empty()) return false;
        o.*field = std::string(t);
        return true;
    };
    return row;
}

std::string patternError(const Options& o, std::string_view pattern) {
    return CodePattern::compile(pattern, o.patternTemplate).error;
}

std::string templateError(const Options& o, std::string_view outputTemplate) {
    return CodePattern::compile(o.pattern, outputTemplate).error;
}

// Any name a system could give a device; the longest seen are far shorter.
constexpr size_t kMaxCameraNameBytes = 256;

StoredSettings makeTable() {
    const int affix = static_cast<int>(kMaxAffixCharacters);
    return {
        checkRow("c1", "自动输入条码内容", &Options::typeCode),
        checkRow("c2", "将条码内容复制到粘贴板", &Options::copyCode),
        checkRow("c3", "显示视频窗口", &Options::showVideo),
        checkRow("c4", "开机时启动程序", &Options::autoStart, Load::RunValue),
        completionRow("o0", "无", Completion::NoKey),
        completionRow("o1", "[Enter]", Completion::Enter),
        completionRow("o2", "[Tab]", Completion::Tab),
        numberRow("rescan", "相同条码间隔(秒)", &Options::rescanSeconds, kMaxRescanSeconds),
        numberRow("keydelay", "按键间隔(毫秒)", &Options::keyDelayMs, kMaxKeyDelayMs),
        {.key = "typemode",
         .kind = Kind::Choice,
         .panel = Panel::More,
         .load = Load::Alone,
         .caption = "输入方式",
         .choices = {"Unicode", "按键", "粘贴"},
         .take = takeInto(&Options::typeMode, typeModeFromText),
         .text = [](const Options& o) { return std::to_string(static_cast<int>(o.typeMode)); }},
        textRow("prefix", "前缀", &Options::prefix, affixFromText, affix, "up to 64 characters"),
        textRow("suffix", "后缀", &Options::suffix, affixFromText, affix, "up to 64 characters"),
        textRow("camera", "摄像头", &Options::camera, cameraFromText, 1, "empty or a digit"),
        switchRow("beep", "识别提示音", &Options::beep),
        switchRow("history", "记录时间(history.csv)", &Options::history),
        textRow("hotkey", "屏幕扫码热键", &Options::hotkey, hotKeyFromText, 32,
                "modifiers and one key joined by `+`"),
        {.key = "cameraname",
         .kind = Kind::Camera,
         .panel = Panel::Options,
         .load = Load::Alone,
         .caption = "摄像头",
         .values = "a camera's name as the system lists it",
         .take =
             [](Options& o, std::string_view t) {
                 if (t.size() > kMaxCameraNameBytes) return false;
                 o.cameraName = std::string(t);
                 return true;
             },
         .text = [](const Options& o) { return o.cameraName; }},
        choiceRow("duplicates", "重复条码", &Options::duplicates, {"允许", "提醒", "拒绝"}),
        choiceRow("dupscope", "查重范围", &Options::duplicateScope,
                  {"本次运行", "全部记录(history.csv)"}),
        {.key = "kindsoff",
         .kind = Kind::Kinds,
         .panel = Panel::Options,
         .load = Load::Alone,
         .caption = "识别的条码类型",
         .values = "ids of the kinds switched off, comma-separated",
         // Unknown ids are dropped, so what is stored again names only kinds there are.
         .take =
             [](Options& o, std::string_view t) {
                 o.kindsOff = offKindsText(offKindsFromText(t));
                 return true;
             },
         .text = [](const Options& o) { return o.kindsOff; }},
        patternRow("pattern", "只输入匹配的条码", &Options::pattern, "a regular expression",
                   patternError),
        patternRow("template", "输出模板", &Options::patternTemplate,
                   "text with `$0`-`$9` for the match and its groups", templateError),
        choiceRow("gs1", "GS1条码", &Options::gs1, {"原样", "括号形式", "替换分隔符"}),
        textRow("gs1sep", "分隔符替换为", &Options::gs1Separator, affixFromText, affix,
                "up to 64 characters", Panel::Options),
    };
}

}  // namespace

const StoredSettings& storedSettings() {
    static const StoredSettings table = makeTable();
    return table;
}

const StoredSetting& storedSetting(std::string_view key) {
    for (const StoredSetting& row : storedSettings()) {
        if (row.key == key) return row;
    }
    throw std::out_of_range("no stored setting " + std::string(key));
}

void loadSettings(const SettingsStore& store, Options& options,
                  const std::function<bool()>& runValuePresent) {
    bool ended = false;
    for (const StoredSetting& row : storedSettings()) {
        if (ended && row.load != Load::Alone) continue;
        if (row.load == Load::RunValue) {
            row.take(options, onOff(runValuePresent()));
            continue;
        }
        const std::optional<std::string> text =
            storedText(store.read(std::string(row.key)), row.defaultText());
        const bool taken = text && row.take(options, *text);
        if (!taken && row.load == Load::EndsLoad) ended = true;
    }
}

void saveSettings(SettingsStore& store, const Options& options, StoredSetting::Panel panel) {
    for (const StoredSetting& row : storedSettings()) {
        if (row.panel == panel) store.save(std::string(row.key), row.text(options));
    }
}

void saveSetting(SettingsStore& store, const Options& options, std::string_view key) {
    store.save(std::string(key), storedSetting(key).text(options));
}

}  // namespace tolvira
