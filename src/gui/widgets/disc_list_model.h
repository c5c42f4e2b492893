#pragma once

#include "catalog/disc_rows.h"
#include "platform/number_format.h"

#include <QAbstractTableModel>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace orbisk {

// The catalogue window's list of discs: each title with its figures (registrations,
// files, size in KB, dates and the volume's label), the drive it is in now, and for a disc
// registered from an image file, that file's path, and its last verification. The titles show at
// once and their figures follow ("…" until then), since the figures need every row.
class DiscListModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column {
        TitleColumn,
        LabelColumn,
        RegistrationsColumn,
        FilesColumn,
        SizeColumn,
        DatesColumn,
        DriveColumn,
        ImageColumn,
        VerifiedColumn,
        Columns
    };

    DiscListModel(const NumberFormat& numbers, QObject* parent);

    // The titles in the order given, without figures and in no drive.
    void showTitles(const std::vector<std::string>& titles);
    // The figures of each disc; a disc not listed (file rows without a title row) is added,
    // so that it can be removed.
    void showFigures(const std::vector<DiscFigures>& discs);
    // Marks the disc of title as in drive (display: how the drive lists name it).
    void markInDrive(const std::string& title, const std::string& drive,
                     const std::string& display);

    // Each title's last verification, in words (none for a title not in verified).
    void showVerifications(const std::map<std::string, std::string>& verified);
    // Where the disc of title is looked for: the drive it is in now, else the drive, folder
    // or image file its last registration read; empty when neither is known.
    std::string placeOf(const std::string& title) const;

    // The row of title (the exact text), or -1.
    int rowOf(const std::string& title) const;
    // The title of row, as the catalogue holds it.
    const std::string& title(int row) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    struct Disc {
        std::string title;
        std::optional<DiscFigures> figures;
        std::string drive; // empty when in no drive
        std::string driveDisplay;
        std::string verified;
    };

    QString text(const Disc& disc, int column) const;
    QString grouped(std::int64_t value) const;

    const NumberFormat& numbers_;
    std::vector<Disc> discs_;
};

} // namespace orbisk
