#include "support/image_tools.h"

#include "media/folder_walk.h"
#include "support/scripted_platform.h"

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <vector>

namespace orbisk::testing {

namespace {

unsigned char bcd(int value) {
    return static_cast<unsigned char>((value / 10) << 4 | (value % 10));
}

} // namespace

void MakeBinCue(const std::string& iso, const std::string& bin, const std::string& cue, int mode) {
    std::ifstream in(iso, std::ios::binary);
    const std::vector<char> data((std::istreambuf_iterator<char>(in)), {});
    std::ofstream out(bin, std::ios::binary);
    for (std::size_t at = 0; at < data.size(); at += 2048) {
        std::string sector(2352, '\0');
        sector[0] = '\0';
        for (int i = 1; i <= 10; ++i) {
            sector[static_cast<std::size_t>(i)] = '\xFF';
        }
        const int frame = static_cast<int>(at / 2048) + 150;
        sector[12] = static_cast<char>(bcd(frame / 75 / 60));
        sector[13] = static_cast<char>(bcd(frame / 75 % 60));
        sector[14] = static_cast<char>(bcd(frame % 75));
        sector[15] = static_cast<char>(mode);
        const std::size_t user = mode == 1 ? 16 : 24;
        if (mode == 2) {
            sector[18] = sector[22] = '\x08'; // form 1 data, in both copies of the subheader
        }
        sector.replace(user, 2048, &data[at], std::min<std::size_t>(2048, data.size() - at));
        out.write(sector.data(), static_cast<std::streamsize>(sector.size()));
    }
    std::ofstream sheet(cue);
    sheet << "FILE \"" << bin.substr(bin.rfind('/') + 1) << "\" BINARY\n"
          << "  TRACK 01 MODE" << mode << "/2352\n"
          << "    INDEX 01 00:00:00\n";
}

std::map<std::string, FileFacts> FilesUnder(const FileSystem& files, const std::string& folder) {
    Transcript transcript;
    ScriptedDialogs dialogs{transcript};
    PathStore paths;
    SkippedFolders skipped;
    CollectFiles({files, dialogs}, files.walkPattern(folder), true, paths, skipped);
    std::map<std::string, FileFacts> out;
    for (const std::string& path : paths.paths()) {
        out[path.substr(folder.size() + 1)] = files.fileFacts(path);
    }
    return out;
}

std::map<std::string, FileFacts> FilesOf(const ImageTree& tree) {
    std::map<std::string, FileFacts> out;
    for (ImageTree::Index i = 1; i < tree.size(); ++i) {
        if (!tree.node(i).folder && tree.find(tree.pathOf(i)) == i) {
            out[tree.pathOf(i)] = tree.node(i).facts;
        }
    }
    return out;
}

} // namespace orbisk::testing
