// A main for a fuzz target built without the fuzzer: feeds it every file of
// the folders (and files) named on the command line, in name order, so the
// target and its corpus run as an ordinary test. Exits 1 when an argument
// cannot be read; a broken property aborts, as it does under the fuzzer.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace {

namespace fs = std::filesystem;

bool CollectInputs(const fs::path& argument, std::vector<fs::path>& inputs)
{
    std::error_code error;
    if (fs::is_regular_file(argument, error)) {
        inputs.push_back(argument);
        return true;
    }
    fs::directory_iterator it(argument, error);
    if (error)
        return false;
    for (; it != fs::directory_iterator(); it.increment(error)) {
        if (error)
            return false;
        if (it->is_regular_file(error))
            inputs.push_back(it->path());
    }
    return true;
}

bool RunInput(const fs::path& input)
{
    std::ifstream file(input, std::ios::binary);
    if (!file)
        return false;
    const std::vector<char> bytes{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
    LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
    return true;
}

}  // namespace

int main(int argc, char** argv)
{
    std::vector<fs::path> inputs;
    for (int i = 1; i < argc; ++i) {
        if (!CollectInputs(argv[i], inputs)) {
            std::fprintf(stderr, "cannot read %s\n", argv[i]);
            return 1;
        }
    }
    std::sort(inputs.begin(), inputs.end());
    for (const fs::path& input : inputs) {
        if (!RunInput(input)) {
            std::fprintf(stderr, "cannot read %s\n", input.c_str());
            return 1;
        }
    }
    std::printf("%zu inputs run\n", inputs.size());
    return inputs.empty() ? 1 : 0;
}
