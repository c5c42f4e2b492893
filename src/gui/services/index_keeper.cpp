#include "services/index_keeper.h"

#include "search/name_index.h"

#include <QtConcurrent/QtConcurrentRun>

namespace orbisk {

namespace {

// Progress is shown only for work the user can notice.
constexpr qint64 QuietMs = 1000;

} // namespace

IndexKeeper::IndexKeeper(NameIndex& index, QObject* parent) : QObject(parent), index_(index) {
    connect(&watcher_, &QFutureWatcher<void>::finished, this, &IndexKeeper::done);
}

IndexKeeper::~IndexKeeper() {
    *stop_ = true;
    watcher_.waitForFinished();
}

void IndexKeeper::request() {
    if (watcher_.isRunning()) {
        again_ = true;
        return;
    }
    clock_.start();
    const auto stop = stop_;
    NameIndex* index = &index_;
    watcher_.setFuture(QtConcurrent::run([this, index, stop] {
        index->update(
            [this](std::int64_t done, std::int64_t total) {
                const int percent = total > 0 ? static_cast<int>(done * 100 / total) : 100;
                // Told on the window's thread; dropped if this keeper is gone by then.
                QMetaObject::invokeMethod(
                    this,
                    [this, percent] {
                        if (clock_.elapsed() > QuietMs) {
                            emit progressed(percent);
                        }
                    },
                    Qt::QueuedConnection);
            },
            [stop] { return !*stop; });
    }));
}

void IndexKeeper::done() {
    emit finished();
    if (again_) {
        again_ = false;
        request();
    }
}

} // namespace orbisk
