#pragma once

#include "catalog/catalog.h"
#include "catalog/content_records.h"
#include "catalog/disc_records.h"
#include "content/disc_verification.h"
#include "platform/file_system.h"

#include <optional>
#include <stop_token>
#include <string>
#include <vector>

namespace orbisk {

// The registration a disc in a drive is, with what a verification compares it with.
struct DiscToVerify {
    enum class Found {
        Disc,           // record is the disc's registration; plan compares the two
        NotThisDisc,    // the disc is not the title's; registeredAs names it where known
        NotRegistered,  // no title was asked and the disc is no registered disc
        NoRegistration, // the title has no registration whose files can be compared
    };
    Found found = Found::NoRegistration;
    std::string registeredAs;
    DiscRecord record;
    VerificationPlan plan;
    // The catalogue's rows behind the plan's files, index for index: where fingerprints
    // read by the verification are kept.
    std::vector<RegisteredRow> rows;
};

// Looks at the disc in drive and walks it, then finds its registration, of title where
// one is given, as COPY tells a disc: its volume or its whole walk where either says it is
// a registration; else, when no other registered disc is it whole, a registration whose
// volume does not say otherwise and most of whose files are on it (the disc itself, some
// files changed, which is what a verification looks for).
DiscToVerify ChooseDiscToVerify(Catalog& catalog, const FileSystem& files, const std::string& drive,
                                const std::optional<std::string>& title, std::stop_token stop = {});

// Keeps a finished verification: its counts as the registration's last verification, and
// the fingerprints read of files and packed files found the same that had none; together
// in one transaction. The catalogue must be open for writing.
void KeepVerification(Catalog& catalog, const DiscToVerify& disc,
                      const std::vector<FileVerdict>& verdicts, const VerificationCounts& counts,
                      std::int64_t when);

} // namespace orbisk
