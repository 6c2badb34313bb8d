#include "texturepack/ChainPlan.h"

#include "texture/chain/ImageChainWrite.h"
#include "texture/chain/MipChainNaming.h"
#include "texture/chain/TextureFileReader.h"

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <unordered_map>
#include <unordered_set>

namespace fs = std::filesystem;

namespace {

// A texture's name as a file name: its last path component without a .tga
// or .png extension, with characters that file names cannot hold (on any common
// system) replaced by '-'.
std::string FileBaseFor(const char* textureName, int index)
{
    std::string base = textureName;
    const size_t slash = base.find_last_of("/\\");
    if (slash != std::string::npos)
        base.erase(0, slash + 1);
    if (IsTextureFileName(base))
        base.resize(base.size() - 4);
    for (char& c : base)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F || std::strchr("<>:\"|?*", c))
            c = '-';
    if (base.empty() || base == "." || base == "..")
        base = "texture-" + std::to_string(index);
    return base;
}

}  // namespace

// Chain names for every texture, none sharing a file with another: the
// texture's own name where its chain can be named, else a name that works;
// names that clash get "-2", "-3", ... before their suffix. Each clashing name
// counts on from where the last one stopped, so the work grows with the
// number of textures, not its square.
std::vector<PlannedChain> PlanChains(const VK7Q_HEADER& header, const std::string& dir, TextureFileKind kind)
{
    const std::string extension = ExtensionOf(kind);
    std::vector<PlannedChain> plan;
    std::unordered_set<std::string> taken;
    std::unordered_map<std::string, int> nextTag;
    for (int i = 0; i < header.textureCount; ++i) {
        const T3D_TEXTURE& record = header.textures[i];
        const int withPixels = std::max(
            1, LevelsWithPixels(record.width, record.height, std::min<int>(record.levelCount, kMaxTextureLevels)));
        const int levels = HoldsOneFile(kind) ? 1 : withPixels;
        const std::string own = (fs::path(dir) / (FileBaseFor(record.name, i) + extension)).string();
        std::vector<std::string> files;
        const ChainNaming naming = PlanChainNames(own, levels, files);
        const std::string working = WorkingChainName(own, levels, extension);
        PlannedChain chain{i, withPixels, {}, naming == ChainNaming::Ok ? "" : ChainNamingProblem(naming)};
        for (int& tag = nextTag.try_emplace(working, 1).first->second; chain.files.empty(); ++tag) {
            const std::string first =
                tag == 1 ? working : WorkingChainName(own, levels, extension, "-" + std::to_string(tag));
            PlanChainNames(first, levels, files);
            if (std::none_of(files.begin(), files.end(), [&](const std::string& f) { return taken.count(f) != 0; }))
                chain.files = files;
        }
        if (chain.change.empty() && chain.files[0] != own)
            chain.change = "another texture's files have that name";
        taken.insert(chain.files.begin(), chain.files.end());
        plan.push_back(std::move(chain));
    }
    return plan;
}
