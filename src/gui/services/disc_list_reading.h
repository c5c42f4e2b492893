#pragma once

#include "catalog/disc_rows.h"
#include "platform/clock.h"
#include "platform/file_system.h"

#include <QFutureWatcher>
#include <QObject>
#include <atomic>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace orbisk {

// What the catalogue window's disc list shows that needs every row of the catalogue, read on
// a thread of its own: each title's figures, whether it was read from an image file, and its
// last verification in words. A reading
// started stops the one before it; one under way stops at its next hundred thousand rows
// when this object goes.
class DiscListReading : public QObject {
    Q_OBJECT
public:
    struct Facts {
        std::vector<DiscFigures> figures; // none when the catalogue could not be read
        std::map<std::string, std::string> verified;
    };

    DiscListReading(std::filesystem::path catalogFile, const FileSystem& files, const Clock& clock,
                    QObject* parent);
    ~DiscListReading() override;

    void start();

signals:
    void read(const DiscListReading::Facts& facts);

private:
    std::filesystem::path catalogFile_;
    const FileSystem& files_;
    const Clock& clock_;
    QFutureWatcher<Facts> reading_;
    std::shared_ptr<std::atomic<bool>> stop_ = std::make_shared<std::atomic<bool>>(false);
};

} // namespace orbisk
