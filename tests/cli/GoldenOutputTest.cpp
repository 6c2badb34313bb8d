// What the program makes of every fuzz seed and of the samples, held as
// digests in GoldenOutputs.txt, one line per case: the records and message
// texts of each texture and scene read, and what quorrel-cli prints and writes
// on the samples. Each of a case's two outputs is kept as its digest and its
// readable start, so that a case that fails shows the first line that
// differs. Reshaping the code must leave them all as they are. A change meant
// to happen is written down by running this test with QUORREL_GOLDEN_WRITE
// set to a file name and committing that file.
#include "fuzz/ChainSplit.h"
#include "scene/CVK7QScene.h"
#include "support/RecordingReport.h"
#include "support/TempDir.h"
#include "texture/chain/MipChainNaming.h"
#include "texture/chain/TextureFileReader.h"
#include "texture/chain/TgaTextureReader.h"

#include <QProcess>
#include <gtest/gtest.h>
#include <zlib.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>

namespace {

namespace fs = std::filesystem;

const fs::path kSource = QUORREL_SOURCE_DIR;

std::string Crc(const std::string& bytes)
{
    char text[9];
    std::snprintf(text, sizeof text, "%08lx",
                  crc32(0, reinterpret_cast<const Bytef*>(bytes.data()), uInt(bytes.size())));
    return text;
}

// `text` with the scratch folder's path left out, so digests do not depend on it.
std::string Relative(std::string text, const fs::path& dir)
{
    const std::string prefix = dir.string() + "/";
    for (size_t at; (at = text.find(prefix)) != std::string::npos;)
        text.erase(at, prefix.size());
    return text;
}

// The record's fixed fields, its name (relative) and its levels' pixels.
std::string RecordBytes(const T3D_TEXTURE& record, const fs::path& dir)
{
    std::string bytes(reinterpret_cast<const char*>(&record), offsetof(T3D_TEXTURE, levels));
    bytes += Relative(std::string(record.name, strnlen(record.name, kTextureNameSize)), dir) + '\n';
    for (int level = 0; level < record.levelCount && level < kMaxTextureLevels; ++level) {
        if (record.levels[level])
            bytes.append(reinterpret_cast<const char*>(record.levels[level]), size_t(LevelByteCount(record, level)));
    }
    return bytes;
}

std::string ProblemTexts(const RecordingReport& report, const fs::path& dir)
{
    std::string texts;
    for (const TextureProblem& p : report.problems)
        texts += Relative(
            (p.severity == Severity::Error ? "E " : "W ") + p.file + "\n" + p.detail + "\n" + p.sentence + "\n", dir);
    return texts;
}

std::string FileBytes(const fs::path& path)
{
    return ReadFileBytes(path.string());
}

// Bytes of an output the golden file shows, at most.
constexpr size_t kShownBytes = 80;

// The start of an output as the golden file shows it on one line: its text up
// to the first byte that is not text, at most kShownBytes, with a line break
// as \n, a tab as \t and a backslash doubled.
std::string Shown(const std::string& output)
{
    std::string shown;
    for (size_t i = 0; i < output.size() && i < kShownBytes; ++i) {
        const char c = output[i];
        if (c == '\n' || c == '\t' || c == '\\')
            shown += c == '\n' ? "\\n" : c == '\t' ? "\\t" : "\\\\";
        else if (c >= 0x20 && c < 0x7F)
            shown += c;
        else
            break;
    }
    return shown;
}

// The text that Shown gave `shown` for.
std::string Unshown(const std::string& shown)
{
    std::string text;
    for (size_t i = 0; i < shown.size(); ++i) {
        if (shown[i] != '\\' || i + 1 == shown.size())
            text += shown[i];
        else
            text += shown[++i] == 'n' ? '\n' : shown[i] == 't' ? '\t' : shown[i];
    }
    return text;
}

struct Output {
    const char* what = "";  // "records", "standard error", ...
    std::string digest;
    std::string start;  // its first bytes, for the line that differs
};

struct Golden {
    std::map<std::string, std::array<Output, 2>> cases;
    void add(const std::string& name, const std::pair<const char*, std::string>& a,
             const std::pair<const char*, std::string>& b)
    {
        cases[name] = {Output{a.first, Crc(a.second), a.second.substr(0, 2 * kShownBytes)},
                       Output{b.first, Crc(b.second), b.second.substr(0, 2 * kShownBytes)}};
    }
};

// Reads the chain at `path` as the editor and quorrel-cli can: through the
// TGA reader itself (for TGA files) and through the one reader entry with
// each filter and each depth it converts to.
void AddTextureReads(Golden& golden, const std::string& name, const std::string& path, bool tga, const fs::path& dir)
{
    std::vector<TextureReadOptions> ways(2);
    ways[1].filter = MipFilter::box;
    for (const DepthOptions depth :
         {DepthOptions{8, false, true}, DepthOptions{8, false, false}, DepthOptions{16, false, true},
          DepthOptions{16, true, true}, DepthOptions{24, false, true}, DepthOptions{32, false, true}})
        ways.push_back({MipFilter::point, depth});
    std::string records, texts;
    RecordingReport report;
    TextureRecord holder;
    if (tga) {
        records += TgaTextureReader(path.c_str(), holder, report) ? "read\n" : "not read\n";
        records += RecordBytes(holder.record(), dir);
    }
    for (const TextureReadOptions& way : ways) {
        records += ReadTextureChain(path, holder, report, way) ? "read\n" : "not read\n";
        records += RecordBytes(holder.record(), dir);
    }
    golden.add("read " + name, {"records", records}, {"messages", ProblemTexts(report, dir)});
}

void AddSceneLoad(Golden& golden, const std::string& name, const std::string& bytes)
{
    TempDir dir;
    const std::string path = dir.file("scene.T3D");
    ASSERT_TRUE(WriteFileBytes(path, bytes));
    CVK7QScene scene;
    const bool loaded = scene.Load(path.c_str(), 0) != 0;
    std::string records = loaded ? "loaded\n" : "not loaded\n";
    const VK7Q_HEADER* header = scene.GetSceneHeader();
    for (int i = 0; i < header->textureCount; ++i)
        records += RecordBytes(header->textures[i], dir.path());
    golden.add("scene " + name, {"records", records},
               {"status", Relative(SceneStatusText(scene.LastStatus()), dir.path())});
}

// The inputs of a fuzz target: its corpus and regressions, in name order.
std::vector<fs::path> Inputs(const std::string& target)
{
    std::vector<fs::path> inputs;
    for (const char* folder : {"corpus", "regressions"}) {
        std::error_code missing;
        for (const auto& entry : fs::directory_iterator(kSource / "fuzz" / folder / target, missing))
            inputs.push_back(entry.path());
    }
    std::sort(inputs.begin(), inputs.end());
    return inputs;
}

// Lays out a fuzz input's files as its target does; returns the first file's
// path. A single file is named `single`.
std::string PutInput(const TempDir& dir, const std::string& bytes, bool chain, bool png, const std::string& single)
{
    if (!chain) {
        WriteFileBytes(dir.file(single), bytes);
        return dir.file(single);
    }
    const ChainParts parts = SplitChainInput(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
    const std::string names[3] = {"wall_A", "wall_A1", "wall_A2"};
    const std::string extension = png ? ".png" : ".tga";
    for (int i = 0; i < 3; ++i) {
        if (parts.data[i])
            WriteFileBytes(dir.file(names[i] + extension),
                           std::string(reinterpret_cast<const char*>(parts.data[i]), parts.size[i]));
    }
    return dir.file(names[0] + extension);
}

void AddReads(Golden& golden)
{
    for (const std::string target : {"tga_read", "tga_write", "tga_chain", "png_chain", "dds_read"}) {
        const bool chain = target == "tga_chain" || target == "png_chain";
        const bool png = target == "png_chain";
        // tga_write and png_chain inputs start with an option byte, which the reads here do not take.
        const size_t skip = target == "tga_write" || png ? 1 : 0;
        for (const fs::path& input : Inputs(target)) {
            const std::string bytes = FileBytes(input);
            const std::string whole = bytes.substr(std::min(skip, bytes.size()));
            // Each input whole and cut in half: the half ends inside level 0's file or a later level's.
            for (const bool cut : {false, true}) {
                TempDir dir;
                const std::string first = PutInput(dir, cut ? whole.substr(0, whole.size() / 2) : whole, chain, png,
                                                   target == "dds_read" ? "level.dds" : "level.tga");
                AddTextureReads(golden, target + "/" + input.filename().string() + (cut ? " cut" : ""), first,
                                target.compare(0, 3, "tga") == 0, dir.path());
            }
        }
    }
    const fs::path samples = kSource / "samples";
    AddTextureReads(golden, "samples/tga/crate_A.tga", (samples / "tga/crate_A.tga").string(), true, samples);
    for (const char* scene : {"scene_new.T3D", "scene_old.T3D"})
        AddSceneLoad(golden, std::string("samples/") + scene, FileBytes(samples / scene));
    for (const fs::path& input : Inputs("scene_load"))
        AddSceneLoad(golden, "scene_load/" + input.filename().string(), FileBytes(input).substr(1));

    for (const fs::path& input : Inputs("mip_naming")) {
        const std::string bytes = FileBytes(input);
        const std::string path(bytes.c_str());
        char next[kPathBufferSize];
        std::string following;
        const uint32_t flags = MipChainNaming(path.c_str(), next);
        NextMipLevelName(path, following);
        golden.add("naming " + input.filename().string(), {"flags and name", std::to_string(flags) + "\n" + next},
                   {"next name", following});
    }
}

// Every file under `dir` by its path there, with its digest.
std::map<std::string, std::string> Files(const fs::path& dir)
{
    std::map<std::string, std::string> files;
    for (const auto& entry : fs::recursive_directory_iterator(dir)) {
        if (entry.is_regular_file())
            files[fs::relative(entry.path(), dir).string()] = Crc(FileBytes(entry.path()));
    }
    return files;
}

// quorrel-cli's commands on copies of the samples, one after the other in one
// folder: each one's exit status and standard output, its standard error, and
// the files it made or changed (names and bytes).
void AddCommands(Golden& golden)
{
    // clang-format off
    const std::vector<std::pair<const char*, QStringList>> runs = {
        {"info", {"info", "tga/crate_A.tga"}},
        {"info box", {"info", "tga/crate_A.tga", "--mip-filter", "box"}},
        {"info not a texture", {"info", "scene_new.T3D"}},
        {"info missing", {"info", "none.tga"}},
        {"export", {"export", "tga/crate_A.tga", "crate.png", "--level", "1"}},
        {"info png", {"info", "crate.png"}},
        {"list new", {"list", "scene_new.T3D"}},
        {"list old", {"list", "scene_old.T3D"}},
        {"list not a scene", {"list", "tga/crate_A.tga"}},
        {"extract tga", {"extract", "scene_new.T3D", "0", "x_A.tga"}},
        {"extract png", {"extract", "scene_old.T3D", "tiles_F", "tiles_F.png"}},
        {"extract no folder", {"extract", "scene_new.T3D", "1", "none/m.tga"}},
        {"extract out of range", {"extract", "scene_new.T3D", "99", "m.tga"}},
        {"extract-all", {"extract-all", "scene_new.T3D", "all"}},
        {"extract-all again", {"extract-all", "scene_new.T3D", "all"}},
        {"extract-all png", {"extract-all", "scene_old.T3D", "allpng", "--png"}},
        {"info extracted png", {"info", "allpng/glass_AD.png", "--mip-filter", "box"}},
        {"replace", {"replace", "scene_new.T3D", "crate_A", "tga/crate_A.tga", "-o", "r1.T3D"}},
        {"replace png", {"replace", "scene_new.T3D", "5", "allpng/banner_U.png", "-o", "r2.T3D", "--no-dither"}},
        {"replace 565", {"replace", "scene_new.T3D", "2", "tga/crate_A.tga", "-o", "r3.T3D", "--old-format", "--rgb565"}},
        {"pack", {"pack", "p1.T3D", "tga/crate_A.tga", "allpng/sky_EZ.png"}},
        {"pack 8", {"pack", "p2.T3D", "tga/crate_A.tga", "allpng/glass_AD.png", "--depth", "8", "--no-dither"}},
        {"pack 16", {"pack", "p3.T3D", "allpng/sky_EZ.png", "--depth", "16", "--rgb565", "--old-format"}},
        {"pack 24", {"pack", "p4.T3D", "allpng/banner_U.png", "--depth", "24", "--mip-filter", "box"}},
        {"pack 32", {"pack", "p5.T3D", "all/tiles_F.tga", "--depth", "32"}},
        {"convert old", {"convert", "scene_new.T3D", "c1.T3D", "--old-format"}},
        {"convert new", {"convert", "scene_old.T3D", "c2.T3D", "--new-format"}},
        {"usage", {"replace", "scene_new.T3D"}},
        {"replace in place", {"replace", "scene_old.T3D", "3", "tga/crate_A.tga", "--keep-format", "--mip-filter", "box"}},
        {"replace dry run", {"replace", "scene_new.T3D", "7", "allpng/glass_AD.png", "--dry-run", "--no-dither"}},
        {"info as", {"info", "allpng/sky_EZ.png", "--as", "scene_new.T3D:2"}},
        {"replace keep name", {"replace", "scene_new.T3D", "7", "allpng/glass_AD.png", "-o", "r4.T3D", "--keep-name", "--no-dither"}},
        {"import dry run", {"import", "r4.T3D", "allpng", "--dry-run", "--all", "--no-dither"}},
    };
    // clang-format on
    TempDir dir;
    const fs::path samples = kSource / "samples";
    fs::copy(samples / "tga", dir.path() / "tga");
    for (const char* scene : {"scene_new.T3D", "scene_old.T3D"})
        fs::copy(samples / scene, dir.path() / scene);
    for (const auto& [name, arguments] : runs) {
        const std::map<std::string, std::string> before = Files(dir.path());
        QProcess process;
        process.setWorkingDirectory(QString::fromStdString(dir.path().string()));
        process.start(QUORREL_CLI, arguments);
        ASSERT_TRUE(process.waitForFinished(60000)) << name;
        std::string outputs = std::to_string(process.exitCode()) + "\n" + process.readAllStandardOutput().toStdString();
        for (const auto& [file, digest] : Files(dir.path())) {
            const auto it = before.find(file);
            if (it == before.end() || it->second != digest)
                outputs += file + " " + digest + "\n";
        }
        golden.add("cli " + std::string(name), {"exit status, standard output and files", outputs},
                   {"standard error", process.readAllStandardError().toStdString()});
    }
}

// A recorded output: its digest and its start as shown.
struct Recorded {
    std::string digest;
    std::string shown;
};

// The golden file's lines: a case's name, then each output's digest and
// start, apart by tabs.
std::map<std::string, std::array<Recorded, 2>> ReadGolden(const fs::path& path)
{
    std::map<std::string, std::array<Recorded, 2>> cases;
    std::ifstream in(path);
    for (std::string line; std::getline(in, line);) {
        std::vector<std::string> fields(1);
        for (const char c : line) {
            if (c == '\t')
                fields.emplace_back();
            else
                fields.back().push_back(c);
        }
        fields.resize(5);
        cases[fields[0]] = {Recorded{fields[1], fields[2]}, Recorded{fields[3], fields[4]}};
    }
    return cases;
}

// The line of `text` that holds byte `at`, as shown.
std::string LineAt(const std::string& text, size_t at)
{
    const size_t begin = at == 0 ? 0 : text.rfind('\n', at - 1) + 1;  // npos + 1 is 0
    return Shown(text.substr(begin, text.find('\n', begin) - begin));
}

// What a case whose output changed says: the case, the output, its digests,
// and the line, recorded and now, where it first differs from the recorded
// start (or where that start ends, when the difference lies past it).
std::string Difference(const std::string& name, const Output& now, const Recorded& recorded)
{
    const std::string was = Unshown(recorded.shown);
    size_t at = 0;
    while (at < was.size() && at < now.start.size() && was[at] == now.start[at])
        ++at;
    return name + ", " + now.what + ": not as recorded (recorded " + recorded.digest + ", now " + now.digest + "); " +
           (at < was.size() ? "first at byte " : "as recorded up to byte ") + std::to_string(at) + "\n  recorded: \"" +
           LineAt(was, at) + "\"\n  now:      \"" + LineAt(now.start, at) + "\"";
}

}  // namespace

TEST(GoldenOutputs, ReadsAndCommandsGiveWhatTheyGaveBefore)
{
    Golden golden;
    AddReads(golden);
    AddCommands(golden);
    if (const char* write = std::getenv("QUORREL_GOLDEN_WRITE")) {
        std::ofstream out(write);
        for (const auto& [name, outputs] : golden.cases)
            out << name << '\t' << outputs[0].digest << '\t' << Shown(outputs[0].start) << '\t' << outputs[1].digest
                << '\t' << Shown(outputs[1].start) << '\n';
    }
    const auto expected = ReadGolden(kSource / "tests/cli/GoldenOutputs.txt");
    for (const auto& [name, outputs] : golden.cases) {
        const auto it = expected.find(name);
        if (it == expected.end()) {
            ADD_FAILURE() << name << ": not recorded";
            continue;
        }
        for (size_t i = 0; i < outputs.size(); ++i)
            EXPECT_TRUE(outputs[i].digest == it->second[i].digest) << Difference(name, outputs[i], it->second[i]);
    }
    EXPECT_EQ(expected.size(), golden.cases.size());
}
