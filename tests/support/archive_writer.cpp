#include "support/archive_writer.h"

#include <archive.h>
#include <archive_entry.h>

namespace orbisk::testing {

void WriteArchive(const std::filesystem::path& file, const std::vector<PackedEntry>& entries,
                  ArchiveKind kind, std::optional<std::time_t> modified) {
    archive* a = archive_write_new();
    if (kind == ArchiveKind::Zip) {
        archive_write_set_format_zip(a);
    } else {
        archive_write_set_format_pax_restricted(a);
    }
    archive_write_open_filename(a, file.c_str());
    for (const PackedEntry& e : entries) {
        archive_entry* entry = archive_entry_new();
        archive_entry_set_pathname(entry, e.path.c_str());
        if (modified) {
            archive_entry_set_mtime(entry, *modified, 0);
        }
        archive_entry_set_perm(entry, 0644);
        if (e.link) {
            archive_entry_set_filetype(entry, AE_IFLNK);
            archive_entry_set_symlink(entry, e.data.c_str());
            archive_write_header(a, entry);
        } else {
            archive_entry_set_filetype(entry, AE_IFREG);
            archive_entry_set_size(entry, static_cast<la_int64_t>(e.data.size()));
            archive_write_header(a, entry);
            archive_write_data(a, e.data.data(), e.data.size());
        }
        archive_entry_free(entry);
    }
    archive_write_close(a);
    archive_write_free(a);
}

} // namespace orbisk::testing
