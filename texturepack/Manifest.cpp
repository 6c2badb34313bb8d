#include "texturepack/Manifest.h"

#include "texture/TextureReport.h"
#include "texture/io/ByteBlock.h"
#include "texture/io/FileRead.h"
#include "texturepack/EscapedText.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <map>

namespace {

constexpr const char* kFirstLine = "# quorrel textures 1";
constexpr const char* kHeaderLine = "index\tname\tfile\twidth\theight\tdepth\tlevels\tflags\tcrc32";
constexpr size_t kFieldCount = 9;
// A manifest of the most textures a scene holds (65,535) with the longest
// names and every level's CRC stays well under this.
constexpr uint64_t kMaxManifestBytes = uint64_t(256) << 20;

std::string CrcList(const std::vector<uint32_t>& crcs)
{
    std::string list;
    for (const uint32_t crc : crcs) {
        char hex[16];
        std::snprintf(hex, sizeof hex, "%s%08x", list.empty() ? "" : ",", unsigned(crc));
        list += hex;
    }
    return list;
}

std::vector<std::string> Fields(const std::string& line)
{
    std::vector<std::string> fields;
    size_t start = 0;
    for (size_t tab; (tab = line.find('\t', start)) != std::string::npos; start = tab + 1)
        fields.push_back(line.substr(start, tab - start));
    fields.push_back(line.substr(start));
    return fields;
}

// A whole number of decimal digits up to `max`, or hex digits after "0x".
bool ParseNumber(const std::string& text, uint64_t max, uint64_t& value, bool hex = false)
{
    const std::string digits = hex && text.rfind("0x", 0) == 0 ? text.substr(2) : text;
    if ((hex && digits.size() == text.size()) || digits.empty() || digits.size() > 10 ||
        digits.find_first_not_of(hex ? "0123456789abcdefABCDEF" : "0123456789") != std::string::npos)
        return false;
    value = std::strtoull(digits.c_str(), nullptr, hex ? 16 : 10);
    return value <= max;
}

bool ParseCrcs(const std::string& text, std::vector<uint32_t>& crcs)
{
    size_t start = 0;
    for (;;) {
        const size_t comma = text.find(',', start);
        const std::string one = "0x" + text.substr(start, comma - start);
        uint64_t value = 0;
        if (!ParseNumber(one, 0xFFFFFFFFu, value, true))
            return false;
        crcs.push_back(uint32_t(value));
        if (comma == std::string::npos)
            return true;
        start = comma + 1;
    }
}

// Why a row cannot be read, empty when it can.
std::string ParseRow(const std::string& line, ManifestRow& row)
{
    const std::vector<std::string> fields = Fields(line);
    if (fields.size() != kFieldCount)
        return "wants " + std::to_string(kFieldCount) + " tab-separated fields, not " + std::to_string(fields.size());
    uint64_t index = 0, width = 0, height = 0, depth = 0, levels = 0, flags = 0;
    if (!ParseNumber(fields[0], 0xFFFF, index) || !ParseNumber(fields[3], 0xFFFF, width) ||
        !ParseNumber(fields[4], 0xFFFF, height) || !ParseNumber(fields[5], 32, depth) ||
        !ParseNumber(fields[6], 0xFFFF, levels) || !ParseNumber(fields[7], 0xFFFFFFFFu, flags, true))
        return "has a number out of its range or not a number";
    if (!Unescaped(fields[1], row.name) || !Unescaped(fields[2], row.file))
        return "has an escape that is not one";
    if (row.file.find('\0') != std::string::npos || row.name.find('\0') != std::string::npos)
        return "has a name holding a NUL byte, which no name can hold";
    if (row.file.empty() || row.file == "." || row.file == ".." || row.file.find('/') != std::string::npos)
        return "names a file outside the folder";
    if (!ParseCrcs(fields[8], row.crcs))
        return "has a CRC-32 list that is not one";
    row.index = int(index);
    row.width = unsigned(width), row.height = unsigned(height), row.depth = unsigned(depth);
    row.levels = unsigned(levels), row.flags = uint32_t(flags);
    return {};
}

}  // namespace

FileWriteStatus WriteManifest(const std::string& path, const std::vector<ManifestRow>& rows, const InputFiles& inputs)
{
    std::string text = std::string(kFirstLine) + '\n' + kHeaderLine + '\n';
    for (const ManifestRow& row : rows) {
        text += std::to_string(row.index) + '\t' + Escaped(row.name) + '\t' + Escaped(row.file) + '\t' +
                std::to_string(row.width) + '\t' + std::to_string(row.height) + '\t' + std::to_string(row.depth) +
                '\t' + std::to_string(row.levels) + '\t' + Hex(row.flags, 2) + '\t' + CrcList(row.crcs) + '\n';
    }
    OutputFile file;
    FileWriteStatus status = file.create(path, inputs);
    if (status == FileWriteStatus::Ok && !file.write(text.data(), text.size()))
        status = file.writeFailure();
    if (status == FileWriteStatus::Ok)
        status = file.finish(false);
    if (status == FileWriteStatus::Ok)
        status = file.commit();
    return status;
}

ManifestStatus ReadManifest(const std::string& path, std::vector<ManifestRow>& rows, std::string& problem)
{
    rows.clear();
    ByteBlock bytes;
    const FileReadStatus read = ReadWholeFile(path, bytes, kMaxManifestBytes);
    if (read == FileReadStatus::NotFound)
        return ManifestStatus::Missing;
    if (read != FileReadStatus::Ok) {
        problem = FileReadProblem(read);
        return ManifestStatus::Unreadable;
    }
    const std::string text(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    std::map<int, int> firstLines;  // the line that lists each texture
    size_t start = 0;
    for (int number = 1; start < text.size(); ++number) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        std::string line = text.substr(start, end - start);
        start = end + 1;
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (number == 1 && line != kFirstLine) {
            problem = line.rfind("# quorrel textures ", 0) == 0 ? "is a manifest of another version"
                                                                : "is not a texture manifest";
            return ManifestStatus::Damaged;
        }
        if (number == 1 || line.empty() || line == kHeaderLine || line[0] == '#')
            continue;
        ManifestRow row;
        std::string why = ParseRow(line, row);
        if (why.empty() && !firstLines.emplace(row.index, number).second)
            why = "lists texture " + std::to_string(row.index) + " again (line " +
                  std::to_string(firstLines[row.index]) + " lists it first)";
        if (!why.empty()) {
            problem = "line " + std::to_string(number) + ": " + why;
            return ManifestStatus::Damaged;
        }
        rows.push_back(std::move(row));
    }
    if (text.empty()) {
        problem = "is not a texture manifest";
        return ManifestStatus::Damaged;
    }
    return ManifestStatus::Ok;
}
