#pragma once

#include <QByteArray>
#include <string>

struct zip;

// Read-only access to the parts of a zip container (the packages of the
// current office formats) through libzip, with the bounds outside data
// needs: at most kMaxEntries entries, no part read beyond kMaxPartBytes
// and no more than kMaxTotalBytes read in all, whatever the entries claim
// (a zip bomb claims little and inflates to much).
class CZipContainer
{
public:
    enum Status
    {
        Ok,
        NotZip,
        Missing, // no part of that name
        Damaged, // unreadable data, a zip cut short, or a bound passed
    };
    static constexpr long long kMaxEntries = 20000;
    static constexpr qint64 kMaxPartBytes = 64LL * 1024 * 1024;
    static constexpr qint64 kMaxTotalBytes = 256LL * 1024 * 1024;

    CZipContainer() = default;
    ~CZipContainer();
    CZipContainer(const CZipContainer&) = delete;
    CZipContainer& operator=(const CZipContainer&) = delete;

    Status OpenFile(const std::string& path);
    // The container in `bytes`, which must outlive this object.
    Status OpenBytes(const QByteArray& bytes);

    bool Has(const std::string& name) const;
    // The uncompressed part `name` (ASCII case ignored, as the packages'
    // names are).
    Status Read(const std::string& name, QByteArray& out);

private:
    Status Opened(zip* archive);

    zip* m_zip = nullptr;
    qint64 m_totalRead = 0;
};
