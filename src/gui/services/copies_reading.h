#pragma once

#include "content/catalog_copies.h"
#include "platform/file_system.h"

#include <QFutureWatcher>
#include <QObject>
#include <filesystem>
#include <memory>
#include <stop_token>
#include <string>

namespace orbisk {

// Where else each file of the catalogue lives (CatalogCopies), read on a thread of its own:
// it reads every row. What was read is kept with the catalogue's look before the reading;
// once the catalogue looks otherwise (a change by this program or another, a backup put
// back), it is read afresh when next asked for.
class CopiesReading : public QObject {
    Q_OBJECT
public:
    CopiesReading(std::filesystem::path catalogFile, const FileSystem& files, QObject* parent);
    ~CopiesReading() override;

    // The copies as the catalogue holds them now; null while they are read, read() follows.
    std::shared_ptr<const CatalogCopies> current();
    // The last copies read, as read() gives them; null when the catalogue could not be read.
    std::shared_ptr<const CatalogCopies> latest() const { return copies_; }
    // The catalogue's look as the last reading began: the same for two readings of one
    // catalogue unchanged.
    const std::string& latestLook() const { return lookBefore_; }

signals:
    void read();

private:
    void start();
    void finished();
    std::string look() const;

    std::filesystem::path catalogFile_;
    const FileSystem& files_;
    QFutureWatcher<std::shared_ptr<const CatalogCopies>> reading_;
    std::stop_source stop_;
    std::shared_ptr<const CatalogCopies> copies_;
    std::string lookBefore_; // the look as the reading under way began
    bool settledBefore_ = false;
    std::string look_; // the look copies_ hold good for; empty when it cannot be trusted
};

} // namespace orbisk
