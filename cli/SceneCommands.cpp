#include "cli/SceneCommands.h"

#include "cli/StderrReport.h"
#include "scene/CVK7QScene.h"
#include "scene/SceneFile.h"
#include "scene/SceneFormat.h"
#include "texture/MipChainNaming.h"
#include "texture/TextureRecord.h"
#include "texture/TgaTextureReader.h"
#include "texture/TgaTextureWriter.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <strings.h>
#include <filesystem>
#include <ostream>
#include <set>
#include <system_error>
#include <vector>

namespace fs = std::filesystem;

namespace {

std::string Hex(uint32_t value)
{
    char text[16];
    std::snprintf(text, sizeof text, "0x%02X", value);
    return text;
}

const char* FormatName(uint32_t magic)
{
    return magic == kOldSceneMagic ? "old" : "new";
}

bool LoadScene(CVK7QScene& scene, const std::string& path, std::ostream& err)
{
    if (scene.Load(path.c_str(), 0))
        return true;
    err << "Can't load scene file " << WithSceneExtension(path) << ": " << SceneStatusText(scene.LastStatus()) << '\n';
    return false;
}

// Writes the scene in the chosen format and says where.
int WriteScene(CVK7QScene& scene, const std::string& path, bool oldFormat, std::ostream& out,
               std::ostream& err)
{
    const int written = oldFormat ? scene.WriteOld(path.c_str()) : scene.Write(path.c_str());
    if (!written) {
        err << "Can't write scene file " << WithSceneExtension(path) << ": " << SceneStatusText(scene.LastStatus())
            << '\n';
        return kExitFailed;
    }
    out << "wrote " << WithSceneExtension(path) << ": " << (oldFormat ? "old" : "new") << " format, "
        << scene.GetSceneHeader()->textureCount << " textures\n";
    return kExitOk;
}

// The texture that `which` names: an index when it is digits within the
// scene, otherwise the one texture of that name.
bool PickTexture(const VK7Q_HEADER& header, const std::string& which, int& index, std::ostream& err)
{
    const bool digits = !which.empty() && which.size() < 6 && which.find_first_not_of("0123456789") == std::string::npos;
    if (digits && std::strtol(which.c_str(), nullptr, 10) < header.textureCount) {
        index = int(std::strtol(which.c_str(), nullptr, 10));
        return true;
    }
    std::vector<int> named;
    for (int i = 0; i < header.textureCount; ++i)
        if (which == header.textures[i].name)
            named.push_back(i);
    if (named.size() == 1) {
        index = named[0];
        return true;
    }
    if (named.empty())
        err << "The scene has no texture " << which << " (" << header.textureCount << " textures, indices 0 to "
            << int(header.textureCount) - 1 << ")\n";
    else
        err << "Textures " << named[0] << " and " << named[1] << " are both named " << which
            << "; give the index\n";
    return false;
}

// A file's name without its folder and extension: the name a packed texture gets.
std::string TextureNameOf(const std::string& path)
{
    return fs::path(path).stem().string().substr(0, kTextureNameSize - 1);
}

// Widens a 5-5-5 texture's green to six bits, storing its pixels as 5-6-5.
void StoreAs565(T3D_TEXTURE& record)
{
    if (record.depth != 16 || record.greenMask != kMask555Green)
        return;
    for (int level = 0; level < record.levelCount; ++level) {
        uint8_t* pixel = record.levels[level];
        for (uint64_t i = 0; i < LevelByteCount(record, level) / 2; ++i, pixel += 2) {
            const unsigned p = unsigned(pixel[0] | pixel[1] << 8);
            const unsigned green = (p >> 5) & 0x1F;
            const unsigned q = ((p >> 10) & 0x1F) << 11 | (green << 1 | green >> 4) << 5 | (p & 0x1F);
            pixel[0] = uint8_t(q);
            pixel[1] = uint8_t(q >> 8);
        }
    }
    record.redMask = 0xF800;
    record.greenMask = kMask565Green;
    record.blueMask = kMask555Blue;
}

// Reads a chain for a scene: named after its first file, 5-6-5 when asked.
bool ReadChainForScene(const std::string& path, bool as565, TextureRecord& texture, std::ostream& err)
{
    StderrReport report(err);
    if (!TgaTextureReader(path.c_str(), texture, report))
        return false;
    T3D_TEXTURE& record = texture.record();
    std::memset(record.name, 0, sizeof record.name);
    const std::string name = TextureNameOf(path);
    std::memcpy(record.name, name.data(), name.size());
    if (as565)
        StoreAs565(record);
    return true;
}

// A texture's name as a file name: its last path component without a .tga
// extension, with characters that file names cannot hold (on any common
// system) replaced by '-'.
std::string FileBaseFor(const char* textureName, int index)
{
    std::string base = textureName;
    const size_t slash = base.find_last_of("/\\");
    if (slash != std::string::npos)
        base.erase(0, slash + 1);
    if (base.size() > 4 && strcasecmp(base.c_str() + base.size() - 4, ".tga") == 0)
        base.resize(base.size() - 4);
    for (char& c : base)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F || std::strchr("<>:\"|?*", c))
            c = '-';
    if (base.empty() || base == "." || base == "..")
        base = "texture-" + std::to_string(index);
    return base;
}

