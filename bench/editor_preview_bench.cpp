// Drawing a 4096 x 4096 texture into a 272 x 368 preview frame, once per
// drawing: level 0's pixels picked by nearest neighbour into the fit
// rectangle, then expanded to ARGB. Beside it runs its limit: the drawing of a
// record without pixels, which only makes the frame-sized black picture that
// every drawing starts from. A frame's repaint only copies the kept picture;
// it is measured too.
//
// What a zoom, pan or channel change costs, whole: the frame's new picture
// made by Previews (the view, the channels, the grid, the caption) and the
// frame widget painted into an image, from a 4096 x 4096 level of 8 or 32
// bits (with alpha) at "fit", 100 % and 800 %; the target is 16 ms. The
// difference view, the same for the right frame comparing a 32-bit level with
// an 8-bit one, its figures kept from the first drawing (a pan or a zoom) or
// worked out anew (a new record, beside its limit: both levels expanded); the
// target is 50 ms.
#include "bench_application.h"
#include "texture_bench_support.h"

#include "editor/PreviewFrame.h"
#include "editor/PreviewImage.h"
#include "editor/Previews.h"
#include "resources/ResourceIds.h"
#include "texture/convert/PixelExpansion.h"

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

// A 4096 x 4096 level of the depth, 32 bits with an alpha channel, 8 bits with a grey ramp palette.
void MakeViewRecord(TextureRecord& holder, int depth)
{
    MakeBenchRecord(holder, kSide, depth);
    T3D_TEXTURE& r = holder.record();
    if (depth == 32) {
        r.redMask = 0xFF0000;
        r.greenMask = 0xFF00;
        r.blueMask = 0xFF;
        r.alphaMask = 0xFF000000;
    }
    for (int i = 0; i < kPaletteEntries; ++i)
        r.palette[i][0] = r.palette[i][1] = r.palette[i][2] = uint8_t(i);
}

// The view commands that take a "fit" frame to the zoom step (kFitZoom: none).
constexpr int kFitZoom = 99;
void ZoomTo(Previews& previews, int step, const ViewChoices& choices)
{
    if (step == kFitZoom)
        return;
    previews.viewCommand(kActualSizeCommand, choices);
    for (int i = 0; i < step; ++i)
        previews.viewCommand(kZoomInCommand, choices);
}

void FramePaint(benchmark::State& state)
{
    EnsureApplication();
    TextureRecord holder;
    MakeViewRecord(holder, int(state.range(0)));
    const ViewChoices choices{Channels(state.range(2)), false, false};
    PreviewFrame scene(kFrame, nullptr);
    PreviewFrame replacement(kFrame, nullptr);
    const T3D_TEXTURE* record = &holder.record();
    Previews previews(
        &scene, &replacement, [&](int id) { return id == kSceneFrameId ? record : nullptr; }, choices, nullptr);
    ZoomTo(previews, int(state.range(1)), choices);
    QImage screen(scene.size(), QImage::Format_RGB32);
    for (auto _ : state) {
        previews.redraw(record, kSceneFrameId);
        scene.render(&screen);
        benchmark::DoNotOptimize(screen.constBits());
    }
}

void DifferencePaint(benchmark::State& state)
{
    EnsureApplication();
    TextureRecord left;
    TextureRecord right;
    MakeViewRecord(left, 32);
    MakeViewRecord(right, 8);
    const ViewChoices choices{Channels::RgbAlpha, true, true};
    PreviewFrame scene(kFrame, nullptr);
    PreviewFrame replacement(kFrame, nullptr);
    Previews previews(
        &scene, &replacement, [&](int id) { return &(id == kSceneFrameId ? left : right).record(); }, choices, nullptr);
    ZoomTo(previews, int(state.range(0)), choices);
    // Unlinked, a new right record draws the right frame alone.
    previews.viewCommand(kLinkFramesCommand, ViewChoices{Channels::RgbAlpha, false, true});
    const bool anew = state.range(1) != 0;
    QImage screen(replacement.size(), QImage::Format_RGB32);
    for (auto _ : state) {
        if (anew)
            previews.drawLevel(right.record(), kReplacementFrameId, 0);
        else
            previews.redraw(&right.record(), kReplacementFrameId);
        replacement.render(&screen);
        benchmark::DoNotOptimize(screen.constBits());
    }
}

// The limit of the difference worked out anew: both levels expanded, row by
// row, and nothing else.
void DifferenceLimit(benchmark::State& state)
{
    TextureRecord left;
    TextureRecord right;
    MakeViewRecord(left, 32);
    MakeViewRecord(right, 8);
    const PixelExpander leftPixels(left.record());
    const PixelExpander rightPixels(right.record());
    std::vector<uint32_t> a(kSide);
    std::vector<uint32_t> b(kSide);
    for (auto _ : state) {
        for (size_t y = 0; y < kSide; ++y) {
            leftPixels.expand(left.record().levels[0] + y * kSide * 4, a.data(), kSide);
            rightPixels.expand(right.record().levels[0] + y * kSide, b.data(), kSide);
            benchmark::DoNotOptimize(a.data());
            benchmark::DoNotOptimize(b.data());
        }
    }
}

}  // namespace

BENCHMARK(FramePaint)
    ->ArgNames({"depth", "zoom", "channels"})
    ->ArgsProduct({{8, 32}, {kFitZoom, 0, 3}, {int(Channels::RgbAlpha), int(Channels::Alpha)}})
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK(DifferencePaint)
    ->ArgNames({"zoom", "anew"})
    ->ArgsProduct({{kFitZoom, 0, 3}, {0, 1}})
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK(DifferenceLimit)->UseRealTime()->Unit(benchmark::kMillisecond);
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
