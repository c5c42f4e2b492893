#include "archive/archive_opening.h"

#include "text/display_text.h"

namespace orbisk {

ArchiveHandle OpenArchive(void* source, archive_read_callback* read, archive_seek_callback* seek,
                          archive_skip_callback* skip) {
    ArchiveHandle a(archive_read_new());
    archive_read_support_format_all(a.get());
    archive_read_support_filter_all(a.get());
    archive_read_set_format_option(a.get(), "lha", "hdrcharset", "CP932");
    archive_read_set_read_callback(a.get(), read);
    archive_read_set_seek_callback(a.get(), seek);
    archive_read_set_skip_callback(a.get(), skip);
    archive_read_set_callback_data(a.get(), source);
    if (archive_read_open1(a.get()) != ARCHIVE_OK) {
        return nullptr;
    }
    return a;
}

std::optional<std::string> MemberPath(archive* a, archive_entry* entry) {
    const char* path = archive_entry_pathname(entry);
    if (path == nullptr) {
        return std::nullopt;
    }
    if ((archive_format(a) & ARCHIVE_FORMAT_BASE_MASK) == ARCHIVE_FORMAT_LHA) {
        return ToCodePage932(path);
    }
    return std::string(path);
}

} // namespace orbisk