// The base with "-n" put before its mip suffix (the part after the last
// underscore), so the suffix keeps its flag letters and version digit.
std::string Disambiguated(const std::string& base, int n)
{
    const std::string tag = "-" + std::to_string(n);
    const size_t underscore = base.rfind('_');
    if (underscore == std::string::npos || underscore == 0)
        return base + tag;
    return base.substr(0, underscore) + tag + base.substr(underscore);
}

// The files of a chain of `levels` levels starting at `first`; empty when
// the naming rule runs out of names before the last level.
std::vector<std::string> ChainFiles(const std::string& first, int levels)
{
    std::vector<std::string> files{first};
    while (int(files.size()) < levels) {
        std::string next;
        NextMipLevelName(files.back(), next);
        if (next.empty())
            return {};
        files.push_back(next);
    }
    return files;
}

struct PlannedChain {
    int index;
    std::vector<std::string> files;
};

// Chain names for every texture, none sharing a file with another.
bool PlanChains(const VK7Q_HEADER& header, const std::string& dir, std::vector<PlannedChain>& plan,
                std::ostream& err)
{
    std::set<std::string> taken;
    for (int i = 0; i < header.textureCount; ++i) {
        const T3D_TEXTURE& record = header.textures[i];
        const std::string base = FileBaseFor(record.name, i);
        std::vector<std::string> files;
        for (int n = 1; files.empty() && n <= 8 * header.textureCount + 1; ++n) {
            const std::string candidate = n == 1 ? base : Disambiguated(base, n);
            files = ChainFiles((fs::path(dir) / (candidate + ".tga")).string(), record.levelCount);
            if (std::any_of(files.begin(), files.end(), [&](const std::string& f) { return taken.count(f) != 0; }))
                files.clear();
        }
        if (files.empty()) {
            err << "Can't name the mip chain files of texture " << i << " (" << record.name << ")\n";
            return false;
        }
        taken.insert(files.begin(), files.end());
        plan.push_back({i, files});
    }
    return true;
}

bool NoneExists(const std::vector<PlannedChain>& plan, std::ostream& err)
{
    for (const PlannedChain& chain : plan) {
        for (const std::string& file : chain.files) {
            std::error_code ec;
            if (fs::symlink_status(file, ec).type() != fs::file_type::not_found) {
                err << file << " already exists; give --force to overwrite it\n";
                return false;
            }
        }
    }
    return true;
}

bool WantsOneFormat(const CommandArguments& args, bool& oldFormat, std::ostream& err)
{
    if (args.has("--old-format") == args.has("--new-format")) {
        UsageError(err, "convert wants one of --old-format and --new-format");
        return false;
    }
    oldFormat = args.has("--old-format");
    return true;
}

}  // namespace

