// tick-cost.exe [N]: what the platform work of one engine status tick costs, with the program's
// own service code (a Toolhelp process snapshot, then the search for the video window with its
// owner check), and for comparison the same process list read through WMI, as a scripting
// implementation would. Each figure is the mean of N calls (default 1000) after one warm-up
// call. Run it while a camera engine shows its window, so the owner check has work to do
// (tests/e2e/measure_tick_cost.sh does that).
#include <windows.h>
// After windows.h, which they need.
#include <objbase.h>
#include <wbemidl.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "engine/EngineMonitor.h"
#include "engine/ProcessCheck.h"
#include "engine/zbar/ZbarEngine.h"
#include "platform/win32/Win32OtherWindows.h"
#include "platform/win32/Win32Processes.h"

namespace {

// One COM interface pointer, released once.
template <typename T>
class Com {
  public:
    Com() = default;
    ~Com() {
        if (p_) p_->Release();
    }
    Com(const Com&) = delete;
    Com& operator=(const Com&) = delete;
    T* operator->() const { return p_; }
    T* get() const { return p_; }
    T** put() { return &p_; }
    void** putVoid() { return reinterpret_cast<void**>(&p_); }

  private:
    T* p_ = nullptr;
};

class BStr {
  public:
    explicit BStr(const wchar_t* text) : s_(SysAllocString(text)) {}
    ~BStr() { SysFreeString(s_); }
    BStr(const BStr&) = delete;
    BStr& operator=(const BStr&) = delete;
    BSTR get() const { return s_; }

  private:
    BSTR s_;
};

class ComApartment {
  public:
    ComApartment() : ok_(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) {}
    ~ComApartment() {
        if (ok_) CoUninitialize();
    }
    ComApartment(const ComApartment&) = delete;
    ComApartment& operator=(const ComApartment&) = delete;
    bool ok() const { return ok_; }

  private:
    bool ok_;
};

struct Figure {
    bool ok = false;
    double meanMs = 0, medianMs = 0;
};

// Each call timed on its own; the median shows through the noise of a busy machine. A false
// from a call ends the measurement.
Figure measure(int n, const std::function<bool()>& call) {
    if (!call()) return {};  // warm-up, and a check that it works at all
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    std::vector<double> ms;
    for (int i = 0; i < n; ++i) {
        LARGE_INTEGER start, end;
        QueryPerformanceCounter(&start);
        if (!call()) return {};
        QueryPerformanceCounter(&end);
        ms.push_back(double(end.QuadPart - start.QuadPart) * 1000.0 / double(frequency.QuadPart));
    }
    double sum = 0;
    for (double m : ms) sum += m;
    std::nth_element(ms.begin(), ms.begin() + n / 2, ms.end());
    return {true, sum / n, ms[size_t(n / 2)]};
}

bool connectWmi(IWbemServices** services) {
    Com<IWbemLocator> locator;
    if (FAILED(CoCreateInstance(CLSID_WbemLocator, nullptr, CLSCTX_INPROC_SERVER, IID_IWbemLocator,
                                locator.putVoid())))
        return false;
    const BStr root(L"ROOT\\CIMV2");
    if (FAILED(locator->ConnectServer(root.get(), nullptr, nullptr, nullptr, 0, nullptr, nullptr,
                                      services)))
        return false;
    CoSetProxyBlanket(*services, RPC_C_AUTHN_WINNT, RPC_C_AUTHZ_NONE, nullptr,
                      RPC_C_AUTHN_LEVEL_CALL, RPC_C_IMP_LEVEL_IMPERSONATE, nullptr, EOAC_NONE);
    return true;
}

// Every process's name through WMI; the camera engine's presence is the answer.
bool wmiFindsEngine(IWbemServices* services, bool& found) {
    const BStr language(L"WQL"), query(L"SELECT Name FROM Win32_Process");
    Com<IEnumWbemClassObject> rows;
    if (FAILED(services->ExecQuery(language.get(), query.get(),
                                   WBEM_FLAG_FORWARD_ONLY | WBEM_FLAG_RETURN_IMMEDIATELY, nullptr,
                                   rows.put())))
        return false;
    found = false;
    for (;;) {
        Com<IWbemClassObject> row;
        ULONG got = 0;
        if (rows->Next(WBEM_INFINITE, 1, row.put(), &got) != WBEM_S_NO_ERROR || got == 0) break;
        VARIANT name;
        VariantInit(&name);
        if (SUCCEEDED(row->Get(L"Name", 0, &name, nullptr, nullptr)) && name.vt == VT_BSTR &&
            _wcsicmp(name.bstrVal, L"zbarcam.exe") == 0)
            found = true;
        VariantClear(&name);
    }
    return true;
}

void report(const char* what, const Figure& f) {
    if (f.ok) {
        std::printf("%-52s mean %8.3f ms  median %8.3f ms\n", what, f.meanMs, f.medianMs);
    } else {
        std::printf("%-52s failed\n", what);
    }
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    const int n = argc > 1 ? std::max(1, int(std::wcstol(argv[1], nullptr, 10))) : 1000;
    std::printf("mean of %d calls each\n", n);

    tolvira::win32::Win32Processes processes;
    tolvira::win32::Win32OtherWindows windows;
    const Figure snapshot = measure(n, [&] { return processes.list().has_value(); });
    const Figure search =
        measure(n, [&] { return tolvira::findVideoWindow(windows, processes, tolvira::ZbarEngine()) != 0; });
    // The state query of a tick: the process check, then the window search.
    const Figure tick = measure(n, [&] {
        return tolvira::IsProcessRunning(processes, "zbarcam.exe") &&
               tolvira::findVideoWindow(windows, processes, tolvira::ZbarEngine()) != 0;
    });
    report("Toolhelp process snapshot", snapshot);
    report("video window search (EnumWindows, owner check)", search);
    report("status tick: process check + window search", tick);
    if (!search.ok) std::printf("  (no window \"ZBar\" of zbarcam.exe was found)\n");

    const ComApartment com;
    if (!com.ok()) {
        std::printf("WMI: COM could not be initialised\n");
        return 1;
    }
    CoInitializeSecurity(nullptr, -1, nullptr, nullptr, RPC_C_AUTHN_LEVEL_DEFAULT,
                         RPC_C_IMP_LEVEL_IMPERSONATE, nullptr, EOAC_NONE, nullptr);
    Com<IWbemServices> services;
    if (!connectWmi(services.put())) {
        std::printf("WMI: no connection to ROOT\\CIMV2\n");
        return 1;
    }
    bool found = false;
    const Figure query = measure(n, [&] { return wmiFindsEngine(services.get(), found); });
    const bool engineSeen = found;
    // A script binds afresh on every tick.
    const Figure bound = measure(n, [&] {
        Com<IWbemServices> fresh;
        return connectWmi(fresh.put()) && wmiFindsEngine(fresh.get(), found);
    });
    report("WMI query of all process names (connection kept)", query);
    report("WMI bind + query of all process names", bound);
    if (query.ok && !engineSeen) std::printf("  (WMI did not list zbarcam.exe)\n");
    if (snapshot.ok && query.ok) {
        std::printf("ratio of medians, WMI query / Toolhelp snapshot: %.2f\n",
                    query.medianMs / snapshot.medianMs);
    }
    if (tick.ok && bound.ok) {
        std::printf("ratio of medians, WMI bind + query / status tick: %.2f\n",
                    bound.medianMs / tick.medianMs);
    }
    return 0;
}
