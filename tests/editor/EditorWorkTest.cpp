#include "EditorTestSupport.h"
#include "editor/ReplaceCommand.h"
#include "support/PngTestBytes.h"
#include "support/TextureBuilder.h"
#include "support/TextureCompare.h"
#include "support/TgaTestBytes.h"

#include "editor/ChainWatch.h"
#include "editor/GatheringReport.h"
#include "editor/PreviewFrame.h"
#include "editor/Replacement.h"
#include "editor/ReplacementView.h"
#include "editor/SceneDocument.h"
#include "resources/ResourceIds.h"
#include "resources/Strings.h"
#include "scene/CVK7QScene.h"
#include "support/EventWait.h"
#include "support/RecordingReport.h"
#include "support/TempDir.h"
#include "texture/TextureRecord.h"
#include "texture/chain/MipChainNaming.h"
#include "texture/chain/TextureFileReader.h"
#include "texture/chain/TgaTextureReader.h"
#include "texture/convert/ConversionCost.h"
#include "texture/convert/PixelExpansion.h"
#include "texture/io/FileRead.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QContextMenuEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMimeData>
#include <QProgressDialog>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QThreadPool>
#include <QTimer>
#include <QUrl>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <functional>
#include <set>
#include <string>
#include <sys/resource.h>
#include <thread>
#include <vector>

namespace fs = std::filesystem;

namespace {

// A scene texture with every level filled from a pattern of its own.
TextureRecord SceneTexture(const char* name, int width, int height, int depth, uint32_t flags, int levels)
{
    return TextureBuilder(unsigned(width), unsigned(height), unsigned(depth))
        .name(name)
        .flags(flags)
        .standardMasks()
        .levels(levels)
        .palette([](int i) {
            return Rgb{uint8_t(i), uint8_t(255 - i), uint8_t(i * 7)};
        })
        .bytes([width](int level, uint64_t i) { return uint8_t(i * 13 + level * 31 + width); })
        .build();
}

// Writes a new-format scene of the given textures.
void WriteScene(const std::string& path, const std::vector<const TextureRecord*>& textures)
{
    CVK7QScene scene;
    for (const TextureRecord* texture : textures)
        ASSERT_TRUE(scene.AppendT3DTexture(&texture->record()));
    ASSERT_TRUE(scene.Write(path.c_str()));
}

// An uncompressed colour-mapped 8-bit TGA: a 256-entry map of 24-bit entries
// (entry 1 red, 2 blue, 3 green, the rest grey), rows stored bottom row first.
std::string Tga8(int width, int height, const std::function<uint8_t(int x, int y)>& index)
{
    std::string map = Repeat(0, 3) + Bytes({0, 0, 0xFF, 0xFF, 0, 0, 0, 0xFF, 0});
    for (int i = 4; i < 256; ++i)
        map += Repeat(i, 3);
    std::string indices;
    for (int y = height - 1; y >= 0; --y)
        for (int x = 0; x < width; ++x)
            indices += char(index(x, y));
    return MappedTga(unsigned(width), unsigned(height), map, indices);
}

// An opaque RGBA PNG whose pixel (x, y) is colour(x, y), 0xRRGGBB.
std::string RgbPng(int width, int height, const std::function<uint32_t(int x, int y)>& colour)
{
    PngPicture picture;
    picture.width = uint32_t(width);
    picture.height = uint32_t(height);
    picture.colourType = 6;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const uint32_t c = colour(x, y);
            picture.rows.insert(picture.rows.end(), {uint8_t(c >> 16), uint8_t(c >> 8), uint8_t(c), 255});
        }
    const std::vector<uint8_t> png = MakePng(picture);
    return std::string(png.begin(), png.end());
}

// Puts new bytes in a file's place as an editor saving it does: a new file
// renamed over the old one.
bool ReplaceFileBytes(const fs::path& path, const std::string& bytes)
{
    const fs::path fresh = path.string() + ".new";
    std::error_code error;
    return WriteFileBytes(fresh.string(), bytes) && (fs::rename(fresh, path, error), !error);
}

QStringList Entries(const QListWidget* list)
{
    QStringList texts;
    for (int i = 0; i < list->count(); ++i)
        texts.append(list->item(i)->text());
    return texts;
}

std::set<std::string> FolderContents(const fs::path& folder)
{
    std::set<std::string> names;
    std::error_code error;
    for (const auto& entry : fs::recursive_directory_iterator(folder, error))
        names.insert(entry.path().string());
    return names;
}

bool AllBlack(const QImage& picture)
{
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x)
            if (picture.pixel(x, y) & 0xFFFFFF)
                return false;
    return true;
}

// A work folder with a three-texture scene, track.T3D, and a desktop folder
// holding a two-file chain wall_A.tga / wall_A1.tga (top half red, bottom
// half blue; level 1 all green), a sub-folder and an unreadable .tga.
class EditorWork : public testing::Test {
protected:
    void SetUp() override
    {
        desk = work.path() / "desk";
        fs::create_directories(desk / "sub");
        stone = SceneTexture("stone", 16, 8, 8, 0x13, 2);
        grass = SceneTexture("grass", 8, 8, 16, 0x02, 1);
        sky = SceneTexture("sky", 4, 4, 24, 0x80, 1);
        trackPath = work.file("track.T3D");
        WriteScene(trackPath, {&stone, &grass, &sky});
        ASSERT_TRUE(
            WriteFileBytes((desk / "wall_A.tga").string(), Tga8(32, 32, [](int, int y) { return y < 16 ? 1 : 2; })));
        ASSERT_TRUE(WriteFileBytes((desk / "wall_A1.tga").string(), Tga8(16, 16, [](int, int) { return 3; })));
        ASSERT_TRUE(WriteFileBytes((desk / "broken.tga").string(), "not a picture"));
        editor = std::make_unique<EditorUnderTest>(desk.string());
        // Replace takes the flags of the file's name unasked, as it did before
        // it asked; the cases about the question choose again.
        editor->action(kTakeNameFlagsCommand)->trigger();
        // The right frame shows the files as read; the cases about the
        // replacement as it will go in turn it on again.
        editor->action(kAsItGoesInCommand)->trigger();
        textures = editor->control<QListWidget>(kTextureListId);
        details = editor->control<QListWidget>(kDetailsListId);
    }

    void Load(const std::string& path)
    {
        editor->script.openAnswers.push_back(QString::fromStdString(path));
        editor->run(kLoadCommand);
    }

    void SelectInTree(const QString& name)
    {
        QTreeWidgetItem* item = editor->tree->desktopEntry(name);
        ASSERT_NE(item, nullptr) << name.toStdString();
        editor->tree->setCurrentItem(item);
        editor->settle();
    }

    // A drag of one file entering the window and dropped over the control,
    // and what the window does with it; true when the window took it.
    bool Drop(const QString& path, int overControl)
    {
        QMimeData data;
        data.setUrls({QUrl::fromLocalFile(path)});
        auto* control = editor->control<QWidget>(overControl);
        const QPoint at = control->mapTo(editor->dialog.get(), control->rect().center());
        QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, {});
        QCoreApplication::sendEvent(editor->dialog.get(), &enter);
        QDropEvent dropped(QPointF(at), Qt::CopyAction, &data, Qt::LeftButton, {});
        const int asked = editor->script.discardQuestions;
        QCoreApplication::sendEvent(editor->dialog.get(), &dropped);
        // The window acts once the drop is over, asking nothing before.
        EXPECT_EQ(editor->script.discardQuestions, asked);
        QCoreApplication::sendPostedEvents(editor->dialog.get());
        editor->settle();
        return enter.isAccepted() && dropped.isAccepted();
    }

    // Texture 0 replaced by the desktop's wall_A chain.
    void ReplaceFirstWithWall()
    {
        textures->setCurrentRow(0);
        SelectInTree("wall_A.tga");
        editor->run(kReplaceCommand);
    }

    std::vector<int> TickedBoxes() const
    {
        std::vector<int> ticked;
        for (int id = kMipmapLevelsBoxId; id <= kNoZBufferBoxId; ++id)
            if (editor->control<QCheckBox>(id)->isChecked())
                ticked.push_back(id);
        return ticked;
    }

    const std::vector<ShownMessage>& messages() const { return editor->script.messages; }

    TempDir work;
    fs::path desk;
    TextureRecord stone, grass, sky;
    std::string trackPath;
    std::unique_ptr<EditorUnderTest> editor;
    QListWidget* textures = nullptr;
    QListWidget* details = nullptr;
};

}  // namespace

// The way through the window, step by step: load, choose, replace, save,
// extract, the PNG road, close. Each step starts from a fresh window.

TEST_F(EditorWork, LoadListsTheTexturesAndAChosenEntryShowsItsDetails)
{
    // Load: every texture name at its index, the save commands enabled.
    Load(trackPath);
    ASSERT_EQ(editor->script.openRequests.size(), 1u);
    const FileDialogRequest& open = editor->script.openRequests[0];
    EXPECT_EQ(open.title, "Choose VK7Q file");
    EXPECT_EQ(open.filter, "VK7Q files (*.T3D)");
    EXPECT_EQ(open.defaultSuffix, "T3D");
    EXPECT_TRUE(open.fileMustExist);
    EXPECT_EQ(Entries(textures), QStringList({"stone", "grass", "sky"}));
    for (int id : {57602, 57603, 32777, 32778, 32779})
        EXPECT_TRUE(editor->action(id)->isEnabled()) << id;

    // Select an entry: details, ticked boxes, the left frame.
    textures->setCurrentRow(0);
    EXPECT_EQ(Entries(details), QStringList({"16", "8", "8", "2"}));
    for (int line = 0; line < 4; ++line)
        EXPECT_LE(details->visualItemRect(details->item(line)).bottom(), details->viewport()->height()) << line;
    EXPECT_EQ(TickedBoxes(), std::vector<int>({1007, 1008, 1011}));
    EXPECT_FALSE(AllBlack(editor->framePicture(kSceneFrameId)));

    // A .tga in the tree fills the right frame; a folder clears it.
    SelectInTree("wall_A.tga");
    EXPECT_EQ(editor->framePicture(kReplacementFrameId).pixel(136, 100) & 0xFFFFFF, 0xFF0000u);
    EXPECT_EQ(editor->framePicture(kReplacementFrameId).pixel(136, 250) & 0xFFFFFF, 0x0000FFu);
    SelectInTree("sub");
    EXPECT_TRUE(AllBlack(editor->framePicture(kReplacementFrameId)));
    EXPECT_TRUE(messages().empty());
}

TEST_F(EditorWork, ReplaceRenamesTheEntryAndShowsWhatItHoldsNow)
{
    // The entry named after the file and still selected, details and boxes
    // refreshed.
    Load(trackPath);
    ReplaceFirstWithWall();
    EXPECT_EQ(Entries(textures), QStringList({"wall_A", "grass", "sky"}));
    EXPECT_EQ(textures->currentRow(), 0);
    EXPECT_EQ(Entries(details), QStringList({"32", "32", "8", "4"}));
    EXPECT_EQ(TickedBoxes(), std::vector<int>({1007, 1008}));
    EXPECT_EQ(editor->framePicture(kSceneFrameId).pixel(136, 100) & 0xFFFFFF, 0xFF0000u);
    EXPECT_TRUE(editor->dialog->hasUnsavedChanges());
    // Clicking the selected entry again selects it anew.
    details->clear();
    QTest::mouseClick(textures->viewport(), Qt::LeftButton, {}, textures->visualItemRect(textures->item(0)).center());
    EXPECT_EQ(Entries(details), QStringList({"32", "32", "8", "4"}));
    // Names on Replace: the scene texture keeps its name when so chosen.
    editor->run(kKeepSceneNameCommand);
    textures->setCurrentRow(1);
    editor->run(kReplaceCommand);
    EXPECT_EQ(Entries(textures), QStringList({"wall_A", "grass", "sky"}));
    EXPECT_EQ(Entries(details), QStringList({"32", "32", "8", "4"}));
    EXPECT_TRUE(messages().empty());
}

TEST_F(EditorWork, SaveAndSaveAsWriteTheReplacedChain)
{
    Load(trackPath);
    ReplaceFirstWithWall();
    TextureRecord chain;
    RecordingReport quiet;
    ASSERT_TRUE(TgaTextureReader((desk / "wall_A.tga").c_str(), chain, quiet));
    ASSERT_EQ(chain.record().levelCount, 4);
    std::strcpy(chain.record().name, "wall_A");

    // Save (new format), then compare with the chain read afresh.
    editor->run(kSaveNewCommand);
    EXPECT_FALSE(editor->dialog->hasUnsavedChanges());
    EXPECT_EQ(editor->control<QLabel>(kStatusLineId)->text(), "Saved track.T3D");
    {
        SCOPED_TRACE("Save");
        CVK7QScene saved;
        ASSERT_TRUE(saved.Load(work.file("track").c_str(), 0));
        ASSERT_EQ(saved.GetSceneHeader()->textureCount, 3);
        ExpectSameTexture(chain.record(), saved.GetSceneHeader()->textures[0]);
        // The DDS holds grass's one level; the reader makes the levels its size
        // asks for below it, as of any chain.
        const T3D_TEXTURE& grassBack = saved.GetSceneHeader()->textures[1];
        EXPECT_EQ(MasksOf(grass.record()), MasksOf(grassBack));
        EXPECT_EQ(0, std::memcmp(grass.record().levels[0], grassBack.levels[0], LevelByteCount(grass.record(), 0)));
    }

    // Save as (old format) to a new name without extension: the status line
    // names the file written.
    const std::string oldCopy = work.file("copy_old.T3D");
    editor->script.saveAnswers.push_back(QString::fromStdString(work.file("copy_old")));
    editor->run(kSaveAsOldCommand);
    EXPECT_EQ(editor->control<QLabel>(kStatusLineId)->text(),
              "Saved a copy as copy_old.T3D; Save still writes track.T3D");
    ASSERT_EQ(editor->script.saveRequests.size(), 1u);
    EXPECT_EQ(editor->script.saveRequests[0].title, "Choose VK7Q file");
    EXPECT_TRUE(editor->script.saveRequests[0].filter.isEmpty());
    EXPECT_TRUE(editor->script.saveRequests[0].defaultSuffix.isEmpty());
    {
        SCOPED_TRACE("Save as");
        CVK7QScene copy;
        ASSERT_TRUE(copy.Load(oldCopy.c_str(), 0));
        ASSERT_EQ(copy.GetSceneHeader()->textureCount, 3);
        ExpectSameTexture(chain.record(), copy.GetSceneHeader()->textures[0]);
        ExpectSameTexture(sky.record(), copy.GetSceneHeader()->textures[2]);
    }
    EXPECT_NE(ReadFileBytes(oldCopy).substr(0, 4), ReadFileBytes(trackPath).substr(0, 4));
    EXPECT_TRUE(messages().empty());
}

