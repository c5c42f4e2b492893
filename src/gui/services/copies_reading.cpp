#include "services/copies_reading.h"

#include <QtConcurrent/QtConcurrentRun>

namespace orbisk {

CopiesReading::CopiesReading(std::filesystem::path catalogFile, const FileSystem& files,
                             QObject* parent)
    : QObject(parent), catalogFile_(std::move(catalogFile)), files_(files) {
    connect(&reading_, &QFutureWatcher<std::shared_ptr<const CatalogCopies>>::finished, this,
            &CopiesReading::finished);
}

CopiesReading::~CopiesReading() {
    stop_.request_stop();
    reading_.waitForFinished();
}

std::string CopiesReading::look() const {
    // The journal beside the catalogue holds another program's writes until they are
    // merged into the catalogue itself.
    const std::string catalogue = files_.fileStamp(catalogFile_.string());
    if (catalogue.empty()) {
        return "";
    }
    return catalogue + "|" + files_.fileStamp(catalogFile_.string() + "-wal");
}

std::shared_ptr<const CatalogCopies> CopiesReading::current() {
    if (reading_.isRunning()) {
        return nullptr;
    }
    if (copies_ != nullptr && !look_.empty() && look() == look_) {
        return copies_;
    }
    start();
    return nullptr;
}

void CopiesReading::start() {
    // A change within the file system's time step of the last one may leave the look as
    // it was: such a reading is shown but not trusted for the next question.
    lookBefore_ = look();
    settledBefore_ =
        files_.stampUnsettledFor(catalogFile_.string()) == std::chrono::milliseconds(0) &&
        files_.stampUnsettledFor(catalogFile_.string() + "-wal") == std::chrono::milliseconds(0);
    stop_ = std::stop_source();
    reading_.setFuture(QtConcurrent::run(
        [file = catalogFile_, stop = stop_.get_token()]() -> std::shared_ptr<const CatalogCopies> {
            try {
                Catalog catalog(file);
                auto copies = CatalogCopies::Find(catalog, stop);
                return copies ? std::make_shared<const CatalogCopies>(std::move(*copies)) : nullptr;
            } catch (const std::exception&) {
                return nullptr;
            }
        }));
}

void CopiesReading::finished() {
    copies_ = reading_.result();
    look_ = copies_ != nullptr && settledBefore_ && look() == lookBefore_ ? lookBefore_ : "";
    emit read();
}

} // namespace orbisk
