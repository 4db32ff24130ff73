#include "platform/Services.h"

namespace tolvira {

std::string inFolder(const std::string& folder, const std::string& name) {
    if (!folder.empty() && folder.back() == '\\') return folder + name;
    return folder + "\\" + name;
}

}  // namespace tolvira