TEST_F(EditorWork, SaveAsSaysItWroteACopyAndReplaceSaysWhatItDidWhole)
{
    // Replace says what it did on the status line, whole: wrapped over up to
    // three lines, as its tooltip and to assistive tools, down to the name
    // the texture took from its file.
    Load(trackPath);
    ReplaceFirstWithWall();
    auto* status = editor->control<QLabel>(kStatusLineId);
    const QString said = status->text();
    EXPECT_TRUE(said.startsWith("Replaced stone with wall_A.tga: 16 x 8, 2 levels -> 32 x 32")) << said.toStdString();
    EXPECT_TRUE(said.endsWith("; wall_A, was stone")) << said.toStdString();
    EXPECT_EQ(status->toolTip(), said);
    EXPECT_EQ(status->accessibleName(), said);
    EXPECT_TRUE(status->wordWrap());
    EXPECT_GE(status->height(), 3 * status->fontMetrics().lineSpacing());
    EXPECT_LE(status->heightForWidth(status->width()), status->height());
    // A second texture named after the same file: asked first, renamed all
    // the same, and the line warns.
    textures->setCurrentRow(1);
    editor->script.choiceAnswers = {0};
    editor->run(kReplaceCommand);
    EXPECT_TRUE(status->text().endsWith("; wall_A, was grass; texture 0 is named wall_A too"))
        << status->text().toStdString();

    // Save as writes a copy, says that Save still writes the loaded file,
    // keeps the unsaved mark and offers the copy among the recent scenes.
    editor->script.saveAnswers.push_back(QString::fromStdString(work.file("copy")));
    editor->run(kSaveAsNewCommand);
    EXPECT_EQ(status->text(), "Saved a copy as copy.T3D; Save still writes track.T3D");
    EXPECT_TRUE(editor->dialog->hasUnsavedChanges());
    EXPECT_TRUE(editor->dialog->windowTitle().endsWith(" *"));
    EXPECT_EQ(QString(editor->action(kFirstRecentSceneCommand)->text()).remove('&'),
              "1 " + QString::fromStdString(work.file("copy.T3D")));
    editor->run(kSaveNewCommand);
    EXPECT_EQ(status->text(), "Saved track.T3D");
    EXPECT_FALSE(editor->dialog->hasUnsavedChanges());
    EXPECT_TRUE(messages().empty());
}

TEST_F(EditorWork, SaveAsksBeforeWritingOverAnotherProgramsSave)
{
    Load(trackPath);
    ReplaceFirstWithWall();
    CVK7QScene other;  // another program saves the scene meanwhile
    ASSERT_TRUE(other.Load(trackPath.c_str(), 0));
    ASSERT_EQ(1, other.ReplaceT3DTexture(2, &stone.record()));
    ASSERT_EQ(1, other.Write(trackPath.c_str()));
    const std::string theirs = ReadFileBytes(trackPath);

    editor->script.choiceAnswers = {2};  // Cancel
    editor->run(kSaveNewCommand);
    ASSERT_EQ(editor->script.questions.size(), 1u);
    EXPECT_EQ(editor->script.questions[0].text, "The scene file changed on disk since it was loaded.");
    EXPECT_EQ(editor->script.questions[0].buttons, QStringList({"Save &over it", "Save &as...", "&Cancel"}));
    EXPECT_EQ(ReadFileBytes(trackPath), theirs);
    EXPECT_TRUE(editor->dialog->hasUnsavedChanges());

    editor->script.choiceAnswers = {0};  // Save over it
    editor->run(kSaveNewCommand);
    editor->settle();
    EXPECT_FALSE(editor->dialog->hasUnsavedChanges());
    CVK7QScene saved;
    ASSERT_TRUE(saved.Load(trackPath.c_str(), 0));
    EXPECT_STREQ(saved.GetSceneHeader()->textures[0].name, "wall_A");
    EXPECT_STREQ(saved.GetSceneHeader()->textures[2].name, "sky");
    EXPECT_TRUE(messages().empty());
}

// Replace without a window: the command asks through the prompts, converts
// off the window's thread and tells what it did through its signals.
TEST(ReplaceCommandAlone, AsksConvertsAndTellsThroughItsSignals)
{
    TempDir work;
    const TextureRecord stone = SceneTexture("stone", 16, 8, 8, 0x80000013, 2);
    const TextureRecord wall = SceneTexture("wall_A", 8, 8, 8, 0x03, 1);
    WriteScene(work.file("s.T3D"), {&stone, &wall});
    ASSERT_TRUE(WriteFileBytes(work.file("wall_A.tga"), Tga8(32, 32, [](int, int y) { return y < 16 ? 1 : 2; })));
    ScriptedPrompts script;
    const EditorPrompts prompts = script.prompts();
    GatheringReport report(prompts);
    SceneDocument document(nullptr);
    Replacement replacement(report, nullptr);
    ReplaceCommand command(document, replacement, prompts, report, nullptr);
    QObject::connect(&replacement, &Replacement::changed, &command, &ReplaceCommand::resume);  // as the window does
    QSignalSpy loaded(&document, &SceneDocument::loaded), replaced(&command, &ReplaceCommand::replaced),
        ended(&command, &ReplaceCommand::ended), said(&command, &ReplaceCommand::said);
    ASSERT_TRUE(document.load(work.file("s.T3D")));
    ASSERT_TRUE(loaded.wait(kEventWaitMilliseconds));
    replacement.pick(QString::fromStdString(work.file("wall_A.tga")), false);

    // Cancel at the flags question: nothing goes in.
    script.choiceAnswers = {2};
    command.start(0, {StaleLevelsChoice(), FlagsChoice::Ask, MipFilter::point});
    ASSERT_TRUE(!ended.isEmpty() || ended.wait(kEventWaitMilliseconds));
    EXPECT_TRUE(replaced.isEmpty());
    ASSERT_EQ(said.size(), 1);
    EXPECT_EQ(script.questions.size(), 1u);
    EXPECT_FALSE(document.hasUnsavedChanges());

    // Keep the scene texture's flags: every bit but the mipmap bit stays;
    // the file's name is texture 1's, so the name is asked about: kept.
    script.choiceAnswers = {0, 1};
    command.start(0, {StaleLevelsChoice(), FlagsChoice::Ask, MipFilter::point});
    ASSERT_TRUE(!replaced.isEmpty() || replaced.wait(kEventWaitMilliseconds));
    EXPECT_EQ(replaced[0][0].toInt(), 0);
    EXPECT_TRUE(replaced[0][1].toString().startsWith("Replaced stone with wall_A.tga: "))
        << replaced[0][1].toString().toStdString();
    EXPECT_FALSE(command.isActive());
    ASSERT_EQ(script.questions.size(), 3u);
    EXPECT_EQ(script.questions[2].buttons, QStringList({"&Rename", "&Keep the scene texture's name", "&Cancel"}));
    EXPECT_STREQ(document.texture(0)->name, "stone");
    EXPECT_EQ(document.texture(0)->flags, 0x80000013u);
    EXPECT_TRUE(script.messages.empty());
}

TEST_F(EditorWork, ExtractWritesTheChainOrSaysWhyItWritesNothing)
{
    Load(trackPath);
    ReplaceFirstWithWall();

    // Extract the 16-bit texture and read the chain back.
    textures->setCurrentRow(1);
    fs::create_directories(work.path() / "out");
    const std::string extracted = work.file("out/grass.tga");
    editor->script.saveAnswers.push_back(QString::fromStdString(extracted));
    editor->run(kExtractCommand);
    ASSERT_EQ(editor->script.saveRequests.size(), 1u);
    const FileDialogRequest& extract = editor->script.saveRequests[0];
    EXPECT_EQ(extract.title, "Choose tga save name");
    EXPECT_EQ(extract.filter,
              "tga pictures files (*.tga);;PNG images (*.png);;DDS textures (*.dds);;DDS with palette (*.dds)");
    EXPECT_EQ(extract.defaultSuffix, "tga");
    EXPECT_EQ(extract.startName, "grass");
    TextureRecord back;
    RecordingReport quiet;
    ASSERT_TRUE(TgaTextureReader(extracted.c_str(), back, quiet));
    EXPECT_EQ(back.record().width, 8);
    EXPECT_EQ(back.record().depth, 16);
    EXPECT_EQ(std::memcmp(back.record().levels[0], grass.record().levels[0], 8 * 8 * 2), 0);
    EXPECT_EQ(editor->control<QLabel>(kStatusLineId)->text(), "Extracted grass to grass.tga");

    // A name the rule cannot carry past level 0 of the replaced chain, and
    // the scene file itself: each is said, with the reason, and nothing is
    // written.
    textures->setCurrentRow(0);
    const size_t outFiles = FolderEntries(work.path() / "out").size();
    for (const std::string& name : {work.file("out/wall_9.tga"), trackPath}) {
        editor->script.saveAnswers.push_back(QString::fromStdString(name));
        editor->run(kExtractCommand);
    }
    ASSERT_EQ(messages().size(), 2u);
    EXPECT_EQ(messages()[0].text.toStdString(),
              "Can't name all 4 mip levels after TGA file " + work.file("out/wall_9.tga") +
                  ": its level numbers would run past 9. A name that works: wall_0.tga");
    EXPECT_EQ(messages()[1].text.toStdString(),
              "Can't write TGA file " + trackPath + ": it is a file the output is made from");
    EXPECT_EQ(FolderEntries(work.path() / "out").size(), outFiles);
}

TEST_F(EditorWork, APngExtractedThenPickedGoesInInTheScenesFormat)
{
    // The 24-bit texture extracted as a PNG (any case) reads back as its
    // pixels at depth 32; Extract picks it in the tree, where it shows as
    // 32-bit, and Replace puts it into the 16-bit texture in that texture's
    // format.
    Load(trackPath);
    textures->setCurrentRow(2);
    const fs::path skyPng = desk / "sky_A.PNG";
    editor->script.saveAnswers.push_back(QString::fromStdString(skyPng.string()));
    editor->run(kExtractCommand);
    EXPECT_EQ(editor->control<QLabel>(kStatusLineId)->text(), "Extracted sky to sky_A.PNG");
    TextureRecord back;
    RecordingReport quiet;
    ASSERT_TRUE(ReadTextureChain(skyPng.string(), back, quiet));
    ASSERT_EQ(back.record().depth, 32);
    ASSERT_EQ(back.record().width, 4);
    for (int i = 0; i < 16; ++i)
        EXPECT_EQ(std::memcmp(back.record().levels[0] + 4 * i, sky.record().levels[0] + 3 * i, 3), 0) << i;
    EXPECT_EQ(editor->tree->currentItem(), editor->tree->desktopEntry("sky_A.PNG"));
    EXPECT_TRUE(editor->control<QWidget>(kReplacementFrameId)->toolTip().startsWith("4 x 4 \u00B7 32 bit"));
    textures->setCurrentRow(1);
    editor->run(kReplaceCommand);
    EXPECT_EQ(Entries(textures), QStringList({"stone", "sky_A", "sky"}));
    EXPECT_EQ(Entries(details), QStringList({"4", "4", "16", "1"}));
    editor->run(kSaveNewCommand);
    CVK7QScene saved;
    ASSERT_TRUE(saved.Load(trackPath.c_str(), 0));
    const T3D_TEXTURE& replaced = saved.GetSceneHeader()->textures[1];
    EXPECT_EQ(std::string(replaced.name), "sky_A");
    EXPECT_EQ(replaced.depth, 16);
    EXPECT_EQ(replaced.greenMask, grass.record().greenMask);
    EXPECT_TRUE(messages().empty());
}

// With a scene texture chosen, the right frame shows the replacement as it
// will go in, converted off the window's thread as the Action menu says:
// Replace then puts in that very texture, at every depth and dithered or
// not, taking the conversion made for the frame, and says what it cost.
TEST_F(EditorWork, TheReplacementAsItWillGoInIsWhatReplacePutsIn)
{
    const TextureRecord scene[] = {
        SceneTexture("d8", 8, 8, 8, 0, 1),
        SceneTexture("d555", 8, 8, 16, 0, 1),
        TextureBuilder(8, 8, 16).name("d565").masks(0xF800, 0x07E0, 0x001F, 0).build(),
        SceneTexture("d24", 8, 8, 24, 0, 1),
        SceneTexture("d32", 8, 8, 32, 0, 1),
    };
    const std::string path = work.file("depths.T3D");
    WriteScene(path, {&scene[0], &scene[1], &scene[2], &scene[3], &scene[4]});
    // More colours than a palette holds.
    ASSERT_TRUE(WriteFileBytes((desk / "paint.png").string(), RgbPng(40, 24, [](int x, int y) {
                                   return uint32_t(x * 6 << 16 | y * 10 << 8 | x * y);
                               })));
    Load(path);
    editor->run(kAsItGoesInCommand);
    editor->run(kKeepSceneNameCommand);
    SelectInTree("paint.png");
    auto* view = editor->dialog->findChild<ReplacementView*>();
    auto* replacement = editor->dialog->findChild<Replacement*>();
    auto* document = editor->dialog->findChild<SceneDocument*>();
    auto* frame = editor->control<PreviewFrame>(kReplacementFrameId);
    const struct {
        int index;
        bool dither;
    } cases[] = {{0, true}, {0, false}, {1, true}, {2, true}, {3, true}, {4, true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.index << (c.dither ? " dithered" : ""));
        if (editor->action(kDitherCommand)->isChecked() != c.dither)
            editor->run(kDitherCommand);
        textures->setCurrentRow(c.index);
        editor->settle();
        const T3D_TEXTURE* shown = view->shown();
        ASSERT_NE(shown, nullptr);
        EXPECT_EQ(shown->depth, scene[c.index].record().depth);
        EXPECT_TRUE(frame->caption().contains("As it will go in: ")) << frame->caption().toStdString();
        const std::vector<LevelCost> costs = ConversionCost(replacement->texture(), *shown);
        const QString cost = QString::fromStdString(ConversionCostText(costs));
        const QString lines = QString::fromStdString(ConversionCostText(costs, "\n"));
        EXPECT_TRUE(frame->toolTip().endsWith(QString::fromLatin1(kConversionCostText).arg(lines)));
        editor->run(kReplaceCommand);
        ASSERT_EQ(view->shown(), shown) << "Replace took the conversion made for the frame";
        ExpectSameTexture(*shown, *document->texture(unsigned(c.index)), TextureParts::pixels);
        const QString said = editor->control<QLabel>(kStatusLineId)->text();
        EXPECT_TRUE(said.endsWith("; " + cost)) << said.toStdString();
    }
    // Replace waits for none but the conversion the frame shows.
    const Replacement::Conversion conversion{FormatOf(*document->texture(4)), false};
    const Replacement::Made* made = replacement->asItGoesIn(conversion);
    ASSERT_NE(made, nullptr);
    const Replacement::Made* taken = nullptr;
    replacement->convert(conversion, [&taken](const Replacement::Made& done) { taken = &done; });
    editor->settle();
    EXPECT_EQ(taken, made);
    // A TGA chain keeps its own format: nothing converts, the frame shows the
    // file as read, and that is what Replace puts in.
    SelectInTree("wall_A.tga");
    editor->settle();
    EXPECT_EQ(view->shown(), &replacement->texture());
    EXPECT_TRUE(frame->caption().contains("As it will go in: 8 bit")) << frame->caption().toStdString();
    editor->run(kReplaceCommand);
    ExpectSameTexture(replacement->texture(), *document->texture(4), TextureParts::pixels);
    // Turned off, the frame shows the file as read.
    editor->run(kAsItGoesInCommand);
    EXPECT_EQ(view->shown(), &replacement->texture());
    EXPECT_TRUE(messages().empty());
}

