// Object-manager symbolic links, which the toolchain's headers do not
// declare: NtCreateSymbolicLinkObject is looked up in ntdll at run time.
// The link object lives while a handle to it is open.
#pragma once

#include <windows.h>
#include <winternl.h>

// Access right that covers creating and querying a link.
#ifndef SYMBOLIC_LINK_ALL_ACCESS
#define SYMBOLIC_LINK_ALL_ACCESS (STANDARD_RIGHTS_REQUIRED | 0x1)
#endif

typedef NTSTATUS(NTAPI* PFN_NtCreateSymbolicLinkObject)(PHANDLE linkHandle, ACCESS_MASK desiredAccess,
                                                       POBJECT_ATTRIBUTES objectAttributes,
                                                       PUNICODE_STRING linkTarget);
