#include "services/disc_list_reading.h"

#include "image/disc_image.h"
#include "services/verify_run.h"

#include <QtConcurrent/QtConcurrentRun>

namespace orbisk {

DiscListReading::DiscListReading(std::filesystem::path catalogFile, const FileSystem& files,
                                 const Clock& clock, QObject* parent)
    : QObject(parent), catalogFile_(std::move(catalogFile)), files_(files), clock_(clock) {
    connect(&reading_, &QFutureWatcher<Facts>::finished, this,
            [this] { emit read(reading_.result()); });
}

DiscListReading::~DiscListReading() {
    *stop_ = true;
    reading_.waitForFinished();
}

void DiscListReading::start() {
    if (reading_.isRunning()) {
        *stop_ = true;
        reading_.waitForFinished();
    }
    stop_ = std::make_shared<std::atomic<bool>>(false);
    reading_.setFuture(
        QtConcurrent::run([file = catalogFile_, stop = stop_, files = &files_, clock = &clock_] {
            Facts facts;
            try {
                facts.figures = ReadDiscFigures(file, [stop] { return !*stop; });
            } catch (const std::exception&) {
                // the titles stay without figures
            }
            // A record kept before records told images from discs: what is at its place tells.
            for (DiscFigures& disc : facts.figures) {
                if (!disc.image && !disc.drive.empty()) {
                    disc.image = IsImageDrive(*files, disc.drive, std::nullopt);
                }
            }
            facts.verified = LastVerifications(file, *clock);
            return facts;
        }));
}

} // namespace orbisk
