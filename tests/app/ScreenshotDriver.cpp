// Shows the editor in a state worth a picture, for scripts/screenshot.sh: a
// scene loaded, one of its textures selected, a texture file chosen in the
// folder tree. Once the window has been painted it prints "window <id>" on
// stdout and runs until it is closed or killed.
//
//   quorrel-screenshot-driver SCENE.T3D INDEX FOLDER NAME.png
//   quorrel-screenshot-driver --demo FOLDER   writes demo.T3D and tiles_A.png
//   quorrel-screenshot-driver --png IN OUT.png  writes the chain at IN as PNG
#include "editor/EditorDialog.h"
#include "foldertree/FolderTree.h"
#include "scene/CVK7QScene.h"
#include "texture/TextureRecord.h"
#include "texture/chain/PngTextureWriter.h"
#include "texture/chain/TextureFileReader.h"

#include "support/PrintingReport.h"
#include "support/TextureBuilder.h"

#include <QApplication>
#include <QListWidget>
#include <QTimer>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>

namespace {

// The folder tree with a desktop of our choosing.
class PictureTree : public FolderTree {
public:
    explicit PictureTree(QString desktop) : desktop_(std::move(desktop)) {}

protected:
    QString DesktopFolder() const override { return desktop_; }

private:
    QString desktop_;
};

using PixelOf = uint32_t (*)(unsigned x, unsigned y, unsigned size);

// A texture of `levels` levels, each drawn from the same pattern at its size;
// 8-bit ones over a palette of bricks and mortar.
TextureRecord PatternTexture(const char* name, int width, int height, int depth, uint32_t flags, int levels,
                             PixelOf pixel)
{
    TextureBuilder builder{unsigned(width), unsigned(height), unsigned(depth)};
    if (depth == 16)
        builder.masks(0xF800, kMask565Green, 0x1F, 0);
    else
        builder.standardMasks();
    const unsigned bytesPerPixel = BytesPerPixel(uint16_t(depth));
    return builder.name(name)
        .flags(flags)
        .levels(levels)
        .palette([](int i) {
            const bool mortar = i >= 200;
            return Rgb{uint8_t(mortar ? 170 : 120 + i / 2), uint8_t(mortar ? 160 : 50 + i / 5),
                       uint8_t(mortar ? 150 : 40 + i / 8)};
        })
        .bytes([=](int level, uint64_t i) {
            const unsigned levelWidth = std::max(1u, unsigned(width) >> level);
            const uint64_t at = i / bytesPerPixel;
            const unsigned x = unsigned(at % levelWidth), y = unsigned(at / levelWidth);
            return uint8_t(pixel(x << level, y << level, unsigned(width)) >> (8 * (i % bytesPerPixel)));
        })
        .build();
}

uint32_t Brick(unsigned x, unsigned y, unsigned)
{
    const unsigned row = y / 8, shifted = x + (row % 2) * 8;
    const bool mortar = y % 8 == 7 || shifted % 16 == 15;
    const unsigned brick = row * 16 + shifted / 16;
    return mortar ? 200 + (x * 7 + y) % 50 : (brick * 37) % 120 + (x * 3 + y * 5) % 16;
}

uint32_t Plate(unsigned x, unsigned y, unsigned)
{
    const unsigned shade = (x + y) % 32;
    const bool rivet = x % 16 == 3 && y % 16 == 3;
    return rivet ? 0xFFFF : uint32_t((shade / 2) << 11 | shade << 5 | (shade / 2 + 8));
}

uint32_t Sky(unsigned x, unsigned y, unsigned)
{
    const unsigned cloud = unsigned(40 * (1 + std::sin(x / 9.0) * std::cos(y / 5.0)));
    return std::min(255u, 60 + y + cloud) << 16 | std::min(255u, 110 + y + cloud) << 8 | std::min(255u, 200 + cloud);
}

uint32_t Tiles(unsigned x, unsigned y, unsigned size)
{
    const bool dark = ((x * 8 / size) + (y * 8 / size)) % 2;
    return dark ? 0x30506E : 0xD8C39A;
}

bool MakeDemo(const std::string& folder)
{
    const TextureRecord textures[] = {
        PatternTexture("brick_wall", 64, 64, 8, kFlagMipmapLevels | kFlagAlphaLevel | kFlagEnvmap, 5, Brick),
        PatternTexture("metal_plate", 64, 32, 16, kFlagMipmapLevels | kFlagClampedU, 4, Plate),
        PatternTexture("sky_dome", 128, 64, 24, kFlagNoZBuffer, 1, Sky),
    };
    CVK7QScene scene;
    for (const TextureRecord& texture : textures)
        if (!scene.AppendT3DTexture(&texture.record()))
            return false;
    PrintingReport report;
    const TextureRecord tiles = PatternTexture("tiles", 128, 128, 24, 0, 1, Tiles);
    return scene.Write((folder + "/demo.T3D").c_str()) &&
           PngTextureWriter((folder + "/tiles_A.png").c_str(), tiles.record(), report);
}

// The chain at `in`, as an artist extracting it to paint on would have it.
bool WritePngChain(const char* in, const char* out)
{
    PrintingReport report;
    TextureRecord chain;
    return ReadTextureChain(in, chain, report) && PngTextureWriter(out, chain.record(), report);
}

int ShowEditor(const QString& scenePath, int index, const QString& folder, const QString& fileName)
{
    EditorDialog* window = nullptr;
    EditorPrompts prompts = DesktopPrompts([&window] { return window; });
    prompts.openFile = [scenePath](const FileDialogRequest&) { return scenePath; };
    auto* tree = new PictureTree(folder);
    EditorDialog dialog(prompts, tree);
    window = &dialog;
    dialog.OnLoad();
    dialog.findChild<QListWidget*>(QString::number(kTextureListId))->setCurrentRow(index);

    QTreeWidgetItem* desktop = tree->topLevelItem(1);
    desktop->setExpanded(true);
    for (int i = 0; i < desktop->childCount(); ++i)
        if (desktop->child(i)->text(0) == fileName)
            tree->setCurrentItem(desktop->child(i));

    QTimer::singleShot(1000, &dialog, [&dialog] {
        std::printf("window %llu\n", static_cast<unsigned long long>(dialog.winId()));
        std::fflush(stdout);
    });
    QObject::connect(&dialog, &QDialog::finished, qApp, &QCoreApplication::quit);
    dialog.show();
    return QApplication::exec();
}

}  // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName("quorrel");
    if (argc == 3 && std::strcmp(argv[1], "--demo") == 0)
        return MakeDemo(argv[2]) ? 0 : 1;
    if (argc == 4 && std::strcmp(argv[1], "--png") == 0)
        return WritePngChain(argv[2], argv[3]) ? 0 : 1;
    if (argc != 5) {
        std::fprintf(stderr, "usage: %s SCENE.T3D INDEX FOLDER NAME.png | --demo FOLDER | --png IN OUT.png\n", argv[0]);
        return 2;
    }
    return ShowEditor(QString::fromLocal8Bit(argv[1]), std::atoi(argv[2]), QString::fromLocal8Bit(argv[3]),
                      QString::fromLocal8Bit(argv[4]));
}
