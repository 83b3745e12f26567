#include "io/save_paths.h"

#include <cctype>

namespace vorbix {

namespace {

std::string JoinPath(const std::string& folder, const std::string& name) {
    if (folder.empty()) return name;
    return folder.back() == '/' ? folder + name : folder + "/" + name;
}

std::string FolderOfPath(const std::string& path) {
    const std::size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

bool EndsWithBmp(const std::string& path) {
    if (path.size() < 4) return false;
    std::string tail = path.substr(path.size() - 4);
    for (char& c : tail) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return tail == ".bmp";
}

}  // namespace

SavePaths SavePathsInFolder(const std::string& folder) {
    return {JoinPath(folder, "out24.bmp"), JoinPath(folder, "screen.bin"), JoinPath(folder, "screen.tim")};
}

SavePaths SaveAsPaths(const std::string& chosenPath) {
    const std::string bmp = EndsWithBmp(chosenPath) ? chosenPath : chosenPath + ".bmp";
    const std::string folder = FolderOfPath(bmp);
    return {bmp, folder + "screen.bin", folder + "screen.tim"};
}

}  // namespace vorbix