TEST_F(EditorWork, ADdsExtractedThenPickedGoesBackBitForBit)
{
    // The 8-bit texture of two levels extracted as one DDS, as 32-bit colours,
    // and the 16-bit one in its own 5-5-5; each is picked in the tree and put
    // back by Replace: the 8-bit one pixel for pixel, the 16-bit one byte for
    // byte.
    Load(trackPath);
    for (const int row : {0, 1}) {
        textures->setCurrentRow(row);
        const std::string name = textures->item(row)->text().toStdString();
        const fs::path dds = desk / (name + ".dds");
        editor->script.saveAnswers.push_back(QString::fromStdString(dds.string()));
        editor->run(kExtractCommand);
        EXPECT_EQ(editor->control<QLabel>(kStatusLineId)->text().toStdString(),
                  "Extracted " + name + " to " + name + ".dds");
        EXPECT_FALSE(fs::exists(desk / (name + "1.dds")));
        EXPECT_EQ(editor->tree->currentItem(), editor->tree->desktopEntry(QString::fromStdString(name + ".dds")));
        const int depth = row == 0 ? 32 : 16;
        EXPECT_TRUE(editor->control<QWidget>(kReplacementFrameId)
                        ->toolTip()
                        .contains(QStringLiteral("\u00B7 %1 bit").arg(depth)));
        editor->run(kReplaceCommand);
    }
    editor->run(kSaveNewCommand);
    CVK7QScene saved;
    ASSERT_TRUE(saved.Load(trackPath.c_str(), 0));
    // The DDS holds grass's one level; the reader makes the levels its size
    // asks for below it, as of any chain.
    const T3D_TEXTURE& grassBack = saved.GetSceneHeader()->textures[1];
    EXPECT_EQ(MasksOf(grass.record()), MasksOf(grassBack));
    EXPECT_EQ(0, std::memcmp(grass.record().levels[0], grassBack.levels[0], LevelByteCount(grass.record(), 0)));
    TextureRecord stoneBack;
    ASSERT_TRUE(CopyTexture(saved.GetSceneHeader()->textures[0], stoneBack));
    EXPECT_EQ(stoneBack.record().depth, 8);  // a DDS takes the scene texture's format
    for (const int level : {0, 1})
        EXPECT_EQ(ExpandLevelToArgb(stone.record(), level), ExpandLevelToArgb(stoneBack.record(), level)) << level;
    EXPECT_TRUE(messages().empty());
}

TEST_F(EditorWork, CloseEmptiesTheListsAndKeepsTheRightFrame)
{
    // Lists empty, boxes clear, left frame black, right frame kept.
    Load(trackPath);
    ReplaceFirstWithWall();
    editor->run(kSaveNewCommand);
    const QImage rightFrame = editor->framePicture(kReplacementFrameId);
    editor->run(kCloseCommand);
    EXPECT_EQ(textures->count(), 0);
    EXPECT_EQ(details->count(), 0);
    EXPECT_TRUE(TickedBoxes().empty());
    EXPECT_TRUE(AllBlack(editor->framePicture(kSceneFrameId)));
    EXPECT_EQ(editor->framePicture(kReplacementFrameId), rightFrame);
    for (int id : {57602, 57603, 32777, 32778, 32779})
        EXPECT_FALSE(editor->action(id)->isEnabled()) << id;
    editor->dialog->repaint();
    EXPECT_TRUE(AllBlack(editor->framePicture(kSceneFrameId)));
    EXPECT_TRUE(messages().empty());
}

TEST_F(EditorWork, SaveAsRefusesTheReplacementsFilesAndExtractAsksBeforeWritingOverThem)
{
    // Save as to a later file of the replacement's chain, reached through a
    // link: refused before anything is written.
    Load(trackPath);
    SelectInTree("wall_A.tga");
    textures->setCurrentRow(0);
    fs::create_symlink(desk / "wall_A1.tga", work.path() / "link.tga");
    const std::string first = ReadFileBytes((desk / "wall_A.tga").string());
    const std::string second = ReadFileBytes((desk / "wall_A1.tga").string());
    editor->script.saveAnswers = {QString::fromStdString(work.file("link.tga"))};
    editor->run(kSaveAsNewCommand);
    ASSERT_EQ(messages().size(), 1u);
    EXPECT_EQ(messages()[0].text.toStdString(),
              "error during writing file\n" + work.file("link.tga") + ": it is a file of the replacement texture");
    EXPECT_TRUE(fs::is_symlink(work.path() / "link.tga"));

    // Extract over the replacement's chain asks once more, naming its files;
    // No writes nothing, Yes writes them.
    const std::string wall = (desk / "wall_A.tga").string(), wall1 = (desk / "wall_A1.tga").string();
    editor->script.saveAnswers = {QString::fromStdString(wall), QString::fromStdString(wall)};
    editor->script.choiceAnswers = {1, 0};
    editor->run(kExtractCommand);
    ASSERT_EQ(editor->script.questions.size(), 1u);
    EXPECT_EQ(editor->script.questions[0].text.toStdString(),
              "These are files of the picked replacement:\n" + wall + "\n" + wall1 + "\nExtract over them?");
    EXPECT_EQ(editor->script.questions[0].buttons, QStringList({"&Extract", "&Cancel"}));
    EXPECT_EQ(editor->script.questions[0].defaultButton, 1);
    EXPECT_EQ(ReadFileBytes(wall), first);
    EXPECT_EQ(ReadFileBytes(wall1), second);
    editor->run(kExtractCommand);
    TextureRecord back;
    RecordingReport quiet;
    ASSERT_TRUE(TgaTextureReader(wall.c_str(), back, quiet));
    ASSERT_EQ(back.record().width, 16);
    EXPECT_EQ(std::memcmp(back.record().levels[0], stone.record().levels[0], 16 * 8), 0);
    EXPECT_NE(ReadFileBytes(wall1), second);
    EXPECT_EQ(messages().size(), 1u);
}

TEST_F(EditorWork, ExportedTexturesComeBackInOneStepThatUndoTakesBackWhole)
{
    Load(trackPath);
    auto* document = editor->dialog->findChild<SceneDocument*>();
    const std::string pack = work.file("pack");
    const auto in = [&pack](const char* name) { return pack + "/" + name; };

    // Export: TGA offered at first, PNG chosen; the chains and the manifest
    // written, and named in the status line.
    editor->script.exportAnswers.push_back({QString::fromStdString(pack), TextureFileKind::png});
    editor->run(kExportTexturesCommand);
    EXPECT_EQ(editor->control<QLabel>(kStatusLineId)->text(),
              "Exported 3 textures to pack: 4 PNG files and textures.tsv");
    EXPECT_EQ(FolderEntries(pack),
              std::vector<std::string>({"grass.png", "sky.png", "stone.png", "stone_1.png", "textures.tsv"}));
    EXPECT_EQ(ReadFileBytes(in("textures.tsv")).find("# quorrel textures 1\nindex\tname\tfile\t"), 0u);
    // Again: the dialog offers what was chosen, and files already there are
    // written over only when the user agrees.
    const std::string manifest = ReadFileBytes(in("textures.tsv"));
    editor->script.exportAnswers.push_back({QString::fromStdString(pack), TextureFileKind::tga});
    editor->script.choiceAnswers.push_back(1);
    editor->run(kExportTexturesCommand);
    ASSERT_EQ(editor->script.exportOffers.size(), 2u);
    EXPECT_TRUE(editor->script.exportOffers[0].folder.isEmpty());
    EXPECT_EQ(editor->script.exportOffers[0].kind, TextureFileKind::tga);
    EXPECT_EQ(editor->script.exportOffers[1].folder.toStdString(), pack);
    EXPECT_EQ(editor->script.exportOffers[1].kind, TextureFileKind::png);
    ASSERT_EQ(editor->script.questions.size(), 1u);
    EXPECT_EQ(editor->script.questions[0].text.toStdString(),
              pack + " already holds files that the export writes:\ntextures.tsv\nWrite over them?");
    EXPECT_EQ(ReadFileBytes(in("textures.tsv")), manifest);

    // Nothing painted: nothing to import.
    editor->script.openAnswers = {QString::fromStdString(pack), QString::fromStdString(pack),
                                  QString::fromStdString(pack)};
    editor->script.importAnswers = {false, false, true};
    editor->run(kImportTexturesCommand);
    ASSERT_EQ(editor->script.importSummaries.size(), 1u);
    EXPECT_EQ(editor->script.importSummaries[0].heading, "Would change: 0. Unchanged: 3. Cannot be imported: 0.");
    EXPECT_TRUE(editor->script.importSummaries[0].rows.empty());
    EXPECT_FALSE(editor->script.importSummaries[0].changesSomething);

    // Two chains painted, one damaged: the summary says so, row by row, and
    // Cancel changes nothing.
    ASSERT_TRUE(WriteFileBytes(in("grass.png"), RgbPng(8, 8, [](int x, int) { return x < 4 ? 0xFF0000 : 0x0000FF; })));
    ASSERT_TRUE(WriteFileBytes(in("sky.png"), RgbPng(8, 8, [](int, int y) { return y < 4 ? 0x00FF00 : 0xFFFFFF; })));
    ASSERT_TRUE(WriteFileBytes(in("stone.png"), ReadFileBytes(in("stone.png")).substr(0, 40)));
    editor->run(kImportTexturesCommand);
    ASSERT_EQ(editor->script.importSummaries.size(), 2u);
    const ImportSummary& summary = editor->script.importSummaries[1];
    EXPECT_EQ(summary.heading, "Would change: 2. Unchanged: 0. Cannot be imported: 1.");
    ASSERT_EQ(summary.rows.size(), 3u);
    EXPECT_EQ(summary.rows[0].kind, ImportSummaryRow::Kind::Fails);
    EXPECT_EQ(summary.rows[0].texture, "stone");
    EXPECT_EQ(summary.rows[0].before, "16 x 8, 8 bit, 2 levels");
    EXPECT_EQ(summary.rows[0].after, "not imported");
    EXPECT_TRUE(summary.rows[0].remark.startsWith("stone.png ")) << summary.rows[0].remark.toStdString();
    EXPECT_EQ(summary.rows[1].kind, ImportSummaryRow::Kind::Changes);
    EXPECT_EQ(summary.rows[1].texture, "grass");
    EXPECT_EQ(summary.rows[1].before, "8 x 8, 16 bit, 1 level");
    EXPECT_TRUE(summary.rows[1].after.startsWith("8 x 8, 16 bit, ")) << summary.rows[1].after.toStdString();
    EXPECT_EQ(summary.rows[2].before, "4 x 4, 24 bit, 1 level");
    EXPECT_TRUE(summary.rows[2].after.startsWith("8 x 8, 24 bit, ")) << summary.rows[2].after.toStdString();
    EXPECT_TRUE(summary.rows[2].remark.startsWith("4 x 4 -> 8 x 8")) << summary.rows[2].remark.toStdString();
    EXPECT_TRUE(summary.changesSomething);
    EXPECT_FALSE(editor->dialog->hasUnsavedChanges());
    EXPECT_EQ(document->texture(2)->width, 4);

    // Import: both go in, in the scene's formats; one Undo takes both back,
    // one Redo puts both in again.
    editor->run(kImportTexturesCommand);
    EXPECT_EQ(editor->control<QLabel>(kStatusLineId)->text(), "Imported 2 textures from pack");
    EXPECT_TRUE(editor->dialog->hasUnsavedChanges());
    EXPECT_EQ(document->texture(1)->depth, 16);
    EXPECT_EQ(document->texture(2)->width, 8);
    EXPECT_STREQ(document->texture(2)->name, "sky");
    editor->run(kUndoCommand);
    ExpectSameTexture(stone.record(), *document->texture(0));
    ExpectSameTexture(grass.record(), *document->texture(1));
    ExpectSameTexture(sky.record(), *document->texture(2));
    EXPECT_FALSE(editor->dialog->hasUnsavedChanges());
    EXPECT_FALSE(editor->action(kUndoCommand)->isEnabled());
    editor->run(kRedoCommand);
    EXPECT_EQ(document->texture(2)->width, 8);
    EXPECT_NE(std::memcmp(document->texture(1)->levels[0], grass.record().levels[0], 8 * 8 * 2), 0);
    EXPECT_TRUE(messages().empty());
}

// Import follows the Action menu's choice for smaller levels: a repainted
// first file leaves the exported levels stale, so they are made anew unless
// the files are to be used.
TEST_F(EditorWork, ImportFollowsTheSmallerLevelsChoice)
{
    TextureRecord wall = SceneTexture("wall_A", 64, 64, 24, 0x01, 3);
    const std::string scene = work.file("wall.T3D"), pack = work.file("pack");
    WriteScene(scene, {&wall});
    Load(scene);
    editor->script.exportAnswers.push_back({QString::fromStdString(pack), TextureFileKind::png});
    editor->run(kExportTexturesCommand);
    ASSERT_TRUE(
        WriteFileBytes(pack + "/wall_A.png", RgbPng(64, 64, [](int x, int) { return x < 32 ? 0xFF0000 : 0x00FF00; })));
    editor->script.openAnswers = {QString::fromStdString(pack), QString::fromStdString(pack)};
    editor->script.importAnswers = {false, false};
    editor->run(kImportTexturesCommand);
    editor->run(kUseLevelFilesCommand);
    editor->run(kImportTexturesCommand);
    const std::vector<ImportSummary>& summaries = editor->script.importSummaries;
    ASSERT_EQ(summaries.size(), 2u);
    ASSERT_EQ(summaries[0].rows.size(), 1u);
    ASSERT_EQ(summaries[1].rows.size(), 1u);
    EXPECT_TRUE(summaries[0].rows[0].remark.contains("levels 1 and 2 made from the ones above"))
        << summaries[0].rows[0].remark.toStdString();
    EXPECT_FALSE(summaries[1].rows[0].remark.contains("made from")) << summaries[1].rows[0].remark.toStdString();
}

