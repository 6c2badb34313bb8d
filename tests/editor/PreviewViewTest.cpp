#include "editor/DifferenceImage.h"
#include "editor/FrameView.h"
#include "editor/PreviewFrame.h"
#include "editor/PreviewImage.h"
#include "editor/Previews.h"
#include "resources/ResourceIds.h"
#include "support/TextureBuilder.h"
#include "texture/convert/PixelExpansion.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QWheelEvent>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <optional>
#include <vector>

namespace {

const QSize kFrame(272, 368);

// What a mapping case does to a "fit" view before it looks at one pixel.
struct ViewStep {
    enum { ZoomTo, ZoomBy, Pan } kind;
    int amount;  // the step, the steps, or both pan offsets
    QPoint at;
};

struct MappingCase {
    const char* what;
    QSize level;
    std::vector<ViewStep> steps;
    QPoint pixel;
    std::optional<QPoint> texel;
};

FrameView Apply(const MappingCase& c)
{
    FrameView view;
    for (const ViewStep& step : c.steps) {
        if (step.kind == ViewStep::ZoomTo)
            view.zoomTo(step.amount, step.at, kFrame, c.level);
        else if (step.kind == ViewStep::ZoomBy)
            view.zoomBy(step.amount, step.at, kFrame, c.level);
        else
            view.pan(QPoint(step.amount, step.amount), kFrame, c.level);
    }
    return view;
}

void SendWheel(QWidget* widget, QPoint at, int angle, Qt::KeyboardModifiers modifiers)
{
    QWheelEvent wheel(at, widget->mapToGlobal(QPointF(at)), QPoint(), QPoint(0, angle), Qt::NoButton, modifiers,
                      Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(widget, &wheel);
}

}  // namespace

TEST(PreviewView, TheTexelUnderThePointerFollowsZoomAndPan)
{
    // Worked by hand. 256 x 256 at "fit": 272 x 272 from row 48 (scale
    // 1.0625); 4096 x 4096: the same rectangle, scale 1/15.06.
    const QSize small(256, 256), large(4096, 4096);
    const QPoint centre(136, 184);
    const MappingCase cases[] = {
        {"fit, top left", small, {}, {0, 48}, QPoint(0, 0)},
        {"fit, 17 pixels in", small, {}, {17, 48}, QPoint(16, 0)},
        {"fit, above the texture", small, {}, {136, 47}, std::nullopt},
        {"fit, bottom right", small, {}, {271, 319}, QPoint(255, 255)},
        // Texel (128, 128) stays under the centre: origin (-376, -328).
        {"400 % about the centre", small, {{ViewStep::ZoomTo, 2, centre}}, centre, QPoint(128, 128)},
        {"400 %, the corner", small, {{ViewStep::ZoomTo, 2, centre}}, {0, 0}, QPoint(94, 82)},
        // +100 both ways: origin (-276, -228).
        {"400 %, panned", small, {{ViewStep::ZoomTo, 2, centre}, {ViewStep::Pan, 100, {}}}, {0, 0}, QPoint(69, 57)},
        // The pan stops where the texture's top left reaches the frame's.
        {"400 %, panned past the edge",
         small,
         {{ViewStep::ZoomTo, 2, centre}, {ViewStep::Pan, 1000, {}}},
         {0, 0},
         QPoint(0, 0)},
        // From "fit" the first step in is 200 %, the first out 100 % (centred).
        {"one step in from fit", small, {{ViewStep::ZoomBy, 1, {0, 48}}}, {271, 367}, QPoint(135, 183)},
        {"one step out from fit", small, {{ViewStep::ZoomBy, -1, centre}}, {8, 56}, QPoint(0, 0)},
        {"one step out, left of the texture", small, {{ViewStep::ZoomBy, -1, centre}}, {7, 56}, std::nullopt},
        // Texel 150.6 under x 10: origin x -1195; row 10 lies above the
        // texture at "fit", so the top edge comes to the frame's.
        {"800 % about a point", large, {{ViewStep::ZoomTo, 3, {10, 10}}}, {10, 10}, QPoint(150, 1)},
        {"25 % about the centre", large, {{ViewStep::ZoomTo, -2, centre}}, {0, 0}, QPoint(1504, 1312)},
        {"past the largest zoom", small, {{ViewStep::ZoomTo, 40, {0, 0}}}, {64, 64}, QPoint(1, 1)},
    };
    for (const MappingCase& c : cases) {
        SCOPED_TRACE(c.what);
        const FrameView view = Apply(c);
        EXPECT_EQ(view.texelAt(c.pixel, kFrame, c.level), c.texel);
        // Linked to a level of the same size, a frame takes the view as it is.
        EXPECT_EQ(view.linkedTo(kFrame, c.level, kFrame, c.level).origin(), view.origin());
    }

    EXPECT_EQ(ZoomText(2), "400 %");
    EXPECT_EQ(ZoomText(-3), "12.5 %");
    FrameView view;
    view.zoomTo(kGridZoomStep - 1, {}, kFrame, small);
    EXPECT_FALSE(view.showsGrid());
    view.zoomTo(kGridZoomStep, {}, kFrame, small);
    EXPECT_TRUE(view.showsGrid());
}

TEST(PreviewView, LinkedFramesMoveTogetherAndUnlinkedOnesAlone)
{
    const TextureRecord left = TextureBuilder(64, 64, 32).standardMasks().levels(3).build();
    // Twice as large: linked, the same fraction of each lies under the centre.
    const TextureRecord right = TextureBuilder(128, 128, 16).masks(0xF800, 0x7E0, 0x1F, 0).levels(3).build();
    for (bool linked : {true, false}) {
        SCOPED_TRACE(linked ? "linked" : "unlinked");
        PreviewFrame sceneFrame(kFrame, nullptr);
        PreviewFrame replacementFrame(kFrame, nullptr);
        Previews previews(
            &sceneFrame, &replacementFrame, [&](int id) { return &(id == kSceneFrameId ? left : right).record(); },
            ViewChoices{Channels::RgbAlpha, linked, false}, nullptr);
        previews.DrawTexture(left.record(), kSceneFrameId);
        previews.DrawTexture(right.record(), kReplacementFrameId);

        // Two steps in, to 800 %, about a point where neither texture meets its edge.
        SendWheel(&replacementFrame, QPoint(180, 220), 240, Qt::ControlModifier);
        EXPECT_FALSE(previews.view(kReplacementFrameId).isFit());
        EXPECT_EQ(previews.view(kSceneFrameId).isFit(), !linked);
        if (linked) {
            const auto centreAt = [&](int id, int side) {
                const FrameView& view = previews.view(id);
                const QSize level(side, side);
                return QPointF(view.columns(kFrame, level).texelAt(kFrame.width() / 2.0),
                               view.rows(kFrame, level).texelAt(kFrame.height() / 2.0)) /
                       side;
            };
            const QPointF a = centreAt(kSceneFrameId, 64), b = centreAt(kReplacementFrameId, 128);
            // Within the half pixel the origin is rounded to, at 800 %.
            EXPECT_NEAR(a.x(), b.x(), 1.0 / 1024);
            EXPECT_NEAR(a.y(), b.y(), 1.0 / 1024);
            EXPECT_NE(b, QPointF(0.5, 0.5)) << "zoomed about a point off the centre";
        }

        SendWheel(&replacementFrame, QPoint(40, 100), -120, Qt::NoModifier);  // the wheel alone: a level
        EXPECT_EQ(replacementFrame.level(), 1);
        EXPECT_EQ(sceneFrame.level(), linked ? 1 : 0);
        EXPECT_EQ(sceneFrame.caption().endsWith(" %"), linked) << sceneFrame.caption().toStdString();

        // A channel chosen goes to the frame that had the focus last.
        QFocusEvent focus(QEvent::FocusIn);
        QCoreApplication::sendEvent(&sceneFrame, &focus);
        previews.viewCommand(kRedChannelCommand, ViewChoices{Channels::Red, linked, false});
        EXPECT_EQ(previews.channels(kSceneFrameId), Channels::Red);
        EXPECT_EQ(previews.channels(kReplacementFrameId), linked ? Channels::Red : Channels::RgbAlpha);
    }
}

namespace {

// A 2 x 1 texture and what its two texels expand to, as the export writes
// them (worked out by hand), and whether its alpha shows.
struct KnownTexels {
    const char* what;
    TextureRecord texture;
    uint32_t argb[2];
    bool alpha;
    const char* readout;  // of texel (1, 0)
};

std::vector<uint8_t> Bytes(std::initializer_list<uint32_t> values, int bytesPerPixel)
{
    std::vector<uint8_t> bytes;
    for (uint32_t v : values)
        for (int i = 0; i < bytesPerPixel; ++i)
            bytes.push_back(uint8_t(v >> (8 * i)));
    return bytes;
}

TextureRecord Texels(int depth, std::array<uint32_t, 4> masks, std::initializer_list<uint32_t> values)
{
    return TextureBuilder(2, 1, unsigned(depth))
        .masks(masks[0], masks[1], masks[2], masks[3])
        .level0(Bytes(values, depth / 8))
        .paletteColour(1, {0x30, 0x20, 0x10})
        .paletteColour(2, {0, 0, 0xFF})
        .build();
}

uint32_t Channel(uint32_t argb, int shift)
{
    return argb >> shift & 0xFF;
}

uint32_t Grey(uint32_t v)
{
    return v << 16 | v << 8 | v;
}

}  // namespace

TEST(PreviewView, ChannelsAndTheDifferenceShowKnownTexelsOfEveryLayout)
{
    KnownTexels cases[] = {
        {"8 bit", Texels(8, {}, {1, 2}), {0xFF302010, 0xFF0000FF}, false, "x 1 y 0 \u00B7 index 2 \u00B7 RGB 0 0 255"},
        {"16 bit 5-6-5",
         Texels(16, {0xF800, 0x7E0, 0x1F, 0}, {0xF800, 0x07E0}),
         {0xFFFF0000, 0xFF00FF00},
         false,
         "x 1 y 0 \u00B7 0x07E0 \u00B7 RGB 0 255 0"},
        {"16 bit 1-5-5-5",
         Texels(16, {0x7C00, 0x3E0, 0x1F, 0x8000}, {0x7C00, 0x8010}),
         {0x00FF0000, 0xFF000084},
         true,
         "x 1 y 0 \u00B7 0x8010 \u00B7 RGBA 0 0 132 255"},
        {"24 bit",
         Texels(24, {0xFF0000, 0xFF00, 0xFF, 0}, {0x123456, 0xFE8001}),
         {0xFF123456, 0xFFFE8001},
         false,
         "x 1 y 0 \u00B7 RGB 254 128 1"},
        {"32 bit with alpha",
         Texels(32, {0xFF0000, 0xFF00, 0xFF, 0xFF000000}, {0x80FFFFFF, 0x40123456}),
         {0x80FFFFFF, 0x40123456},
         true,
         "x 1 y 0 \u00B7 RGBA 18 52 86 64"},
        {"32 bit, alpha 0 throughout",
         Texels(32, {0xFF0000, 0xFF00, 0xFF, 0xFF000000}, {0x00FF0000, 0x00ABCDEF}),
         {0xFFFF0000, 0xFFABCDEF},
         false,
         "x 1 y 0 \u00B7 RGBA 171 205 239 0"},
    };
    // A reference to compare with: opaque, 32 bit.
    const TextureRecord reference = Texels(32, {0xFF0000, 0xFF00, 0xFF, 0xFF000000}, {0xFF102030, 0xFF808080});
    const uint32_t referenceArgb[2] = {0xFF102030, 0xFF808080};
    // 2 x 1 at "fit": 272 x 136 from row 116; texel 0 left of x 136.
    const QPoint pixels[2] = {{68, 184}, {204, 184}};
    const std::pair<Channels, int> single[] = {
        {Channels::Red, 16}, {Channels::Green, 8}, {Channels::Blue, 0}, {Channels::Alpha, 24}};

    for (KnownTexels& c : cases) {
        SCOPED_TRACE(c.what);
        const T3D_TEXTURE& record = c.texture.record();
        ASSERT_EQ(ShowsAlpha(record), c.alpha);
        EXPECT_EQ(TexelText(record, 0, {1, 0}), QString(c.readout));
        std::vector<uint32_t> exported = ExpandLevelToArgb(record, 0);
        ASSERT_EQ(exported.size(), 2u);
        for (int t = 0; t < 2; ++t) {
            const uint32_t shownAlpha = c.alpha ? 0 : 0xFF000000;
            EXPECT_EQ(exported[size_t(t)] | shownAlpha, c.argb[t]) << "texel " << t;
            const QImage rgb = PreviewImage(record, kFrame, 0, {FrameView(), Channels::Rgb, std::nullopt});
            EXPECT_EQ(rgb.pixel(pixels[t]) & 0xFFFFFF, c.argb[t] & 0xFFFFFF) << "texel " << t;
            for (const auto& [channels, shift] : single) {
                const QImage one = PreviewImage(record, kFrame, 0, {FrameView(), channels, std::nullopt});
                EXPECT_EQ(one.pixel(pixels[t]) & 0xFFFFFF, Grey(Channel(c.argb[t], shift)))
                    << "texel " << t << ", channel at bit " << shift;
            }
        }

        // The difference with itself is nothing; with the reference, the
        // differences worked out from both sides' known texels.
        const DifferenceFigures same = Compare(record, record, 0, Channels::RgbAlpha);
        EXPECT_TRUE(same.comparable);
        EXPECT_EQ(same.largest, 0u);
        unsigned largest = 0, largestGreen = 0, sum = 0;
        for (int t = 0; t < 2; ++t) {
            for (int shift : {24, 16, 8, 0}) {
                const unsigned d =
                    unsigned(std::abs(int(Channel(c.argb[t], shift)) - int(Channel(referenceArgb[t], shift))));
                largest = std::max(largest, d);
                sum += d;
                if (shift == 8)
                    largestGreen = std::max(largestGreen, d);
            }
        }
        const DifferenceFigures figures = Compare(record, reference.record(), 0, Channels::RgbAlpha);
        EXPECT_EQ(figures.largest, largest);
        EXPECT_DOUBLE_EQ(figures.mean, sum / 8.0);
        EXPECT_EQ(Compare(record, reference.record(), 0, Channels::Green).largest, largestGreen);

        const DifferenceFigures colours = Compare(record, reference.record(), 0, Channels::Rgb);
        const QImage difference =
            DifferenceImage(record, reference.record(), kFrame, 0, {FrameView(), Channels::Rgb, std::nullopt}, colours);
        for (int t = 0; t < 2; ++t)
            for (int shift : {16, 8, 0}) {
                const unsigned d =
                    unsigned(std::abs(int(Channel(c.argb[t], shift)) - int(Channel(referenceArgb[t], shift))));
                EXPECT_EQ(Channel(difference.pixel(pixels[t]), shift), d * 255 / colours.largest)
                    << "texel " << t << ", channel at bit " << shift;
            }
    }

    // More pixels than are compared at a time: the last one counts too.
    std::vector<uint8_t> bytes(40 * 30 * 4, 0x10);
    const TextureRecord plain = TextureBuilder(40, 30, 32).standardMasks().level0(bytes).build();
    bytes[bytes.size() - 4] = 0x50;  // the last pixel's blue
    const TextureRecord changed = TextureBuilder(40, 30, 32).standardMasks().level0(bytes).build();
    const DifferenceFigures last = Compare(plain.record(), changed.record(), 0, Channels::Rgb);
    EXPECT_EQ(last.largest, 0x40u);
    EXPECT_DOUBLE_EQ(last.mean, 0x40 / (40.0 * 30 * 3));

    const TextureRecord wider = TextureBuilder(4, 1, 32).standardMasks().build();
    EXPECT_FALSE(Compare(cases[0].texture.record(), wider.record(), 0, Channels::RgbAlpha).comparable);
}
