#include "content/disc_verification.h"

#include "archive/archive_contents.h"
#include "media/disc_identity.h"

#include <string_view>
#include <unordered_map>
#include <unordered_set>

namespace orbisk {
namespace {

bool Unread(ContentRead::End end) {
    return end == ContentRead::End::Unreadable || end == ContentRead::End::Shorter ||
           end == ContentRead::End::Damaged || end == ContentRead::End::Encrypted;
}

// A packed file read out of its archive against the one registered at its place.
MemberVerdict JudgeMember(const RegisteredMember& kept, std::size_t index,
                          const MemberContent& found) {
    MemberVerdict verdict;
    verdict.registered = index;
    verdict.path = kept.path;
    verdict.read = found.read;
    if (Unread(found.read.end)) {
        verdict.verdict = Verdict::Unreadable;
        return verdict;
    }
    if (found.read.end == ContentRead::End::Longer ||
        (kept.bytes && *kept.bytes != found.read.bytesRead)) {
        verdict.changes |= SizeChanged;
    }
    if (kept.content && found.read.fingerprint && *kept.content != *found.read.fingerprint) {
        verdict.changes |= ContentChanged;
    }
    verdict.verdict = verdict.changes != 0 ? Verdict::Changed : Verdict::Same;
    return verdict;
}

// The archive's members against those registered: a member is the registered one when it
// stands at the same place under the same path; another path at that place is a member
// missing and one not registered, never the same file.
std::vector<MemberVerdict> JudgeMembers(const RegisteredFile& kept,
                                        const ArchiveContents& archive) {
    std::unordered_map<std::uint64_t, const MemberContent*> byPlace;
    for (const MemberContent& member : archive.members) {
        byPlace.emplace(member.place, &member);
    }
    const bool readToEnd = archive.end == ArchiveContents::End::Read;
    std::unordered_set<std::uint64_t> matched;
    std::vector<MemberVerdict> verdicts;
    for (std::size_t i = 0; i < kept.members.size(); ++i) {
        const RegisteredMember& member = kept.members[i];
        const auto found = byPlace.find(member.place);
        if (found != byPlace.end() && found->second->path == member.path) {
            matched.insert(member.place);
            verdicts.push_back(JudgeMember(member, i, *found->second));
            continue;
        }
        MemberVerdict verdict;
        verdict.registered = i;
        verdict.path = member.path;
        // Past where a broken archive could be read, a member is not known to be gone.
        verdict.verdict =
            readToEnd || found != byPlace.end() ? Verdict::Missing : Verdict::Unreadable;
        if (verdict.verdict == Verdict::Unreadable) {
            verdict.read = archive.file;
            verdict.read.reason = archive.reason.empty() ? archive.file.reason : archive.reason;
        }
        verdicts.push_back(std::move(verdict));
    }
    for (const MemberContent& member : archive.members) {
        if (!matched.contains(member.place)) {
            MemberVerdict verdict;
            verdict.verdict = Verdict::Unlisted;
            verdict.path = member.path;
            verdict.read = member.read;
            verdicts.push_back(std::move(verdict));
        }
    }
    return verdicts;
}

class Verifier {
public:
    Verifier(const FileSystem& files, const VerificationPlan& plan, ReadCounters& counters,
             std::stop_token stop)
        : files_(files), plan_(plan), counters_(counters), stop_(stop), reader_(counters, stop) {}

