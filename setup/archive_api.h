// The four calls of the RAR extraction library (unrar.dll, linked at load
// time), with its published structures and codes. Texts are 8-bit: names in
// the OEM code page.
#pragma once

#include <windows.h>

enum : UINT {
    RAR_OM_LIST = 0,
    RAR_OM_EXTRACT = 1,
};

enum : int {
    RAR_SKIP = 0,
    RAR_TEST = 1,
    RAR_EXTRACT = 2,
};

enum : int {
    ERAR_END_ARCHIVE = 10,
    ERAR_NO_MEMORY = 11,
    ERAR_BAD_DATA = 12,
    ERAR_BAD_ARCHIVE = 13,
    ERAR_UNKNOWN_FORMAT = 14,
    ERAR_EOPEN = 15,
    ERAR_ECREATE = 16,
    ERAR_ECLOSE = 17,
    ERAR_EREAD = 18,
    ERAR_EWRITE = 19,
};

struct RAROpenArchiveData {
    char* ArcName;
    UINT OpenMode;
    UINT OpenResult;
    char* CmtBuf;
    UINT CmtBufSize;
    UINT CmtSize;
    UINT CmtState;
};

struct RARHeaderData {
    char ArcName[260];
    char FileName[260];
    UINT Flags;
    UINT PackSize;
    UINT UnpSize;
    UINT HostOS;
    UINT FileCRC;
    UINT FileTime;
    UINT UnpVer;
    UINT Method;
    UINT FileAttr;
    char* CmtBuf;
    UINT CmtBufSize;
    UINT CmtSize;
    UINT CmtState;
};

extern "C" {
HANDLE WINAPI RAROpenArchive(RAROpenArchiveData* archiveData);
int WINAPI RARCloseArchive(HANDLE archive);
int WINAPI RARReadHeader(HANDLE archive, RARHeaderData* headerData);
int WINAPI RARProcessFile(HANDLE archive, int operation, char* destPath, char* destName);
}