int RunList(const CommandArguments& args, std::ostream& out, std::ostream& err)
{
    CVK7QScene scene;
    if (!LoadScene(scene, args.files[0], err))
        return kExitFailed;
    const VK7Q_HEADER& header = *scene.GetSceneHeader();
    out << args.files[0] << ": " << FormatName(header.magic) << " format version " << header.version << ", "
        << header.textureCount << " textures, " << header.sectionCount << " other sections\n";
    for (int i = 0; i < header.textureCount; ++i) {
        const T3D_TEXTURE& r = header.textures[i];
        out << i << '\t' << r.name << '\t' << r.width << '\t' << r.height << '\t' << r.depth << '\t'
            << r.levelCount << '\t' << Hex(r.flags) << '\n';
    }
    return kExitOk;
}

int RunExtract(const CommandArguments& args, std::ostream& out, std::ostream& err)
{
    CVK7QScene scene;
    int index = 0;
    if (!LoadScene(scene, args.files[0], err) || !PickTexture(*scene.GetSceneHeader(), args.files[1], index, err))
        return kExitFailed;
    StderrReport report(err);
    if (!TgaTextureWriter(args.files[2].c_str(), scene.GetSceneHeader()->textures[index], report))
        return kExitFailed;
    out << index << '\t' << scene.GetSceneHeader()->textures[index].name << '\t' << args.files[2] << '\n';
    return kExitOk;
}

int RunExtractAll(const CommandArguments& args, std::ostream& out, std::ostream& err)
{
    CVK7QScene scene;
    if (!LoadScene(scene, args.files[0], err))
        return kExitFailed;
    const std::string& dir = args.files[1];
    std::error_code ec;
    fs::create_directories(dir, ec);
    if (!fs::is_directory(dir, ec)) {
        err << "Can't make folder " << dir << '\n';
        return kExitFailed;
    }
    const VK7Q_HEADER& header = *scene.GetSceneHeader();
    std::vector<PlannedChain> plan;
    if (!PlanChains(header, dir, plan, err) || (!args.has("--force") && !NoneExists(plan, err)))
        return kExitFailed;

    StderrReport report(err);
    int status = kExitOk;
    for (const PlannedChain& chain : plan) {
        const T3D_TEXTURE& record = header.textures[chain.index];
        if (TgaTextureWriter(chain.files[0].c_str(), record, report))
            out << chain.index << '\t' << record.name << '\t' << chain.files[0] << '\n';
        else
            status = kExitFailed;
    }
    return status;
}

int RunReplace(const CommandArguments& args, std::ostream& out, std::ostream& err)
{
    CVK7QScene scene;
    int index = 0;
    if (!LoadScene(scene, args.files[0], err) || !PickTexture(*scene.GetSceneHeader(), args.files[1], index, err))
        return kExitFailed;
    TextureRecord replacement;
    if (!ReadChainForScene(args.files[2], args.has("--rgb565"), replacement, err))
        return kExitFailed;
    if (!scene.ReplaceT3DTexture(index, &replacement.record())) {
        err << "Can't put " << args.files[2] << " into the scene\n";
        return kExitFailed;
    }
    scene.GenerateC3D();
    const auto target = args.options.find("-o");
    const std::string& path = target != args.options.end() ? target->second : args.files[0];
    return WriteScene(scene, path, args.has("--old-format"), out, err);
}

int RunPack(const CommandArguments& args, std::ostream& out, std::ostream& err)
{
    CVK7QScene scene;
    for (size_t i = 1; i < args.files.size(); ++i) {
        TextureRecord texture;
        if (!ReadChainForScene(args.files[i], args.has("--rgb565"), texture, err))
            return kExitFailed;
        if (!scene.AppendT3DTexture(&texture.record())) {
            err << "Can't put " << args.files[i] << " into the scene\n";
            return kExitFailed;
        }
    }
    scene.GenerateC3D();
    return WriteScene(scene, args.files[0], args.has("--old-format"), out, err);
}

int RunConvert(const CommandArguments& args, std::ostream& out, std::ostream& err)
{
    bool oldFormat = false;
    if (!WantsOneFormat(args, oldFormat, err))
        return kExitUsage;
    CVK7QScene scene;
    if (!LoadScene(scene, args.files[0], err))
        return kExitFailed;
    return WriteScene(scene, args.files[1], oldFormat, out, err);
}
