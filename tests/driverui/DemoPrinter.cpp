#include "DemoPrinter.h"

#include <cstdio>

const char* CDemoPrinter::Start(LPCWSTR portName, LPCWSTR model)
{
    if (!m_emu.StartTcp(nullptr, 0))
        return "the printer emulator did not start";
    m_port = m_registry.Unique(portName);
    if (!m_registry.AddTcpipPort(m_port.c_str(), m_emu.GetAddressW(), nullptr, m_emu.GetPort()))
        return "the port could not be registered";
    m_printer.reset(new CInstalledPrinter(model, m_port.c_str()));
    return m_printer->ok() ? nullptr : "the printer could not be installed";
}

int FailDemo(const char* demo, const char* what)
{
    printf("%s: %s\n", demo, what);
    return 1;
}
