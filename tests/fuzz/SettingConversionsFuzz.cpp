// The stored option texts come from the registry, which anyone can edit: any text must convert
// without harm, and the same way however it is padded or lettered.
#include <fuzzer/FuzzedDataProvider.h>

#include <string>

#include "settings/SettingConversions.h"
#include "tests/fuzz/FuzzCheck.h"

namespace {

using tolvira::fuzz::check;

std::string upper(std::string text) {
    for (char& c : text) {
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    }
    return text;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider input(data, size);
    const std::string padding = input.ConsumeBool() ? " \t" : "\t  ";
    const std::string text = input.ConsumeRemainingBytesAsString();

    const std::optional<int> checkState = tolvira::checkStateFromText(text);
    const std::optional<bool> option = tolvira::optionStateFromText(text);

    check(!checkState || *checkState == 0 || *checkState == 1, "a check state other than 0 or 1");
    check(tolvira::checkStateFromText(padding + text + padding) == checkState,
          "blanks around a check-box text change it");
    check(tolvira::optionStateFromText(padding + text + padding) == option,
          "blanks around an option text change it");
    check(tolvira::optionStateFromText(upper(text)) == option, "letter case changes an option");
    if (checkState) check(option == (*checkState == 1), "a number reads differently as an option");
    if (!text.empty() && text.find_first_not_of('0') == std::string::npos) {
        check(checkState == 0, "zeros read as checked");
    }

    const tolvira::RegistryValue stored{tolvira::RegistryValue::Status::Text, text};
    check(tolvira::storedText(stored, "fallback") == text, "a stored text was changed");
    return 0;
}
