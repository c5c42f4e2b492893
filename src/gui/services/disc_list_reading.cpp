#include "services/disc_list_reading.h"

#include "services/verify_run.h"

#include <QtConcurrent/QtConcurrentRun>

namespace orbisk {

DiscListReading::DiscListReading(std::filesystem::path catalogFile, const Clock& clock,
                                 QObject* parent)
    : QObject(parent), catalogFile_(std::move(catalogFile)), clock_(clock) {
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
    reading_.setFuture(QtConcurrent::run([file = catalogFile_, stop = stop_, clock = &clock_] {
        Facts facts;
        try {
            facts.figures = ReadDiscFigures(file, [stop] { return !*stop; });
        } catch (const std::exception&) {
            // the titles stay without figures
        }
        facts.verified = LastVerifications(file, *clock);
        return facts;
    }));
}

} // namespace orbisk