TEST_F(EditorWork, CancellingADialogChangesAndWritesNothing)
{
    editor->script.openAnswers.push_back(QString());
    editor->run(kLoadCommand);
    EXPECT_EQ(textures->count(), 0);
    EXPECT_FALSE(editor->action(kSaveNewCommand)->isEnabled());

    Load(trackPath);
    textures->setCurrentRow(2);
    SelectInTree("wall_A.tga");
    editor->run(kReplaceCommand);
    const std::set<std::string> before = FolderContents(work.path());
    const std::string trackBytes = ReadFileBytes(trackPath);

    editor->script.openAnswers.push_back(QString());
    editor->run(kLoadCommand);
    for (int command : {kSaveAsNewCommand, kSaveAsOldCommand, kExtractCommand}) {
        editor->script.saveAnswers.push_back(QString());
        editor->run(command);
    }
    EXPECT_EQ(editor->script.saveRequests.size(), 3u);
    EXPECT_TRUE(editor->script.saveAnswers.empty());
    EXPECT_EQ(FolderContents(work.path()), before);
    EXPECT_EQ(ReadFileBytes(trackPath), trackBytes);
    EXPECT_EQ(textures->count(), 3);
    EXPECT_EQ(textures->currentRow(), 2);
    EXPECT_TRUE(editor->dialog->hasUnsavedChanges());
    EXPECT_TRUE(messages().empty());
}

TEST_F(EditorWork, FailedLoadKeepsTheLoadedSceneAndItsPath)
{
    Load(trackPath);
    textures->setCurrentRow(1);
    const std::string badPath = work.file("bad.T3D");
    ASSERT_TRUE(WriteFileBytes(badPath, "VK7N but nothing else"));

    Load(badPath);
    Load(work.file("absent.T3D"));
    ASSERT_EQ(messages().size(), 2u);
    EXPECT_EQ(messages()[0].caption, "quorrel");
    // The message's own text, then which file and why.
    EXPECT_EQ(messages()[0].text, QString::fromStdString("File not loaded\n" + badPath +
                                                         ": is damaged: file header checksum does not match"));
    EXPECT_EQ(messages()[1].text,
              QString::fromStdString("File not loaded\n" + work.file("absent.T3D") + ": does not exist"));
    EXPECT_EQ(Entries(textures), QStringList({"stone", "grass", "sky"}));
    EXPECT_EQ(Entries(details), QStringList({"8", "8", "16", "1"}));
    EXPECT_TRUE(editor->action(kSaveNewCommand)->isEnabled());

    // Save still writes the scene that is loaded, to its own file.
    SelectInTree("wall_A.tga");
    editor->run(kReplaceCommand);
    editor->run(kSaveOldCommand);
    EXPECT_EQ(ReadFileBytes(badPath), "VK7N but nothing else");
    CVK7QScene saved;
    ASSERT_TRUE(saved.Load(trackPath.c_str(), 0));
    EXPECT_EQ(std::string(saved.GetSceneHeader()->textures[1].name), "wall_A");
    EXPECT_EQ(messages().size(), 2u);
}

TEST_F(EditorWork, AFileNamedOnTheCommandLineLoadsWithoutAFileDialog)
{
    // As the program starts with a file: loaded from a zero timer once the
    // window runs, then the window is activated and the list takes the focus.
    // Nothing is chosen by that.
    QTimer::singleShot(0, editor->dialog.get(),
                       [this] { editor->dialog->openSceneFile(QString::fromStdString(trackPath)); });
    editor->dialog->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(editor->dialog.get(), kEventWaitMilliseconds));
    ASSERT_TRUE(QTest::qWaitFor([this] { return textures->count() > 0; }, kEventWaitMilliseconds)) << "never loaded";
    editor->settle();
    textures->setFocus(Qt::ActiveWindowFocusReason);
    // The focus arrives, and what it sets off is handled.
    ASSERT_TRUE(QTest::qWaitFor([this] { return textures->hasFocus(); }, kEventWaitMilliseconds));
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents();
    EXPECT_TRUE(editor->script.openRequests.empty());
    EXPECT_EQ(Entries(textures), QStringList({"stone", "grass", "sky"}));
    EXPECT_TRUE(editor->action(kSaveNewCommand)->isEnabled());
    EXPECT_TRUE(textures->selectedItems().isEmpty());
    EXPECT_EQ(details->count(), 0);
    EXPECT_TRUE(AllBlack(editor->framePicture(kSceneFrameId)));

    editor->dialog->openSceneFile(QString::fromStdString(work.file("missing.T3D")));
    editor->settle();
    ASSERT_EQ(messages().size(), 1u);
    EXPECT_EQ(messages()[0].text,
              QString::fromStdString("File not loaded\n" + work.file("missing.T3D") + ": does not exist"));
    EXPECT_EQ(textures->count(), 3);
}

TEST_F(EditorWork, ScenesNamedWithDotsOrALowerCaseExtensionLoadAndSaveInPlace)
{
    for (const char* name : {"level.1.T3D", "lower.t3d"}) {
        SCOPED_TRACE(name);
        const std::string path = work.file(name);
        WriteFileBytes(path, ReadFileBytes(trackPath));
        const std::set<std::string> before = FolderContents(work.path());

        Load(path);
        EXPECT_TRUE(messages().empty());
        EXPECT_EQ(Entries(textures), QStringList({"stone", "grass", "sky"}));
        textures->setCurrentRow(2);
        SelectInTree("wall_A.tga");
        editor->run(kReplaceCommand);
        editor->run(kSaveNewCommand);

        // The loaded file itself holds the replacement; no file was added.
        EXPECT_EQ(FolderContents(work.path()), before);
        CVK7QScene saved;
        ASSERT_TRUE(saved.Load(path.c_str(), 0));
        EXPECT_EQ(std::string(saved.GetSceneHeader()->textures[2].name), "wall_A");
        EXPECT_FALSE(editor->dialog->hasUnsavedChanges());
    }
}

TEST_F(EditorWork, TheScenesFileIsDecidedOnceAtLoad)
{
    // Named without its extension, as on the command line: track.T3D loads and
    // stays the scene's file, also once a regular file named "track" appears.
    const std::string bare = work.file("track");
    editor->dialog->openSceneFile(QString::fromStdString(bare));
    editor->settle();
    EXPECT_EQ(editor->dialog->windowTitle(), "Quorrel - track.T3D");
    ReplaceFirstWithWall();
    ASSERT_TRUE(WriteFileBytes(bare, "not a scene"));
    editor->run(kSaveNewCommand);
    EXPECT_EQ(ReadFileBytes(bare), "not a scene");
    CVK7QScene saved;
    ASSERT_TRUE(saved.Load(trackPath.c_str(), 0));
    EXPECT_EQ(std::string(saved.GetSceneHeader()->textures[0].name), "wall_A");

    // Save as onto that file is a save of the scene's own file.
    textures->setCurrentRow(1);
    editor->script.choiceAnswers = {0};  // texture 0 is named wall_A already: rename all the same
    editor->run(kReplaceCommand);
    ASSERT_TRUE(editor->dialog->hasUnsavedChanges());
    editor->script.saveAnswers.push_back(QString::fromStdString(trackPath));
    editor->run(kSaveAsOldCommand);
    EXPECT_FALSE(editor->dialog->hasUnsavedChanges());
    EXPECT_EQ(ReadFileBytes(bare), "not a scene");
    EXPECT_TRUE(messages().empty());
}

TEST_F(EditorWork, CloseAndLoadAskBeforeDroppingUnsavedReplacements)
{
    Load(trackPath);
    textures->setCurrentRow(0);
    SelectInTree("wall_A.tga");
    editor->run(kReplaceCommand);

    // Keeping them: Close and Load change nothing.
    editor->script.discardAnswers = {false, false};
    editor->run(kCloseCommand);
    Load(trackPath);
    EXPECT_EQ(editor->script.discardQuestions, 2);
    EXPECT_EQ(textures->item(0)->text(), "wall_A");
    EXPECT_TRUE(editor->dialog->hasUnsavedChanges());
    EXPECT_TRUE(editor->action(kSaveNewCommand)->isEnabled());

    // Discarding them: Load reads the file afresh.
    editor->script.discardAnswers = {true};
    Load(trackPath);
    EXPECT_EQ(editor->script.discardQuestions, 3);
    EXPECT_EQ(Entries(textures), QStringList({"stone", "grass", "sky"}));
    EXPECT_FALSE(editor->dialog->hasUnsavedChanges());
}

TEST_F(EditorWork, FailedWriteSaysSoAndLeavesTheOldFileWhole)
{
    Load(trackPath);
    textures->setCurrentRow(0);
    SelectInTree("wall_A.tga");
    editor->run(kReplaceCommand);
    const std::string trackBytes = ReadFileBytes(trackPath);
    const std::set<std::string> before = FolderContents(work.path());

    // Files may not grow past 64 bytes: every scene write fails part way.
    rlimit saved{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = saved;
    small.rlim_cur = 64;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    editor->run(kSaveNewCommand);
    editor->script.saveAnswers.push_back(QString::fromStdString(work.file("other.T3D")));
    editor->run(kSaveAsOldCommand);
    // Quit, answering Save: the save fails, says so, and the window stays.
    editor->script.discardAnswers = {UnsavedAnswer::Save};
    editor->run(kQuitCommand);
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, oldHandler);
    EXPECT_TRUE(editor->dialog->isVisible());

    ASSERT_EQ(messages().size(), 3u);
    EXPECT_EQ(messages()[2].text, messages()[0].text);
    const std::string why = ": could not be written: " + std::string(std::strerror(EFBIG));
    EXPECT_EQ(messages()[0].text, QString::fromStdString("error during writing file\n" + trackPath + why));
    EXPECT_EQ(messages()[1].text, QString::fromStdString("error during writing file\n" + work.file("other.T3D") + why));
    for (const ShownMessage& message : messages()) {
        EXPECT_EQ(message.caption, "quorrel");
        EXPECT_EQ(message.kind, MessageKind::Error);
    }
    EXPECT_EQ(ReadFileBytes(trackPath), trackBytes);
    EXPECT_EQ(FolderContents(work.path()), before);
    EXPECT_TRUE(editor->dialog->hasUnsavedChanges());

    // Once the file can be written, Save writes it in its own format and
    // the window ends.
    editor->script.discardAnswers = {UnsavedAnswer::Save};
    editor->run(kQuitCommand);
    EXPECT_FALSE(editor->dialog->isVisible());
    EXPECT_EQ(ReadFileBytes(trackPath).substr(0, 4), trackBytes.substr(0, 4));
    CVK7QScene written;
    ASSERT_TRUE(written.Load(trackPath.c_str(), 0));
    EXPECT_EQ(std::string(written.GetSceneHeader()->textures[0].name), "wall_A");
    EXPECT_EQ(messages().size(), 3u);
}

TEST_F(EditorWork, ExtractAndReplaceDeclineWhenThereIsNothingToActOn)
{
    ASSERT_TRUE(WriteFileBytes((desk / "gone.tga").string(), "listed, then deleted"));
    // No scene.
    editor->run(kExtractCommand);
    SelectInTree("wall_A.tga");
    editor->run(kReplaceCommand);
    ASSERT_EQ(messages().size(), 2u);
    EXPECT_EQ(messages()[0].text, "No scene texture to extract: load a scene first.");
    EXPECT_EQ(messages()[1].text, "No scene texture to replace: load a scene first.");
    EXPECT_TRUE(editor->script.saveRequests.empty());

    // A scene, but no replacement: a folder is selected, then the arrow keys
    // go through .tga files that cannot be read. Browsing is quiet: each
    // says why across the right frame, in the reader's own sentence; Replace
    // declines with that sentence in a box.
    Load(trackPath);
    textures->setCurrentRow(0);
    SelectInTree("sub");
    fs::remove(desk / "gone.tga");
    editor->run(kReplaceCommand);
    ASSERT_EQ(messages().size(), 3u);
    EXPECT_EQ(messages()[2].text,
              "No replacement texture loaded: select a readable .tga, .png or .dds file in the folder tree first.");
    auto* frame = editor->control<PreviewFrame>(kReplacementFrameId);
    const std::string broken = (desk / "broken.tga").string(), gone = (desk / "gone.tga").string();
    QTest::keyClick(editor->tree, Qt::Key_Down);
    editor->settle();
    EXPECT_EQ(frame->notice(),
              QString::fromStdString("Error: " + broken + " is a text file, not a PNG, TGA or DDS file"));
    QTest::keyClick(editor->tree, Qt::Key_Down);
    editor->settle();
    EXPECT_EQ(frame->notice(), QString::fromStdString("Error: Can't find TGA file " + gone));
    QTest::keyClick(editor->tree, Qt::Key_Up);
    editor->settle();
    EXPECT_EQ(messages().size(), 3u);
    editor->run(kReplaceCommand);
    ASSERT_EQ(messages().size(), 4u);
    EXPECT_EQ(messages()[3].caption, "Error");
    EXPECT_EQ(messages()[3].kind, MessageKind::Error);
    EXPECT_EQ("Error: " + messages()[3].text, frame->notice());
    // Changed on disk, still unreadable: Replace reads it again and says why
    // once.
    ASSERT_TRUE(WriteFileBytes(broken, "still not a picture"));
    editor->run(kReplaceCommand);
    EXPECT_EQ(messages().size(), 5u);
    EXPECT_EQ(Entries(textures), QStringList({"stone", "grass", "sky"}));
    EXPECT_FALSE(editor->dialog->hasUnsavedChanges());

    // Load chooses no entry, also with one chosen before and the keyboard
    // focus entering the list: the left frame, details and boxes show nothing,
    // and Extract and Replace ask for an entry. The first arrow key chooses
    // the first entry.
    textures->setCurrentRow(2);
    const std::string small = work.file("small.T3D");
    WriteScene(small, {&stone});
    Load(small);
    QFocusEvent tabIn(QEvent::FocusIn, Qt::TabFocusReason);
    QCoreApplication::sendEvent(textures, &tabIn);
    SelectInTree("wall_A.tga");
    const size_t beforeDeclines = messages().size();
    editor->run(kExtractCommand);
    editor->run(kReplaceCommand);
    editor->dialog->repaint();
    ASSERT_EQ(messages().size(), beforeDeclines + 2);
    EXPECT_EQ(messages()[beforeDeclines].text, "Select a texture in the list first.");
    EXPECT_EQ(messages()[beforeDeclines + 1].text, "Select a texture in the list first.");
    EXPECT_EQ(Entries(textures), QStringList({"stone"}));
    EXPECT_TRUE(textures->selectedItems().isEmpty());
    EXPECT_EQ(details->count(), 0);
    EXPECT_TRUE(TickedBoxes().empty());
    EXPECT_TRUE(AllBlack(editor->framePicture(kSceneFrameId)));
    CVK7QScene reread;
    ASSERT_TRUE(reread.Load(small.c_str(), 0));
    ExpectSameTexture(stone.record(), reread.GetSceneHeader()->textures[0]);
    EXPECT_FALSE(editor->dialog->hasUnsavedChanges());
    QTest::keyClick(textures, Qt::Key_Down);
    EXPECT_EQ(Entries(details), QStringList({"16", "8", "8", "2"}));
}

