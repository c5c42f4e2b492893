#include "windows/folder_list.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QStyle>
#include <filesystem>

namespace orbisk {

namespace {

constexpr int PathRole = Qt::UserRole;

QString shownName(const QByteArray& name) {
    return QFile::decodeName(name);
}

} // namespace

FolderList::FolderList(QWidget* parent) : QListWidget(parent) {
    setSelectionMode(QAbstractItemView::SingleSelection);
    connect(this, &QListWidget::itemActivated, this, &FolderList::onActivated);
}

bool FolderList::setPath(const std::string& folder) {
    std::error_code error;
    std::filesystem::path target = std::filesystem::absolute(folder, error).lexically_normal();
    if (error || !std::filesystem::is_directory(target, error)) {
        return false;
    }
    std::string text = target.string();
    if (text.size() > 1 && text.back() == '/') {
        text.pop_back();
    }
    QStringList subfolders;
    const QDir dir(QFile::decodeName(QByteArray::fromStdString(text)));
    if (!dir.isReadable()) {
        return false;
    }
    subfolders = dir.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name | QDir::IgnoreCase);

    clear();
    const QIcon open = style()->standardIcon(QStyle::SP_DirOpenIcon);
    const QIcon closed = style()->standardIcon(QStyle::SP_DirClosedIcon);
    std::vector<std::string> chain;
    for (std::filesystem::path p(text);; p = p.parent_path()) {
        chain.insert(chain.begin(), p.string());
        if (p == p.parent_path()) {
            break;
        }
    }
    int depth = 0;
    for (const std::string& link : chain) {
        const std::string name =
            link == "/" ? "/" : std::filesystem::path(link).filename().string();
        auto* item = new QListWidgetItem(
            open, QString(depth * 2, u' ') + shownName(QByteArray::fromStdString(name)), this);
        item->setData(PathRole, QByteArray::fromStdString(link));
        ++depth;
        if (link == text) {
            QFont bold = item->font();
            bold.setBold(true);
            item->setFont(bold);
            setCurrentItem(item);
        }
    }
    for (const QString& name : subfolders) {
        auto* item = new QListWidgetItem(closed, QString(depth * 2, u' ') + name, this);
        const QByteArray bytes = QFile::encodeName(name);
        item->setData(PathRole, QByteArray::fromStdString(text == "/" ? "/" : text + "/") + bytes);
    }
    path_ = text;
    emit pathChanged();
    return true;
}

void FolderList::onActivated(QListWidgetItem* item) {
    setPath(item->data(PathRole).toByteArray().toStdString());
}

} // namespace orbisk
