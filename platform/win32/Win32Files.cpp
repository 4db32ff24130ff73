#include "platform/win32/Win32Files.h"

#include <windows.h>

#include <algorithm>
#include <vector>

#include "platform/win32/Handle.h"
#include "platform/win32/Text.h"

namespace tolvira::win32 {
namespace {

// CreateDirectory's limit is the lowest of the API's path limits.
constexpr size_t kShortPathLimit = MAX_PATH - 12;
constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

bool startsWith(const std::wstring& text, const wchar_t* prefix) {
    return text.starts_with(prefix);
}

std::wstring fullPath(const std::wstring& path) {
    const DWORD n = GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
    if (n == 0) return path;
    std::wstring out(n, L'\0');
    const DWORD written = GetFullPathNameW(path.c_str(), n, out.data(), nullptr);
    if (written == 0 || written >= n) return path;
    out.resize(written);
    return out;
}

UniqueHandle openExisting(const std::string& path, DWORD access) {
    return UniqueHandle(CreateFileW(apiPath(path).c_str(), access, kShareAll, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
}

// The file index changes when a file is deleted and made again (NTFS bumps its sequence
// number even when it reuses the record). Wine hands out the Unix inode number, which Linux
// reuses at once, so the reader checks the bytes too; the creation time can't help there, as
// Wine changes it with every write.
uint64_t identityOf(const BY_HANDLE_FILE_INFORMATION& fi) {
    const uint64_t index = (uint64_t{fi.nFileIndexHigh} << 32) | fi.nFileIndexLow;
    return index ^ (uint64_t{fi.dwVolumeSerialNumber} << 32);
}

bool isDotEntry(const wchar_t* name) {
    return wcscmp(name, L".") == 0 || wcscmp(name, L"..") == 0;
}

void removeFile(const std::wstring& path, DWORD attributes) {
    if (attributes & FILE_ATTRIBUTE_READONLY) {
        SetFileAttributesW(path.c_str(), attributes & ~FILE_ATTRIBUTE_READONLY);
    }
    DeleteFileW(path.c_str());
}

// Folder by folder from a list rather than by recursion, so a deep tree can't exhaust the
// stack. Linked folders are not entered: a junction pointing upwards would never end.
void removeBelow(const std::wstring& root, const std::string& name) {
    std::vector<std::wstring> folders{root};
    while (!folders.empty()) {
        const std::wstring folder = std::move(folders.back());
        folders.pop_back();
        WIN32_FIND_DATAW entry;
        const FindHandle find(FindFirstFileExW((folder + L"\\*").c_str(), FindExInfoBasic, &entry,
                                               FindExSearchNameMatch, nullptr, 0));
        if (!find) continue;
        do {
            if (isDotEntry(entry.cFileName)) continue;
            const std::wstring path = apiPath(folder + L"\\" + entry.cFileName);
            const DWORD attributes = entry.dwFileAttributes;
            if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
                if (!(attributes & FILE_ATTRIBUTE_REPARSE_POINT)) folders.push_back(path);
            } else if (sameNameIgnoringCase(narrow(entry.cFileName), name)) {
                removeFile(path, attributes);
            }
        } while (FindNextFileW(find.get(), &entry));
    }
}

}  // namespace

std::wstring apiPath(const std::wstring& path) {
    if (path.size() < kShortPathLimit || startsWith(path, L"\\\\?\\")) return path;
    const std::wstring full = fullPath(path);
    if (startsWith(full, L"\\\\?\\")) return full;
    if (startsWith(full, L"\\\\")) return L"\\\\?\\UNC\\" + full.substr(2);
    return L"\\\\?\\" + full;
}

std::wstring apiPath(const std::string& utf8Path) {
    return apiPath(widen(utf8Path));
}

std::optional<FileInfo> Win32Files::info(const std::string& path) {
    const UniqueHandle file = openExisting(path, FILE_READ_ATTRIBUTES);
    if (!file) return std::nullopt;
    BY_HANDLE_FILE_INFORMATION fi;
    if (!GetFileInformationByHandle(file.get(), &fi)) return std::nullopt;
    constexpr DWORD kNotOrdinary =
        FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
    if (fi.dwFileAttributes & kNotOrdinary) return std::nullopt;
    return FileInfo{(uint64_t{fi.nFileSizeHigh} << 32) | fi.nFileSizeLow, identityOf(fi)};
}

std::optional<Bytes> Win32Files::read(const std::string& path, uint64_t offset, size_t maxBytes) {
    const UniqueHandle file = openExisting(path, GENERIC_READ);
    if (!file) return std::nullopt;
    LARGE_INTEGER size;
    if (!GetFileSizeEx(file.get(), &size)) return std::nullopt;
    const uint64_t available =
        static_cast<uint64_t>(size.QuadPart) > offset ? size.QuadPart - offset : 0;
    Bytes data(static_cast<size_t>(std::min<uint64_t>(available, maxBytes)), '\0');
    LARGE_INTEGER from;
    from.QuadPart = static_cast<LONGLONG>(offset);
    if (!SetFilePointerEx(file.get(), from, nullptr, FILE_BEGIN)) return std::nullopt;
    size_t done = 0;
    while (done < data.size()) {
        const DWORD chunk = static_cast<DWORD>(std::min<size_t>(data.size() - done, 1u << 30));
        DWORD got = 0;
        if (!ReadFile(file.get(), data.data() + done, chunk, &got, nullptr)) return std::nullopt;
        if (got == 0) break;  // the writer truncated it meanwhile
        done += got;
    }
    data.resize(done);
    return data;
}

size_t Win32Files::append(const std::string& path, const Bytes& data) {
    const UniqueHandle file(CreateFileW(apiPath(path).c_str(), FILE_APPEND_DATA,
                                        FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                                        FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return 0;
    size_t done = 0;
    while (done < data.size()) {
        const DWORD chunk = static_cast<DWORD>(std::min<size_t>(data.size() - done, 1u << 30));
        DWORD written = 0;
        const bool ok = WriteFile(file.get(), data.data() + done, chunk, &written, nullptr);
        // A failed write may still have put part of the chunk on disk.
        done += written;
        if (!ok || written == 0) break;
    }
    return done;
}

bool Win32Files::exists(const std::string& path) {
    return GetFileAttributesW(apiPath(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool Win32Files::deleteFile(const std::string& path) {
    return DeleteFileW(apiPath(path).c_str()) || GetLastError() == ERROR_FILE_NOT_FOUND;
}

void Win32Files::removeEverywhere(const std::string& folder, const std::string& name) {
    std::wstring root = apiPath(widen(folder));
    if (!root.empty() && root.back() == L'\\') root.pop_back();  // a drive root
    removeBelow(root, name);
}

}  // namespace tolvira::win32