TEST_F(EditorWork, UnsavedReplacementsAreNotThrownAwayUnasked)
{
    // Nothing unsaved: Enter in the lists and the tree keeps the dialog, Escape
    // ends it at once.
    Load(trackPath);
    textures->setCurrentRow(0);
    for (QWidget* target :
         {static_cast<QWidget*>(textures), static_cast<QWidget*>(editor->tree), static_cast<QWidget*>(details)}) {
        QTest::keyClick(target, Qt::Key_Return);
        QTest::keyClick(target, Qt::Key_Enter);
    }
    EXPECT_TRUE(editor->dialog->isVisible());
    QTest::keyClick(textures, Qt::Key_Escape);
    EXPECT_FALSE(editor->dialog->isVisible());
    EXPECT_EQ(editor->dialog->result(), QDialog::Rejected);
    EXPECT_EQ(editor->script.discardQuestions, 0);

    // Replaced and not saved: Quit, Escape and the close box ask; "keep" keeps.
    editor->dialog->show();
    SelectInTree("wall_A.tga");
    editor->run(kReplaceCommand);
    editor->script.discardAnswers = {false, false, false};
    editor->run(kQuitCommand);
    QTest::keyClick(textures, Qt::Key_Escape);
    editor->dialog->close();
    EXPECT_EQ(editor->script.discardQuestions, 3);
    EXPECT_TRUE(editor->dialog->isVisible());

    // Saving as another file keeps the question; saving the scene's own file
    // ends it.
    editor->script.saveAnswers.push_back(QString::fromStdString(work.file("elsewhere.T3D")));
    editor->run(kSaveAsNewCommand);
    EXPECT_TRUE(editor->dialog->hasUnsavedChanges());
    editor->script.saveAnswers.push_back(QString::fromStdString(trackPath));
    editor->run(kSaveAsOldCommand);
    EXPECT_FALSE(editor->dialog->hasUnsavedChanges());
    editor->run(kQuitCommand);
    EXPECT_EQ(editor->script.discardQuestions, 3);
    EXPECT_FALSE(editor->dialog->isVisible());

    // Agreeing to discard ends the dialog.
    editor->dialog->show();
    editor->run(kReplaceCommand);
    editor->script.discardAnswers = {true};
    editor->dialog->close();
    EXPECT_EQ(editor->script.discardQuestions, 4);
    EXPECT_FALSE(editor->dialog->isVisible());
}

TEST(EditorSamples, EverySampleTextureIsListedDetailedAndDrawnInBothFormats)
{
    const QStringList names = {"crate_A",  "marble_Z", "bricks_E", "floor_V", "sky_EZ",
                               "glass_AD", "banner_U", "tiles_F",  "rail"};
    const QStringList depths = {"8", "8", "16", "16", "24", "32", "32", "8", "8"};
    for (const char* sample : {"scene_new.T3D", "scene_old.T3D"}) {
        SCOPED_TRACE(sample);
        TempDir work;
        std::error_code error;
        fs::copy_file(fs::path(QUORREL_SAMPLES_DIR) / sample, work.path() / "copy.T3D", error);
        ASSERT_FALSE(error) << error.message();
        EditorUnderTest editor(work.path().string());
        editor.script.openAnswers.push_back(QString::fromStdString(work.file("copy.T3D")));
        editor.run(kLoadCommand);
        auto* textures = editor.control<QListWidget>(kTextureListId);
        auto* details = editor.control<QListWidget>(kDetailsListId);
        ASSERT_EQ(Entries(textures), names);
        // Ctrl+S saves in the format the file is in.
        const bool old = std::string(sample) == "scene_old.T3D";
        EXPECT_EQ(editor.action(old ? kSaveOldCommand : kSaveNewCommand)->shortcut(), QKeySequence::Save);
        EXPECT_TRUE(editor.action(old ? kSaveNewCommand : kSaveOldCommand)->shortcut().isEmpty());
        for (int row = 0; row < names.size(); ++row) {
            textures->setCurrentRow(row);
            ASSERT_EQ(details->count(), 4);
            EXPECT_EQ(details->item(2)->text(), depths[row]) << row;
            EXPECT_FALSE(AllBlack(editor.framePicture(kSceneFrameId))) << row;
        }
        EXPECT_TRUE(editor.script.messages.empty());
    }
}

TEST_F(EditorWork, TheReplacementIsTheTreesFileOrTheLastOneDropped)
{
    Load(trackPath);
    textures->setCurrentRow(0);
    const QString wallPath = QString::fromStdString((desk / "wall_A.tga").string());
    const QString levelPath = QString::fromStdString((desk / "wall_A1.tga").string());
    const uint32_t red = 0xFF0000u, green = 0x00FF00u;
    auto rightFrameColour = [&] { return editor->framePicture(kReplacementFrameId).pixel(136, 100) & 0xFFFFFF; };

    // The tree's file goes when its folder is collapsed; Replace then declines.
    SelectInTree("wall_A.tga");
    EXPECT_EQ(rightFrameColour(), red);
    editor->tree->topLevelItem(1)->setExpanded(false);
    EXPECT_TRUE(AllBlack(editor->framePicture(kReplacementFrameId)));
    editor->run(kReplaceCommand);
    ASSERT_EQ(messages().size(), 1u);
    EXPECT_EQ(messages()[0].text,
              "No replacement texture loaded: select a readable .tga, .png or .dds file in the folder tree first.");

    // A dropped file stays through a collapse, until the tree picks a file or
    // another one is dropped.
    EXPECT_TRUE(Drop(levelPath, kReplacementFrameId));
    EXPECT_EQ(rightFrameColour(), green);
    SelectInTree("wall_A.tga");
    editor->tree->topLevelItem(1)->setExpanded(false);
    EXPECT_TRUE(AllBlack(editor->framePicture(kReplacementFrameId)));
    EXPECT_TRUE(Drop(levelPath, kReplacementFrameId));
    editor->tree->topLevelItem(1)->setExpanded(false);
    editor->run(kReplaceCommand);
    EXPECT_EQ(Entries(textures), QStringList({"wall_A1", "grass", "sky"}));
    EXPECT_EQ(messages().size(), 1u);

    // "Open in image editor": the tree's menu opens the tree's file, listed
    // above the tree's own item; the right frame's opens the replacement.
    OpenedFiles desktop;
    QAction* openTreeFile = editor->tree->actions().value(0);
    auto* frame = editor->control<QWidget>(kReplacementFrameId);
    QAction* openReplacement = frame->actions().value(0);
    ASSERT_TRUE(openTreeFile && openReplacement);
    EXPECT_EQ(frame->contextMenuPolicy(), Qt::ActionsContextMenu);
    EXPECT_FALSE(openTreeFile->isEnabled());
    SelectInTree("sub");
    EXPECT_FALSE(openTreeFile->isEnabled());
    EXPECT_TRUE(Drop(levelPath, kReplacementFrameId));
    SelectInTree("wall_A.tga");
    QTimer::singleShot(0, [&] {
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        ASSERT_NE(menu, nullptr);
        const QList<QAction*> items = menu->actions();
        ASSERT_EQ(items.size(), 3);
        EXPECT_EQ(items[0], openTreeFile);
        EXPECT_EQ(items[2], editor->tree->showHiddenAction());
        menu->close();
    });
    QContextMenuEvent menuKey(QContextMenuEvent::Keyboard, QPoint(5, 5), editor->tree->mapToGlobal(QPoint(5, 5)));
    QCoreApplication::sendEvent(editor->tree, &menuKey);
    openTreeFile->trigger();
    EXPECT_TRUE(Drop(levelPath, kReplacementFrameId));
    openReplacement->trigger();
    EXPECT_EQ(desktop.files, QStringList({wallPath, levelPath}));
    EXPECT_EQ(openTreeFile->text(), "Open in image editor");
    EXPECT_EQ(openReplacement->text(), "Open in image editor");
}

TEST_F(EditorWork, PngReplacementsTakeTheSceneTexturesFormatTgaOnesOnlyWhenAsked)
{
    // paint_A.png: top half red, bottom half blue.
    ASSERT_TRUE(WriteFileBytes((desk / "paint_A.png").string(),
                               RgbPng(32, 32, [](int, int y) { return y < 16 ? 0xFF0000u : 0x0000FFu; })));
    Load(trackPath);
    auto leftTop = [&] { return editor->framePicture(kSceneFrameId).pixel(136, 100) & 0xFFFFFF; };
    auto leftBottom = [&] { return editor->framePicture(kSceneFrameId).pixel(136, 250) & 0xFFFFFF; };
    SelectInTree("paint_A.png");
    EXPECT_TRUE(editor->control<QWidget>(kReplacementFrameId)->toolTip().startsWith("32 x 32 \u00B7 32 bit"));
    EXPECT_EQ(editor->framePicture(kReplacementFrameId).pixel(136, 100) & 0xFFFFFF, 0xFF0000u);

    // Into the 8-, 16- and 24-bit textures: each keeps its depth and shows
    // the picture's colours.
    const struct {
        int row;
        const char* depth;
    } targets[] = {{0, "8"}, {1, "16"}, {2, "24"}};
    for (const auto& target : targets) {
        SCOPED_TRACE(target.depth);
        textures->setCurrentRow(target.row);
        if (target.row > 0)
            editor->script.choiceAnswers = {0};  // texture 0 is named paint_A already: rename all the same
        editor->run(kReplaceCommand);
        EXPECT_EQ(Entries(details), QStringList({"32", "32", target.depth, "4"}));
        EXPECT_EQ(leftTop(), 0xFF0000u);
        EXPECT_EQ(leftBottom(), 0x0000FFu);
    }

    // The 8-bit TGA keeps its depth, unless the scene texture's format is kept.
    SelectInTree("wall_A.tga");
    textures->setCurrentRow(1);
    editor->run(kReplaceCommand);
    EXPECT_EQ(details->item(2)->text(), "8");
    editor->run(kKeepSceneFormatCommand);
    textures->setCurrentRow(2);
    editor->script.choiceAnswers = {0};
    editor->run(kReplaceCommand);
    EXPECT_EQ(details->item(2)->text(), "24");
    EXPECT_EQ(leftTop(), 0xFF0000u);
    EXPECT_TRUE(messages().empty());
}

TEST_F(EditorWork, TheReplacementFollowsItsFilesOnDisk)
{
    Load(trackPath);
    textures->setCurrentRow(0);
    auto* watch = editor->dialog->findChild<ChainWatch*>();
    ASSERT_NE(watch, nullptr);
    watch->settleTimer().setInterval(20);
    QSignalSpy reread(watch, &ChainWatch::chainChanged);
    // Waits until the watch has reported the change just made and the frame
    // shows the files as they now stand: read again since, with nothing on
    // disk unlike that read (a change in two steps may be reported after
    // its first).
    int reported = 0;
    const auto caughtUp = [&] {
        const bool done = QTest::qWaitFor(
            [&] {
                return reread.count() > reported && !editor->dialog->isWorking() && !watch->settleTimer().isActive() &&
                       !watch->changed();
            },
            kEventWaitMilliseconds);
        reported = reread.count();
        return done;
    };
    auto* frame = editor->control<PreviewFrame>(kReplacementFrameId);
    auto rightTop = [&] { return editor->framePicture(kReplacementFrameId).pixel(136, 100) & 0xFFFFFF; };
    const fs::path wall = desk / "wall_A.tga", level1 = desk / "wall_A1.tga";
    const std::string green32 = Tga8(32, 32, [](int, int) { return 3; });
    SelectInTree("wall_A.tga");
    ASSERT_EQ(rightTop(), 0xFF0000u);

    // Level 0 saved anew, then level 1 gone (generated from level 0 then) and
    // back: each picked up without a click.
    ASSERT_TRUE(ReplaceFileBytes(wall, green32));
    ASSERT_TRUE(caughtUp());
    EXPECT_EQ(rightTop(), 0x00FF00u);
    ASSERT_TRUE(WriteFileBytes(wall.string(), Tga8(32, 32, [](int, int) { return 2; })));
    fs::remove(level1);
    ASSERT_TRUE(caughtUp());
    editor->dialog->OnPreviewLevelStep(kReplacementFrameId, +1);
    EXPECT_EQ(frame->level(), 1);
    EXPECT_EQ(rightTop(), 0x0000FFu);
    ASSERT_TRUE(WriteFileBytes(level1.string(), Tga8(16, 16, [](int, int) { return 1; })));
    ASSERT_TRUE(caughtUp());
    EXPECT_EQ(rightTop(), 0xFF0000u);

    // A file that no longer reads: the last good read stays, the frame says
    // so (no box), Replace declines until a read works.
    ASSERT_TRUE(ReplaceFileBytes(wall, "half a picture"));
    ASSERT_TRUE(caughtUp());
    EXPECT_EQ(rightTop(), 0xFF0000u);
    EXPECT_TRUE(frame->notice().startsWith("Changed on disk, could not be read again: showing the last good read. "
                                           "Replace waits for a good read.\nError: "));
    EXPECT_TRUE(messages().empty());
    editor->run(kReplaceCommand);
    ASSERT_EQ(messages().size(), 1u);
    EXPECT_EQ(messages()[0].text,
              "The replacement's files changed and could not be read again. Replace waits until they read.");
    EXPECT_EQ(Entries(textures), QStringList({"stone", "grass", "sky"}));
    ASSERT_TRUE(ReplaceFileBytes(wall, green32));
    ASSERT_TRUE(caughtUp());
    EXPECT_TRUE(frame->notice().isEmpty());
    EXPECT_EQ(frame->level(), 1);

    // Replace reads a chain changed since its last read before it acts, and a
    // click on the tree's selected file reads it again, watcher or not.
    ASSERT_TRUE(ReplaceFileBytes(wall, Tga8(16, 16, [](int, int) { return 1; })));
    editor->run(kReplaceCommand);
    EXPECT_EQ(Entries(details), QStringList({"16", "16", "8", "3"}));
    ASSERT_TRUE(ReplaceFileBytes(wall, green32));
    watch->blockSignals(true);
    QTreeWidgetItem* item = editor->tree->currentItem();
    QTest::mouseClick(editor->tree->viewport(), Qt::LeftButton, {}, editor->tree->visualItemRect(item).center());
    editor->settle();
    EXPECT_EQ(frame->caption(), "level 0 \u00B7 32 x 32");
    EXPECT_EQ(messages().size(), 1u);

    // The file gone for good: the tree lets go of it without a word, the
    // frame keeps the last good read and says it is gone, as Replace does.
    watch->blockSignals(false);
    reported = reread.count();
    fs::remove(wall);
    ASSERT_TRUE(caughtUp());
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return editor->tree->desktopEntry("wall_A.tga") == nullptr; }, kEventWaitMilliseconds));
    EXPECT_EQ(editor->tree->currentItem(), nullptr);
    EXPECT_EQ(rightTop(), 0x00FF00u);
    EXPECT_EQ(frame->notice(), "wall_A.tga is gone: pick another file");
    EXPECT_EQ(messages().size(), 1u);
    editor->run(kReplaceCommand);
    ASSERT_EQ(messages().size(), 2u);
    EXPECT_EQ(messages()[1].text, "wall_A.tga is gone: pick another file");
}

