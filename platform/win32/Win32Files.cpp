#include "platform/win32/Win32Files.h"

#include <windows.h>

#include <algorithm>
#include <atomic>
#include <optional>
#include <string>
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

namespace {

// The original's extension when it is plain (a program may go by it), else none.
std::wstring plainExtension(const std::wstring& path) {
    const size_t dot = path.find_last_of(L".\\");
    if (dot == std::wstring::npos || path[dot] != L'.' || path.size() - dot > 8) return {};
    for (size_t i = dot + 1; i < path.size(); ++i) {
        const wchar_t c = path[i];
        if (!((c >= L'a' && c <= L'z') || (c >= L'A' && c <= L'Z') || (c >= L'0' && c <= L'9')))
            return {};
    }
    return path.substr(dot);
}

}  // namespace

std::optional<PlainCopy> Win32Files::plainCopy(const std::string& path) {
    wchar_t temp[MAX_PATH + 1];
    const DWORD n = GetTempPathW(MAX_PATH + 1, temp);
    if (n == 0 || n > MAX_PATH) return std::nullopt;
    const std::wstring source = apiPath(path);
    const std::wstring name = L"picture" + plainExtension(widen(path));
    static std::atomic<unsigned> made{0};
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::wstring folder = std::wstring(temp, n) + L"Tolvira-" +
                                    std::to_wstring(GetCurrentProcessId()) + L"-" +
                                    std::to_wstring(made++);
        if (!CreateDirectoryW(folder.c_str(), nullptr)) {
            if (GetLastError() == ERROR_ALREADY_EXISTS) continue;
            return std::nullopt;
        }
        if (CopyFileW(source.c_str(), (folder + L"\\" + name).c_str(), TRUE))
            return PlainCopy{narrow(folder), narrow(name)};
        RemoveDirectoryW(folder.c_str());
        return std::nullopt;
    }
    return std::nullopt;
}

void Win32Files::removePlainCopy(const PlainCopy& copy) {
    const std::wstring folder = widen(copy.folder);
    DeleteFileW((folder + L"\\" + widen(copy.name)).c_str());
    RemoveDirectoryW(folder.c_str());
}

}  // namespace tolvira::win32
