// CInstalledDriverInf: the driver's INF file where the driver's installation
// leaves it, as the next free "oem<N>.inf" of the Windows INF folder, with
// the DriverVer line whose date and version the Tool page shows; removed
// again at the end.
#pragma once

#include <windows.h>

#include <string>

class CInstalledDriverInf {
public:
    // driverVer: "<mm/dd/yyyy>,<a.b.c.d>".
    explicit CInstalledDriverInf(const std::string& driverVer);
    ~CInstalledDriverInf();
    CInstalledDriverInf(const CInstalledDriverInf&) = delete;
    CInstalledDriverInf& operator=(const CInstalledDriverInf&) = delete;

    bool ok() const { return !m_path.empty(); }

private:
    std::wstring m_path;
};
