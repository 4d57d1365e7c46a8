#pragma once

#include <QByteArray>
#include <QString>

#include <archive.h>
#include <archive_entry.h>
#include <utility>
#include <vector>

/// Builds small archives and compressed files in memory with libarchive's
/// writer, so that no fixture of that kind lives in the repository.
struct ArchiveMaking {
    const char *format = "zip"; ///< a libarchive format name ("zip", "7zip", "ustar", "raw" ...)
    const char *filter = "";    ///< a libarchive filter name ("gzip", "xz" ...), or none
    const char *options = "";   ///< libarchive writer options ("zip:compression=store")
    const char *passphrase = nullptr;
};

inline QByteArray archiveBytes(const ArchiveMaking &making,
                               const std::vector<std::pair<QString, QByteArray>> &members) {
    QByteArray out;
    archive *a = archive_write_new();
    archive_write_set_format_by_name(a, making.format);
    if (*making.filter)
        archive_write_add_filter_by_name(a, making.filter);
    if (*making.options)
        archive_write_set_options(a, making.options);
    if (making.passphrase)
        archive_write_set_passphrase(a, making.passphrase);
    archive_write_set_bytes_in_last_block(a, 1);
    archive_write_open(
        a, &out, nullptr,
        [](archive *, void *to, const void *bytes, size_t size) -> la_ssize_t {
            static_cast<QByteArray *>(to)->append(static_cast<const char *>(bytes),
                                                  static_cast<qsizetype>(size));
            return static_cast<la_ssize_t>(size);
        },
        nullptr);
    for (const auto &[name, bytes] : members) {
        archive_entry *entry = archive_entry_new();
        archive_entry_set_pathname_utf8(entry, name.toUtf8().constData());
        archive_entry_set_size(entry, bytes.size());
        archive_entry_set_filetype(entry, AE_IFREG);
        archive_entry_set_perm(entry, 0644);
        archive_entry_set_mtime(entry, 1'700'000'000, 0);
        archive_write_header(a, entry);
        archive_write_data(a, bytes.constData(), static_cast<size_t>(bytes.size()));
        archive_entry_free(entry);
    }
    archive_write_close(a);
    archive_write_free(a);
    return out;
}