    FileVerdict judge(std::size_t index) {
        const RegisteredFile& kept = plan_.registered[index];
        FileVerdict verdict;
        verdict.registered = index;
        verdict.path = kept.path;
        const std::string path = plan_.root + kept.path;
        try {
            verdict.now = files_.fileFacts(path);
        } catch (const FileError& error) {
            if (files_.isPresentFile(path)) {
                verdict.verdict = Verdict::Unreadable;
                verdict.read.end = ContentRead::End::Unreadable;
                verdict.read.reason = error.reason();
            } else {
                verdict.verdict = Verdict::Missing;
            }
            return verdict;
        }
        if (verdict.now->bytes != kept.facts.bytes) {
            verdict.changes |= SizeChanged;
        }
        if (!SameShiftedDate(kept.facts.modified, verdict.now->modified)) {
            verdict.changes |= DateChanged;
        }
        const std::unique_ptr<ReadableFile> file = files_.openForReading(path);
        if (!file) {
            verdict.verdict = Verdict::Unreadable;
            verdict.read.end = ContentRead::End::Unreadable;
            return verdict;
        }
        if (kept.members.empty()) {
            verdict.read = reader_.read(*file);
        } else {
            const ArchiveContents archive =
                ReadArchiveContents(*file, counters_, stop_, plan_.archiveLimits);
            verdict.read = archive.file;
            if (archive.end == ArchiveContents::End::Cancelled) {
                verdict.read.end = ContentRead::End::Cancelled;
            } else {
                verdict.members = JudgeMembers(kept, archive);
                for (const MemberVerdict& member : verdict.members) {
                    if (member.verdict != Verdict::Same) {
                        verdict.changes |= MembersChanged;
                    }
                }
            }
        }
        switch (verdict.read.end) {
        case ContentRead::End::Cancelled:
            verdict.verdict = Verdict::Cancelled;
            return verdict;
        case ContentRead::End::Longer:
            verdict.changes |= SizeChanged;
            break;
        case ContentRead::End::Read:
            if (kept.content && *kept.content != *verdict.read.fingerprint) {
                verdict.changes |= ContentChanged;
            }
            break;
        default:
            verdict.verdict = Verdict::Unreadable;
            return verdict;
        }
        verdict.verdict = verdict.changes != 0 ? Verdict::Changed : Verdict::Same;
        return verdict;
    }

    FileVerdict unlisted(const std::string& relative) const {
        FileVerdict verdict;
        verdict.verdict = Verdict::Unlisted;
        verdict.path = relative;
        try {
            verdict.now = files_.fileFacts(plan_.root + relative);
        } catch (const FileError&) {
            // Listed by the walk but gone since: still a file the registration lacks.
        }
        return verdict;
    }

private:
    bool SameShiftedDate(std::int64_t kept, std::int64_t now) const {
        const std::int64_t apart = now - (kept + plan_.dateShift);
        return apart >= -DateSlack && apart <= DateSlack;
    }

    const FileSystem& files_;
    const VerificationPlan& plan_;
    ReadCounters& counters_;
    std::stop_token stop_;
    ContentReader reader_;
};

} // namespace

void VerificationCounts::add(Verdict verdict) {
    switch (verdict) {
    case Verdict::Same:
        ++same;
        break;
    case Verdict::Changed:
        ++changed;
        break;
    case Verdict::Unreadable:
        ++unreadable;
        break;
    case Verdict::Missing:
        ++missing;
        break;
    case Verdict::Unlisted:
        ++unlisted;
        break;
    case Verdict::Cancelled:
        ++cancelled;
        break;
    }
}

VerificationCounts VerifyDisc(const FileSystem& files, const VerificationPlan& plan,
                              ReadCounters& counters, std::stop_token stop,
                              const std::function<void(const FileVerdict&)>& onFile) {
    VerificationCounts counts;
    Verifier verifier(files, plan, counters, stop);
    for (std::size_t i = 0; i < plan.registered.size(); ++i) {
        FileVerdict verdict;
        if (stop.stop_requested()) {
            verdict.verdict = Verdict::Cancelled;
            verdict.registered = i;
            verdict.path = plan.registered[i].path;
        } else {
            verdict = verifier.judge(i);
        }
        counts.add(verdict.verdict);
        onFile(verdict);
    }
    std::unordered_set<std::string_view> registered;
    for (const RegisteredFile& file : plan.registered) {
        registered.insert(file.path);
    }
    for (const std::string& relative : plan.walked) {
        if (!registered.contains(relative)) {
            const FileVerdict verdict = verifier.unlisted(relative);
            counts.add(verdict.verdict);
            onFile(verdict);
        }
    }
    return counts;
}

} // namespace orbisk