TEST_F(EditorWork, StaleLevelFilesAreNamedAndReplaceAsksWhatToDoWithThem)
{
    // crate_A.tga 64 x 64 (top half red, bottom blue), saved last; its level
    // files all green: crate_A1.tga ten seconds older (stale), crate_A2.tga
    // just the margin older (saved with it, so not stale).
    const fs::path first = desk / "crate_A.tga";
    ASSERT_TRUE(WriteFileBytes(first.string(), Tga8(64, 64, [](int, int y) { return y < 32 ? 1 : 2; })));
    ASSERT_TRUE(WriteFileBytes((desk / "crate_A1.tga").string(), Tga8(32, 32, [](int, int) { return 3; })));
    ASSERT_TRUE(WriteFileBytes((desk / "crate_A2.tga").string(), Tga8(16, 16, [](int, int) { return 3; })));
    const auto saved = fs::last_write_time(first);
    fs::last_write_time(desk / "crate_A1.tga", saved - std::chrono::seconds(10));
    fs::last_write_time(desk / "crate_A2.tga", saved - std::chrono::seconds(2));
    // Levels under 16 pixels painted after it are never read: named too.
    for (const char* name : {"crate_A3.tga", "crate_A4.tga"}) {
        ASSERT_TRUE(WriteFileBytes((desk / name).string(),
                                   Tga8(64 >> (name[7] - '0'), 64 >> (name[7] - '0'), [](int, int) { return 3; })));
        fs::last_write_time(desk / name, saved + std::chrono::seconds(10));
    }
    Load(trackPath);
    textures->setCurrentRow(0);
    SelectInTree("crate_A.tga");
    auto* frame = editor->control<PreviewFrame>(kReplacementFrameId);
    EXPECT_EQ(frame->caption(), "level 0 \u00B7 64 x 64\ncrate_A1.tga is older than crate_A.tga\n"
                                "crate_A3.tga and crate_A4.tga are not read: levels under 16 pixels are made from "
                                "the one above");
    auto* document = editor->dialog->findChild<SceneDocument*>();
    auto levelPixel = [&](int level, int row) {
        const T3D_TEXTURE* texture = document->texture(0);
        return int(texture->levels[level][row * LevelWidth(*texture, level)]);
    };
    auto* status = editor->control<QLabel>(kStatusLineId);

    // Asked: Cancel changes nothing; "Use the files" takes the green files.
    // The flags question, when both arise, comes second.
    editor->run(kAskFlagsCommand);
    editor->script.choiceAnswers = {2, 1, 0};
    editor->run(kReplaceCommand);
    EXPECT_EQ(Entries(textures), QStringList({"stone", "grass", "sky"}));
    EXPECT_EQ(status->text(), "Replace cancelled");
    editor->run(kReplaceCommand);
    ASSERT_EQ(editor->script.questions.size(), 3u);
    const AskedQuestion& stale = editor->script.questions[0];
    EXPECT_EQ(stale.text, "crate_A1.tga is older than crate_A.tga: those levels may still show the picture from "
                          "before it was changed.\n\nRebuilding makes the level of crate_A1.tga and every smaller one "
                          "from the level above, with the Point filter. crate_A2.tga, though newer, is not used "
                          "either.");
    EXPECT_EQ(stale.buttons, QStringList({"&Rebuild them from crate_A.tga", "&Use the files", "&Cancel"}));
    EXPECT_EQ(stale.defaultButton, 0);
    EXPECT_EQ(editor->script.questions[1].text, stale.text);
    EXPECT_TRUE(editor->script.questions[2].text.startsWith("The name of crate_A.tga sets other flags"));
    EXPECT_EQ(Entries(textures), QStringList({"crate_A", "grass", "sky"}));
    EXPECT_EQ(levelPixel(1, 0), 3);
    EXPECT_EQ(levelPixel(2, 0), 3);

    // Rebuilt: level 1 and below come from level 0, crate_A2.tga included.
    editor->run(kTakeNameFlagsCommand);
    editor->script.choiceAnswers = {0};
    editor->run(kReplaceCommand);
    EXPECT_EQ(levelPixel(1, 0), 1);
    EXPECT_EQ(levelPixel(1, 31), 2);
    EXPECT_EQ(levelPixel(2, 0), 1);
    EXPECT_TRUE(status->text().endsWith("; crate_A1.tga and below made from crate_A.tga"))
        << status->text().toStdString();

    // Chosen once and for all, nothing is asked; rebuilding, the frame shows
    // the levels made anew too. The choice is remembered.
    editor->run(kUseLevelFilesCommand);
    editor->run(kReplaceCommand);
    EXPECT_EQ(levelPixel(1, 0), 3);
    editor->run(kRebuildStaleLevelsCommand);
    editor->dialog->OnPreviewLevelStep(kReplacementFrameId, +1);
    EXPECT_EQ(editor->framePicture(kReplacementFrameId).pixel(136, 50) & 0xFFFFFF, 0xFF0000u);
    editor->run(kReplaceCommand);
    EXPECT_EQ(levelPixel(1, 0), 1);
    EXPECT_EQ(editor->script.questions.size(), 4u);
    EditorDialog again(editor->script.prompts(), new TestFolderTree(QString::fromStdString(desk.string())));
    EXPECT_EQ(again.staleLevelsChoice(), StaleLevelChoice::rebuild);
    EXPECT_TRUE(messages().empty());
}

TEST_F(EditorWork, DifferingFlagsAreKeptOrTakenAsAskedAndTheTooltipSaysBothOutcomes)
{
    // stone: Mipmap levels, Alpha level, Envmap; wall_A.tga's name spells
    // Alpha level.
    editor->run(kAskFlagsCommand);
    Load(trackPath);
    textures->setCurrentRow(0);
    SelectInTree("wall_A.tga");
    auto* frame = editor->control<QWidget>(kReplacementFrameId);
    auto* status = editor->control<QLabel>(kStatusLineId);
    auto replaceLines = [&] { return frame->toolTip().section('\n', 2); };
    EXPECT_EQ(replaceLines(), "Replace stone: 16 x 8, 2 levels -> 32 x 32, 4 levels; Replace asks about the flags\n"
                              "keeping the scene texture's: no flag changes\n"
                              "taking the file name's: - Envmap");

    // Kept, taken, cancelled; each said on the status line.
    editor->script.choiceAnswers = {0, 1, 2};
    editor->run(kReplaceCommand);
    ASSERT_EQ(editor->script.questions.size(), 1u);
    EXPECT_EQ(editor->script.questions[0].text,
              "The name of wall_A.tga sets other flags than the scene texture stone has: - Envmap.");
    EXPECT_EQ(
        editor->script.questions[0].buttons,
        QStringList({"&Keep the scene texture's flags", "&Take the flags of the file name (- Envmap)", "&Cancel"}));
    EXPECT_EQ(TickedBoxes(), std::vector<int>({1007, 1008, 1011}));
    EXPECT_EQ(status->text(),
              "Replaced stone with wall_A.tga: 16 x 8, 2 levels -> 32 x 32, 4 levels; wall_A, was stone");
    editor->run(kUndoCommand);
    editor->run(kReplaceCommand);
    EXPECT_EQ(TickedBoxes(), std::vector<int>({1007, 1008}));
    EXPECT_EQ(status->text(),
              "Replaced stone with wall_A.tga: 16 x 8, 2 levels -> 32 x 32, 4 levels; - Envmap; wall_A, was stone");
    editor->run(kUndoCommand);
    editor->run(kReplaceCommand);
    EXPECT_EQ(Entries(textures), QStringList({"stone", "grass", "sky"}));

    // Flags that agree ask nothing; the tooltip names the depths that differ.
    textures->setCurrentRow(1);
    EXPECT_EQ(replaceLines(), "Replace grass: 8 x 8, 16 bit, 1 level -> 32 x 32, 8 bit, 4 levels; + Mipmap levels");
    editor->run(kReplaceCommand);
    EXPECT_EQ(editor->script.questions.size(), 3u);

    // Chosen once and for all: kept unasked, and remembered (only the name,
    // texture 1's now, is asked about).
    editor->run(kKeepSceneFlagsCommand);
    textures->setCurrentRow(0);
    EXPECT_EQ(replaceLines(), "Replace stone: 16 x 8, 2 levels -> 32 x 32, 4 levels");
    editor->script.choiceAnswers = {0};
    editor->run(kReplaceCommand);
    EXPECT_EQ(TickedBoxes(), std::vector<int>({1007, 1008, 1011}));
    EXPECT_EQ(editor->script.questions.size(), 4u);
    EXPECT_EQ(editor->script.questions[3].text, "Replace would name stone wall_A, the name of texture 1.");
    EditorDialog again(editor->script.prompts(), new TestFolderTree(QString::fromStdString(desk.string())));
    EXPECT_EQ(again.flagsChoice(), FlagsChoice::KeepScene);
    EXPECT_TRUE(messages().empty());
}

TEST_F(EditorWork, ReplacePutsInTheChainAsReadUnlessAFileChangedSince)
{
    // pal_A.png / pal_A1.png: one palette of four colours.
    PngPicture palette;
    palette.colourType = 3;
    palette.palette = {{200, 0, 0}, {0, 150, 0}, {0, 0, 100}, {9, 9, 9}};
    for (const uint32_t side : {32u, 16u}) {
        palette.width = palette.height = side;
        palette.rows.assign(size_t(side) * side, 0);
        for (size_t i = 0; i < palette.rows.size(); ++i)
            palette.rows[i] = uint8_t((i + i / side) % 4);
        const std::vector<uint8_t> png = MakePng(palette);
        ASSERT_TRUE(WriteFileBytes((desk / (side == 32 ? "pal_A.png" : "pal_A1.png")).string(),
                                   std::string(png.begin(), png.end())));
    }
    ASSERT_TRUE(WriteFileBytes((desk / "paint_A.png").string(),
                               RgbPng(32, 32, [](int x, int y) { return uint32_t(x * 0x0801 + y * 0x100400); })));
    ASSERT_TRUE(WriteFileBytes((desk / "big_A.tga").string(), Tga8(64, 64, [](int, int) { return 1; })));
    Load(trackPath);
    auto* document = editor->dialog->findChild<SceneDocument*>();

    // Byte for byte what a fresh read gives, in the scene texture's format
    // where the chain takes it: a TGA chain, an RGB PNG into 16 bits, a
    // palette PNG into 8 bits (its own palette and indices).
    const struct {
        const char* file;
        int row;
        bool sceneFormat;
    } chains[] = {{"wall_A.tga", 0, false}, {"paint_A.png", 1, true}, {"pal_A.png", 0, true}};
    for (const auto& chain : chains) {
        SCOPED_TRACE(chain.file);
        textures->setCurrentRow(chain.row);
        TextureReadOptions options;
        if (chain.sceneFormat)
            options.convertTo = FormatOf(*document->texture(unsigned(chain.row)));
        TextureRecord fresh;
        RecordingReport quiet;
        ASSERT_TRUE(ReadTextureChain((desk / chain.file).string(), fresh, quiet, options));
        SelectInTree(chain.file);
        editor->run(kReplaceCommand);
        ExpectSameTexture(fresh.record(), *document->texture(unsigned(chain.row)), TextureParts::pixels);
    }

    // Rewritten in place after the read, with its size and modification time
    // as they were, while Replace is on its way: read again first.
    auto* watch = editor->dialog->findChild<ChainWatch*>();
    watch->blockSignals(true);
    textures->setCurrentRow(2);
    SelectInTree("wall_A.tga");
    const fs::path wall = desk / "wall_A.tga";
    const auto modified = fs::last_write_time(wall);
    auto rewrites = std::make_shared<std::atomic<int>>(0);
    editor->dialog->findChild<Replacement*>()->setWorkerGate([wall, modified, rewrites] {
        if (rewrites->fetch_add(1) == 0) {
            WriteFileBytes(wall.string(), Tga8(32, 32, [](int, int) { return 3; }));
            fs::last_write_time(wall, modified);
        }
    });
    editor->run(kReplaceCommand);
    EXPECT_EQ(document->texture(2)->levels[0][0], 3);
    EXPECT_EQ(*rewrites, 3) << "the conversion, the read again, the conversion again";

    // A level file that appears: read again, its pixels go in.
    SelectInTree("big_A.tga");
    ASSERT_TRUE(WriteFileBytes((desk / "big_A1.tga").string(), Tga8(32, 32, [](int, int) { return 2; })));
    editor->run(kReplaceCommand);
    EXPECT_EQ(document->texture(2)->levels[1][0], 2);

    // A CRC taken from the bytes tells files whose stamps all agree apart.
    ChainWatch::Stamps stamps = ChainWatch::StampsOf({wall.string()}, true);
    ASSERT_TRUE(stamps[0].hasCrc);
    EXPECT_EQ(stamps, ChainWatch::StampsOf({wall.string()}, true));
    stamps[0].crc ^= 1;
    EXPECT_NE(stamps, ChainWatch::StampsOf({wall.string()}, true));
    EXPECT_EQ(stamps, ChainWatch::StampsOf({wall.string()}, false));
    EXPECT_TRUE(messages().empty());
}

