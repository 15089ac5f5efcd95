// The device clean-up of "QelAlert -U": removes the card printers' USB and
// USBPRINT devices with their Enum keys, and their software print-queue
// devices.
#pragma once

#include <windows.h>

// Device setup classes of the two device walks, as the walks take them.
#define GUID_DEVCLASS_USB_TEXT L"{36FC9E60-C465-11CF-8056-444553540000}"
#define GUID_DEVCLASS_PRINTER_TEXT L"{4D36E979-E325-11CE-BFC1-08002BE10318}"

// The software print-queue devices, below HKEY_LOCAL_MACHINE.
extern const WCHAR PRINTENUM_KEY[];

// Lists ending with NULL. Each USB id and model name is the part of a device
// instance id behind its enumerator; the print-queue ids are first hardware
// ids of software print-queue devices.
extern const LPCWSTR g_UsbIdList[];
extern const LPCWSTR g_ModelNameList[];
extern const LPCWSTR g_PrintQueueIdList[];

// Most indexes either walk visits: an enumeration that never ends stops here.
constexpr DWORD CLEANUP_WALK_MAX = 0x10000;

// Removes every device of the class, present or not, whose instance id begins
// with "<enumerator>\<entry>" for an entry of the list (letter case
// ignored); then, once SYSTEM may delete below the enumerator's Enum key,
// deletes "Enum\<enumerator>\<entry>" of every entry and restores the key's
// access list. 0 when the class's device list cannot be had, else 1.
DWORD RemoveUsbDevices(LPCWSTR enumerator, LPCWSTR classGuidText, const LPCWSTR* entries);

// Deletes every subkey of Enum\SWD\PRINTENUM that describes a card printer's
// print queue. 0 when that key cannot be opened, else 1.
DWORD RemovePrintEnumKeys();

// The three steps in order: USB devices, USBPRINT devices, print queues.
void RemoveAllDevices();
