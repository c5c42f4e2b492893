#include "archive_disc.h"

#include "bench_support.h"
#include "support/lzh_writer.h"

#include <archive.h>
#include <archive_entry.h>
#include <fstream>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace orbisk::bench {

namespace {

using Members = std::vector<std::pair<std::string, std::string>>;

void writeZip(const std::filesystem::path& file, const Members& members) {
    archive* a = archive_write_new();
    archive_write_set_format_zip(a);
    if (archive_write_open_filename(a, file.c_str()) != ARCHIVE_OK) {
        archive_write_free(a);
        throw std::runtime_error("cannot write " + file.string());
    }
    for (const auto& [name, content] : members) {
        archive_entry* entry = archive_entry_new();
        archive_entry_set_pathname(entry, name.c_str());
        archive_entry_set_filetype(entry, AE_IFREG);
        archive_entry_set_perm(entry, 0644);
        archive_entry_set_size(entry, static_cast<la_int64_t>(content.size()));
        archive_write_header(a, entry);
        archive_write_data(a, content.data(), content.size());
        archive_entry_free(entry);
    }
    archive_write_close(a);
    archive_write_free(a);
}

} // namespace

std::filesystem::path archiveDisc() {
    const auto root = dataFolder() / "archive-disc";
    const auto done = dataFolder() / "archive-disc.done";
    if (std::filesystem::exists(done)) {
        return root;
    }
    std::filesystem::remove_all(root);
    for (int n = 0; n < 1000; ++n) {
        const auto folder = root / ("folder" + std::to_string(n / 50));
        std::filesystem::create_directories(folder);
        Members members;
        for (int m = 0; m < 100; ++m) {
            const std::string name = "part" + std::to_string(m / 25) + "/member_" +
                                     std::to_string(n) + "_" + std::to_string(m) + ".txt";
            members.emplace_back(name, std::string(200 + m, static_cast<char>('a' + m % 26)));
        }
        const std::string stem = "archive_" + std::to_string(n);
        if (n % 2 == 0) {
            writeZip(folder / (stem + ".zip"), members);
        } else {
            // LHA writes "\" between folders.
            for (auto& member : members) {
                member.first[5] = '\\';
            }
            std::ofstream(folder / (stem + ".lzh"), std::ios::binary)
                << testing::StoredLzh(members);
        }
    }
    std::ofstream(done) << "ok";
    return root;
}

} // namespace orbisk::bench
