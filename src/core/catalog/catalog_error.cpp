#include "catalog/catalog_error.h"

namespace orbisk {

MessageLines CatalogOpenFailure(const std::filesystem::path& file, const MessageLines& reason) {
    return Then({{MessageId::CatalogNotOpened, {}}, Verbatim(file.string())}, reason);
}

void RequireCatalogFile(const std::filesystem::path& file) {
    using Kind = CatalogError::Kind;
    using Type = std::filesystem::file_type;
    std::error_code error;
    switch (std::filesystem::status(file, error).type()) {
    case Type::regular:
        return;
    case Type::directory:
        throw CatalogError(Kind::Folder, {{MessageId::IsAFolder, {}}});
    case Type::fifo:
        throw CatalogError(Kind::Fifo, {{MessageId::IsAFifo, {}}});
    case Type::character:
    case Type::block:
        throw CatalogError(Kind::Device, {{MessageId::IsADevice, {}}});
    case Type::not_found:
        throw CatalogError(Kind::Missing, {{MessageId::NoSuchFile, {}}});
    case Type::none:
        throw CatalogError(Kind::Other, {{MessageId::CannotLookAtFile, {error.message()}}});
    default:
        throw CatalogError(Kind::NotAFile, {{MessageId::NotAPlainFile, {}}});
    }
}

} // namespace orbisk
