// Drawing a 4096 x 4096 texture into a 272 x 368 preview frame, once per
// drawing: level 0's pixels picked by nearest neighbour into the fit
// rectangle, then expanded to ARGB. Beside it runs its limit: the drawing of a
// record without pixels, which only makes the frame-sized black picture that
// every drawing starts from. A frame's repaint only copies the kept picture;
// it is measured too.
#include "texture_bench_support.h"

#include "editor/PreviewImage.h"

#include <benchmark/benchmark.h>

#include <QImage>
#include <QPainter>

namespace {

constexpr unsigned kSide = 4096;
const QSize kFrame(272, 368);

void PreviewDraw(benchmark::State& state)
{
    TextureRecord holder;
    MakeBenchRecord(holder, kSide, int(state.range(0)));
    for (auto _ : state) {
        QImage picture = PreviewImage(holder.record(), kFrame);
        benchmark::DoNotOptimize(picture.constBits());
    }
}

void PreviewDrawLimit(benchmark::State& state)
{
    const TextureRecord empty;
    for (auto _ : state) {
        QImage picture = PreviewImage(empty.record(), kFrame);
        benchmark::DoNotOptimize(picture.constBits());
    }
}

void PreviewRepaint(benchmark::State& state)
{
    TextureRecord holder;
    MakeBenchRecord(holder, kSide, 8);
    const QImage picture = PreviewImage(holder.record(), kFrame);
    QImage screen(kFrame, QImage::Format_RGB32);
    for (auto _ : state) {
        QPainter painter(&screen);
        painter.fillRect(screen.rect(), Qt::black);
        painter.drawImage(0, 0, picture);
    }
}

}  // namespace

BENCHMARK(PreviewDraw)
    ->ArgName("depth")
    ->Arg(8)
    ->Arg(16)
    ->Arg(24)
    ->Arg(32)
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK(PreviewDrawLimit)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(PreviewRepaint)->UseRealTime()->Unit(benchmark::kMicrosecond);
