#include "catalog/catalog_error.h"

namespace orbisk {

std::string CatalogOpenFailure(const std::filesystem::path& file, const std::string& reason) {
    return "カタログを開けませんでした。\n" + file.string() + "\n" + reason;
}

void RequireCatalogFile(const std::filesystem::path& file) {
    using Kind = CatalogError::Kind;
    using Type = std::filesystem::file_type;
    std::error_code error;
    switch (std::filesystem::status(file, error).type()) {
    case Type::regular:
        return;
    case Type::directory:
        throw CatalogError(Kind::Folder, "フォルダです。カタログのファイルを指定して下さい。");
    case Type::fifo:
        throw CatalogError(Kind::Fifo,
                           "名前付きパイプ(FIFO)です。カタログのファイルではありません。");
    case Type::character:
    case Type::block:
        throw CatalogError(Kind::Device,
                           "デバイスファイルです。カタログのファイルではありません。");
    case Type::not_found:
        throw CatalogError(Kind::Missing, "ファイルがありません。");
    case Type::none:
        throw CatalogError(Kind::Other, "ファイルを調べられません。(" + error.message() + ")");
    default:
        throw CatalogError(Kind::NotAFile, "通常のファイルではありません。");
    }
}

} // namespace orbisk
