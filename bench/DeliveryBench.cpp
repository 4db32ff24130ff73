// Delivery's own cost for one typical QR line with typing (Enter after it) and the clipboard
// on, over the fake backend: building the keystrokes, the clipboard, the list and the log.
#include <benchmark/benchmark.h>

#include <optional>

#include "app/MainForm.h"
#include "pipeline/AutoInput.h"
#include "pipeline/CodeRouter.h"
#include "platform/fake/FakePlatform.h"

namespace tolvira {
namespace {

constexpr const char* kDataTxt = "C:\\Scan\\data.txt";
constexpr int kDeliveriesPerForm = 1000;  // a long day's scanning in one list

void BM_DeliverQrLine(benchmark::State& state) {
    fake::FakePlatform fx;
    std::optional<MainForm> form;
    const ResultLine line =
        ResultLine::fromText("QR-Code:https://example.com/track?id=SN-2024-000123&lot=A7");
    int delivered = kDeliveriesPerForm;
    for (auto _ : state) {
        if (delivered == kDeliveriesPerForm) {
            // A fresh form now and then keeps the list and the fakes' records at a usual size.
            state.PauseTiming();
            fx.keyboard.batches.clear();
            fx.files.remove(kDataTxt);
            form.emplace(fx.services);
            form->Check1.setValue(1);
            form->Check2.setValue(1);
            form->o1.setSelected(true);
            delivered = 0;
            state.ResumeTiming();
        }
        form->router.route(CodeSource::Camera, line);
        ++delivered;
    }
}
BENCHMARK(BM_DeliverQrLine);

// Building the keystrokes alone, against the length of the code text (mixed scripts).
void BM_KeystrokesFor(benchmark::State& state) {
    std::string text;
    while (static_cast<int64_t>(text.size()) < state.range(0)) text += "Ab1-中文é😀";
    for (auto _ : state) benchmark::DoNotOptimize(keystrokesFor(text, Suffix::Enter));
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(text.size()));
}
BENCHMARK(BM_KeystrokesFor)->Arg(16)->Arg(256)->Arg(4096);

}  // namespace
}  // namespace tolvira
