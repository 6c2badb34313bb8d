// Expanding and collapsing a folder of many entries in the folder tree, shown
// on the offscreen platform, with layout and painting included, and reading
// an open folder again as a change on disk does. Beside them runs their floor:
// listing the same folder with std::filesystem alone. The figure a user feels
// is the time of one expand, one collapse or one refresh; each must stay well
// under a second.
#include "bench_application.h"
#include "foldertree/FolderTree.h"

#include <benchmark/benchmark.h>

#include <QApplication>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <system_error>
#include <utility>

namespace fs = std::filesystem;

namespace {

// A temporary folder holding `entries` entries: half sub-folders, half .tga
// files, the files' names starting with a dot when `hiddenFiles`. Made once
// per size and kind and removed at exit.
class BigFolder {
public:
    BigFolder(int entries, bool hiddenFiles)
    {
        std::string pattern = (fs::temp_directory_path() / "quorrel-bench-XXXXXX").string();
        if (mkdtemp(pattern.data()))
            path_ = pattern;
        std::error_code error;
        char name[32];
        for (int i = 0; i < entries; ++i) {
            if (i % 2 == 0) {
                std::snprintf(name, sizeof name, "folder%05d", i);
                fs::create_directory(path_ / name, error);
            } else {
                std::snprintf(name, sizeof name, hiddenFiles ? ".texture%05d.tga" : "texture%05d.tga", i);
                if (FILE* file = std::fopen((path_ / name).c_str(), "wb"))
                    std::fclose(file);
            }
        }
    }
    ~BigFolder()
    {
        std::error_code error;
        fs::remove_all(path_, error);
    }
    const fs::path& path() const { return path_; }

    static const BigFolder& ofSize(int entries, bool hiddenFiles = false)
    {
        static std::map<std::pair<int, bool>, std::unique_ptr<BigFolder>> folders;
        auto& folder = folders[{entries, hiddenFiles}];
        if (!folder)
            folder = std::make_unique<BigFolder>(entries, hiddenFiles);
        return *folder;
    }

private:
    fs::path path_;
};

class BenchTree : public FolderTree {
public:
    QString desktop;

protected:
    QString DesktopFolder() const override { return desktop; }
    QStringList DriveRoots() const override { return {}; }
};

double Seconds(std::chrono::steady_clock::time_point since)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

enum class Phase { Expand, Collapse };

void RunTree(benchmark::State& state, Phase timed)
{
    EnsureApplication();
    const BigFolder& folder = BigFolder::ofSize(static_cast<int>(state.range(0)));
    BenchTree tree;
    tree.desktop = QString::fromStdString(folder.path().string());
    tree.resize(300, 400);
    tree.show();
    tree.InitTree(true);
    QApplication::processEvents();
    QTreeWidgetItem* desk = tree.topLevelItem(1);

    for (auto _ : state) {
        auto start = std::chrono::steady_clock::now();
        desk->setExpanded(true);
        QApplication::processEvents();
        const double expand = Seconds(start);

        start = std::chrono::steady_clock::now();
        desk->setExpanded(false);
        QApplication::processEvents();
        const double collapse = Seconds(start);

        state.SetIterationTime(timed == Phase::Expand ? expand : collapse);
    }
    state.counters["items"] = static_cast<double>(state.range(0));
    state.counters["images_left"] = tree.imageList().count();
}

void BM_FolderTreeExpand(benchmark::State& state)
{
    RunTree(state, Phase::Expand);
}

void BM_FolderTreeCollapse(benchmark::State& state)
{
    RunTree(state, Phase::Collapse);
}

// The open folder read again, as a change on disk has it read: with nothing
// changed (argument 0), and with half its entries coming and going (1: the
// files are hidden, and the iteration shows, then hides them again; the time
// is the two refreshes').
void BM_FolderTreeRefresh(benchmark::State& state)
{
    EnsureApplication();
    const bool halfChanges = state.range(1) != 0;
    const BigFolder& folder = BigFolder::ofSize(static_cast<int>(state.range(0)), halfChanges);
    BenchTree tree;
    tree.desktop = QString::fromStdString(folder.path().string());
    tree.resize(300, 400);
    tree.show();
    tree.InitTree(true);
    tree.topLevelItem(1)->setExpanded(true);
    QApplication::processEvents();

    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        tree.setShowHiddenEntries(!tree.showsHiddenEntries());
        QApplication::processEvents();
        if (halfChanges) {
            tree.setShowHiddenEntries(!tree.showsHiddenEntries());
            QApplication::processEvents();
        }
        state.SetIterationTime(Seconds(start));
    }
    state.counters["items"] = static_cast<double>(tree.topLevelItem(1)->childCount());
}

// The floor under an expansion: reading the folder's names and kinds.
void BM_FolderTreeListingFloor(benchmark::State& state)
{
    const BigFolder& folder = BigFolder::ofSize(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        int folders = 0;
        std::error_code error;
        for (fs::directory_iterator it(folder.path(), error), end; !error && it != end; it.increment(error)) {
            std::error_code typeError;
            folders += it->is_directory(typeError);
        }
        benchmark::DoNotOptimize(folders);
    }
}

}  // namespace

BENCHMARK(BM_FolderTreeListingFloor)->Arg(2000)->Arg(20000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FolderTreeExpand)->Arg(2000)->Arg(20000)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FolderTreeCollapse)->Arg(2000)->Arg(20000)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FolderTreeRefresh)
    ->Args({2000, 0})
    ->Args({20000, 0})
    ->Args({2000, 1})
    ->Args({20000, 1})
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);
