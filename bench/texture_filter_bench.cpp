// Finding a texture by name among 65,535, the most a scene holds: one change
// of the filter field's text, from typing to the rows shown, the count set
// and the list laid out again on the offscreen platform. Both ways are timed:
// a text that hides all but a few entries, and emptying the field, which shows
// every entry again. Beside them runs their floor: the names compared with the
// text alone, nothing shown or hidden. The figure a user feels is one change;
// it must stay under 30 ms.
#include "bench_application.h"
#include "editor/SelectionListBox.h"
#include "editor/TextureFilter.h"

#include <benchmark/benchmark.h>

#include <QLabel>
#include <QLineEdit>
#include <QStringList>

namespace {

constexpr int kTextures = 65535;
const QString kFound = QStringLiteral("crate_12");

QStringList TextureNames()
{
    QStringList names;
    for (int i = 0; i < kTextures; ++i)
        names.append(QStringLiteral("%1_%2_A").arg(i % 3 ? "wall" : "crate").arg(i));
    return names;
}

// Alternates between typing kFound (range 1: the timed change hides) and
// emptying the field (range 0: the timed change shows all again).
void TextureFilterChange(benchmark::State& state)
{
    EnsureApplication();
    SelectionListBox list;
    list.addItems(TextureNames());
    list.resize(140, 480);
    list.show();
    QLineEdit field;
    QLabel count;
    TextureFilter filter(&field, &count, &list, nullptr);
    const bool hiding = state.range(0) == 1;
    for (auto _ : state) {
        state.PauseTiming();
        field.setText(hiding ? QString() : kFound);
        QApplication::processEvents();
        state.ResumeTiming();
        field.setText(hiding ? kFound : QString());
        QApplication::processEvents();
    }
    state.counters["shown"] = filter.shownCount();
}

void TextureFilterFloor(benchmark::State& state)
{
    const QStringList names = TextureNames();
    for (auto _ : state) {
        int shown = 0;
        for (const QString& name : names)
            shown += name.contains(kFound, Qt::CaseInsensitive);
        benchmark::DoNotOptimize(shown);
    }
}

}  // namespace

BENCHMARK(TextureFilterChange)->ArgName("hide")->Arg(1)->Arg(0)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(TextureFilterFloor)->UseRealTime()->Unit(benchmark::kMillisecond);
