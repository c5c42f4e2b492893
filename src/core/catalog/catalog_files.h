#pragma once

#include "catalog/catalog.h"
#include "content/content_fingerprint.h"
#include "platform/file_system.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

namespace orbisk {

// A file of the catalogue as the search for its other copies takes it: a file row, or a
// file packed in a file row's archive.
struct CatalogFile {
    std::int64_t row = 0;
    std::int64_t member = 0; // the packed file (OrbiskMembers.member); 0 for the file itself
    std::string title;
    std::string path;       // the file row's
    std::string memberPath; // the packed file's path in the archive; empty for a file
    std::string name;
    FileFacts facts;
    std::optional<ContentFingerprint> content;
};

// Every file whose size and date the catalogue knows, in row order, a file row's packed
// files after it: the rows of the registrations this program made (their kept facts), and
// the files packed in their archives. Rows an older program registered keep only a size in
// kilobytes and the day they were registered, which say nothing of a file's being another's
// copy: they are left out. onFile may take the file's texts.
void ReadCatalogFiles(Catalog& catalog, const std::function<void(CatalogFile&)>& onFile);

} // namespace orbisk
