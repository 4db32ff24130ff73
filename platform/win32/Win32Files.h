#pragma once
#include <string>

#include "platform/Services.h"

namespace tolvira::win32 {

// The path as the wide API needs it: a path too long for MAX_PATH is made absolute and given
// the \\?\ prefix (\\?\UNC\ for a share), so folders deep below the program folder still work.
std::wstring apiPath(const std::wstring& path);
std::wstring apiPath(const std::string& utf8Path);

class Win32Files final : public Files {
  public:
    std::optional<FileInfo> info(const std::string& path) override;
    std::optional<Bytes> read(const std::string& path, uint64_t offset, size_t maxBytes) override;
    size_t append(const std::string& path, const Bytes& data) override;
    bool exists(const std::string& path) override;
    bool deleteFile(const std::string& path) override;
    void removeEverywhere(const std::string& folder, const std::string& name) override;
    std::optional<PlainCopy> plainCopy(const std::string& path) override;
    void removePlainCopy(const PlainCopy& copy) override;
};

}  // namespace tolvira::win32