// A pick then Replace opens each file of a four-file chain once, whatever
// its files' kinds: the read stamps them with the CRCs of the bytes decoded,
// and the look before Replace reads the files again for their CRCs only when
// they were modified within a tick of the read (here, stamped ahead).
TEST_F(EditorWork, APickThenReplaceOpensEachChainFileOnce)
{
    const struct {
        const char* first;
        int modified;  // seconds from now
        uint64_t opened;
    } cases[] = {{"old_A.tga", -10, 4}, {"mixed_A.png", -10, 4}, {"new_A.tga", 10, 8}};
    for (const auto& c : cases) {
        const auto modified = fs::file_time_type::clock::now() + std::chrono::seconds(c.modified);
        std::string name = (desk / c.first).string();
        for (int level = 0; level < 4; ++level) {
            const int side = 128 >> level;
            const bool png = level == 0 && name.size() > 4 && name.compare(name.size() - 4, 4, ".png") == 0;
            ASSERT_TRUE(WriteFileBytes(name, png ? RgbPng(side, side, [](int, int) { return 0xFF0000u; })
                                                 : Tga8(side, side, [](int, int) { return 1; })));
            fs::last_write_time(name, modified);
            std::string next;
            NextMipLevelName(name, next);
            name = next;
        }
    }
    Load(trackPath);
    auto* document = editor->dialog->findChild<SceneDocument*>();
    textures->setCurrentRow(0);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.first);
        const uint64_t opened = InputFile::FilesOpened();
        SelectInTree(c.first);
        editor->run(kReplaceCommand);
        EXPECT_EQ(document->texture(0)->width, 128u);
        EXPECT_EQ(InputFile::FilesOpened() - opened, c.opened);
    }
}

TEST_F(EditorWork, ALoadAndAConversionCanBeStopped)
{
    // A load stopped from its progress window: the scene before stays, and
    // no box says so.
    auto* document = editor->dialog->findChild<SceneDocument*>();
    WorkerLatch load;
    document->setWorkerGate(load.gate());
    editor->script.openAnswers.push_back(QString::fromStdString(trackPath));
    editor->action(kLoadCommand)->trigger();
    ASSERT_TRUE(load.reached());
    auto* progress = editor->dialog->findChild<QProgressDialog*>();
    ASSERT_NE(progress, nullptr);
    progress->findChild<QPushButton*>()->click();
    load.release();
    editor->settle();
    auto* status = editor->control<QLabel>(kStatusLineId);
    EXPECT_EQ(status->text(), "Loading track.T3D cancelled");
    EXPECT_EQ(textures->count(), 0);
    document->setWorkerGate(nullptr);

    // A conversion stopped from its progress window: nothing goes in.
    Load(trackPath);
    textures->setCurrentRow(0);
    SelectInTree("wall_A.tga");
    auto* replacement = editor->dialog->findChild<Replacement*>();
    WorkerLatch conversion;
    replacement->setWorkerGate(conversion.gate());
    editor->action(kReplaceCommand)->trigger();
    ASSERT_TRUE(conversion.reached());
    progress = editor->dialog->findChild<QProgressDialog*>();
    ASSERT_NE(progress, nullptr);
    EXPECT_EQ(progress->labelText(), "Converting wall_A.tga for stone ...");
    progress->findChild<QPushButton*>()->click();
    EXPECT_EQ(status->text(), "Replace cancelled");
    conversion.release();
    editor->settle();
    EXPECT_EQ(Entries(textures), QStringList({"stone", "grass", "sky"}));
    EXPECT_FALSE(editor->dialog->hasUnsavedChanges());
    EXPECT_TRUE(messages().empty());
}

TEST_F(EditorWork, ReadsRunOffTheWindowsThreadAndTheLatestOneCounts)
{
    Load(trackPath);
    textures->setCurrentRow(0);
    auto* replacement = editor->dialog->findChild<Replacement*>();
    ASSERT_NE(replacement, nullptr);
    auto* frame = editor->control<PreviewFrame>(kReplacementFrameId);
    auto* status = editor->control<QLabel>(kStatusLineId);
    WorkerLatch first, second;

    // wall_A.tga picked, its read held on its own thread: the frame says what
    // it reads, and the window handles what comes meanwhile.
    replacement->setWorkerGate(first.gate());
    editor->tree->setCurrentItem(editor->tree->desktopEntry("wall_A.tga"));
    ASSERT_TRUE(first.reached());
    EXPECT_NE(first.thread(), std::this_thread::get_id());
    EXPECT_EQ(frame->notice(), "Reading wall_A.tga ...");
    bool handled = false;
    QMetaObject::invokeMethod(
        editor->dialog.get(), [&handled] { handled = true; }, Qt::QueuedConnection);
    EXPECT_TRUE(QTest::qWaitFor([&handled] { return handled; }, kEventWaitMilliseconds));

    // wall_A1.tga picked while that read is held: Replace waits for its read,
    // and the earlier read, ending last, is dropped.
    replacement->setWorkerGate(second.gate());
    editor->tree->setCurrentItem(editor->tree->desktopEntry("wall_A1.tga"));
    ASSERT_TRUE(second.reached());
    editor->action(kReplaceCommand)->trigger();
    EXPECT_EQ(status->text(), "Replace waits for wall_A1.tga");
    EXPECT_EQ(Entries(textures), QStringList({"stone", "grass", "sky"}));
    second.release();
    editor->settle();
    EXPECT_EQ(Entries(textures), QStringList({"wall_A1", "grass", "sky"}));
    EXPECT_EQ(status->text(),
              "Replaced stone with wall_A1.tga: 16 x 8, 2 levels -> 16 x 16, 3 levels; - Envmap; wall_A1, was stone");
    first.release();
    QThreadPool::globalInstance()->waitForDone();
    QCoreApplication::sendPostedEvents();
    EXPECT_EQ(editor->framePicture(kReplacementFrameId).pixel(136, 100) & 0xFFFFFF, 0x00FF00u);
    EXPECT_EQ(frame->caption(), "level 0 \u00B7 16 x 16");
    EXPECT_TRUE(frame->notice().isEmpty());
    EXPECT_TRUE(messages().empty());
}

TEST_F(EditorWork, ASaveRunsOffTheWindowsThreadWithCommandsGreyedAndQuitWaitsForIt)
{
    Load(trackPath);
    ReplaceFirstWithWall();
    auto* document = editor->dialog->findChild<SceneDocument*>();
    ASSERT_NE(document, nullptr);
    WorkerLatch latch;
    document->setWorkerGate(latch.gate());
    editor->action(kSaveNewCommand)->trigger();
    ASSERT_TRUE(latch.reached());
    EXPECT_NE(latch.thread(), std::this_thread::get_id());
    for (int id : {kLoadCommand, kSaveNewCommand, kSaveOldCommand, kSaveAsNewCommand, kSaveAsOldCommand, kCloseCommand,
                   kReplaceCommand, kUndoCommand, kRedoCommand})
        EXPECT_FALSE(editor->action(id)->isEnabled()) << id;
    EXPECT_TRUE(editor->action(kExtractCommand)->isEnabled());
    QProgressDialog* progress = nullptr;
    EXPECT_TRUE(QTest::qWaitFor(
        [&] {
            progress = editor->dialog->findChild<QProgressDialog*>();
            return progress && progress->isVisible();
        },
        kEventWaitMilliseconds));
    ASSERT_NE(progress, nullptr);
    EXPECT_EQ(progress->labelText(), "Saving track.T3D ...");

    // Quit waits for the save, then ends the window: nothing is unsaved.
    editor->action(kQuitCommand)->trigger();
    EXPECT_TRUE(editor->dialog->isVisible());
    latch.release();
    editor->settle();
    EXPECT_FALSE(editor->dialog->isVisible());
    EXPECT_FALSE(editor->dialog->hasUnsavedChanges());
    EXPECT_EQ(editor->control<QLabel>(kStatusLineId)->text(), "Saved track.T3D");
    EXPECT_EQ(editor->dialog->findChild<QProgressDialog*>(), nullptr);
    EXPECT_TRUE(messages().empty());
}

TEST_F(EditorWork, DroppedScenesLoadAndDroppedTexturesCountOnlyOnTheRightFrame)
{
    const QString track = QString::fromStdString(trackPath);
    const QString wall = QString::fromStdString((desk / "wall_A.tga").string());
    const QString text = QString::fromStdString(work.file("notes.txt"));
    WriteFileBytes(text.toStdString(), "notes");

    EXPECT_FALSE(Drop(text, kReplacementFrameId));
    EXPECT_FALSE(Drop(wall, kSceneFrameId));
    EXPECT_TRUE(AllBlack(editor->framePicture(kReplacementFrameId)));
    EXPECT_TRUE(Drop(track, kTextureListId));
    EXPECT_EQ(Entries(textures), QStringList({"stone", "grass", "sky"}));
    EXPECT_TRUE(Drop(wall, kReplacementFrameId));
    textures->setCurrentRow(1);
    editor->run(kReplaceCommand);
    EXPECT_EQ(Entries(textures), QStringList({"stone", "wall_A", "sky"}));

    // A scene dropped over unsaved work asks first; keeping the work keeps it.
    editor->script.discardAnswers = {false, true};
    EXPECT_TRUE(Drop(track, kSceneFrameId));
    EXPECT_EQ(Entries(textures), QStringList({"stone", "wall_A", "sky"}));
    EXPECT_TRUE(Drop(track, kFolderTreeId));
    EXPECT_EQ(Entries(textures), QStringList({"stone", "grass", "sky"}));
    EXPECT_EQ(editor->script.discardQuestions, 2);
    EXPECT_TRUE(messages().empty());
}

TEST_F(EditorWork, UndoAndRedoStepThroughReplacementsAndTheTitleFollows)
{
    auto replaceRow = [&](int row) {
        textures->setCurrentRow(row);
        // Another entry named wall_A: Replace asks first; renamed all the same.
        const QStringList names = Entries(textures);
        if (names.indexOf("wall_A") >= 0 && names.indexOf("wall_A") != row)
            editor->script.choiceAnswers.push_back(0);
        editor->run(kReplaceCommand);
    };
    // The entries drawn bold: replaced and not saved, and said so to
    // assistive tools.
    auto boldRows = [&] {
        std::vector<int> rows;
        for (int row = 0; row < textures->count(); ++row) {
            const QListWidgetItem* item = textures->item(row);
            const bool described = item->data(Qt::AccessibleDescriptionRole).toString() == "Replaced, not saved";
            EXPECT_EQ(item->font().bold(), described) << row;
            if (item->font().bold())
                rows.push_back(row);
        }
        return rows;
    };
    auto undo = [&] { editor->run(kUndoCommand); };
    auto redo = [&] { editor->run(kRedoCommand); };
    EXPECT_EQ(editor->dialog->windowTitle(), "Quorrel");
    Load(trackPath);
    EXPECT_EQ(editor->dialog->windowTitle(), "Quorrel - track.T3D");
    EXPECT_FALSE(editor->action(kUndoCommand)->isEnabled());
    SelectInTree("wall_A.tga");
    replaceRow(0);
    replaceRow(1);
    EXPECT_EQ(editor->dialog->windowTitle(), "Quorrel - track.T3D *");
    EXPECT_EQ(boldRows(), std::vector<int>({0, 1}));

    // Undo shows the entry it changed back, chosen, with its details and boxes.
    undo();
    EXPECT_EQ(Entries(textures), QStringList({"wall_A", "grass", "sky"}));
    EXPECT_EQ(textures->currentRow(), 1);
    EXPECT_EQ(Entries(details), QStringList({"8", "8", "16", "1"}));
    EXPECT_EQ(TickedBoxes(), std::vector<int>({1008}));
    EXPECT_EQ(boldRows(), std::vector<int>({0}));
    undo();
    EXPECT_EQ(Entries(textures), QStringList({"stone", "grass", "sky"}));
    EXPECT_EQ(editor->dialog->windowTitle(), "Quorrel - track.T3D");
    EXPECT_FALSE(editor->action(kUndoCommand)->isEnabled());
    EXPECT_FALSE(editor->dialog->hasUnsavedChanges());
    redo();
    EXPECT_EQ(Entries(textures), QStringList({"wall_A", "grass", "sky"}));
    EXPECT_TRUE(editor->dialog->hasUnsavedChanges());

    // Saved here: stepping away and back again marks and clears.
    editor->run(kSaveNewCommand);
    EXPECT_EQ(editor->dialog->windowTitle(), "Quorrel - track.T3D");
    EXPECT_TRUE(boldRows().empty());
    undo();
    EXPECT_EQ(editor->dialog->windowTitle(), "Quorrel - track.T3D *");
    redo();
    EXPECT_EQ(editor->dialog->windowTitle(), "Quorrel - track.T3D");
    EXPECT_TRUE(editor->action(kRedoCommand)->isEnabled());

    // A new replacement drops what was undone; undoing past the save marks it.
    replaceRow(2);
    EXPECT_FALSE(editor->action(kRedoCommand)->isEnabled());
    EXPECT_EQ(boldRows(), std::vector<int>({2}));
    undo();
    undo();
    EXPECT_EQ(Entries(textures), QStringList({"stone", "grass", "sky"}));
    EXPECT_TRUE(editor->dialog->hasUnsavedChanges());
    EXPECT_EQ(boldRows(), std::vector<int>({0}));
    // What Undo brings back is the texture as it was, to the byte.
    const std::string undone = work.file("undone.T3D");
    editor->script.saveAnswers.push_back(QString::fromStdString(undone));
    editor->run(kSaveAsNewCommand);
    {
        CVK7QScene saved;
        ASSERT_TRUE(saved.Load(undone.c_str(), 0));
        const T3D_TEXTURE* back = saved.GetSceneHeader()->textures;
        ExpectSameTexture(stone.record(), back[0]);
        ExpectSameTexture(grass.record(), back[1]);
        ExpectSameTexture(sky.record(), back[2]);
    }
    // Past the saved state, whose steps go: the file still differs where
    // they replaced.
    replaceRow(1);
    EXPECT_EQ(boldRows(), std::vector<int>({0, 1}));
    EXPECT_EQ(Entries(textures), QStringList({"stone", "wall_A", "sky"}));

    // Close (after the question) forgets the history.
    editor->script.discardAnswers = {true};
    editor->run(kCloseCommand);
    EXPECT_FALSE(editor->action(kUndoCommand)->isEnabled());
    EXPECT_FALSE(editor->action(kRedoCommand)->isEnabled());
    EXPECT_EQ(editor->dialog->windowTitle(), "Quorrel");
    EXPECT_TRUE(messages().empty());
}

