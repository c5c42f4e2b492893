#pragma once

#include <QElapsedTimer>
#include <QFutureWatcher>
#include <QObject>
#include <atomic>
#include <memory>

namespace orbisk {

class NameIndex;

// Brings the name index up to date on a thread of its own, so that building it never
// holds the window: at start, after a registration, after the catalogue window changed
// the catalogue. A request while it works is done again when it is through. Its progress
// is told once it has taken more than a second.
class IndexKeeper : public QObject {
    Q_OBJECT
public:
    explicit IndexKeeper(NameIndex& index, QObject* parent = nullptr);
    // Stops the work at its next batch of rows and waits for it.
    ~IndexKeeper() override;

    void request();

signals:
    void progressed(int percent);
    void finished();

private:
    void done();

    NameIndex& index_;
    QFutureWatcher<void> watcher_;
    std::shared_ptr<std::atomic<bool>> stop_ = std::make_shared<std::atomic<bool>>(false);
    QElapsedTimer clock_;
    bool again_ = false;
};

} // namespace orbisk
