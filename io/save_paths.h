#pragma once

#include <string>

namespace vorbix {

// Where "Save" and "Save As" put the preview and the screen files.
struct SavePaths {
    std::string bmp;
    std::string bin;
    std::string tim;
};

// "Save": out24.bmp, screen.bin and screen.tim into the folder.
SavePaths SavePathsInFolder(const std::string& folder);
// "Save As": the BMP under the chosen name (".bmp" added unless it ends so), screen files beside it.
SavePaths SaveAsPaths(const std::string& chosenPath);

}  // namespace vorbix