TEST_F(EditorWork, FlagsAndNamesChangedInTheWindowAreOneStepEachAndKeepThePixels)
{
    const TextureRecord marked = SceneTexture("marked", 4, 4, 32, 0x80000002, 1);
    WriteScene(trackPath, {&stone, &grass, &marked});
    Load(trackPath);
    auto* envmap = editor->control<QCheckBox>(kEnvmapBoxId);
    auto* mipmap = editor->control<QCheckBox>(kMipmapLevelsBoxId);
    auto* status = editor->control<QLabel>(kStatusLineId);
    // With no texture chosen no box takes a click or the focus.
    QTest::mouseClick(envmap, Qt::LeftButton);
    EXPECT_TRUE(TickedBoxes().empty());
    EXPECT_EQ(envmap->focusPolicy(), Qt::NoFocus);

    // grass (Alpha level): a click ticks Envmap, the space bar unticks it;
    // "Mipmap levels" follows the levels and takes neither.
    textures->setCurrentRow(1);
    EXPECT_EQ(mipmap->focusPolicy(), Qt::NoFocus);
    QTest::mouseClick(mipmap, Qt::LeftButton);
    QTest::mouseClick(envmap, Qt::LeftButton);
    EXPECT_EQ(TickedBoxes(), std::vector<int>({1008, 1011}));
    EXPECT_EQ(status->text(), "grass: + Envmap");
    EXPECT_EQ(editor->dialog->windowTitle(), "Quorrel - track.T3D *");
    EXPECT_TRUE(textures->item(1)->font().bold());
    EXPECT_EQ(envmap->focusPolicy(), Qt::StrongFocus);
    QTest::keyClick(envmap, Qt::Key_Space);
    EXPECT_EQ(status->text(), "grass: - Envmap");
    EXPECT_EQ(TickedBoxes(), std::vector<int>({1008}));

    // Each change is one step of Undo and Redo; back where it was loaded,
    // nothing is unsaved.
    editor->run(kUndoCommand);
    EXPECT_EQ(TickedBoxes(), std::vector<int>({1008, 1011}));
    editor->run(kUndoCommand);
    EXPECT_EQ(TickedBoxes(), std::vector<int>({1008}));
    EXPECT_FALSE(editor->dialog->hasUnsavedChanges());
    EXPECT_FALSE(textures->item(1)->font().bold());
    editor->run(kRedoCommand);

    // F2 opens the chosen entry for its new name, which must fit and be no
    // other texture's; Escape there ends the typing, not the window.
    auto rename = [&](const QString& name, int key) {
        editor->action(kRenameCommand)->trigger();
        auto* field = textures->findChild<QLineEdit*>();
        ASSERT_NE(field, nullptr);
        field->setText(name);
        QTest::keyClick(field, Qt::Key(key));
        EXPECT_TRUE(QTest::qWaitFor([&] { return !textures->findChild<QLineEdit*>(); }, kEventWaitMilliseconds));
        QCoreApplication::processEvents();  // the list takes the name once its editor is gone
    };
    rename("moss", Qt::Key_Escape);
    EXPECT_TRUE(editor->dialog->isVisible());
    EXPECT_EQ(Entries(textures), QStringList({"stone", "grass", "marked"}));
    rename("stone", Qt::Key_Return);
    EXPECT_EQ(status->text(), "Not renamed: texture 0 is named stone");
    rename(QString(256, 'n'), Qt::Key_Return);
    EXPECT_EQ(status->text(), "Not renamed: a name takes 1 to 255 bytes");
    EXPECT_EQ(Entries(textures), QStringList({"stone", "grass", "marked"}));
    rename("moss", Qt::Key_Return);
    EXPECT_EQ(status->text(), "Renamed grass to moss");
    EXPECT_EQ(Entries(textures), QStringList({"stone", "moss", "marked"}));
    EXPECT_EQ(TickedBoxes(), std::vector<int>({1008, 1011}));
    editor->run(kUndoCommand);
    EXPECT_EQ(Entries(textures), QStringList({"stone", "grass", "marked"}));
    EXPECT_EQ(TickedBoxes(), std::vector<int>({1008, 1011}));
    editor->run(kRedoCommand);
    EXPECT_EQ(textures->currentRow(), 1);

    // Bits beyond the boxes show in the details and stay through a change.
    textures->setCurrentRow(2);
    EXPECT_EQ(Entries(details), QStringList({"4", "4", "32", "1", "Other flags 0x80000000"}));
    QTest::mouseClick(editor->control<QCheckBox>(kNoZBufferBoxId), Qt::LeftButton);
    EXPECT_EQ(status->text(), "marked: + No Z-Buffer");

    // What is saved is the flags changed and the pixels as they were.
    editor->run(kSaveNewCommand);
    CVK7QScene saved;
    ASSERT_TRUE(saved.Load(trackPath.c_str(), 0));
    const T3D_TEXTURE* back = saved.GetSceneHeader()->textures;
    EXPECT_EQ(back[1].flags, 0x12u);
    EXPECT_STREQ(back[1].name, "moss");
    EXPECT_EQ(back[2].flags, 0x80000082u);
    ExpectSameTexture(grass.record(), back[1], TextureParts::pixels);
    ExpectSameTexture(marked.record(), back[2], TextureParts::pixels);
    EXPECT_TRUE(messages().empty());
}

TEST_F(EditorWork, TheFilterShowsTheNamesHoldingItsTextAndRowsStayTheirIndices)
{
    // 3,000 textures: Crate_N where N is a multiple of 3, wall_N otherwise.
    std::vector<TextureRecord> many;
    for (int i = 0; i < 3000; ++i)
        many.push_back(
            SceneTexture((i % 3 ? "wall_" + std::to_string(i) : "Crate_" + std::to_string(i)).c_str(), 1, 1, 32, 0, 1));
    std::vector<const TextureRecord*> scene;
    for (const TextureRecord& texture : many)
        scene.push_back(&texture);
    WriteScene(trackPath, scene);
    Load(trackPath);
    auto* field = editor->control<QLineEdit>(kTextureFilterId);
    auto* count = editor->control<QLabel>(kTextureCountId);
    textures->setCurrentRow(1500);
    struct Row {
        const char* typed;
        const char* count;
        int firstShown;
        int selected;  // -1: none
    };
    const Row rows[] = {
        {"", "3,000 of 3,000", 0, 1500},
        {"crate_15", "39 of 3,000", 15, 1500},  // Crate_15, 150-159 and 1500-1599 by threes
        {"", "3,000 of 3,000", 0, 1500},
        {"WALL_29", "75 of 3,000", 29, -1},  // wall_29, 290-299 and 2900-2999 but threes
        {"", "3,000 of 3,000", 0, -1},
    };
    for (const Row& row : rows) {
        field->clear();
        QTest::keyClicks(field, row.typed);
        EXPECT_EQ(count->text(), row.count) << row.typed;
        int first = 0;
        while (first < textures->count() && textures->isRowHidden(first))
            ++first;
        EXPECT_EQ(first, row.firstShown) << row.typed;
        EXPECT_EQ(textures->selectedItems().isEmpty() ? -1 : textures->currentRow(), row.selected) << row.typed;
    }
    EXPECT_TRUE(Entries(details).isEmpty());

    // An entry chosen in a filtered list is its scene texture; Escape in the
    // field empties it, the window stays, and Ctrl+F comes back to it.
    QTest::keyClicks(field, "wall_29");
    QTest::mouseClick(textures->viewport(), Qt::LeftButton, {}, textures->visualItemRect(textures->item(29)).center());
    EXPECT_EQ(textures->currentRow(), 29);
    QTest::mouseClick(editor->control<QCheckBox>(kEnvmapBoxId), Qt::LeftButton);
    EXPECT_EQ(editor->control<QLabel>(kStatusLineId)->text(), "wall_29: + Envmap");
    QTest::keyClick(field, Qt::Key_Escape);
    EXPECT_TRUE(field->text().isEmpty());
    EXPECT_TRUE(editor->dialog->isVisible());
    EXPECT_EQ(textures->currentRow(), 29);
    editor->dialog->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(editor->dialog.get(), kEventWaitMilliseconds));
    QTest::keyClick(textures, Qt::Key_F, Qt::ControlModifier);
    EXPECT_TRUE(field->hasFocus());
    EXPECT_TRUE(messages().empty());
}

TEST_F(EditorWork, RecentScenesFoldersAndOptionsAreKeptBetweenRuns)
{
    // Nine scenes loaded: the last eight are listed, newest first; a missing
    // one is greyed; an entry loads its scene.
    std::vector<std::string> scenes;
    for (int i = 0; i < 9; ++i) {
        scenes.push_back(work.file("scene" + std::to_string(i) + ".T3D"));
        WriteFileBytes(scenes.back(), ReadFileBytes(trackPath));
        Load(scenes.back());
    }
    fs::remove(scenes[7]);
    EditorDialog again(editor->script.prompts(), new TestFolderTree(QString::fromStdString(desk.string())));
    auto recent = [&](int n) { return again.action(kFirstRecentSceneCommand + n); };
    for (int n = 0; n < kRecentSceneCount; ++n) {
        SCOPED_TRACE(n);
        ASSERT_NE(recent(n), nullptr);
        EXPECT_EQ(QString(recent(n)->text()).remove('&'),
                  QString("%1 %2").arg(n + 1).arg(QString::fromStdString(scenes[8 - n])));
        EXPECT_EQ(recent(n)->isEnabled(), n != 1);
    }
    EXPECT_EQ(again.action(kFirstRecentSceneCommand + kRecentSceneCount), nullptr);
    recent(3)->trigger();
    Settle(again);
    EXPECT_EQ(again.windowTitle(), "Quorrel - scene5.T3D");

    // Each file dialog opens where it last chose a file.
    fs::create_directories(work.path() / "out");
    editor->script.saveAnswers = {QString::fromStdString(work.file("out/copy.T3D")), QString(), QString()};
    editor->run(kSaveAsNewCommand);
    textures->setCurrentRow(0);
    editor->run(kExtractCommand);
    editor->script.openAnswers.push_back(QString());
    again.OnLoad();
    again.OnSaveAs();
    ASSERT_EQ(editor->script.openRequests.size(), 10u);
    EXPECT_TRUE(editor->script.openRequests[0].folder.isEmpty());
    EXPECT_EQ(editor->script.openRequests[9].folder, QString::fromStdString(work.path().string()));
    ASSERT_EQ(editor->script.saveRequests.size(), 3u);
    EXPECT_TRUE(editor->script.saveRequests[1].folder.isEmpty());
    EXPECT_EQ(editor->script.saveRequests[2].folder, QString::fromStdString(work.file("out")));

    // The options: Point at first; the choice is remembered, and changing it
    // reads the replacement again (its file changed meanwhile).
    EXPECT_FALSE(editor->dialog->keepSceneFormat());
    EXPECT_EQ(editor->dialog->mipFilter(), MipFilter::point);
    SelectInTree("wall_A.tga");
    ASSERT_TRUE(WriteFileBytes((desk / "wall_A.tga").string(), Tga8(32, 32, [](int, int) { return 3; })));
    editor->run(kBoxLevelsCommand);
    editor->run(kKeepSceneFormatCommand);
    EXPECT_TRUE(editor->action(kTakeFileNameCommand)->isChecked());
    editor->run(kKeepSceneNameCommand);
    EXPECT_TRUE(editor->action(kDitherCommand)->isChecked());
    editor->run(kDitherCommand);
    EXPECT_EQ(editor->framePicture(kReplacementFrameId).pixel(136, 100) & 0xFFFFFF, 0x00FF00u);
    EditorDialog third(editor->script.prompts(), new TestFolderTree(QString::fromStdString(desk.string())));
    EXPECT_TRUE(third.action(kKeepSceneNameCommand)->isChecked());
    EXPECT_FALSE(third.action(kDitherCommand)->isChecked());
    EXPECT_FALSE(third.action(kAsItGoesInCommand)->isChecked());  // turned off by the fixture
    EXPECT_TRUE(third.keepSceneFormat());
    EXPECT_EQ(third.mipFilter(), MipFilter::box);
    EXPECT_TRUE(third.action(kBoxLevelsCommand)->isChecked());
    EXPECT_FALSE(third.action(kPointLevelsCommand)->isChecked());

    // Extract offers the format it last wrote; the window comes back at the
    // size and place it had; a scene still loads with no entry chosen.
    EXPECT_EQ(editor->script.saveRequests[1].selectedFilter, "tga pictures files (*.tga)");
    editor->script.saveAnswers = {QString::fromStdString(work.file("out/stone.png"))};
    editor->run(kExtractCommand);
    SelectInTree("wall_A.tga");  // Extract chose what it wrote
    const QRect place(60, 40, 1000, 700);
    editor->dialog->setGeometry(place);
    editor->dialog->reject();
    editor->dialog.reset();
    EditorDialog fourth(editor->script.prompts(), new TestFolderTree(QString::fromStdString(desk.string())));
    EXPECT_EQ(fourth.geometry(), place);
    fourth.openSceneFile(QString::fromStdString(trackPath));
    Settle(fourth);
    auto* list = fourth.findChild<QListWidget*>(QString::number(kTextureListId));
    EXPECT_TRUE(list->selectedItems().isEmpty());
    list->setCurrentRow(0);
    editor->script.saveAnswers = {QString()};
    fourth.OnExtract();
    ASSERT_EQ(editor->script.saveRequests.size(), 5u);
    EXPECT_EQ(editor->script.saveRequests[4].selectedFilter, "PNG images (*.png)");

    // The folder tree comes back as it was left, its file shown again.
    auto* tree = new TestFolderTree(QString::fromStdString(desk.string()));
    EditorDialog restored(editor->script.prompts(), tree);
    Settle(restored);
    EXPECT_EQ(tree->GetItemFullPath(tree->currentItem()), QString::fromStdString((desk / "wall_A.tga").string()));
    EXPECT_TRUE(restored.findChild<QWidget*>(QString::number(kReplacementFrameId))->toolTip().startsWith("32 x 32"));
    // A file that no longer reads is no reason for a box at start.
    ASSERT_TRUE(WriteFileBytes((desk / "wall_A.tga").string(), "half a picture"));
    EditorDialog unreadable(editor->script.prompts(), new TestFolderTree(QString::fromStdString(desk.string())));
    Settle(unreadable);
    EXPECT_EQ(unreadable.findChild<PreviewFrame*>(QString::number(kReplacementFrameId))->notice(),
              "Error: " + QString::fromStdString((desk / "wall_A.tga").string()) +
                  " is a text file, not a PNG, TGA or DDS file");
    EXPECT_TRUE(messages().empty());
}

TEST(EditorReports, WarningsOfOneReadShowInOneBoxAndErrorsAtOnce)
{
    ScriptedPrompts script;
    const EditorPrompts prompts = script.prompts();
    GatheringReport report(prompts);
    auto problem = [](Severity severity, const char* sentence) {
        return TextureProblem{severity, TextureCause::Damaged, "a.tga", "is damaged", sentence};
    };
    report.report(problem(Severity::Warning, "first level's map was short"));
    report.report(problem(Severity::Error, "second level is truncated"));
    report.report(problem(Severity::Warning, "alpha dropped"));
    ASSERT_EQ(script.messages.size(), 1u);
    EXPECT_EQ(script.messages[0].caption, "Error");
    report.showWarnings();
    report.showWarnings();
    ASSERT_EQ(script.messages.size(), 2u);
    EXPECT_EQ(script.messages[1].caption, "Warning");
    EXPECT_EQ(script.messages[1].text, "first level's map was short\nalpha dropped");
}
