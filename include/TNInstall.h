/*
 * TNInstall.dll - questions about the local installation of the suite.
 *
 * Every function is exported by ordinal only (the export table holds no
 * names) and uses the WINAPI (__stdcall) convention. Link with the import
 * library libTNInstall.a, or load the DLL and use GetProcAddress with
 * MAKEINTRESOURCEA(TNI_ORD_xxx).
 *
 * String answers are copied into a caller buffer of `size` UTF-16 code units
 * (terminator included): an answer longer than size - 1 is cut, and the
 * function still returns 1. An empty answer leaves the buffer untouched and
 * returns 0, as do a null buffer and a size of 0.
 *
 * Threads: the library takes no lock. A program that calls it from several
 * threads must serialise the calls itself (one call at a time in the
 * process). Every call reads the registry and the installation's files
 * afresh, except for what stays for the life of the process once it is
 * known:
 *   - the install directory, once it has been read with six characters or
 *     more (a shorter one, a drive root, is read again on every call);
 *   - the file-map switch (SetFileMapEnabled), on until it is set otherwise;
 *   - Vaultcore.dll, loaded at the first call that asks the hive store and
 *     never unloaded;
 *   - the folder of the diagnostic log, fixed by the first line it writes;
 *   - the WOW64 functions of kernel32 and whether the processor has SSE2.
 */
#ifndef TNINSTALL_H
#define TNINSTALL_H

#include <windows.h>

#ifdef __cplusplus
extern "C" {
#endif

/* Windows classes returned by GetOsVersionType: a version bit plus a family
 * bit, or one of the two WOW64 values alone for a 32-bit process on 64-bit
 * Windows. */
#define WINTYPE_9X          0x00000001u
#define WINTYPE_NT          0x00000002u
#define WINTYPE_WOW64       0x00000400u
#define WINTYPE_95          0x00010000u
#define WINTYPE_98          0x00020000u
#define WINTYPE_ME          0x00040000u
#define WINTYPE_NT4         0x00080000u
#define WINTYPE_2000        0x00100000u
#define WINTYPE_OTHER       0x00200000u
#define WINTYPE_XPSP2       0x00400000u
#define WINTYPE_2003        0x00800000u
#define WINTYPE_V6          0x01000000u
#define WINTYPE_2003_WOW64  0x02000000u

/* Ordinals. They never change. */
#define TNI_ORD_GetInstallPath            1
#define TNI_ORD_GetBackupPath             2
#define TNI_ORD_GetMappedFileName         3
#define TNI_ORD_GetUnmappedFileName       4
#define TNI_ORD_GetComponentFilePath      5
#define TNI_ORD_GetComponentPath          6
#define TNI_ORD_GetComponentProducts      7
#define TNI_ORD_GetProductId              8
#define TNI_ORD_IsComponentInstalled      9
#define TNI_ORD_IsProductInstalled        10
#define TNI_ORD_IsInstalledFile           11
#define TNI_ORD_IsSingleProductComponent  12
#define TNI_ORD_SetFileMapEnabled         13
#define TNI_ORD_GetFileMapEnabled         14
#define TNI_ORD_GetLanguage               15
#define TNI_ORD_SetLanguage               16
#define TNI_ORD_GetOemName                17
#define TNI_ORD_FindInstalledFile         18
#define TNI_ORD_GetOsVersionType          19

/* 1: install directory with a trailing backslash, then the suffix (may be NULL). */
int WINAPI GetInstallPath(wchar_t* buffer, DWORD size, const wchar_t* suffix);
/* 2: backup directory with a trailing backslash. */
int WINAPI GetBackupPath(wchar_t* buffer, DWORD size);
/* 3: the name under which the file map keeps a file of `owner`. */
int WINAPI GetMappedFileName(wchar_t* buffer, DWORD size, const wchar_t* owner,
                             const wchar_t* fileName, const wchar_t* subKey);
/* 4: the file name for a mapped name; `owner` (260 units, may be NULL)
 * receives the owning component. Returns 1 when the map named an owner. */
int WINAPI GetUnmappedFileName(wchar_t* buffer, DWORD size, const wchar_t* mappedName,
                               wchar_t* owner);
/* 5: full path of a file of a component; `destFilter` may be NULL. */
int WINAPI GetComponentFilePath(wchar_t* buffer, DWORD size, const wchar_t* component,
                                const wchar_t* fileName, const wchar_t* destFilter);
/* 6: a component's directory, then the suffix (may be NULL). */
int WINAPI GetComponentPath(wchar_t* buffer, DWORD size, const wchar_t* component,
                            const wchar_t* suffix);
/* 7: comma list of installed products holding the component (names, or
 * ProductIDs when byId is nonzero). The list may end in a comma. */
int WINAPI GetComponentProducts(wchar_t* buffer, DWORD size, const wchar_t* component,
                                int byId);
/* 8: a product's ProductID, 0 when it cannot be read. */
int WINAPI GetProductId(const wchar_t* product);
/* 9 to 12: 1 or 0. */
int WINAPI IsComponentInstalled(const wchar_t* component);
int WINAPI IsProductInstalled(const wchar_t* product);
int WINAPI IsInstalledFile(const wchar_t* path);
int WINAPI IsSingleProductComponent(const wchar_t* component);
/* 13, 14: the process-wide file-map switch (1 at load; nonzero enables). */
int WINAPI SetFileMapEnabled(int enabled);
int WINAPI GetFileMapEnabled(void);
/* 15, 16: the user-interface language. */
LANGID WINAPI GetLanguage(void);
int WINAPI SetLanguage(DWORD language);
/* 17: the OEM name; `sizeBytes` counts bytes. 0 when the value does not fit. */
int WINAPI GetOemName(wchar_t* buffer, DWORD sizeBytes);
/* 18: where the installation keeps a file; `component` (512 units, may be
 * NULL) receives the component that holds it. */
int WINAPI FindInstalledFile(wchar_t* buffer, DWORD size, const wchar_t* fileName,
                             wchar_t* component);
/* 19: the Windows class (WINTYPE_*); *isNt (may be NULL) receives 1 on NT. */
DWORD WINAPI GetOsVersionType(int* isNt);

#ifdef __cplusplus
}
#endif

#endif /* TNINSTALL_H */
